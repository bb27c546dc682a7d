// Input nobody planned for, one table per program: registry values of the wrong type or of
// 100 KB, texts and folders with blanks and letters beyond ASCII, and host answers of a type
// the program does not expect. Each row gives a clear error (the program's failure rules) or
// the right result; none crashes or loses what was committed.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "agewright/clsUpdateDates.h"
#include "agewright/frmUpdateMain.h"
#include "tests/agewright/fixture.h"
#include "tests/menuwright/fixture.h"
#include "tests/seekmark/fixture.h"

namespace vel {
namespace {

using host::Variant;
using standin::Rule;

Rule answer(std::string member, Variant value, int nth = 0) {
  return {.kind = Rule::Kind::Answer, .member = std::move(member), .nth = nth, .value = value};
}

// An object to hand back where a value is expected: any of the host's will do. The rule holds
// it, and it holds the host: each row clears its rules so that the two can go.
Variant someObject(host::Connector& connector) {
  return Variant(connector.create("ACTOLE.AUXCMDS"));
}

using MakeRule = std::function<Rule(host::Connector&)>;

const std::string k100K(100 * 1024, 'Q');
const std::string kZoe = "Zo\xC3\xAB";  // Zoë

// --- Seekmark -----------------------------------------------------------------------------------

struct SeekmarkRow {
  const char* name;
  MakeRule rule;                           // nothing: the host answers as it does
  std::string value;                       // what the user searches for
  const char* box;                         // the one box shown, from its start; "" for none
  std::optional<std::vector<int>> lookup;  // the contacts of the lookup made
};

class SeekmarkInput : public seekmark::testing::Wizard {};

TEST_F(SeekmarkInput, EachRowGivesAClearErrorOrTheRightLookup) {
  const SeekmarkRow rows[] = {
      {"a value with blanks and letters beyond ASCII", nullptr, kZoe + " Caf\xC3\xA9", "",
       std::vector{2}},
      {"a number as text where the record count is",
       [](host::Connector&) { return answer("RecordCount", "3"); }, "hit", "",
       std::vector{1, 2, 3}},
      {"a text where the record count is",
       [](host::Connector&) { return answer("RecordCount", "many"); }, "hit", "Type mismatch",
       std::nullopt},
      {"a date where a field's text is: it reads as a date, which holds no 'hit'",
       [](host::Connector&) { return answer("Data", Variant::date(45000)); }, "hit",
       "No contacts found that match your search", std::nullopt},
      {"an object where a field's value is",
       [](host::Connector& c) { return answer("Data", someObject(c)); }, "hit", "Type mismatch",
       std::nullopt},
      {"a text where the field identifier is",
       [](host::Connector&) { return answer("CurrentFieldID", "Stocks"); }, "hit",
       "Unknown field Stocks.", std::nullopt},
      {"a text where has-pop-up-list's Boolean is",
       [](host::Connector&) { return answer("HasPopUpList", "perhaps"); }, "hit", "Type mismatch",
       std::nullopt},
      {"a date where the database name is",
       [](host::Connector&) { return answer("GetOpenDBName", Variant::date(45000)); }, "hit",
       "There is no database 3/15/2023.", std::nullopt},
  };
  for (const SeekmarkRow& r : rows) {
    SCOPED_TRACE(r.name);
    start(seekmark::testing::hostWith(
        {{{1050, "hit"}}, {{1050, "Chez " + kZoe + " Caf\xC3\xA9, a hit"}}, {{1050, "a hit"}}}));
    if (r.rule) state().rules.push_back(r.rule(*connector));
    next();
    if (form->Panel2.visible()) {
      type(r.value);
      finish();
    }
    std::vector<std::string> texts = boxTexts();
    if (*r.box) {
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_TRUE(texts[0].starts_with(r.box)) << texts[0];
    } else {
      EXPECT_TRUE(texts.empty()) << texts.front();
    }
    if (r.lookup) {
      std::vector<std::string> uids;
      for (int n : *r.lookup) uids.push_back(seekmark::testing::uid(n));
      EXPECT_EQ(state().ui.lookup, uids);
    } else {
      EXPECT_FALSE(state().ui.lookup.has_value());
    }
    // An error leaves the wizard open; a lookup or the no-match message closes it.
    bool errorBox = *r.box && std::string(r.box) != "No contacts found that match your search";
    EXPECT_EQ(form->visible(), errorBox);
    state().rules.clear();
  }
}

// --- Agewright ----------------------------------------------------------------------------------

using agewright::testing::kAge;
using agewright::testing::kBirth;

struct AgewrightRow {
  const char* name;
  std::string folder;    // the program's own folder
  std::string settings;  // the settings file's text
  MakeRule rule;         // nothing: the host answers as it does
  int exitCode;
  const char* box;            // the one box shown, from its start; "" for none
  std::vector<Variant> ages;  // the three contacts' ages afterwards
};

class AgewrightInput : public agewright::testing::AgeTest {};

TEST_F(AgewrightInput, EachRowGivesAClearErrorOrTheRightAges) {
  const std::string folder = agewright::testing::kFolder;
  const std::string birthToAge = agewright::testing::kBirthToAge;
  std::string tooMany;
  for (int i = 0; i <= agewright::kMaxSettingsRecords; ++i) tooMany += birthToAge;
  const std::vector<Variant> updated{"45", "45", "45"}, untouched{"40", Variant(), Variant()},
      firstSkipped{"40", "45", "45"};
  // Each contact's calls: Data reads its birth date (1100), then its age (1200), then writes it.
  const AgewrightRow rows[] = {
      {"a program folder with blanks and letters beyond ASCII",
       "C:\\Pr\xC3\xB3gr\xC3\xA4mme F\xC3\xADles\\V\xC3\xA9lmora S\xC3\xBCite", birthToAge, nullptr,
       0, "", updated},
      {"a settings text of 100 KB", folder, "\"" + k100K + "\",\"\",0,1100,\"\",1200,0,0\r\n",
       nullptr, 0, "", updated},
      {"a field's name where its identifier is: the host knows it by name too", folder,
       agewright::testing::record("\"Birth Date\"", "1200"), nullptr, 0, "", updated},
      {"one record more than a settings file holds", folder, tooMany, nullptr, 0,
       "No Age Data Found", untouched},
      {"a text where the record count is", folder, birthToAge,
       [](host::Connector&) { return answer("RecordCount", "lots"); }, 1,
       "Run-time error '13':\n\nType mismatch", untouched},
      {"an object where a birth date is: no date, no age", folder, birthToAge,
       [](host::Connector& c) { return answer("Data", someObject(c), 1); }, 0, "", firstSkipped},
      {"a Boolean where a birth date is: no date, no age", folder, birthToAge,
       [](host::Connector&) { return answer("Data", true, 1); }, 0, "", firstSkipped},
      {"a date where the stored age's text is: it differs, so the age is written", folder,
       birthToAge, [](host::Connector&) { return answer("Data", Variant::date(45000), 2); }, 0, "",
       updated},
  };
  for (const AgewrightRow& r : rows) {
    SCOPED_TRACE(r.name);
    start(agewright::testing::hostWith(
        {{{kBirth, "6/15/1980"}, {kAge, "40"}}, {{kBirth, "6/15/1980"}}, {{kBirth, "6/15/1980"}}}));
    platform::testing::writeFile(
        files.map(platform::joinPath(r.folder, agewright::kSettingsFileName)), r.settings);
    if (r.rule) host->state().rules.push_back(r.rule(*connector));
    // A program of its own for each row: one that ends early leaves no input behind.
    forms::Headless screen;
    forms::Application program{screen};
    screen.schedule([&] {
      if (auto* options = dynamic_cast<agewright::frmUpdateMain*>(program.modalForm()))
        screen.click(options->Command1);
    });
    agewright::Environment env{*connector, files, clock, r.folder};
    EXPECT_EQ(agewright::runAgewright(program, env), r.exitCode);
    if (*r.box) {
      ASSERT_EQ(screen.messageBoxes().size(), 1u);
      EXPECT_TRUE(screen.messageBoxes()[0].box.text.starts_with(r.box))
          << screen.messageBoxes()[0].box.text;
    } else {
      EXPECT_TRUE(screen.messageBoxes().empty()) << screen.messageBoxes().front().box.text;
    }
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(value(i, kAge), r.ages[i - 1]) << "contact " << i;
    EXPECT_EQ(screen.peers(), 0);
    host->state().rules.clear();
  }
}

// --- Menuwright ---------------------------------------------------------------------------------

struct MenuwrightRow {
  const char* name;
  std::string reg;
  MakeRule rule;
  const char* box;  // the one box shown, from its start; "" for none
  size_t commands;  // registered
};

class MenuwrightInput : public menuwright::testing::Installer {};

TEST_F(MenuwrightInput, EachRowGivesAClearErrorOrTheRightRegistration) {
  const std::string installKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\n";
  const std::string userKey = "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n";
  const std::string binRoot = "\"BinRoot\"=\"C:\\\\Program Files\\\\ACT\"\n";
  // As the .reg file spells it, and as the program reads it.
  const std::string oddInFile = "C:\\\\Pr\xC3\xB3gram F\xC3\xADles\\\\ACT \xC3\x9Cn\xC3\xAF";
  const std::string odd = "C:\\Pr\xC3\xB3gram F\xC3\xADles\\ACT \xC3\x9Cn\xC3\xAF";
  const std::string installed = menuwright::testing::kInstalledReg;
  const MenuwrightRow rows[] = {
      {"BinRoot a number", "REGEDIT4\n" + installKey + "\"BinRoot\"=dword:00000001\n", nullptr,
       "Invalid data type for 'BinRoot'", 0},
      {"BinRoot binary", "REGEDIT4\n" + installKey + "\"BinRoot\"=hex:43,3a,5c\n", nullptr,
       "Invalid data type for 'BinRoot'", 0},
      {"a query folder that is a number",
       "REGEDIT4\n" + installKey + binRoot + userKey + "\"Query File Type\"=dword:7\n", nullptr,
       "Invalid data type for 'Query File Type'", 0},
      {"BinRoot of 100 KB: no command files there, no backups",
       "REGEDIT4\n" + installKey + "\"BinRoot\"=\"C:\\\\" + k100K + "\"\n", nullptr, "", 57},
      {"a query folder of 100 KB",
       "REGEDIT4\n" + installKey + binRoot + userKey + "\"Query File Type\"=\"" + k100K + "\"\n",
       nullptr, "", 57},
      {"BinRoot with blanks and letters beyond ASCII",
       "REGEDIT4\n" + installKey + "\"BinRoot\"=\"" + oddInFile + "\"\n", nullptr, "", 57},
      {"a text where an existence answer is", installed,
       [](host::Connector&) { return answer("AuxCommandExists", "perhaps"); }, "Type mismatch", 0},
      {"an object where an existence answer is", installed,
       [](host::Connector& c) { return answer("AuxCommandExistsInMenus", someObject(c)); },
       "Type mismatch", 0},
      {"a date where an existence answer is: not True, so the menu is added", installed,
       [](host::Connector&) { return answer("AuxSubMenuExists", Variant::date(1)); }, "", 57},
  };
  for (const MenuwrightRow& r : rows) {
    SCOPED_TRACE(r.name);
    makeHost();
    if (r.rule) rule(r.rule(*connector));
    platform::RegFileRegistry reg;
    reg.importText(r.reg, r.name);
    putFile("ActCmd.INI");
    platform::testing::writeFile(mapped.map(platform::joinPath(odd, "ActCmd.INI")), "odd");
    forms::Headless screen;
    forms::Application program{screen, {.title = std::string(menuwright::kApplicationTitle)}};
    bool openAfterTheBox = false;
    screen.schedule([&] {
      openAfterTheBox = program.mainForm() && program.mainForm()->visible();
      if (program.mainForm()) program.mainForm()->close();
    });
    menuwright::runMenuwright(program, *connector, reg, files);
    if (*r.box) {
      ASSERT_EQ(screen.messageBoxes().size(), 1u);
      EXPECT_TRUE(screen.messageBoxes()[0].box.text.starts_with(r.box))
          << screen.messageBoxes()[0].box.text;
      EXPECT_TRUE(openAfterTheBox) << "the window stays until the user closes it";
    } else {
      EXPECT_TRUE(screen.messageBoxes().empty()) << screen.messageBoxes().front().box.text;
    }
    EXPECT_EQ(catalogue().commands.size(), r.commands);
    if (r.commands == 57) {
      EXPECT_EQ(catalogue().submenus.size(), 8u);
    }
    if (r.reg.find(oddInFile) != std::string::npos) {
      EXPECT_TRUE(mapped.exists(platform::joinPath(odd, "ActCmd.001"))) << "backed up there";
      EXPECT_TRUE(hasFile("ActCmd.INI")) << "and nowhere else";
    }
    host->state().rules.clear();
  }
}

}  // namespace
}  // namespace vel
