#include "seekmark/ContSearch.h"

#include <stdexcept>

#include "host/convert.h"
#include "host/dispatch.h"
#include "seekmark/uAct6Defs.h"

namespace vel::seekmark {

using forms::Rect;
using host::Arg;
using host::NullRule;

namespace {

const forms::Font kTenPoint{.size = 10};

// A longer value must hold the search value somewhere; one as long or shorter must equal it.
// host::sameName folds only ASCII letters, as the comparison must; UTF-8 never uses ASCII bytes
// inside a multi-byte character, so comparing bytes compares characters.
bool containsSearch(std::string_view value, std::string_view search) {
  if (value.size() <= search.size()) return host::sameName(value, search);
  for (size_t at = 0; at + search.size() <= value.size(); ++at)
    if (host::sameName(value.substr(at, search.size()), search)) return true;
  return false;
}

// A field's value as the comparison takes it: the usual lenient conversion, so that a Null
// reads as the empty text. A text is read where it lies rather than copied once more, and an
// empty field, which most fields of most contacts are, needs no conversion at all.
std::string_view fieldText(const host::Variant& v, std::string& converted) {
  if (v.type() == host::VarType::Text) return v.asText();
  if (v.isEmpty()) return {};
  converted = host::toText(v, NullRule::Lenient);
  return converted;
}

forms::Form::Args formArgs() {
  return {.name = "Form1",
          .bounds = {0, 0, 358, 397},
          .caption = "Velmora Contains Lookup Wizard",
          .borderStyle = forms::BorderStyle::Sizeable,
          .borderIcons = {.systemMenu = true, .minimize = false, .maximize = false},
          .stayOnTop = true,
          .position = forms::Position::DesktopCenter,
          .color = forms::SysColor::ButtonHighlight,
          .icon = "MAINICON"};
}

host::DispatchPtr createEventControl(host::Connector& c) {
  return c.createControl(host::kActEventClsid);
}

}  // namespace

TForm1::TForm1(forms::Application& app, host::Connector& connector)
    : Form(app, formArgs()),
      Label1(add<forms::Label>({.name = "Label1",
                                .bounds = {8, 292, 240, 13},
                                .caption = "Click Next to continue or Cancel to exit"})),
      Panel1(add<forms::Panel>(
          {.name = "Panel1", .bounds = {-4, 0, 353, 289}, .bevelOuter = forms::Bevel::None})),
      Image1(Panel1.add<forms::Image>({.name = "Image1",
                                       .bounds = {4, 0, 153, 37},
                                       .picture = "LOGO",
                                       .pictureSize = {150, 33}})),
      Label2(Panel1.add<forms::Label>(
          {.name = "Label2",
           .bounds = {24, 48, 317, 69},
           .caption = "This is a Contains query. It does a lookup of all contacts that CONTAIN "
                      "your search value within the values in the current field. Remember that "
                      "partial strings will be found within the field values.",
           .wordWrap = true,
           .font = kTenPoint})),
      Label4(Panel1.add<forms::Label>(
          {.name = "Label4",
           .bounds = {24, 120, 309, 85},
           .caption = "For Stocks Held, put a comma before and after the symbol. If you're "
                      "looking for AT&T's ticker symbol T, you must look for  ,T, following the "
                      "guidelines for entry in this field. Otherwise, you will find any security "
                      "that has a T in it's string.",
           .wordWrap = true,
           .showAccelChar = false,
           .font = kTenPoint,
           .color = forms::SysColor::ButtonFace})),
      Label5(Panel1.add<forms::Label>(
          {.name = "Label5",
           .bounds = {24, 208, 305, 73},
           .caption = "Phone numbers are stored in the database in this format: +x(xxx) xxxxxxx. "
                      "For example if looking for a prefix enter a space followed by the 3 digit "
                      "prefix. Surround an Area Code with parenthesis.",
           .wordWrap = true,
           .font = kTenPoint})),
      Panel2(add<forms::Panel>({.name = "Panel2",
                                .bounds = {-4, 0, 353, 289},
                                .bevelOuter = forms::Bevel::None,
                                .bevelWidth = 2,
                                .borderWidth = 1,
                                .visible = false})),
      Image2(Panel2.add<forms::Image>({.name = "Image2",
                                       .bounds = {4, 0, 153, 33},
                                       .picture = "LOGO",
                                       .pictureSize = {150, 33}})),
      Label6(Panel2.add<forms::Label>(
          {.name = "Label6", .bounds = {48, 44, 290, 17}, .font = {.size = 10, .bold = true}})),
      Label3(Panel2.add<forms::Label>(
          {.name = "Label3",
           .bounds = {44, 72, 257, 33},
           .caption = "Type a value in the Edit box or choose from the dropdown if available.",
           .wordWrap = true,
           .font = kTenPoint})),
      ComboBox1(Panel2.add<forms::ComboBox>({.name = "ComboBox1",
                                             .bounds = {40, 108, 265, 24},
                                             .style = forms::ComboStyle::DropDown,
                                             .autoComplete = false,
                                             .itemHeight = 16,
                                             .font = kTenPoint,
                                             .tabOrder = 0})),
      ActEvent1(add<forms::ActiveXHost>({.name = "ActEvent1",
                                         .bounds = {0, 304, 32, 32},
                                         .clsid = std::string(host::kActEventClsid),
                                         .object = createEventControl(connector)})),
      Button1(add<forms::Button>(
          {.name = "Button1", .bounds = {172, 308, 81, 25}, .caption = "&Next >", .tabOrder = 0})),
      Button2(add<forms::Button>(
          {.name = "Button2", .bounds = {264, 308, 81, 25}, .caption = "&Cancel", .tabOrder = 1})),
      StatusBar1(add<forms::StatusBar>({.name = "StatusBar1",
                                        .bounds = {0, 346, 350, 20},
                                        .simplePanel = true,
                                        .simpleText = "Read the instructions before continuing.",
                                        .borderWidth = 1})),
      app_(app),
      connector_(connector) {
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
  ComboBox1.onChange = [this] { ComboBox1Change(); };
  focus(Button1);
}

void TForm1::Button1Click() {
  if (Panel1.visible()) {
    Button1.setEnabled(false);
    StatusBar1.setSimpleText("Gathering field information");
    OpenDB();
    app_.bringToFront();
    Panel1.setVisible(false);
    Panel2.setVisible(true);
    StatusBar1.setSimpleText("Waiting for your input");
    focus(ComboBox1);
  }
  if (Panel2.visible() && Button1.enabled()) {
    try {
      LoadFromActiveField();
      if (MatchList.empty()) {
        app_.bringToFront();
        app_.messageBox(kNoMatchText, {}, forms::Buttons::Ok, forms::Icon::Information);
      } else {
        CreateALookup();
      }
    } catch (...) {
      // However the search ends, the hourglass goes.
      app_.setCursor(SavedCursor);
      throw;
    }
    app_.setCursor(SavedCursor);
    Button2Click();
  }
}

void TForm1::Button2Click() {
  if (Panel2.visible()) {
    if (host::toBool(DatabaseObject->call("isOpen"))) {
      ContactTable->call("Close");
      DatabaseObject->call("Close");
    }
  }
  close();
}

void TForm1::ComboBox1Change() {
  SearchValue = ComboBox1.text();
  if (!SearchValue.empty()) {
    Label1.setCaption(" Click Finish when ready or Cancel to exit");
    Button1.setCaption("&Finish");
    Button1.setEnabled(true);
  }
}

void TForm1::OpenDB() {
  // Without the attach every later call would fail with whatever the platform says; say what
  // is wrong instead.
  if (!host::toBool(ActEvent1.object().callId(host::kIsReadyDispId)))
    throw std::runtime_error("ACT! is not ready. Start ACT! and open a database, then try again.");
  AppObject = connector_.create(host::progid::kAppObject);
  if (!host::toBool(AppObject->call("IsDBOpen")))
    throw std::runtime_error("ACT! has no database open. Open a database in ACT!, then try again.");
  DatabaseObject = connector_.create(host::progid::kDatabase);
  DatabaseObject->call("OpenEx", {AppObject->call("GetOpenDBName")});
  ContactTable = host::objectOf(DatabaseObject->call("CONTACT"), "CONTACT");
  ViewsObject = host::objectOf(AppObject->call("Views"), "Views");
  ContactView = host::objectOf(ViewsObject->call("Create", {1, "CV"}), "Create");
  LoadComboDropDown();
}

host::DispatchPtr TForm1::fields() {
  return host::objectOf(ContactTable->call("Fields"), "Fields");
}

void TForm1::LoadComboDropDown() {
  if (host::toBool(fields()->call("HasPopUpList", {ContactView->call("CurrentFieldID")}))) {
    PopUpObject = host::objectOf(
        fields()->call("PopUpInfo", {ContactView->call("CurrentFieldID"), 0}), "PopUpInfo");
    int32_t n = host::toInt32(PopUpObject->call("PopUpCount"));
    for (int32_t i = 0; i < n; ++i)
      ComboBox1.addItem(host::toText(PopUpObject->get("Value", {i}), NullRule::Lenient));
  } else {
    ComboBox1.setStyle(forms::ComboStyle::Simple);
  }
  app_.bringToFront();
  Panel1.setVisible(false);
  Panel2.setVisible(true);
  Label6.setCaption("Active field is " +
                    host::toText(fields()->call("Label", {ContactView->call("CurrentFieldID")}),
                                 NullRule::Lenient));
  StatusBar1.setSimpleText("Waiting for your input");
  focus(ComboBox1);
}

void TForm1::LoadFromActiveField() {
  SavedCursor = app_.cursor();
  app_.setCursor(forms::Cursor::HourGlass);
  ActiveFieldID = host::toInt32(ContactView->call("CurrentFieldID"));
  ContactTable->call("MoveFirst");
  MatchList.clear();
  const std::vector<int32_t> tested = fieldsToTest(ActiveFieldID);
  const int32_t n = host::toInt32(ContactTable->call("RecordCount"));
  std::string status(kProcessingText), converted;  // one buffer each for the whole walk
  for (int32_t k = 1; k <= n; ++k) {
    status.resize(kProcessingText.size());
    status += std::to_string(k);
    StatusBar1.setSimpleText(status);
    FoundFlag = false;
    for (int32_t field : tested) {
      DoTheCompare(fieldText(ContactTable->call("Data", {field}), converted));
      if (FoundFlag) break;
    }
    ContactTable->call("MoveNext");
  }
}

void TForm1::DoTheCompare(std::string_view value) {
  if (containsSearch(value, SearchValue)) recordMatch();
}

void TForm1::recordMatch() {
  FoundFlag = true;
  MatchList.push_back({host::toText(ContactTable->call("Data", {1}), NullRule::Lenient)});
}

void TForm1::CreateALookup() {
  std::string joined;
  for (const FieldRec2& r : MatchList) joined += r.UniqueID;
  ContactView->call("CreateLookup", {Arg::ref(joined)});
}

int runSeekmark(forms::Application& app, host::Connector& connector) {
  app.setTitle(std::string(kApplicationTitle));
  app.setErrorMode(forms::ErrorMode::ErrorBox);
  return app.execute([&] {
    TForm1 form(app, connector);
    app.run(form);
  });
}

}  // namespace vel::seekmark
