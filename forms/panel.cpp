#include "forms/panel.h"

namespace vel::forms {

Panel::Panel(Args a)
    : Container(init(Kind::Panel, a)),
      bevelOuter_(a.bevelOuter),
      bevelInner_(a.bevelInner),
      bevelWidth_(a.bevelWidth),
      borderWidth_(a.borderWidth) {}

}  // namespace vel::forms
