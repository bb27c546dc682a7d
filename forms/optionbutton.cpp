#include "forms/optionbutton.h"

#include "forms/container.h"

namespace vel::forms {

OptionButton::OptionButton(Args a)
    : Control(init(Kind::OptionButton, a)), caption_(std::move(a.caption)), value_(a.value) {}

void OptionButton::setValue(bool v) {
  if (v) clearOthers(true);
  if (value_ == v) return;
  value_ = v;
  changed(Prop::Value);
}

void OptionButton::select() {
  userInput();
  clearOthers(false);  // the platform has cleared them on screen already
  value_ = true;
}

void OptionButton::adopted() {
  if (value_) clearOthers(true);
}

void OptionButton::clearOthers(bool notify) {
  for (const auto& c : parent()->children()) {
    if (c.get() == this || c->kind() != Kind::OptionButton) continue;
    auto& other = static_cast<OptionButton&>(*c);
    if (!other.value_) continue;
    other.value_ = false;
    if (notify) other.changed(Prop::Value);
  }
}

}  // namespace vel::forms
