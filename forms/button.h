#pragma once

#include <functional>
#include <string>

#include "forms/control.h"

namespace vel::forms {

class Button : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    std::string caption;
    bool visible = true;
    bool enabled = true;
    Font font;
    int tabOrder = -1;
  };

  const std::string& caption() const { return caption_; }
  void setCaption(std::string c);

  // Input from the platform: the user clicked it. The form becomes active, the focus moves to
  // the button, and onClick runs through dispatch.
  void click();

  std::function<void()> onClick;

 private:
  friend class Container;
  explicit Button(Args a);
  bool takesFocus() const override { return true; }

  std::string caption_;
};

}  // namespace vel::forms
