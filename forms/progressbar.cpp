#include "forms/progressbar.h"

#include <algorithm>
#include <stdexcept>

namespace vel::forms {

namespace {

void checkRange(const std::string& who, int minimum, int maximum) {
  if (maximum < minimum)
    throw std::invalid_argument(who + ": maximum " + std::to_string(maximum) +
                                " below the minimum " + std::to_string(minimum));
}

}  // namespace

ProgressBar::ProgressBar(Args a)
    : Control(init(Kind::ProgressBar, a)),
      minimum_(a.minimum),
      maximum_(a.maximum),
      value_(a.value) {
  checkRange(name(), minimum_, maximum_);
  value_ = std::clamp(value_, minimum_, maximum_);
}

void ProgressBar::setMinimum(int m) {
  if (m == minimum_) return;
  checkRange(path(), m, maximum_);
  minimum_ = m;
  changed(Prop::Range);
  clampValue();
}

void ProgressBar::setMaximum(int m) {
  if (m == maximum_) return;
  checkRange(path(), minimum_, m);
  maximum_ = m;
  changed(Prop::Range);
  clampValue();
}

void ProgressBar::setValue(int v) {
  v = std::clamp(v, minimum_, maximum_);
  if (v == value_) return;
  value_ = v;
  changed(Prop::Value);
}

void ProgressBar::clampValue() {
  setValue(value_);
}

}  // namespace vel::forms
