#include "forms/application.h"

#include <algorithm>
#include <cstdio>

#include "forms/form.h"
#include "host/error.h"

namespace vel::forms {

RunTimeError runTimeErrorOf(const std::exception& e) {
  if (auto* a = dynamic_cast<const host::AutomationError*>(&e))
    return {a->runTimeNumber(), a->reportedDescription()};
  return {5, e.what()};
}

std::string errorBoxText(const std::exception& e) {
  if (auto* a = dynamic_cast<const host::AutomationError*>(&e)) return a->boxText();
  return e.what();
}

std::string runTimeReportText(const RunTimeError& e) {
  std::string number = std::to_string(e.number);
  if (e.number < 0 || e.number > 0xFFFF) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(e.number));
    number += " (" + std::string(hex) + ")";
  }
  return "Run-time error '" + number + "':\n\n" + e.description;
}

Application::Application(Backend& backend, Args args)
    : backend_(backend), title_(std::move(args.title)), errorMode_(args.errorMode) {
  backend_.setTitle(title_);
}

void Application::setTitle(std::string t) {
  title_ = std::move(t);
  backend_.setTitle(title_);
}

Application::Application(Backend& backend) : Application(backend, Args{}) {}

Application::~Application() = default;

int Application::execute(const std::function<void()>& entry) {
  try {
    entry();
    return 0;
  } catch (const ProgramEnded& e) {
    return e.exitCode();
  } catch (const DriverError&) {
    throw;
  } catch (const std::exception& e) {
    report(&e);
  } catch (...) {
    report(nullptr);
  }
  terminated_ = true;
  return 1;
}

void Application::dispatch(const std::function<void()>& handler) {
  if (!handler) return;
  std::function<void()> h = handler;  // the handler may replace itself while it runs
  try {
    h();
    return;
  } catch (const ProgramEnded&) {
    throw;
  } catch (const DriverError&) {
    throw;
  } catch (const std::exception& e) {
    report(&e);
  } catch (...) {
    report(nullptr);
  }
  if (errorMode_ == ErrorMode::RunTimeReport) throw ProgramEnded(1);
}

void Application::report(const std::exception* e) {
  if (errorMode_ == ErrorMode::ErrorBox) {
    messageBox(e ? errorBoxText(*e) : "Unknown error", title_, Buttons::Ok, Icon::Error);
    return;
  }
  // The program ends with the report: no window is activated again.
  terminated_ = true;
  RunTimeError r = e ? runTimeErrorOf(*e) : RunTimeError{5, "Unknown error"};
  backend_.messageBox({runTimeReportText(r), title_, Buttons::Ok, Icon::Error, active_});
}

void Application::run(Form& main) {
  main_ = &main;
  if (!main.visible()) main.show();
  backend_.runLoop("the main form \"" + main.name() + "\"", [this] { return terminated_; });
}

void Application::processEvents() {
  backend_.processEvents();
}

void Application::bringToFront() {
  backend_.bringToFront();
}

void Application::setCursor(Cursor c) {
  cursor_ = c;
  backend_.setCursor(c);
}

Result Application::messageBox(std::string_view text, std::string_view caption, Buttons buttons,
                               Icon icon) {
  MessageBoxArgs box{std::string(text), caption.empty() ? title_ : std::string(caption), buttons,
                     icon, active_};
  Form* owner = active_;
  active_ = nullptr;  // the box is the active window while it is up
  Result r = backend_.messageBox(box);
  reactivate(owner);
  return r;
}

void Application::activated(Form& f) {
  if (active_ == &f || !f.visible() || !f.loaded()) return;
  active_ = &f;
  auto it = std::find(forms_.begin(), forms_.end(), &f);
  if (it != forms_.end()) std::rotate(it, it + 1, forms_.end());
  dispatch(f.onActivate);
}

void Application::reactivate(Form* f) {
  if (f && std::find(forms_.begin(), forms_.end(), f) != forms_.end() && f->visible() &&
      f->loaded())
    activated(*f);
}

void Application::deactivated(Form& f) {
  if (active_ != &f) return;
  active_ = nullptr;
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
    if (*it != &f && (*it)->acceptsInput()) {
      activated(**it);
      return;
    }
  }
}

void Application::added(Form& f) {
  forms_.insert(forms_.begin(), &f);
}

void Application::removed(Form& f) {
  std::erase(forms_, &f);
  std::erase(modal_, &f);
  if (active_ == &f) active_ = nullptr;
  if (main_ == &f) {
    main_ = nullptr;
    terminated_ = true;
  }
}

void Application::pushModal(Form& f) {
  modal_.push_back(&f);
  inputStateChanged();
}

void Application::popModal(Form& f) {
  std::erase(modal_, &f);
  inputStateChanged();
}

void Application::inputStateChanged() {
  for (Form* f : forms_) f->inputStateChanged();
}

}  // namespace vel::forms
