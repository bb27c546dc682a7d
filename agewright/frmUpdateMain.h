#pragma once
// The options dialog: the current lookup or all contacts.

#include "forms/button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/optionbutton.h"

namespace vel::agewright {

class frmUpdateMain : public forms::Form {
 public:
  explicit frmUpdateMain(forms::Application& app);

  bool ynCancel = false;  // the user left the dialog with Cancel

  forms::Frame& Frame1;
  forms::OptionButton& Option1_0;  // "Current Lookup"
  forms::OptionButton& Option1_1;  // "All Contacts"
  forms::Button& Command1;
  forms::Button& Command2;

  forms::OptionButton& Option1(int index) { return index == 0 ? Option1_0 : Option1_1; }
};

}  // namespace vel::agewright
