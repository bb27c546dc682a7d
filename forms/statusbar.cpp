#include "forms/statusbar.h"

namespace vel::forms {

StatusBar::StatusBar(Args a)
    : Control(init(Kind::StatusBar, a)),
      simplePanel_(a.simplePanel),
      simpleText_(std::move(a.simpleText)),
      borderWidth_(a.borderWidth) {}

void StatusBar::setSimpleText(std::string t) {
  if (simpleText_ == t) return;
  simpleText_ = std::move(t);
  changed(Prop::Text);
}

}  // namespace vel::forms
