#pragma once
// The base of every control: what all of them have, and the link to the backend's peer.

#include <memory>
#include <string>

#include "forms/backend.h"
#include "forms/geometry.h"

namespace vel::forms {

class Application;
class Container;
class Form;

enum class Kind {
  Form,
  Panel,
  Frame,
  Label,
  Image,
  Button,
  ComboBox,
  OptionButton,
  StatusBar,
  ProgressBar,
  ActiveXHost,
};

// Background colours, as the system's colour settings define them; Default is the control's own.
enum class SysColor { Default, ButtonFace, ButtonHighlight, Window };

// The default of both class libraries the suite's forms were drawn with.
struct Font {
  std::string name = "MS Sans Serif";
  int size = 8;  // points
  bool bold = false;
};

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  // Index within a control array (VB's Option1(0)); -1 outside one.
  int index() const { return index_; }
  // "Form1.Button1", "frmUpdateMain.Option1(0)"; a form's is its name.
  std::string path() const;

  // Relative to the container's client area; a form's own: see Form::sizeIsClient.
  Rect bounds() const { return bounds_; }
  const Font& font() const { return font_; }
  SysColor color() const { return color_; }
  // Position in the tab order of its container; -1 when not a tab stop.
  int tabOrder() const { return tabOrder_; }

  bool visible() const { return visible_; }
  virtual void setVisible(bool v);
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);

  // Visible here, in every container up to the form, and the form shown.
  bool showing() const;
  // Showing, enabled up to and with the form, and no modal form over it.
  bool acceptsInput() const;

  // Paints it now (VB's Refresh, VCL's Repaint).
  void refresh();

  Container* parent() const { return parent_; }
  Form& form();
  const Form& form() const;
  Application& app() const;
  Peer* peer() const { return peer_.get(); }

 protected:
  struct Init {
    Kind kind;
    std::string name;
    Rect bounds;
    int index = -1;
    bool visible = true;
    bool enabled = true;
    Font font;
    SysColor color = SysColor::Default;
    int tabOrder = -1;
  };
  // Takes the common settings from a control's Args; each Args lists only those that apply.
  template <class A>
  static Init init(Kind kind, const A& a) {
    Init i{kind, a.name, a.bounds};
    if constexpr (requires { a.index; }) i.index = a.index;
    if constexpr (requires { a.visible; }) i.visible = a.visible;
    if constexpr (requires { a.enabled; }) i.enabled = a.enabled;
    if constexpr (requires { a.font; }) i.font = a.font;
    if constexpr (requires { a.color; }) i.color = a.color;
    if constexpr (requires { a.tabOrder; }) i.tabOrder = a.tabOrder;
    return i;
  }
  explicit Control(Init init);

  // Tells the peer, if there is one (none before it is added, none after an unload).
  void changed(Prop p);
  // The platform's part of any input: the form becomes active and, for a control that takes
  // the focus, the focus moves to it (no peer notice: the platform shows it already).
  void userInput();
  // Called once the control sits in its container.
  virtual void adopted() {}
  virtual bool takesFocus() const { return false; }
  // The peer of this control, then of everything it holds; destroyed in the reverse order.
  virtual void createPeers();
  virtual void destroyPeers();

  bool visible_;
  bool enabled_;

 private:
  friend class Container;
  friend class Form;

  Kind kind_;
  std::string name_;
  int index_;
  Rect bounds_;
  Font font_;
  SysColor color_;
  int tabOrder_;
  Container* parent_ = nullptr;  // owns us; null for a form
  std::unique_ptr<Peer> peer_;
};

}  // namespace vel::forms
