#pragma once
// The contract between the forms core and a backend (headless, Win32). The core objects hold all
// state; a backend gives each control a peer, which the core tells about every change, and
// runs the event loops, the message boxes, the screen cursor and the application's activation.
//
// What a backend reports back goes through the core's input entry points (Button::click,
// ComboBox::type and pick, OptionButton::select, Form::closeBox, Application::activated), which
// run the program's handlers through Application::dispatch.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vel::forms {

class Control;
class Form;

// What changed on a control; the peer reads the new value from the control itself.
enum class Prop {
  Visible,  // visible(); for a form, shown or hidden
  Enabled,  // enabled(); for a form, acceptsInput() (a modal form over it counts)
  Caption,
  Text,   // a combo box's text, a status bar's simple text
  Items,  // a combo box's list
  Style,  // a combo box's style (the Win32 control is created anew for it)
  Value,  // an option button's or a progress bar's value
  Range,  // a progress bar's minimum or maximum
  Focus,  // on a form: focused() moved by the program
};

enum class Cursor { Default, HourGlass };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Icon { None, Information, Warning, Error /* the stop sign */, Question };
enum class Result { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

std::string_view resultName(Result r);

// Not named MessageBox: <windows.h> defines that name as a macro.
struct MessageBoxArgs {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  Form* owner = nullptr;  // the form that was active; we don't own it
};

// A fault of whoever drives the user interface (a test asking for a click that no user could
// make, a loop waiting for input that never comes). Never a program's error: dispatch lets it
// pass instead of reporting it.
class DriverError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The platform object of one control. It keeps no state of its own that a program could read.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void changed(Prop p) = 0;
  // Paints the control now, without waiting for the event loop.
  virtual void repaint() = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Called once per control: for a form when it is constructed, for a child right after it has
  // been added to a container whose peer exists. Form::unload and the form's destruction
  // destroy the peers, newest child first and the form last, while every control is still
  // whole: a peer may read its control whenever it is called, its destructor included.
  virtual std::unique_ptr<Peer> createPeer(Control& control) = 0;

  // Handles events until done() holds; `waiting` names who waits, for diagnostics.
  virtual void runLoop(std::string_view waiting, const std::function<bool()>& done) = 0;
  // Handles the events pending now and returns.
  virtual void processEvents() = 0;

  // A modal message box; returns the button the user pressed.
  virtual Result messageBox(const MessageBoxArgs& box) = 0;
  virtual void setCursor(Cursor c) = 0;
  // Makes the application the foreground application.
  virtual void bringToFront() = 0;
  // The application's title: what the window system shows for the program as a whole (its
  // taskbar button, the task switcher).
  virtual void setTitle(std::string_view title) = 0;
};

}  // namespace vel::forms
