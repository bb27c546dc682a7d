#pragma once
// The age update against an in-process stand-in: a contact table with date and age fields, a
// program folder under a temporary drive root that both the program and the host write into, a
// fixed today, a headless user interface, and readers for the host's call log.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agewright/clsUpdateDates.h"
#include "agewright/frmProgress.h"
#include "agewright/frmUpdateMain.h"
#include "forms/headless/headless.h"
#include "host/convert.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/regional.h"
#include "standin/host.h"
#include "standin/inprocess/inprocess_connector.h"
#include "tests/platform/fixtures.h"

namespace vel::agewright::testing {

// The fields the settings name.
constexpr int32_t kBirth = 1100;        // character: dates as typed
constexpr int32_t kAnniversary = 1101;  // date
constexpr int32_t kAge = 1200;          // character
constexpr int32_t kYears = 1201;        // numeric

constexpr const char* kFolder = "C:\\Program Files\\VMR";
constexpr platform::CivilDate kToday{2025, 6, 15};

inline std::string uid(int n) {
  std::string digits = std::to_string(n);
  return "A" + std::string(standin::kUidWidth - 1 - digits.size(), '0') + digits;
}

inline host::Variant dateOf(int y, int m, int d) {
  return host::Variant::date(host::serialFromCivil(y, m, d));
}

// One settings record reading the date from `dateField` and writing the age into `ageField`.
inline std::string record(const std::string& dateField, const std::string& ageField) {
  return "\"Age\",\"\",0," + dateField + ",\"\"," + ageField + ",0,0\r\n";
}

inline const std::string kBirthToAge = record("1100", "1200");

using Values = std::vector<std::pair<int32_t, host::Variant>>;

inline standin::HostState hostWith(const std::vector<Values>& contacts) {
  standin::Database db;
  db.name = "Ledger";
  db.fields = {{standin::kUniqueIdField, "Unique ID", standin::fieldtype::kCharacter, {}},
               {kBirth, "Birth Date", standin::fieldtype::kCharacter, {}},
               {kAnniversary, "Anniversary", standin::fieldtype::kDate, {}},
               {kAge, "Age", standin::fieldtype::kCharacter, {}},
               {kYears, "Years", standin::fieldtype::kNumeric, {}}};
  int n = 0;
  for (const Values& values : contacts) {
    standin::Contact c;
    c.set(standin::kUniqueIdField, uid(++n));
    for (const auto& [f, v] : values) c.set(f, v);
    db.contacts.push_back(std::move(c));
  }
  standin::HostState s;
  s.databases.emplace(db.name, std::move(db));
  s.ui.openDatabase = "Ledger";
  return s;
}

class AgeTest : public ::testing::Test {
 protected:
  void start(standin::HostState state) {
    host = standin::Host::inMemory(std::move(state));
    host->setFiles(std::make_unique<platform::MappedFileSystem>(drive.path()));
    connector = std::make_unique<standin::InProcessConnector>(host);
  }

  void writeSettings(const std::string& text) {
    platform::testing::writeFile(files.map(platform::joinPath(kFolder, kSettingsFileName)), text);
  }
  bool lookupFileExists() const {
    return files.exists(platform::joinPath(kFolder, kLookupFileName));
  }

  // The engine alone, with a progress dialog the test owns.
  void runEngine(const std::string& scope) {
    progress.emplace(app);
    Environment env{*connector, files, clock, kFolder};
    clsUpdateDates engine(env, app, *progress);
    engine.UpdateScope = scope;
    host->clearCalls();
    engine.UpdateOpenFile();
  }

  // The whole program; `connectVia` replaces the connector the program is given.
  int runProgram(host::Connector* connectVia = nullptr) {
    Environment env{connectVia ? *connectVia : *connector, files, clock, kFolder};
    host->clearCalls();
    return runAgewright(app, env);
  }

  // During the options dialog's modal loop.
  frmUpdateMain& options() {
    auto* f = dynamic_cast<frmUpdateMain*>(app.modalForm());
    if (!f) throw std::runtime_error("the options dialog is not showing");
    return *f;
  }

  standin::Database& db() { return host->state().databases.at("Ledger"); }
  host::Variant value(int contact, int32_t field) {
    const host::Variant* v = db().contacts.at(contact - 1).find(field);
    return v ? *v : host::Variant();
  }

  // "Object.Member" of every logged call, in order, without the contact table look-ups that
  // precede every table call.
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    for (const auto& c : host->calls())
      if (!(c.object == "Database" && c.member == "contact"))
        out.push_back(c.object + "." + c.member);
    return out;
  }
  int count(const std::string& objectMember) const {
    int n = 0;
    for (const auto& c : calls()) n += c == objectMember;
    return n;
  }

  platform::PortableRegional enUs{2029};
  platform::ScopedRegional regional{enUs};
  platform::testing::TempFolder drive;
  platform::MappedFileSystem files{drive.path()};
  platform::FixedClock clock{kToday};
  forms::Headless ui;
  forms::Application app{ui};
  std::shared_ptr<standin::Host> host;
  std::unique_ptr<standin::InProcessConnector> connector;
  std::optional<frmProgress> progress;
};

}  // namespace vel::agewright::testing
