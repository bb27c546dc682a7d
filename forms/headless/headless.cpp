#include "forms/headless/headless.h"

#include <algorithm>

#include "forms/application.h"
#include "forms/button.h"
#include "forms/combobox.h"
#include "forms/container.h"
#include "forms/form.h"
#include "forms/optionbutton.h"

namespace vel::forms {

// Keeps nothing of the control's: it only counts itself and records repaints.
class Headless::HeadlessPeer : public Peer {
 public:
  HeadlessPeer(Headless& ui, Control& control) : ui_(ui), control_(control) {
    ++ui_.peers_;
    if (control.kind() == Kind::Form) ui_.forms_.push_back(static_cast<Form*>(&control));
  }
  ~HeadlessPeer() override {
    --ui_.peers_;
    std::erase(ui_.forms_, &control_);
  }
  void changed(Prop) override {}
  void repaint() override { ui_.repaints_.push_back(control_.path()); }

 private:
  Headless& ui_;
  Control& control_;  // owns us
};

namespace {

std::string quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

bool isButtonOf(Buttons buttons, Result r) {
  switch (buttons) {
    case Buttons::Ok:
      return r == Result::Ok;
    case Buttons::OkCancel:
      return r == Result::Ok || r == Result::Cancel;
    case Buttons::YesNo:
      return r == Result::Yes || r == Result::No;
    case Buttons::YesNoCancel:
      return r == Result::Yes || r == Result::No || r == Result::Cancel;
    case Buttons::RetryCancel:
      return r == Result::Retry || r == Result::Cancel;
    case Buttons::AbortRetryIgnore:
      return r == Result::Abort || r == Result::Retry || r == Result::Ignore;
  }
  return false;
}

Result firstButtonOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
      return Result::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      return Result::Yes;
    case Buttons::RetryCancel:
      return Result::Retry;
    case Buttons::AbortRetryIgnore:
      return Result::Abort;
  }
  return Result::Ok;
}

}  // namespace

Headless::Headless() = default;
Headless::~Headless() = default;

void Headless::requireInput(const Control& c, std::string_view what) const {
  auto refuse = [&](const std::string& why) {
    throw DriverError("headless: cannot " + std::string(what) + " " + quoted(c.path()) + ": " +
                      why);
  };
  const Form& f = c.form();
  if (!f.loaded()) refuse("its form is unloaded");
  for (const Control* p = &c; p; p = p->parent()) {
    std::string who = p == &c ? "it" : p == &f ? "its form" : "its container " + quoted(p->name());
    if (!p->visible()) refuse(who + " is hidden");
    if (!p->enabled()) refuse(who + " is disabled");
  }
  const Form* modal = c.app().modalForm();
  if (modal && modal != &f) refuse("the modal form " + quoted(modal->name()) + " is over it");
}

void Headless::click(Button& b) {
  requireInput(b, "click");
  b.click();
}

void Headless::type(ComboBox& box, std::string text) {
  requireInput(box, "type into");
  box.type(std::move(text));
}

void Headless::pick(ComboBox& box, int index) {
  requireInput(box, "pick from");
  if (index < 0 || static_cast<size_t>(index) >= box.items().size())
    throw DriverError("headless: " + quoted(box.path()) + " has no list entry " +
                      std::to_string(index) + " (it holds " + std::to_string(box.items().size()) +
                      ")");
  box.pick(index);
}

void Headless::select(OptionButton& o) {
  requireInput(o, "select");
  o.select();
}

void Headless::closeBox(Form& f) {
  requireInput(f, "close");
  if (!f.hasCloseBox()) throw DriverError("headless: " + quoted(f.name()) + " has no close box");
  f.closeBox();
}

void Headless::schedule(std::function<void()> action, int afterEvents) {
  if (afterEvents < 1)
    throw DriverError(
        "headless: an action is scheduled for a later processEvents call, 1 or "
        "more, not " +
        std::to_string(afterEvents));
  Scheduled s{processEventsCalls_ + afterEvents, seq_++, std::move(action)};
  auto at = std::upper_bound(queue_.begin(), queue_.end(), s, [](const auto& a, const auto& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
  });
  queue_.insert(at, std::move(s));
}

int Headless::repaintCount(const Control& c) const {
  return static_cast<int>(std::count(repaints_.begin(), repaints_.end(), c.path()));
}

std::unique_ptr<Peer> Headless::createPeer(Control& control) {
  return std::make_unique<HeadlessPeer>(*this, control);
}

void Headless::takeQuit() {
  if (!quit_) return;
  int code = *quit_;
  quit_.reset();
  throw ProgramEnded(code);
}

void Headless::runLoop(std::string_view waiting, const std::function<bool()>& done) {
  takeQuit();
  while (!done()) {
    if (queue_.empty())
      throw DriverError("headless: " + std::string(waiting) + " is waiting with nothing scheduled");
    auto action = std::move(queue_.front().action);
    queue_.erase(queue_.begin());
    action();
    takeQuit();
  }
}

void Headless::processEvents() {
  ++processEventsCalls_;
  takeQuit();
  while (!queue_.empty() && queue_.front().due <= processEventsCalls_) {
    auto action = std::move(queue_.front().action);
    queue_.erase(queue_.begin());
    action();
    takeQuit();
  }
}

Result Headless::messageBox(const MessageBoxArgs& box) {
  Result r = firstButtonOf(box.buttons);
  if (!answers_.empty()) {
    r = answers_.front();
    answers_.pop_front();
    if (!isButtonOf(box.buttons, r))
      throw DriverError("headless: the answer " + std::string(resultName(r)) +
                        " is not a button of the box " + quoted(box.text));
  }
  std::vector<std::string> onScreen;
  for (const Form* f : forms_)
    if (f->visible()) onScreen.push_back(f->name());
  boxes_.push_back({box, r, std::move(onScreen)});
  return r;
}

}  // namespace vel::forms
