#pragma once

#include <string>

#include "forms/control.h"

namespace vel::forms {

// One of a group of choices: the option buttons of one container exclude each other.
class OptionButton : public Control {
 public:
  struct Args {
    std::string name;
    int index = -1;  // within a control array, as Option1(0) and Option1(1)
    Rect bounds;
    std::string caption;
    bool value = false;  // selected; the last selected one created wins
    bool visible = true;
    bool enabled = true;
    Font font;
    int tabOrder = -1;
  };

  const std::string& caption() const { return caption_; }
  bool value() const { return value_; }
  // Selecting one clears the others of the same container.
  void setValue(bool v);

  // Input from the platform: the user selected it. The form becomes active and the focus moves
  // to it; the others of its container are cleared.
  void select();

 private:
  friend class Container;
  explicit OptionButton(Args a);
  bool takesFocus() const override { return true; }
  void adopted() override;
  void clearOthers(bool notify);

  std::string caption_;
  bool value_;
};

}  // namespace vel::forms
