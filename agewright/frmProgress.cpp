#include "agewright/frmProgress.h"

namespace vel::agewright {

using forms::twipsRect;

frmProgress::frmProgress(forms::Application& app)
    : Form(app, {.name = "frmProgress",
                 .bounds = twipsRect(0, 0, 4680, 1410),
                 .clientSize = true,
                 .caption = "Age Update  Progress",
                 .borderStyle = forms::BorderStyle::Single,
                 .borderIcons = {.systemMenu = false, .minimize = false, .maximize = false},
                 .position = forms::Position::ScreenCenter,
                 .icon = "AGEICON",
                 .closeAction = forms::CloseAction::Unload}),
      ProgressBar1(add<forms::ProgressBar>({.name = "ProgressBar1",
                                            .bounds = twipsRect(240, 120, 4215, 375),
                                            .minimum = 0,
                                            .maximum = 100})),
      Label1(add<forms::Label>({.name = "Label1", .bounds = twipsRect(240, 600, 4095, 255)})),
      cmdCancel(add<forms::Button>({.name = "cmdCancel",
                                    .bounds = twipsRect(1320, 960, 1935, 375),
                                    .caption = "Cancel",
                                    .tabOrder = 0})) {
  cmdCancel.onClick = [this] { CancelUpdate = true; };
}

}  // namespace vel::agewright
