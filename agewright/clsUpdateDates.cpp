#include "agewright/clsUpdateDates.h"

#include "agewright/frmUpdateMain.h"
#include "host/convert.h"

namespace vel::agewright {

using host::Arg;
using host::Variant;
using host::VarType;

namespace {

// "If x = True" as an automation client compares: a Boolean true, or a number equal to -1.
bool equalsTrue(const Variant& v) {
  switch (v.type()) {
    case VarType::Boolean:
      return v.asBool();
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Double:
      return host::toDouble(v) == -1.0;
    default:
      return false;
  }
}

}  // namespace

host::DispatchPtr clsUpdateDates::contact() {
  // One table per opening: the walk relies on its cursor staying, so asking again is waste.
  if (!contactTable_) contactTable_ = host::objectOf(HostDatabase->call("contact"), "contact");
  return contactTable_;
}

void clsUpdateDates::attach() {
  contactTable_.reset();
  HostDatabase = env_.connector.create("actole.database");
  HostDatabase->call("openex", {""});
}

void clsUpdateDates::UpdateOpenFile() {
  attach();
  if (equalsTrue(HostDatabase->call("isopen"))) {
    std::string name(kSettingsFileName);
    HostDatabase->call("Close");
    UpdateContacts(name);
  }
  progress_.unload();
}

void clsUpdateDates::UpdateContacts(const std::string& settingsFileName) {
  std::string path = platform::joinPath(env_.programFolder, settingsFileName);
  clsTextFile reader(env_.files, [this](const std::string& text) {
    app_.messageBox(text, kApplicationTitle, forms::Buttons::Ok, forms::Icon::Error);
  });
  std::optional<SettingsTable> settings = reader.ReadFile(path);
  if (!settings) {
    app_.messageBox("No Age Data Found", kApplicationTitle, forms::Buttons::Ok, forms::Icon::None);
    return;
  }
  OpenContactTable();

  forms::ProgressBar& bar = progress_.ProgressBar1;
  bar.setValue(bar.minimum());
  bar.setMaximum(host::toInt32(contact()->call("recordcount")));
  progress_.show();
  progress_.refresh();

  contact()->call("movefirst");
  const int32_t count = host::toInt32(contact()->call("recordcount"));
  for (int32_t i = 1; i <= count; ++i) {
    app_.processEvents();
    if (progress_.CancelUpdate) break;
    bar.setValue(i);
    progress_.refresh();
    bar.refresh();
    progress_.Label1.setCaption(
        "Completed " + std::to_string(i) + " of " +
        host::toText(contact()->call("recordcount"), host::NullRule::Strict));
    updateContact(*settings);
    contact()->call("movenext");
  }
  contactTable_.reset();  // nothing of the database outlives its Close
  HostDatabase->call("Close");
}

void clsUpdateDates::updateContact(SettingsTable& settings) {
  for (int r = 0; r <= settings.lastRow(); ++r) {
    Variant birth = contact()->call("Data", {Arg::ref(settings.at(3, r))});
    int16_t age = CalculateAge(birth);
    if (age == kNoAge) continue;
    Variant stored = contact()->call("Data", {Arg::ref(settings.at(5, r))});
    // A Null age has no text; it is no value, which differs from every age.
    bool same =
        !stored.isNull() && host::toText(stored, host::NullRule::Strict) == std::to_string(age);
    if (same) continue;
    contact()->call("edit");
    contact()->call("Data", {Arg::ref(settings.at(5, r)), Arg::ref(age)});
    contact()->call("Update");
  }
}

void clsUpdateDates::OpenContactTable() {
  attach();
  if (UpdateScope == "Lookup") ApplyCurrentLookup();
}

void clsUpdateDates::ApplyCurrentLookup() {
  host::DispatchPtr app = env_.connector.create("actole.appobject");
  std::string path = platform::joinPath(env_.programFolder, kLookupFileName);
  app->call("savecurrentlookup", {path});
  contact()->call("loadlookupquery", {path});
}

int16_t clsUpdateDates::CalculateAge(const Variant& DateOBirth) const {
  if (!host::isDate(DateOBirth)) return kNoAge;
  platform::CivilDate today = env_.clock.today();
  host::CivilDateTime birth = host::civilFromSerial(host::toDate(DateOBirth));
  int age = today.year - birth.year;
  if (today.month < birth.month || (today.month == birth.month && today.day < birth.day)) --age;
  return host::toInt16(Variant(age));
}

int runAgewright(forms::Application& app, const Environment& env) {
  app.setTitle(std::string(kApplicationTitle));
  app.setErrorMode(forms::ErrorMode::RunTimeReport);
  // The dialogs outlive the entry procedure, so that an error report appears while they are
  // still on the screen; they go when the program ends, after its OK.
  frmUpdateMain options(app);
  frmProgress progress(app);
  return app.execute([&] {
    auto engine = std::make_unique<clsUpdateDates>(env, app, progress);
    host::DispatchPtr appObject = env.connector.create("actole.appobject");

    options.showModal();
    progress.Label1.setCaption("");
    progress.ProgressBar1.setValue(progress.ProgressBar1.minimum());
    progress.show();
    if (!options.ynCancel) {
      if (options.Option1(0).value())
        engine->UpdateScope = "Lookup";
      else if (options.Option1(1).value())
        engine->UpdateScope = "All";
      options.unload();
      appObject->call("Command", {int16_t{104}});
      appObject.reset();
      engine->UpdateOpenFile();
    }
    engine.reset();
    options.unload();
    progress.unload();
  });
}

}  // namespace vel::agewright
