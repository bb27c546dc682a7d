// Each program's main road, run first clean and then once for every host call k with that call
// failing: the outcome is the one the program gives a failure, nothing hangs, and the host
// folder holds what the calls before k committed and nothing more.

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "agewright/clsTextFile.h"
#include "agewright/clsUpdateDates.h"
#include "agewright/frmUpdateMain.h"
#include "forms/headless/headless.h"
#include "menuwright/installer.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/regfile.h"
#include "platform/regional.h"
#include "seekmark/ContSearch.h"
#include "seekmark/uAct6Defs.h"
#include "standin/host.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/store.h"
#include "tests/agewright/fixture.h"
#include "tests/menuwright/fixture.h"
#include "tests/platform/fixtures.h"
#include "tests/seekmark/fixture.h"
#include "tests/standin/state_compare.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using host::Variant;
using standin::HostState;
using standin::Store;

// Scheduled user input waits for the program to wait: it never runs inside a click.
constexpr int kWhenIdle = INT_MAX / 2;
constexpr int32_t kFaultNumber = static_cast<int32_t>(0x80004005);

std::string faultText(int k) {
  return "Sweep fault at call " + std::to_string(k) + ".";
}

// What a run showed and how it ended.
struct Outcome {
  int exitCode = -1;
  std::string hang;  // the headless backend's complaint when a loop waited for nothing
  std::vector<forms::MessageBoxArgs> boxes;
  bool windowOpenAtTheBox = false;  // the main window was still open when the user came to it
  int peersLeft = 0;
};

// One run of a program against a host folder.
struct RoadRun {
  Outcome outcome;
  std::vector<std::string> calls;  // "Object.Member", in order
  HostState committedBefore;       // the folder after the calls before the fault (or all)
  HostState after;                 // the folder once the program has ended
};

HostState reopened(const fs::path& dir) {
  HostState s;
  Store::open(dir, s);
  return s;
}

// The program's main road, given a host in a folder under `work`.
using Drive = std::function<Outcome(std::shared_ptr<standin::Host>, const fs::path& work)>;

// Runs the road with call `failAt` failing (0: none); takes the folder's state after call
// `failAt - 1`, or at the end of a clean run.
RoadRun runRoad(const HostState& initial, const Drive& drive, int failAt) {
  platform::testing::TempFolder work;
  const fs::path dir = work.path() / "host";
  Store::create(dir, initial);
  RoadRun run;
  std::optional<HostState> before;
  if (failAt == 1) before = reopened(dir);
  {
    auto host = standin::Host::openFolder(dir);
    standin::Host* h = host.get();
    if (failAt) {
      h->state().rules.push_back({.kind = standin::Rule::Kind::Fail,
                                  .member = std::string(standin::kAnyMember),
                                  .nth = failAt,
                                  .number = kFaultNumber,
                                  .description = faultText(failAt)});
      h->setAfterCall([&, h] {
        if (!before && h->callCount(standin::kAnyMember) == failAt - 1) before = reopened(dir);
      });
    }
    run.outcome = drive(host, work.path());
    for (const auto& c : h->calls()) run.calls.push_back(c.object + "." + c.member);
    h->setAfterCall(nullptr);
    h->state().rules.clear();
  }  // the host compacts its folder as it goes
  run.after = reopened(dir);
  run.committedBefore = before ? std::move(*before) : run.after;
  return run;
}

struct SweepCase {
  int k;
  std::string call;  // the k-th call of the clean run
};
void PrintTo(const SweepCase& c, std::ostream* os) {
  *os << "call " << c.k << ", " << c.call;
}

std::vector<SweepCase> casesOf(const RoadRun& clean) {
  std::vector<SweepCase> out;
  for (size_t i = 0; i < clean.calls.size(); ++i)
    out.push_back({static_cast<int>(i) + 1, clean.calls[i]});
  return out;
}

std::string caseName(const ::testing::TestParamInfo<SweepCase>& info) {
  char k[8];
  std::snprintf(k, sizeof k, "%03d", info.param.k);
  std::string name = std::string("k") + k + "_";
  for (char c : info.param.call) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// Runs `action` on the headless backend and notes a loop that would have waited forever.
template <class F>
Outcome runProgram(forms::Headless& ui, F action) {
  Outcome o;
  try {
    o.exitCode = action();
  } catch (const forms::DriverError& e) {
    o.hang = e.what();
  }
  for (const auto& b : ui.messageBoxes()) o.boxes.push_back(b.box);
  o.peersLeft = ui.peers();
  return o;
}

// What every failing run shares: one error box naming the fault, no hang, the folder as the
// calls before the fault left it, and the failing call the one intended.
void expectFailure(const RoadRun& clean, const RoadRun& run, const SweepCase& c) {
  EXPECT_EQ(run.outcome.hang, "") << "a loop waited with nothing to wait for";
  ASSERT_EQ(run.outcome.boxes.size(), 1u);
  EXPECT_EQ(run.outcome.boxes[0].icon, forms::Icon::Error);
  EXPECT_NE(run.outcome.boxes[0].text.find(faultText(c.k)), std::string::npos)
      << run.outcome.boxes[0].text;
  ASSERT_GE(run.calls.size(), static_cast<size_t>(c.k));
  EXPECT_EQ(std::vector<std::string>(run.calls.begin(), run.calls.begin() + c.k),
            std::vector<std::string>(clean.calls.begin(), clean.calls.begin() + c.k))
      << "the road up to the fault is the clean one";
  EXPECT_TRUE(standin::testing::sameState(run.after, run.committedBefore))
      << "the folder holds what the calls before " << c.call << " committed, and nothing more";
}

// --- Seekmark: a Contains Lookup with matches --------------------------------------------------

HostState seekmarkHost() {
  auto st = seekmark::testing::hostWith(
      {{{1327, ",IBM,"}, {1330, ",T,"}}, {{1003, "no stocks"}}, {{1336, ",GE,T,"}}});
  st.ui.focusedField = 1327;
  return st;
}

Outcome driveSeekmark(std::shared_ptr<standin::Host> host, const fs::path&) {
  forms::Headless ui;
  forms::Application app{ui, {.title = std::string(seekmark::kApplicationTitle)}};
  standin::InProcessConnector connector(host);
  bool openAtBox = false;
  // Next, the value, Finish; after an error box the user closes the window.
  std::function<void()> user = [&] {
    auto* form = dynamic_cast<seekmark::TForm1*>(app.mainForm());
    if (!form) return;
    if (!ui.messageBoxes().empty()) {
      openAtBox = form->visible();
      ui.closeBox(*form);
      return;
    }
    if (form->Panel1.visible())
      ui.click(form->Button1);
    else if (form->Button1.caption() != "&Finish")
      ui.type(form->ComboBox1, ",T,");
    else
      ui.click(form->Button1);
    ui.schedule(user, kWhenIdle);
  };
  ui.schedule(user, kWhenIdle);
  Outcome o = runProgram(ui, [&] { return seekmark::runSeekmark(app, connector); });
  o.windowOpenAtTheBox = openAtBox;
  return o;
}

// Once per process: the tests list their cases from it, and each compares its road with it.
const RoadRun& seekmarkClean() {
  static const RoadRun clean = runRoad(seekmarkHost(), driveSeekmark, 0);
  return clean;
}
const std::vector<SweepCase>& seekmarkCases() {
  static const std::vector<SweepCase> cases = casesOf(seekmarkClean());
  return cases;
}

TEST(SeekmarkRoad, CleanItMakesTheLookupOfTheMatches) {
  const RoadRun& clean = seekmarkClean();
  EXPECT_EQ(clean.outcome.exitCode, 0);
  EXPECT_TRUE(clean.outcome.boxes.empty());
  EXPECT_EQ(clean.after.ui.lookup,
            (std::vector<std::string>{seekmark::testing::uid(1), seekmark::testing::uid(3)}));
  EXPECT_EQ(runRoad(seekmarkHost(), driveSeekmark, 0).calls, clean.calls)
      << "the road is the same every time: call k is the same call in every run";
}

class SeekmarkSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SeekmarkSweep, TheErrorBoxShowsAndTheWindowStaysUntilClosed) {
  const SweepCase& c = GetParam();
  const RoadRun& clean = seekmarkClean();
  RoadRun run = runRoad(seekmarkHost(), driveSeekmark, c.k);
  expectFailure(clean, run, c);
  if (c.call == "Connector.CreateControl") {
    // Without the event control there is no window: the error ends the program.
    EXPECT_EQ(run.outcome.exitCode, 1);
  } else {
    EXPECT_TRUE(run.outcome.windowOpenAtTheBox) << "the window stays open after the box";
    EXPECT_EQ(run.outcome.exitCode, 0) << "the user closed it";
  }
  EXPECT_EQ(run.outcome.peersLeft, 0);
}

INSTANTIATE_TEST_SUITE_P(Seekmark, SeekmarkSweep, ::testing::ValuesIn(seekmarkCases()), caseName);

// --- Menuwright: a full install on an empty host -----------------------------------------------

Outcome driveMenuwright(std::shared_ptr<standin::Host> host, const fs::path& work) {
  forms::Headless ui;
  forms::Application app{ui, {.title = std::string(menuwright::kApplicationTitle)}};
  standin::InProcessConnector connector(host);
  platform::MappedFileSystem files{work / "drives"};
  for (const char* name : {"ActCmd.INI", "ModMenu.act"})
    platform::testing::writeFile(files.map(platform::joinPath(menuwright::testing::kBinRoot, name)),
                                 "x");
  platform::RegFileRegistry registry;
  registry.importText(menuwright::testing::kInstalledReg);
  bool openAtBox = false;
  // The run is over when the loop first waits; the user then closes the window.
  ui.schedule(
      [&] {
        openAtBox = app.mainForm() && app.mainForm()->visible();
        if (app.mainForm()) app.mainForm()->close();
      },
      kWhenIdle);
  Outcome o =
      runProgram(ui, [&] { return menuwright::runMenuwright(app, connector, registry, files); });
  o.windowOpenAtTheBox = openAtBox;
  return o;
}

// Once per process: the tests list their cases from it, and each compares its road with it.
const RoadRun& menuwrightClean() {
  static const RoadRun clean = runRoad({}, driveMenuwright, 0);
  return clean;
}
const std::vector<SweepCase>& menuwrightCases() {
  static const std::vector<SweepCase> cases = casesOf(menuwrightClean());
  return cases;
}

TEST(MenuwrightRoad, CleanItRegistersTheWholeMenu) {
  const RoadRun& clean = menuwrightClean();
  EXPECT_EQ(clean.outcome.exitCode, 0);
  EXPECT_TRUE(clean.outcome.boxes.empty());
  EXPECT_EQ(clean.after.catalogue.commands.size(), 57u);
  EXPECT_EQ(clean.after.catalogue.toolbar.size(), 3u);
  EXPECT_EQ(runRoad({}, driveMenuwright, 0).calls, clean.calls)
      << "the road is the same every time: call k is the same call in every run";
}

class MenuwrightSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(MenuwrightSweep, TheErrorBoxShowsAndTheWindowStaysUntilClosed) {
  const SweepCase& c = GetParam();
  const RoadRun& clean = menuwrightClean();
  RoadRun run = runRoad({}, driveMenuwright, c.k);
  expectFailure(clean, run, c);
  if (c.call != "Connector.CreateControl") {
    EXPECT_TRUE(run.outcome.windowOpenAtTheBox) << "the window stays open after the box";
  }
  EXPECT_EQ(run.outcome.peersLeft, 0);
}

INSTANTIATE_TEST_SUITE_P(Menuwright, MenuwrightSweep, ::testing::ValuesIn(menuwrightCases()),
                         caseName);

// --- Agewright: stale ages over the current lookup ---------------------------------------------

using agewright::testing::kAge;
using agewright::testing::kBirth;

// Five contacts born on 15 June 1980 (45 today); the lookup holds 2, 3 and 5. Contact 3's age
// is current, 2 and 5 are stale, and so are 1 and 4 outside the lookup.
HostState agewrightHost() {
  auto st = agewright::testing::hostWith({{{kBirth, "6/15/1980"}, {kAge, "40"}},
                                          {{kBirth, "6/15/1980"}, {kAge, "44"}},
                                          {{kBirth, "6/15/1980"}, {kAge, "45"}},
                                          {{kBirth, "6/15/1980"}, {kAge, "1"}},
                                          {{kBirth, "6/15/1980"}}});
  using agewright::testing::uid;
  st.ui.lookup = std::vector<std::string>{uid(2), uid(3), uid(5)};
  return st;
}

Outcome driveAgewright(std::shared_ptr<standin::Host> host, const fs::path& work) {
  platform::PortableRegional enUs{2029};
  platform::ScopedRegional regional{enUs};
  const fs::path drive = work / "drives";
  platform::MappedFileSystem files{drive};
  platform::testing::writeFile(
      files.map(platform::joinPath(agewright::testing::kFolder, agewright::kSettingsFileName)),
      agewright::testing::kBirthToAge);
  host->setFiles(std::make_unique<platform::MappedFileSystem>(drive));
  platform::FixedClock clock{agewright::testing::kToday};
  forms::Headless ui;
  forms::Application app{ui};
  standin::InProcessConnector connector(host);
  ui.schedule(
      [&] {
        auto* options = dynamic_cast<agewright::frmUpdateMain*>(app.modalForm());
        if (!options) return;
        ui.select(options->Option1_0);
        ui.click(options->Command1);
      },
      kWhenIdle);
  agewright::Environment env{connector, files, clock, agewright::testing::kFolder};
  return runProgram(ui, [&] { return agewright::runAgewright(app, env); });
}

// Once per process: the tests list their cases from it, and each compares its road with it.
const RoadRun& agewrightClean() {
  static const RoadRun clean = runRoad(agewrightHost(), driveAgewright, 0);
  return clean;
}
const std::vector<SweepCase>& agewrightCases() {
  static const std::vector<SweepCase> cases = casesOf(agewrightClean());
  return cases;
}

std::vector<Variant> agesIn(const HostState& s) {
  std::vector<Variant> out;
  for (const auto& c : s.databases.at("Ledger").contacts) {
    const Variant* v = c.find(kAge);
    out.push_back(v ? *v : Variant());
  }
  return out;
}

TEST(AgewrightRoad, CleanItUpdatesTheStaleAgesOfTheLookupOnly) {
  const RoadRun& clean = agewrightClean();
  EXPECT_EQ(clean.outcome.exitCode, 0);
  EXPECT_TRUE(clean.outcome.boxes.empty());
  EXPECT_EQ(agesIn(clean.after), (std::vector<Variant>{"40", "45", "45", "1", "45"}));
  EXPECT_EQ(runRoad(agewrightHost(), driveAgewright, 0).calls, clean.calls)
      << "the road is the same every time: call k is the same call in every run";
}

class AgewrightSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(AgewrightSweep, TheRunTimeReportEndsTheProgramAndEarlierContactsKeepTheirAges) {
  const SweepCase& c = GetParam();
  const RoadRun& clean = agewrightClean();
  RoadRun run = runRoad(agewrightHost(), driveAgewright, c.k);
  expectFailure(clean, run, c);
  EXPECT_EQ(run.outcome.exitCode, 1) << "the report ends the program";
  if (!run.outcome.boxes.empty()) EXPECT_EQ(run.outcome.boxes[0].caption, "Agewright");
  EXPECT_EQ(run.calls.size(), static_cast<size_t>(c.k)) << "nothing is called after the fault";
  // Each contact of the lookup has its new age or its old one; outside the lookup, the old.
  std::vector<Variant> ages = agesIn(run.after);
  ASSERT_EQ(ages.size(), 5u);
  EXPECT_EQ(ages[0], Variant("40"));
  EXPECT_EQ(ages[3], Variant("1"));
  EXPECT_TRUE(ages[1] == Variant("44") || ages[1] == Variant("45")) << ages[1];
  EXPECT_TRUE(ages[4] == Variant() || ages[4] == Variant("45")) << ages[4];
  if (ages[4] == Variant("45")) EXPECT_EQ(ages[1], Variant("45")) << "contacts in table order";
  EXPECT_EQ(run.outcome.peersLeft, 0) << "no form is left loaded";
}

INSTANTIATE_TEST_SUITE_P(Agewright, AgewrightSweep, ::testing::ValuesIn(agewrightCases()),
                         caseName);

}  // namespace
}  // namespace vel
