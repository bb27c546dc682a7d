#pragma once
// A control that holds others (form, panel, frame) and owns them.

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/control.h"

namespace vel::forms {

class Container : public Control {
 public:
  ~Container() override;

  // Creates a control inside this one and returns it; it lives as long as its container.
  //   Button& next = add<Button>({.name = "Button1", .bounds = {172, 308, 81, 25}, ...});
  template <class T>
  T& add(typename T::Args args) {
    std::unique_ptr<T> child(new T(std::move(args)));  // controls befriend Container for this
    T& ref = *child;
    adopt(std::move(child));
    return ref;
  }

  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }
  // A control by name anywhere inside, or null; with an index, the member of a control array.
  Control* find(std::string_view name, int index = -1) const;

 protected:
  using Control::Control;
  void createPeers() override;
  void destroyPeers() override;

 private:
  void adopt(std::unique_ptr<Control> child);
  std::vector<std::unique_ptr<Control>> children_;  // in creation order
};

}  // namespace vel::forms
