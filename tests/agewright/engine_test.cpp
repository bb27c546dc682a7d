// The update engine: ages, scopes, the stored-text comparison, Cancel, and the host calls it
// makes in order.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/agewright/fixture.h"

namespace vel::agewright {
namespace {

using host::Variant;
using testing::AgeTest;
using testing::dateOf;
using testing::hostWith;
using testing::kAge;
using testing::kAnniversary;
using testing::kBirth;
using testing::kYears;
using testing::uid;

class Engine : public AgeTest {};

TEST_F(Engine, CalculateAge) {
  struct Case {
    const char* name;
    platform::CivilDate today;
    Variant birth;
    int16_t age;
  };
  const platform::CivilDate june15{2025, 6, 15};
  const std::vector<Case> cases = {
      {"birthday today", june15, "6/15/1980", 45},
      {"birthday tomorrow", june15, "6/16/1980", 44},
      {"birthday yesterday", june15, "6/14/1980", 45},
      {"birthday next month", june15, "7/1/1980", 44},
      {"birthday last month", june15, "5/31/1980", 45},
      {"born today", june15, "6/15/2025", 0},
      {"29 February on 28 February", {2025, 2, 28}, dateOf(2000, 2, 29), 24},
      {"29 February on 1 March", {2025, 3, 1}, dateOf(2000, 2, 29), 25},
      {"29 February on 29 February", {2024, 2, 29}, dateOf(2000, 2, 29), 24},
      {"later this year", june15, "12/31/2025", -1},
      {"tomorrow", june15, "6/16/2025", -1},
      {"next year", june15, "6/16/2026", -2},
      {"empty", june15, Variant(), 999},
      {"null", june15, Variant::null(), 999},
      {"empty text", june15, "", 999},
      {"blank text", june15, "   ", 999},
      {"word", june15, "unknown", 999},
      {"impossible date", june15, "2/30/1980", 999},
      {"a number", june15, int32_t{30000}, 999},
      {"a Boolean", june15, true, 999},
      {"M/D/YYYY", june15, "6/15/1990", 35},
      {"M-D-YY", june15, "6-14-90", 35},
      {"ISO", june15, "1990-06-16", 34},
      {"month name", june15, "June 15, 1990", 35},
      {"day month year", june15, "16 Jun 1990", 34},
      {"with a time", june15, "6/15/1990 1:45 PM", 35},
      {"blanks around", june15, "  6/15/1990  ", 35},
      {"two-digit year 29 is 2029", june15, "6/15/29", -4},
      {"two-digit year 30 is 1930", june15, "6/15/30", 95},
      {"two-digit year 00 is 2000", june15, "1/1/00", 25},
      {"date value", june15, dateOf(1990, 6, 16), 34},
      {"date value with a time", june15,
       Variant::date(host::serialFromCivil(1990, 6, 15, 23, 59, 59)), 35},
      {"999 years back", june15, dateOf(1026, 6, 15), 999},
      {"a day short of 999 years", june15, dateOf(1026, 6, 16), 998},
      {"1000 years back", june15, dateOf(1025, 6, 15), 1000},
  };
  start(hostWith({}));
  Environment env{*connector, files, clock, testing::kFolder};
  progress.emplace(app);
  clsUpdateDates engine(env, app, *progress);
  for (const Case& c : cases) {
    clock.set(c.today);
    EXPECT_EQ(engine.CalculateAge(c.birth), c.age) << c.name << " (birth " << c.birth << ")";
  }
}

TEST_F(Engine, WritesEveryAgeThatDiffersAndSkipsNonDates) {
  start(hostWith({{{kBirth, "6/15/1980"}},
                  {{kBirth, dateOf(1990, 6, 16)}, {kAge, "old"}},
                  {{kBirth, "not a date"}, {kAge, "old"}},
                  {{kAge, "old"}},
                  {{kBirth, "12/31/2025"}}}));
  writeSettings(testing::kBirthToAge);
  runEngine("All");

  EXPECT_EQ(value(1, kAge), Variant("45"));
  EXPECT_EQ(value(2, kAge), Variant("34"));
  EXPECT_EQ(value(3, kAge), Variant("old")) << "a non-date leaves the age alone";
  EXPECT_EQ(value(4, kAge), Variant("old")) << "an empty date leaves the age alone";
  EXPECT_EQ(value(5, kAge), Variant("-1")) << "a future date is written as a negative age";
  EXPECT_EQ(count("ContactTable.edit"), 3);
  EXPECT_EQ(count("ContactTable.Update"), 3);
  EXPECT_EQ(progress->Label1.caption(), "Completed 5 of 5");
  EXPECT_EQ(progress->ProgressBar1.maximum(), 5);
  EXPECT_EQ(progress->ProgressBar1.value(), 5);
  EXPECT_EQ(ui.processEventsCalls(), 5);
  EXPECT_FALSE(progress->loaded());
  EXPECT_TRUE(ui.messageBoxes().empty());
  EXPECT_FALSE(lookupFileExists());
  EXPECT_EQ(calls().back(), "Database.Close");
}

TEST_F(Engine, TheAgeGoesToTheHostAsA16BitIntegerInTheFieldsOwnForm) {
  start(hostWith({{{kBirth, "6/15/1980"}}}));
  writeSettings(testing::record("1100", "1201") + testing::record("\"Birth Date\"", "\"Age\""));
  runEngine("All");
  EXPECT_EQ(value(1, kYears), Variant(int32_t{45}));
  EXPECT_EQ(value(1, kAge), Variant("45")) << "fields named by label reach the same fields";
  std::vector<Variant> written;
  for (const auto& c : host->calls())
    if (c.member == "Data" && c.args.size() == 2) written.push_back(c.args[1].value);
  EXPECT_EQ(written, (std::vector<Variant>{int16_t{45}, int16_t{45}}));
}

TEST_F(Engine, ScopeDecidesWhichContactsAreWalked) {
  struct Case {
    const char* name;
    std::string scope;
    bool lookup;
  };
  for (const Case& c :
       {Case{"Lookup", "Lookup", true}, Case{"All", "All", false},
        Case{"the scope is case-sensitive", "lookup", false}, Case{"no scope", "", false}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(drive.path() / "c");
    auto st = hostWith({{{kBirth, "6/15/1980"}},
                        {{kBirth, "6/15/1981"}},
                        {{kBirth, "6/15/1982"}},
                        {{kBirth, "6/15/1983"}},
                        {{kBirth, "6/15/1984"}}});
    st.ui.lookup = std::vector<std::string>{uid(2), uid(4)};
    start(std::move(st));
    writeSettings(testing::kBirthToAge);
    runEngine(c.scope);

    const std::vector<int> updated =
        c.lookup ? std::vector<int>{2, 4} : std::vector<int>{1, 2, 3, 4, 5};
    for (int i = 1; i <= 5; ++i) {
      bool expected = std::find(updated.begin(), updated.end(), i) != updated.end();
      EXPECT_EQ(value(i, kAge), expected ? Variant(std::to_string(45 - (i - 1))) : Variant())
          << "contact " << i;
    }
    const std::string n = std::to_string(updated.size());
    EXPECT_EQ(progress->Label1.caption(), "Completed " + n + " of " + n);
    EXPECT_EQ(progress->ProgressBar1.maximum(), static_cast<int>(updated.size()));
    EXPECT_EQ(lookupFileExists(), c.lookup);
    EXPECT_EQ(count("AppObject.savecurrentlookup"), c.lookup ? 1 : 0);
    EXPECT_EQ(count("ContactTable.loadlookupquery"), c.lookup ? 1 : 0);
  }
}

TEST_F(Engine, TheLookupIsSavedAndLoadedThroughTheProgramFolder) {
  auto st = hostWith({{{kBirth, "6/15/1980"}}, {{kBirth, "6/15/1981"}}});
  st.ui.lookup = std::vector<std::string>{uid(2)};
  start(std::move(st));
  writeSettings(testing::kBirthToAge);
  runEngine("Lookup");

  const std::string lookupPath = "C:\\Program Files\\VMR\\currentlookup.alu";
  std::vector<std::string> c = calls();
  auto at = std::find(c.begin(), c.end(), "AppObject.savecurrentlookup");
  ASSERT_NE(at, c.end());
  EXPECT_EQ(std::vector<std::string>(at - 2, at + 3),
            (std::vector<std::string>{"Database.openex", "Connector.CreateObject",
                                      "AppObject.savecurrentlookup", "ContactTable.loadlookupquery",
                                      "ContactTable.recordcount"}));
  for (const auto& call : host->calls()) {
    if (call.member == "savecurrentlookup" || call.member == "loadlookupquery") {
      EXPECT_EQ(call.args.at(0).value, Variant(lookupPath)) << call.member;
    }
  }
  EXPECT_TRUE(lookupFileExists()) << "the lookup file stays";
  EXPECT_EQ(value(1, kAge), Variant());
  EXPECT_EQ(value(2, kAge), Variant("44"));
}

TEST_F(Engine, RowsApplyInFileOrderAndTheLaterValidDateWins) {
  struct Case {
    const char* name;
    Variant anniversary;
    Variant age;
  };
  for (const Case& c : {Case{"later row writes last", dateOf(2000, 1, 1), "25"},
                        Case{"later row without a date is skipped", Variant(), "45"}}) {
    SCOPED_TRACE(c.name);
    start(hostWith({{{kBirth, "6/15/1980"}, {kAnniversary, c.anniversary}}}));
    writeSettings(testing::record("1100", "1200") + testing::record("1101", "1200"));
    runEngine("All");
    EXPECT_EQ(value(1, kAge), c.age);
    std::vector<int32_t> reads;
    for (const auto& call : host->calls())
      if (call.member == "Data" && call.args.size() == 1)
        reads.push_back(call.args[0].value.asInt32());
    std::vector<int32_t> expected{kBirth, kAge, kAnniversary};
    if (!c.anniversary.isEmpty()) expected.push_back(kAge);
    EXPECT_EQ(reads, expected);
  }
}

TEST_F(Engine, TheStoredAgeIsComparedAsText) {
  struct Case {
    const char* name;
    Variant stored;
    bool rewritten;
  };
  const std::vector<Case> cases = {
      {"same text", "42", false},
      {"same 32-bit number", int32_t{42}, false},
      {"same 16-bit number", int16_t{42}, false},
      {"same whole double", 42.0, false},
      {"leading zero", "042", true},
      {"leading blank", " 42", true},
      {"trailing blank", "42 ", true},
      {"decimal part", "42.0", true},
      {"other age", "41", true},
      {"fraction", 42.5, true},
      {"empty", Variant(), true},
      {"empty text", "", true},
      {"null", Variant::null(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(hostWith({{{kBirth, "6/15/1983"}, {kAge, c.stored}}}));
    writeSettings(testing::kBirthToAge);
    runEngine("All");
    EXPECT_EQ(count("ContactTable.edit"), c.rewritten ? 1 : 0);
    EXPECT_EQ(count("ContactTable.Update"), c.rewritten ? 1 : 0);
    EXPECT_EQ(value(1, kAge), c.rewritten ? Variant("42") : c.stored);
  }
}

TEST_F(Engine, CancelFinishesTheContactInProgressAndStartsNoOther) {
  for (int k : {1, 3, 4}) {
    SCOPED_TRACE("cancel while contact " + std::to_string(k) + " is processed");
    std::vector<testing::Values> contacts;
    for (int i = 0; i < 5; ++i) contacts.push_back({{kBirth, "6/15/1980"}});
    start(hostWith(contacts));
    writeSettings(testing::kBirthToAge + testing::record("1100", "1201"));
    // A click that arrives while contact k is processed is handled at the next event pass.
    ui.schedule([&] { ui.schedule([&] { ui.click(progress->cmdCancel); }); }, k);
    runEngine("All");

    for (int i = 1; i <= 5; ++i) {
      EXPECT_EQ(value(i, kAge), i <= k ? Variant("45") : Variant()) << "contact " << i;
      EXPECT_EQ(value(i, kYears), i <= k ? Variant(45) : Variant()) << "contact " << i;
    }
    EXPECT_EQ(progress->Label1.caption(), "Completed " + std::to_string(k) + " of 5");
    EXPECT_EQ(progress->ProgressBar1.value(), k);
    EXPECT_EQ(count("ContactTable.movenext"), k);
    EXPECT_EQ(calls().back(), "Database.Close");
    EXPECT_FALSE(progress->loaded());
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.pending(), 0u);
  }
}

TEST_F(Engine, EachContactLetsEventsThroughBeforeItsProgressAndItsRows) {
  start(hostWith({{{kBirth, "6/15/1980"}}, {{kBirth, "6/15/1981"}}, {{kBirth, "6/15/1982"}}}));
  writeSettings(testing::kBirthToAge);
  // What the user could see each time events are let through, at the start of contact i.
  struct Seen {
    std::string label;
    int bar;
    size_t repaints;
    int written;
    int moved;
  };
  std::vector<Seen> seen;
  for (int i = 1; i <= 3; ++i)
    ui.schedule(
        [&] {
          seen.push_back({progress->Label1.caption(), progress->ProgressBar1.value(),
                          ui.repaints().size(), host->callCount("Update"),
                          host->callCount("MoveNext")});
        },
        i);
  runEngine("All");

  ASSERT_EQ(seen.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("at contact " + std::to_string(i + 1));
    EXPECT_EQ(seen[i].label, i == 0 ? "" : "Completed " + std::to_string(i) + " of 3");
    EXPECT_EQ(seen[i].bar, i);
    EXPECT_EQ(seen[i].repaints, 1u + 2u * i) << "the dialog once when shown, then two a contact";
    EXPECT_EQ(seen[i].written, i);
    EXPECT_EQ(seen[i].moved, i);
  }
  std::vector<std::string> expected{"frmProgress"};
  for (int i = 0; i < 3; ++i) {
    expected.push_back("frmProgress");
    expected.push_back("frmProgress.ProgressBar1");
  }
  EXPECT_EQ(ui.repaints(), expected) << "the dialog, then the bar";
}

TEST_F(Engine, EachRecordCountReadHasItsOwnUse) {
  struct Case {
    const char* name;
    int nth;  // which read of recordcount gives `answer` instead of 3
    int32_t answer;
    int barMaximum;
    int walked;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"the first sets the bar's maximum", 1, 9, 9, 3, "Completed 3 of 3"},
      {"the second ends the walk", 2, 2, 3, 2, "Completed 2 of 3"},
      {"each label reads it afresh", 5, 9, 3, 3, "Completed 3 of 9"},
      {"an earlier label's read does not stay", 4, 9, 3, 3, "Completed 3 of 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto st = hostWith({{{kBirth, "6/15/1980"}}, {{kBirth, "6/15/1981"}}, {{kBirth, "6/15/1982"}}});
    st.rules.push_back({standin::Rule::Kind::Answer, "RecordCount", c.nth, std::nullopt, 0, "",
                        Variant(c.answer)});
    start(std::move(st));
    writeSettings(testing::kBirthToAge);
    runEngine("All");
    EXPECT_EQ(progress->ProgressBar1.maximum(), c.barMaximum);
    EXPECT_EQ(progress->Label1.caption(), c.label);
    EXPECT_EQ(count("ContactTable.movenext"), c.walked);
    EXPECT_EQ(count("ContactTable.recordcount"), 2 + c.walked);
    for (int i = 1; i <= 3; ++i)
      EXPECT_EQ(value(i, kAge), i <= c.walked ? Variant(std::to_string(46 - i)) : Variant())
          << "contact " << i;
  }
}

TEST_F(Engine, AnEmptyLookupWalksNothing) {
  auto st = hostWith({{{kBirth, "6/15/1980"}}, {{kBirth, "6/15/1981"}}});
  st.ui.lookup = std::vector<std::string>{};
  start(std::move(st));
  writeSettings(testing::kBirthToAge);
  runEngine("Lookup");
  EXPECT_EQ(progress->ProgressBar1.maximum(), 0);
  EXPECT_EQ(progress->Label1.caption(), "");
  EXPECT_EQ(count("ContactTable.Data"), 0);
  EXPECT_EQ(ui.processEventsCalls(), 0);
  EXPECT_EQ(calls().back(), "Database.Close");
  EXPECT_TRUE(lookupFileExists());
  EXPECT_TRUE(ui.messageBoxes().empty());
  EXPECT_EQ(value(1, kAge), Variant());
}

TEST_F(Engine, NoDatabaseOpenEndsQuietly) {
  struct Case {
    const char* name;
    std::optional<Variant> isopen;  // nothing: the host's own answer
    bool runs;
  };
  for (const Case& c : {Case{"no database in the host", std::nullopt, false},
                        Case{"isopen answers false", Variant(false), false},
                        Case{"isopen answers -1", Variant(int16_t{-1}), true},
                        Case{"isopen answers 1", Variant(int32_t{1}), false}}) {
    SCOPED_TRACE(c.name);
    auto st = hostWith({{{kBirth, "6/15/1980"}}});
    if (c.isopen)
      st.rules.push_back(
          {standin::Rule::Kind::Answer, "isOpen", 0, std::nullopt, 0, "", *c.isopen});
    else
      st.ui.openDatabase = "";
    start(std::move(st));
    writeSettings(testing::kBirthToAge);
    runEngine("All");
    if (c.runs) {
      EXPECT_EQ(value(1, kAge), Variant("45"));
    } else {
      EXPECT_EQ(calls(), (std::vector<std::string>{"Connector.CreateObject", "Database.openex",
                                                   "Database.isopen"}));
      EXPECT_EQ(value(1, kAge), Variant());
    }
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_FALSE(progress->loaded());
  }
}

TEST_F(Engine, WithoutUsableSettingsNoContactIsTouched) {
  struct Case {
    const char* name;
    std::optional<std::string> settings;  // nothing: no file
    std::vector<std::string> boxes;
  };
  const std::vector<Case> cases = {
      {"missing",
       std::nullopt,
       {"There is no Datewell Settings (.dws) file for C:\\Program Files\\VMR\\Ledger.dws "
        "Cannot Update",
        "No Age Data Found"}},
      {"empty", "", {"No Age Data Found"}},
      {"incomplete record", "\"Age\",\"\",0,1100\r\n", {"No Age Data Found"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t shown = ui.messageBoxes().size();
    start(hostWith({{{kBirth, "6/15/1980"}}}));
    std::filesystem::remove_all(drive.path() / "c");
    if (c.settings) writeSettings(*c.settings);
    runEngine("All");
    std::vector<forms::Headless::ShownBox> boxes(ui.messageBoxes().begin() + shown,
                                                 ui.messageBoxes().end());
    std::vector<std::string> texts;
    for (const auto& b : boxes) texts.push_back(b.box.text);
    EXPECT_EQ(texts, c.boxes);
    ASSERT_EQ(boxes.size(), c.boxes.size());
    for (const auto& b : boxes) EXPECT_EQ(b.box.caption, "Agewright");
    if (boxes.size() == 2) {
      EXPECT_EQ(boxes[0].box.icon, forms::Icon::Error) << "the stop icon";
    }
    EXPECT_EQ(boxes.back().box.icon, forms::Icon::None);
    EXPECT_EQ(boxes.back().box.buttons, forms::Buttons::Ok);
    EXPECT_EQ(calls(), (std::vector<std::string>{"Connector.CreateObject", "Database.openex",
                                                 "Database.isopen", "Database.Close"}));
    EXPECT_EQ(value(1, kAge), Variant());
    EXPECT_FALSE(progress->loaded());
  }
}

TEST_F(Engine, TheHostIsCalledInTheDescribedOrder) {
  start(hostWith({{{kBirth, "6/15/1980"}}}));
  writeSettings(testing::kBirthToAge);
  runEngine("All");
  EXPECT_EQ(calls(), (std::vector<std::string>{
                         "Connector.CreateObject",
                         "Database.openex",
                         "Database.isopen",
                         "Database.Close",
                         "Connector.CreateObject",
                         "Database.openex",
                         "ContactTable.recordcount",
                         "ContactTable.movefirst",
                         "ContactTable.recordcount",
                         "ContactTable.recordcount",
                         "ContactTable.Data",
                         "ContactTable.Data",
                         "ContactTable.edit",
                         "ContactTable.Data",
                         "ContactTable.Update",
                         "ContactTable.movenext",
                         "Database.Close",
                     }));
  int tableLookups = 0;
  for (const auto& c : host->calls()) tableLookups += c.member == "contact";
  EXPECT_EQ(tableLookups, 1) << "the contact table is taken once for the walk";
  std::vector<std::vector<Variant>> data;
  for (const auto& c : host->calls()) {
    if (c.object == "Connector") {
      EXPECT_EQ(c.args.at(0).value, Variant("actole.database"));
    }
    if (c.member == "openex") {
      EXPECT_EQ(c.args.at(0).value, Variant(""));
    }
    if (c.member != "Data") continue;
    EXPECT_TRUE(c.args.at(0).byRef) << "the settings cell goes to the host as it was read";
    std::vector<Variant> args;
    for (const auto& a : c.args) args.push_back(a.value);
    data.push_back(args);
  }
  EXPECT_EQ(data, (std::vector<std::vector<Variant>>{{kBirth}, {kAge}, {kAge, int16_t{45}}}));
}

}  // namespace
}  // namespace vel::agewright
