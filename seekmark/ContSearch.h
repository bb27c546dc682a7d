#pragma once
// The Contains Lookup wizard: page one explains the search, page two names the host's active
// field and takes the value; Finish walks every contact and hands the matches to the host as
// its current lookup.

#include <string>
#include <string_view>
#include <vector>

#include "forms/activexhost.h"
#include "forms/application.h"
#include "forms/button.h"
#include "forms/combobox.h"
#include "forms/form.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/panel.h"
#include "forms/statusbar.h"
#include "host/connector.h"

namespace vel::seekmark {

constexpr std::string_view kApplicationTitle = "Velmora Contain Search";
constexpr std::string_view kNoMatchText = "No contacts found that match your search";
constexpr std::string_view kProcessingText = "Processing Lookup.  Contact: ";

// One matching contact.
struct FieldRec2 {
  std::string UniqueID;
};

class TForm1 : public forms::Form {
 public:
  // Creates the host's event control through the connector; when that fails the form cannot
  // be created.
  TForm1(forms::Application& app, host::Connector& connector);

  void Button1Click();
  void Button2Click();
  void ComboBox1Change();

  void OpenDB();
  void LoadComboDropDown();
  void LoadFromActiveField();
  void DoTheCompare(std::string_view value);
  void CreateALookup();

  // The controls, in the order of the form's table.
  forms::Label& Label1;
  forms::Panel& Panel1;
  forms::Image& Image1;
  forms::Label& Label2;
  forms::Label& Label4;
  forms::Label& Label5;
  forms::Panel& Panel2;
  forms::Image& Image2;
  forms::Label& Label6;
  forms::Label& Label3;
  forms::ComboBox& ComboBox1;
  forms::ActiveXHost& ActEvent1;
  forms::Button& Button1;
  forms::Button& Button2;
  forms::StatusBar& StatusBar1;

  // The run-wide state, held until the program ends.
  host::DispatchPtr AppObject, DatabaseObject, ContactTable, ViewsObject, ContactView, PopUpObject;
  std::string SearchValue;
  std::vector<FieldRec2> MatchList;
  bool FoundFlag = false;
  int32_t ActiveFieldID = 0;
  forms::Cursor SavedCursor = forms::Cursor::Default;

 private:
  host::DispatchPtr fields();
  // DoTheCompare's success: the contact's unique identifier joins the match list.
  void recordMatch();
  forms::Application& app_;
  host::Connector& connector_;
};

// The program: titles the application, creates the wizard and runs the message loop until it
// closes. Returns the exit code.
int runSeekmark(forms::Application& app, host::Connector& connector);

}  // namespace vel::seekmark
