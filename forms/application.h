#pragma once
// The application: its title, how it reports an error that escapes an event handler, the event
// loops, message boxes, the screen cursor and the activation of its forms. Every handler runs
// through dispatch, whichever backend delivers the event.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/backend.h"

namespace vel::forms {

class Form;

enum class ErrorMode {
  // VCL: an error box with the error's text, titled with the title; the window stays open.
  ErrorBox,
  // The VB forms run time: "Run-time error 'N':" and the description, titled with the title;
  // then the program ends.
  RunTimeReport,
};

// Unwinds a program that has ended after a run-time error report, up to Application::execute.
// Not a std::exception, so that no catch of std::exception in the program stops it.
class ProgramEnded {
 public:
  explicit ProgramEnded(int exitCode) : exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// The number and description a run-time error report gives for an error: an AutomationError's
// run-time number and reported description (the run time's own text for an error it raised);
// for any other error 5 ("Invalid procedure call or
// argument", the run time's number for a failure it has no better number for) with its text.
struct RunTimeError {
  int32_t number;
  std::string description;
};
RunTimeError runTimeErrorOf(const std::exception& e);
// "Run-time error '13':\n\nType mismatch"; a number outside the run time's own range is shown
// with its hexadecimal form as well: "Run-time error '-2147467259 (80004005)':".
std::string runTimeReportText(const RunTimeError& e);
// What the class library's error box shows for an error: an automation error's description
// alone, without the member it came from; any other error's message.
std::string errorBoxText(const std::exception& e);

class Application {
 public:
  struct Args {
    std::string title;
    ErrorMode errorMode = ErrorMode::ErrorBox;
  };

  // The backend must outlive the application, and the application its forms.
  Application(Backend& backend, Args args);
  explicit Application(Backend& backend);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Backend& backend() const { return backend_; }
  const std::string& title() const { return title_; }
  void setTitle(std::string t);
  ErrorMode errorMode() const { return errorMode_; }
  void setErrorMode(ErrorMode m) { errorMode_ = m; }

  // The program's entry: runs it, reporting an error that escapes it as the error mode says,
  // and returns the process's exit code: 0, or 1 after an error ended the program.
  int execute(const std::function<void()>& entry);

  // Runs one event handler. An error escaping it is reported as the error mode says; in
  // RunTimeReport mode ProgramEnded is thrown after the report. ProgramEnded and DriverError
  // pass through.
  void dispatch(const std::function<void()>& handler);

  // Shows the main form if it is hidden and handles events until it is closed or unloaded (or
  // terminate() is called).
  void run(Form& main);
  Form* mainForm() const { return main_; }
  void terminate() { terminated_ = true; }
  bool terminated() const { return terminated_; }

  // Lets pending events through (DoEvents, ProcessMessages).
  void processEvents();
  void bringToFront();
  Cursor cursor() const { return cursor_; }
  void setCursor(Cursor c);

  // A modal message box owned by the active form; an empty caption is the title. The form
  // that was active is activated again when the box has gone.
  Result messageBox(std::string_view text, std::string_view caption = {},
                    Buttons buttons = Buttons::Ok, Icon icon = Icon::None);

  Form* activeForm() const { return active_; }
  // The modal form on top, or null.
  Form* modalForm() const { return modal_.empty() ? nullptr : modal_.back(); }

  // Input from the platform: the form became the active window. Fires its onActivate through
  // dispatch unless it was active already; a hidden or unloaded form is ignored.
  void activated(Form& f);

 private:
  friend class Form;
  void added(Form& f);
  void removed(Form& f);
  // The active form is going away: the most recently active form that takes input follows.
  void deactivated(Form& f);
  // Activates it again if it still exists, shows and is loaded.
  void reactivate(Form* f);
  void pushModal(Form& f);
  void popModal(Form& f);
  void inputStateChanged();
  // Reports an error caught by dispatch or execute.
  void report(const std::exception* e);

  Backend& backend_;
  std::string title_;
  ErrorMode errorMode_;
  Cursor cursor_ = Cursor::Default;
  std::vector<Form*> forms_;  // least recently active first; we don't own them
  std::vector<Form*> modal_;  // innermost last
  Form* active_ = nullptr;
  Form* main_ = nullptr;
  bool terminated_ = false;
};

}  // namespace vel::forms
