#pragma once
// The age update engine: attaches to the database the host has open, reads the settings, walks
// the contacts (all, or the current lookup's) and writes each age that differs from the stored
// one, with progress and a Cancel poll once per contact.

#include <cstdint>
#include <string>

#include "agewright/clsTextFile.h"
#include "agewright/frmProgress.h"
#include "forms/application.h"
#include "host/connector.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace vel::agewright {

constexpr std::string_view kApplicationTitle = "Agewright";
constexpr std::string_view kSettingsFileName = "Ledger.dws";
constexpr std::string_view kLookupFileName = "currentlookup.alu";
constexpr int16_t kNoAge = 999;

// What the engine needs of the program around it.
struct Environment {
  host::Connector& connector;
  platform::FileSystem& files;
  const platform::Clock& clock;
  std::string programFolder;  // without a trailing separator
};

class clsUpdateDates {
 public:
  clsUpdateDates(const Environment& env, forms::Application& app, frmProgress& progress)
      : env_(env), app_(app), progress_(progress) {}

  std::string UpdateScope;
  host::DispatchPtr HostDatabase;

  void UpdateOpenFile();
  int16_t CalculateAge(const host::Variant& DateOBirth) const;

 private:
  void UpdateContacts(const std::string& settingsFileName);
  void OpenContactTable();
  void ApplyCurrentLookup();
  // A new database object becomes HostDatabase (the old one released) and attaches to the
  // database the host has open.
  void attach();
  // HostDatabase's contact table.
  host::DispatchPtr contact();
  void updateContact(SettingsTable& settings);

  const Environment& env_;
  forms::Application& app_;
  frmProgress& progress_;
  host::DispatchPtr contactTable_;  // of the current HostDatabase
};

// The program's entry procedure; returns the exit code.
int runAgewright(forms::Application& app, const Environment& env);

}  // namespace vel::agewright
