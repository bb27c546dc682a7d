#pragma once
// A top-level window. A program's form derives from Form and declares its controls as members,
// in the order of its table:
//
//   class Wizard : public forms::Form {
//    public:
//     explicit Wizard(forms::Application& app);
//     forms::Button& Button1 = add<forms::Button>({.name = "Button1", ...});
//   };

#include <functional>
#include <string>

#include "forms/container.h"

namespace vel::forms {

enum class BorderStyle { None, Sizeable, Dialog, Single };

struct BorderIcons {
  bool systemMenu = true;  // with it the close box
  bool minimize = true;
  bool maximize = true;
};

enum class Position { Explicit, ScreenCenter, DesktopCenter };

// What closing a form does: VCL forms hide, VB forms unload; None keeps the form open.
enum class CloseAction { None, Hide, Unload };

class Form : public Container {
 public:
  struct Args {
    std::string name;
    Rect bounds;              // left and top on the screen
    bool clientSize = false;  // bounds' size is the client area's, not the outer size
    std::string caption;
    BorderStyle borderStyle = BorderStyle::Sizeable;
    BorderIcons borderIcons;
    bool showInTaskbar = true;
    bool stayOnTop = false;
    Position position = Position::Explicit;
    SysColor color = SysColor::Default;
    std::string icon;  // a resource name; empty for the application's
    CloseAction closeAction = CloseAction::Hide;
    Font font;
  };

  // Forms start hidden; the application must outlive them.
  Form(Application& app, Args args);
  ~Form() override;

  const std::string& caption() const { return caption_; }
  void setCaption(std::string c);
  bool sizeIsClient() const { return clientSize_; }
  BorderStyle borderStyle() const { return borderStyle_; }
  BorderIcons borderIcons() const { return borderIcons_; }
  // A close box in the title bar: a border and the system menu.
  bool hasCloseBox() const;
  bool showInTaskbar() const { return showInTaskbar_; }
  bool stayOnTop() const { return stayOnTop_; }
  Position position() const { return position_; }
  const std::string& icon() const { return icon_; }
  CloseAction closeAction() const { return closeAction_; }

  // Modeless: shows the form and activates it.
  void show();
  // Shows the form and handles events until it is hidden, closed or unloaded, then gives the
  // activation back to the form that had it. Other forms take no input meanwhile.
  void showModal();
  void hide();
  // onClose decides the action (preset: closeAction()); closing the form that
  // Application::run is running ends the run.
  void close();
  // VB's Unload: hides the form and destroys the platform's windows of the form and all its
  // controls. The objects stay readable, but the form cannot be shown again: a program that
  // reads a VB form after its unload creates it anew, as VB loads a fresh instance. Unloading
  // an unloaded form does nothing.
  void unload();
  bool loaded() const { return loaded_; }
  bool modal() const;
  bool active() const;

  // The focus moves to a control of this form. On a form that is showing the control must be
  // able to take it (showing and enabled), else VCL's "Cannot focus a disabled or invisible
  // window"; before the form shows, the control gets the focus when it does.
  void focus(Control& c);
  Control* focused() const { return focused_; }

  // Input from the platform: the title bar's close box was pressed. Runs the close path
  // through dispatch, as no button's handler.
  void closeBox();

  // show() or hide().
  void setVisible(bool v) override;

  // Every time the form becomes the active window: its first showing, and again when a message
  // box or a modal form over it goes away.
  std::function<void()> onActivate;
  // Before a close; may change the action.
  std::function<void(CloseAction&)> onClose;

 private:
  friend class Application;
  friend class Control;
  void inputStateChanged() { changed(Prop::Enabled); }
  void moveFocusSilently(Control& c) { focused_ = &c; }

  Application& app_;
  std::string caption_;
  bool clientSize_;
  BorderStyle borderStyle_;
  BorderIcons borderIcons_;
  bool showInTaskbar_;
  bool stayOnTop_;
  Position position_;
  std::string icon_;
  CloseAction closeAction_;
  bool loaded_ = true;
  Control* focused_ = nullptr;  // one of our controls
};

}  // namespace vel::forms
