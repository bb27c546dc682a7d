#include "forms/combobox.h"

#include <stdexcept>

#include "forms/application.h"

namespace vel::forms {

ComboBox::ComboBox(Args a)
    : Control(init(Kind::ComboBox, a)),
      style_(a.style),
      items_(std::move(a.items)),
      text_(std::move(a.text)),
      autoComplete_(a.autoComplete),
      itemHeight_(a.itemHeight) {}

void ComboBox::setStyle(ComboStyle s) {
  if (style_ == s) return;
  style_ = s;
  changed(Prop::Style);
}

void ComboBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  changed(Prop::Items);
}

void ComboBox::clearItems() {
  if (items_.empty()) return;
  items_.clear();
  changed(Prop::Items);
}

void ComboBox::setText(std::string t) {
  if (text_ == t) return;
  text_ = std::move(t);
  changed(Prop::Text);
}

void ComboBox::type(std::string t) {
  userInput();
  if (text_ == t) return;
  text_ = std::move(t);
  app().dispatch(onChange);
}

void ComboBox::pick(int index) {
  if (index < 0 || static_cast<size_t>(index) >= items_.size())
    throw std::out_of_range(path() + " has no list entry " + std::to_string(index) + " (it holds " +
                            std::to_string(items_.size()) + ")");
  userInput();
  text_ = items_[static_cast<size_t>(index)];
  app().dispatch(onChange);
}

}  // namespace vel::forms
