#pragma once

#include <string>

#include "forms/control.h"

namespace vel::forms {

class Label : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    std::string caption;
    bool wordWrap = false;
    bool showAccelChar = true;  // false: ampersands are shown as written
    bool transparent = false;   // true: the container shows through instead of color()
    bool visible = true;
    bool enabled = true;
    Font font;
    SysColor color = SysColor::Default;
  };

  const std::string& caption() const { return caption_; }
  void setCaption(std::string c);
  bool wordWrap() const { return wordWrap_; }
  bool showAccelChar() const { return showAccelChar_; }
  bool transparent() const { return transparent_; }

 private:
  friend class Container;
  explicit Label(Args a);

  std::string caption_;
  bool wordWrap_;
  bool showAccelChar_;
  bool transparent_;
};

}  // namespace vel::forms
