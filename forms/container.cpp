#include "forms/container.h"

namespace vel::forms {

Container::~Container() {
  // Newest first, as they were created on top of the older ones.
  while (!children_.empty()) children_.pop_back();
}

Control* Container::find(std::string_view name, int index) const {
  for (const auto& c : children_) {
    if (c->name() == name && c->index() == index) return c.get();
    if (auto* box = dynamic_cast<const Container*>(c.get()))
      if (Control* found = box->find(name, index)) return found;
  }
  return nullptr;
}

void Container::adopt(std::unique_ptr<Control> child) {
  Control& c = *child;
  c.parent_ = this;
  children_.push_back(std::move(child));
  if (peer()) c.createPeers();
  c.adopted();
}

void Container::createPeers() {
  Control::createPeers();
  for (auto& c : children_) c->createPeers();
}

void Container::destroyPeers() {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) (*it)->destroyPeers();
  Control::destroyPeers();
}

}  // namespace vel::forms
