#include "agewright/frmUpdateMain.h"

namespace vel::agewright {

using forms::twipsRect;

frmUpdateMain::frmUpdateMain(forms::Application& app)
    : Form(app, {.name = "frmUpdateMain",
                 .bounds = twipsRect(0, 0, 2670, 2070),
                 .clientSize = true,
                 .caption = "Update Ages",
                 .borderStyle = forms::BorderStyle::Dialog,
                 .borderIcons = {.systemMenu = true, .minimize = false, .maximize = false},
                 .showInTaskbar = false,
                 .position = forms::Position::ScreenCenter,
                 .icon = "AGEICON",
                 .closeAction = forms::CloseAction::Unload}),
      Frame1(add<forms::Frame>({.name = "Frame1",
                                .bounds = twipsRect(240, 240, 2175, 1215),
                                .caption = "Update Options"})),
      Option1_0(Frame1.add<forms::OptionButton>({.name = "Option1",
                                                 .index = 0,
                                                 .bounds = twipsRect(240, 240, 1575, 375),
                                                 .caption = "Current Lookup",
                                                 .tabOrder = 0})),
      Option1_1(Frame1.add<forms::OptionButton>({.name = "Option1",
                                                 .index = 1,
                                                 .bounds = twipsRect(240, 600, 1215, 375),
                                                 .caption = "All Contacts",
                                                 .value = true,
                                                 .tabOrder = 1})),
      Command1(add<forms::Button>({.name = "Command1",
                                   .bounds = twipsRect(240, 1560, 975, 375),
                                   .caption = "Update",
                                   .tabOrder = 1})),
      Command2(add<forms::Button>({.name = "Command2",
                                   .bounds = twipsRect(1440, 1560, 975, 375),
                                   .caption = "Cancel",
                                   .tabOrder = 2})) {
  Command1.onClick = [this] {
    ynCancel = false;
    hide();
  };
  Command2.onClick = [this] {
    ynCancel = true;
    hide();
  };
  // The close box counts as Cancel: closing the dialog must not start an update of every
  // contact.
  onClose = [this](forms::CloseAction&) { ynCancel = true; };
}

}  // namespace vel::agewright
