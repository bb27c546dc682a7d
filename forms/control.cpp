#include "forms/control.h"

#include "forms/application.h"
#include "forms/container.h"
#include "forms/form.h"

namespace vel::forms {

Control::Control(Init init)
    : visible_(init.visible),
      enabled_(init.enabled),
      kind_(init.kind),
      name_(std::move(init.name)),
      index_(init.index),
      bounds_(init.bounds),
      font_(std::move(init.font)),
      color_(init.color),
      tabOrder_(init.tabOrder) {}

Control::~Control() = default;

std::string Control::path() const {
  std::string own = name_;
  if (index_ >= 0) own += "(" + std::to_string(index_) + ")";
  if (!parent_) return own;
  return form().name() + "." + own;
}

void Control::setVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  changed(Prop::Visible);
}

void Control::setEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  changed(Prop::Enabled);
}

bool Control::showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return form().loaded();
}

bool Control::acceptsInput() const {
  if (!showing()) return false;
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  const Form* modal = app().modalForm();
  return !modal || modal == &form();
}

void Control::refresh() {
  if (peer_) peer_->repaint();
}

Form& Control::form() {
  return const_cast<Form&>(std::as_const(*this).form());
}

const Form& Control::form() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return static_cast<const Form&>(*c);  // only forms stand without a container
}

Application& Control::app() const {
  return form().app_;
}

void Control::changed(Prop p) {
  if (peer_) peer_->changed(p);
}

void Control::userInput() {
  Form& f = form();
  app().activated(f);
  if (takesFocus()) f.moveFocusSilently(*this);
}

void Control::createPeers() {
  peer_ = app().backend().createPeer(*this);
}

void Control::destroyPeers() {
  peer_.reset();
}

}  // namespace vel::forms
