#include "forms/label.h"

namespace vel::forms {

Label::Label(Args a)
    : Control(init(Kind::Label, a)),
      caption_(std::move(a.caption)),
      wordWrap_(a.wordWrap),
      showAccelChar_(a.showAccelChar),
      transparent_(a.transparent) {}

void Label::setCaption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  changed(Prop::Caption);
}

}  // namespace vel::forms
