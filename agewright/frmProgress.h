#pragma once
// The progress dialog the update engine drives; its Cancel is polled once per contact.

#include "forms/button.h"
#include "forms/form.h"
#include "forms/label.h"
#include "forms/progressbar.h"

namespace vel::agewright {

class frmProgress : public forms::Form {
 public:
  explicit frmProgress(forms::Application& app);

  bool CancelUpdate = false;

  forms::ProgressBar& ProgressBar1;
  forms::Label& Label1;
  forms::Button& cmdCancel;
};

}  // namespace vel::agewright
