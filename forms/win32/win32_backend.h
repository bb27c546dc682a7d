#pragma once
// The backend on the screen: every control gets a real window of the system's own class (a
// form and the containers one of ours), and the input those windows receive goes back into the
// core's entry points.
//
//   Win32Backend ui;
//   Application app(ui, {.title = "Seekmark"});
//
// Every control window carries the property "VelmoraName" (a global atom of its name, with
// "_<index>" for a member of a control array), by which a UI driver finds it.

#include <exception>
#include <vector>

#include "forms/backend.h"

namespace vel::forms {

class Win32Backend : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  std::unique_ptr<Peer> createPeer(Control& control) override;
  void runLoop(std::string_view waiting, const std::function<bool()>& done) override;
  void processEvents() override;
  Result messageBox(const MessageBoxArgs& box) override;
  void setCursor(Cursor c) override;
  void bringToFront() override;
  void setTitle(std::string_view title) override;

  // For the peers.
  // Pixels at 96 dpi to the screen's.
  int scale(int px) const;
  int dpi() const { return dpi_; }
  bool waitCursor() const { return cursor_ == Cursor::HourGlass; }
  // The application window (an HWND): it owns every form and carries the application's title,
  // so that the taskbar button and the task switcher show the program by its title, as with
  // the class libraries the programs were written for. It has no size, and it is shown only
  // while a form that belongs in the taskbar is.
  void* applicationWindow() const { return appWindow_; }
  // A form is being shown or hidden, or has gone: the application window follows.
  void formsChanged();
  // Where a window placed at these 96-dpi pixels goes on this screen: scaled, and moved into the
  // work area when it would leave it (a position made for one screen size must not put the
  // window out of sight on another).
  void placeOnScreen(int& left, int& top, int width, int height) const;
  // An error escaping a handler that a window procedure ran: it may not unwind through the
  // system's frames, so it waits here until the loop or the core call that sent the message
  // is back in our code.
  void keep(std::exception_ptr e);
  void rethrowPending();
  void formCreated(Form& f);
  void formDestroyed(Form& f);
  void activatedWindow(void* hwnd) { lastActive_ = hwnd; }
  // The form window last active, if it is still there and takes input; else null.
  void* lastActiveForm() const;

 private:
  // Translates and dispatches one message, the dialog keys (Tab, arrows) through the form.
  void deliver(void* msg);

  int dpi_ = 96;
  Cursor cursor_ = Cursor::Default;
  void* appWindow_ = nullptr;
  bool appWindowShown_ = false;
  void* lastActive_ = nullptr;
  std::exception_ptr pending_;
  std::vector<Form*> forms_;  // with a window now; we don't own them
};

}  // namespace vel::forms
