#pragma once
// Small forms drawn like the suite's, and a backend that also records what the core told its
// peers, so a test can see the contract a Win32 backend relies on.

#include <memory>
#include <string>
#include <vector>

#include "forms/application.h"
#include "forms/button.h"
#include "forms/combobox.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/headless/headless.h"
#include "forms/label.h"
#include "forms/optionbutton.h"
#include "forms/panel.h"
#include "forms/progressbar.h"
#include "forms/statusbar.h"

namespace vel::forms::testing {

inline const char* propName(Prop p) {
  switch (p) {
    case Prop::Visible:
      return "Visible";
    case Prop::Enabled:
      return "Enabled";
    case Prop::Caption:
      return "Caption";
    case Prop::Text:
      return "Text";
    case Prop::Items:
      return "Items";
    case Prop::Style:
      return "Style";
    case Prop::Value:
      return "Value";
    case Prop::Range:
      return "Range";
    case Prop::Focus:
      return "Focus";
  }
  return "?";
}

// Headless, plus a log of peer traffic: "create Form1.Button1", "Text Form1.ComboBox1",
// "destroy Form1.Button1".
class Recorder : public Headless {
 public:
  std::vector<std::string> log;

  std::unique_ptr<Peer> createPeer(Control& c) override {
    log.push_back("create " + c.path());
    return std::make_unique<RecordingPeer>(*this, c, Headless::createPeer(c));
  }

  // Entries that begin with `prefix`, in order.
  std::vector<std::string> entries(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : log)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }

 private:
  class RecordingPeer : public Peer {
   public:
    RecordingPeer(Recorder& r, Control& c, std::unique_ptr<Peer> inner)
        : r_(r), path_(c.path()), inner_(std::move(inner)) {}
    ~RecordingPeer() override { r_.log.push_back("destroy " + path_); }
    void changed(Prop p) override { r_.log.push_back(std::string(propName(p)) + " " + path_); }
    void repaint() override { inner_->repaint(); }

   private:
    Recorder& r_;
    std::string path_;
    std::unique_ptr<Peer> inner_;
  };
};

// A two-page wizard in pixels, as a VCL form.
class Wizard : public Form {
 public:
  explicit Wizard(Application& app)
      : Form(app, {.name = "Form1",
                   .bounds = {0, 0, 358, 397},
                   .caption = "Velmora Contains Lookup Wizard",
                   .borderIcons = {.minimize = false, .maximize = false},
                   .stayOnTop = true,
                   .position = Position::DesktopCenter,
                   .color = SysColor::ButtonHighlight}) {
    focus(Button1);
  }

  Label& Label1 =
      add<Label>({.name = "Label1", .bounds = {8, 292, 0, 0}, .caption = "Click Next to continue"});
  Panel& Panel1 =
      add<Panel>({.name = "Panel1", .bounds = {-4, 0, 353, 289}, .bevelOuter = Bevel::None});
  Label& Label4 = Panel1.add<Label>({.name = "Label4",
                                     .bounds = {24, 120, 309, 85},
                                     .caption = "AT&T",
                                     .wordWrap = true,
                                     .showAccelChar = false,
                                     .font = {.size = 10},
                                     .color = SysColor::ButtonFace});
  Panel& Panel2 = add<Panel>({.name = "Panel2",
                              .bounds = {-4, 0, 353, 289},
                              .bevelOuter = Bevel::None,
                              .bevelWidth = 2,
                              .borderWidth = 1,
                              .visible = false});
  ComboBox& ComboBox1 = Panel2.add<ComboBox>({.name = "ComboBox1",
                                              .bounds = {40, 108, 265, 0},
                                              .autoComplete = false,
                                              .itemHeight = 16,
                                              .font = {.size = 10}});
  Button& Button1 = add<Button>(
      {.name = "Button1", .bounds = {172, 308, 81, 25}, .caption = "&Next >", .tabOrder = 0});
  Button& Button2 = add<Button>(
      {.name = "Button2", .bounds = {264, 308, 81, 25}, .caption = "&Cancel", .tabOrder = 1});
  StatusBar& StatusBar1 = add<StatusBar>({.name = "StatusBar1",
                                          .bounds = {0, 343, 350, 20},
                                          .simplePanel = true,
                                          .simpleText = "Read the instructions before continuing.",
                                          .borderWidth = 1});
};

// The options dialog of a VB program, in twips; closing it unloads it.
class OptionsDialog : public Form {
 public:
  explicit OptionsDialog(Application& app)
      : Form(app, {.name = "frmUpdateMain",
                   .bounds = twipsRect(0, 0, 2670, 2070),
                   .clientSize = true,
                   .caption = "Update Ages",
                   .borderStyle = BorderStyle::Dialog,
                   .borderIcons = {.minimize = false, .maximize = false},
                   .showInTaskbar = false,
                   .position = Position::ScreenCenter,
                   .closeAction = CloseAction::Unload}) {
    Command1.onClick = [this] {
      ynCancel = false;
      hide();
    };
    Command2.onClick = [this] {
      ynCancel = true;
      hide();
    };
  }

  bool ynCancel = false;
  Frame& Frame1 = add<Frame>(
      {.name = "Frame1", .bounds = twipsRect(240, 240, 2175, 1215), .caption = "Update Options"});
  OptionButton& Option1_0 = Frame1.add<OptionButton>({.name = "Option1",
                                                      .index = 0,
                                                      .bounds = twipsRect(240, 240, 1575, 375),
                                                      .caption = "Current Lookup"});
  OptionButton& Option1_1 = Frame1.add<OptionButton>({.name = "Option1",
                                                      .index = 1,
                                                      .bounds = twipsRect(240, 600, 1215, 375),
                                                      .caption = "All Contacts",
                                                      .value = true});
  Button& Command1 = add<Button>(
      {.name = "Command1", .bounds = twipsRect(240, 1560, 975, 375), .caption = "Update"});
  Button& Command2 = add<Button>(
      {.name = "Command2", .bounds = twipsRect(1440, 1560, 975, 375), .caption = "Cancel"});
};

// The progress dialog of a VB program: no title-bar buttons at all.
class ProgressDialog : public Form {
 public:
  explicit ProgressDialog(Application& app)
      : Form(app, {.name = "frmProgress",
                   .bounds = twipsRect(0, 0, 4680, 1410),
                   .clientSize = true,
                   .caption = "Age Update  Progress",
                   .borderStyle = BorderStyle::Single,
                   .borderIcons = {.systemMenu = false, .minimize = false, .maximize = false},
                   .position = Position::ScreenCenter,
                   .closeAction = CloseAction::Unload}) {
    cmdCancel.onClick = [this] { CancelUpdate = true; };
  }

  bool CancelUpdate = false;
  ProgressBar& ProgressBar1 =
      add<ProgressBar>({.name = "ProgressBar1", .bounds = twipsRect(240, 120, 4215, 375)});
  Label& Label1 = add<Label>({.name = "Label1", .bounds = twipsRect(240, 600, 4095, 255)});
  Button& cmdCancel = add<Button>(
      {.name = "cmdCancel", .bounds = twipsRect(1320, 960, 1935, 375), .caption = "Cancel"});
};

}  // namespace vel::forms::testing
