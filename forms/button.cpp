#include "forms/button.h"

#include "forms/application.h"

namespace vel::forms {

Button::Button(Args a) : Control(init(Kind::Button, a)), caption_(std::move(a.caption)) {}

void Button::setCaption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  changed(Prop::Caption);
}

void Button::click() {
  userInput();
  app().dispatch(onClick);
}

}  // namespace vel::forms
