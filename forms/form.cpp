#include "forms/form.h"

#include <algorithm>
#include <stdexcept>

#include "forms/application.h"

namespace vel::forms {

Form::Form(Application& app, Args a)
    : Container(init(Kind::Form, a)),
      app_(app),
      caption_(std::move(a.caption)),
      clientSize_(a.clientSize),
      borderStyle_(a.borderStyle),
      borderIcons_(a.borderIcons),
      showInTaskbar_(a.showInTaskbar),
      stayOnTop_(a.stayOnTop),
      position_(a.position),
      icon_(std::move(a.icon)),
      closeAction_(a.closeAction) {
  visible_ = false;
  app_.added(*this);
  createPeers();
}

Form::~Form() {
  // Peers go while every control is still whole, so that a peer may read its control.
  destroyPeers();
  app_.removed(*this);
}

void Form::setCaption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  changed(Prop::Caption);
}

bool Form::hasCloseBox() const {
  return borderStyle_ != BorderStyle::None && borderIcons_.systemMenu;
}

void Form::show() {
  if (!loaded_)
    throw std::logic_error("form \"" + name() + "\" is unloaded: create it anew to show it again");
  if (!visible_) {
    visible_ = true;
    changed(Prop::Visible);
  }
  app_.activated(*this);
}

void Form::showModal() {
  if (!loaded_)
    throw std::logic_error("form \"" + name() + "\" is unloaded: create it anew to show it again");
  if (visible_) throw std::runtime_error("Cannot make a visible window modal");
  Form* previous = app_.activeForm();
  app_.pushModal(*this);
  try {
    show();
    app_.backend().runLoop("the modal form \"" + name() + "\"",
                           [this] { return !visible_ || !loaded_ || app_.terminated(); });
  } catch (...) {
    app_.popModal(*this);
    throw;
  }
  app_.popModal(*this);
  hide();  // when the run was ended under it
  app_.reactivate(previous);
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  changed(Prop::Visible);
  app_.deactivated(*this);
}

void Form::close() {
  CloseAction action = closeAction_;
  if (onClose) {
    auto handler = onClose;  // it may replace itself
    handler(action);
  }
  switch (action) {
    case CloseAction::None:
      return;
    case CloseAction::Hide:
      hide();
      break;
    case CloseAction::Unload:
      unload();
      break;
  }
  if (app_.mainForm() == this) app_.terminate();
}

void Form::unload() {
  if (!loaded_) return;
  hide();
  destroyPeers();
  loaded_ = false;
  if (app_.mainForm() == this) app_.terminate();
}

bool Form::modal() const {
  return std::find(app_.modal_.begin(), app_.modal_.end(), this) != app_.modal_.end();
}

bool Form::active() const {
  return app_.activeForm() == this;
}

void Form::focus(Control& c) {
  if (&c.form() != this)
    throw std::invalid_argument(c.path() + " is not a control of \"" + name() + "\"");
  if (!c.takesFocus()) throw std::invalid_argument(c.path() + " cannot take the focus");
  if (visible_ && loaded_) {
    for (const Control* p = &c; p; p = p->parent_)
      if (!p->visible_ || !p->enabled_)
        throw std::runtime_error("Cannot focus a disabled or invisible window");
  }
  if (focused_ == &c) return;
  focused_ = &c;
  changed(Prop::Focus);
}

void Form::closeBox() {
  userInput();
  app_.dispatch([this] { close(); });
}

void Form::setVisible(bool v) {
  if (v)
    show();
  else
    hide();
}

}  // namespace vel::forms
