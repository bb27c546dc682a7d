#pragma once

#include "forms/container.h"

namespace vel::forms {

enum class Bevel { None, Raised, Lowered };

// A plain container, as the wizard's pages are.
class Panel : public Container {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    Bevel bevelOuter = Bevel::Raised;
    Bevel bevelInner = Bevel::None;
    int bevelWidth = 1;
    int borderWidth = 0;
    bool visible = true;
    bool enabled = true;
    SysColor color = SysColor::Default;
  };

  Bevel bevelOuter() const { return bevelOuter_; }
  Bevel bevelInner() const { return bevelInner_; }
  int bevelWidth() const { return bevelWidth_; }
  int borderWidth() const { return borderWidth_; }

 private:
  friend class Container;
  explicit Panel(Args a);

  Bevel bevelOuter_;
  Bevel bevelInner_;
  int bevelWidth_;
  int borderWidth_;
};

}  // namespace vel::forms
