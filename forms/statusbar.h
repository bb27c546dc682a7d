#pragma once

#include <string>

#include "forms/control.h"

namespace vel::forms {

// Along the bottom of its form. With a simple panel it shows one text across its width.
class StatusBar : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    bool simplePanel = false;
    std::string simpleText;
    int borderWidth = 0;
    bool visible = true;
    Font font;
  };

  bool simplePanel() const { return simplePanel_; }
  const std::string& simpleText() const { return simpleText_; }
  void setSimpleText(std::string t);
  int borderWidth() const { return borderWidth_; }

 private:
  friend class Container;
  explicit StatusBar(Args a);

  bool simplePanel_;
  std::string simpleText_;
  int borderWidth_;
};

}  // namespace vel::forms
