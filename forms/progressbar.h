#pragma once

#include <string>

#include "forms/control.h"

namespace vel::forms {

// The Common Controls progress bar. Its value stays within the range, as the Win32 control
// keeps it: a value outside is clamped, and so is the value when the range moves past it.
// The names are not min and max, which <windows.h> defines as macros.
class ProgressBar : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    int minimum = 0;
    int maximum = 100;
    int value = 0;
    bool visible = true;
  };

  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int value() const { return value_; }
  // A range whose maximum lies below its minimum is refused (std::invalid_argument); an empty
  // range (maximum equal to minimum) holds only that value.
  void setMinimum(int m);
  void setMaximum(int m);
  void setValue(int v);

 private:
  friend class Container;
  explicit ProgressBar(Args a);
  void clampValue();

  int minimum_;
  int maximum_;
  int value_;
};

}  // namespace vel::forms
