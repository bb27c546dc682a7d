// The registration protocol as the host sees it: which AUXCMDS calls a run makes, with which
// arguments, how the answers steer it, and the menu that results.

#include <fstream>
#include <iterator>

#include "standin/menutree.h"
#include "tests/menuwright/fixture.h"

namespace vel::menuwright {
namespace {

using host::Variant;
using standin::LoggedCall;
using standin::Rule;
using testing::Installer;

constexpr std::string_view kTop = "Vel&mora";

std::string readGolden(const std::string& name) {
  std::ifstream in(std::string(VELMORA_MENUWRIGHT_TESTDATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "R" for an argument passed by reference, "v" for one passed by value.
std::string refPattern(const LoggedCall& c) {
  std::string s;
  for (const auto& a : c.args) s += a.byRef ? 'R' : 'v';
  return s;
}

// What each member must pass by reference: MenuSetId always; the parent path by reference only
// below the suite's submenu; the caption variable of a submenu; SubMenuRef; the top level's
// placement path.
std::string expectedPattern(const LoggedCall& c) {
  if (c.member == "AuxSubMenuExists") return c.args.at(2).value == Variant(kTop) ? "RvRR" : "RRRR";
  if (c.member == "AddAuxSubMenu") return c.args.at(4).value == Variant(kTop) ? "RvvvR" : "RRvvR";
  if (c.member == "AuxCommandExists") return "v";
  if (c.member == "AuxCommandExistsInMenus") return "Rv";
  if (c.member == "AddAuxCommand") return "vvvvvvvv";
  if (c.member == "AddAuxCommandToMenu")
    return c.args.at(1).value == Variant(kTop) ? "RRvvv" : "Rvvvv";
  if (c.member == "AddAuxCommandToToolbar") return "Rv";
  return "unknown member " + c.member;
}

class FullRun : public Installer {
 protected:
  void SetUp() override {
    makeHost();
    exitCode = runMenuwright(app, *connector, registry, files);
  }
  const LoggedCall& addCommand(const std::string& caption) const {
    for (const auto& c : host->calls())
      if (c.member == "AddAuxCommand" && c.args.at(0).value == Variant(caption)) return c;
    throw std::runtime_error("no AddAuxCommand for " + caption);
  }
  const LoggedCall& toMenu(const std::string& caption) const {
    for (const auto& c : host->calls())
      if (c.member == "AddAuxCommandToMenu" && c.args.at(4).value == Variant(caption)) return c;
    throw std::runtime_error("no AddAuxCommandToMenu for " + caption);
  }
  int exitCode = -1;
};

TEST_F(FullRun, RegistersEverySubmenuAndCommandOnceAndCloses) {
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(boxes().empty()) << "a successful run shows no message";
  EXPECT_TRUE(app.terminated()) << "the window closes itself, which ends the program";
  EXPECT_EQ(ui.pending(), 0u);

  EXPECT_EQ(count("AuxSubMenuExists"), 8);
  EXPECT_EQ(count("AddAuxSubMenu"), 8);
  EXPECT_EQ(count("AuxCommandExists"), 57);
  EXPECT_EQ(count("AuxCommandExistsInMenus"), 57);
  EXPECT_EQ(count("AddAuxCommand"), 57);
  EXPECT_EQ(count("AddAuxCommandToMenu"), 57);
  EXPECT_EQ(captions("AddAuxCommandToToolbar"),
            (std::vector<std::string>{"Contains Loo&kup", "Global Age &Update",
                                      "&Important Dates Report"}));
  EXPECT_EQ(captions("AddAuxSubMenu"),
            (std::vector<std::string>{"Vel&mora", "&Birthday Queries", "&Labels", "&Envelopes",
                                      "&Reports", "Activity &Series",
                                      "ACT! &Word Processor Templates", "&MS Word Templates"}));
  for (const auto& c : aux()) {
    EXPECT_EQ(c.error, 0) << c.member << " " << captionOf(c) << ": " << c.errorText;
    if (c.member.starts_with("Add")) {
      EXPECT_EQ(c.result, Variant(0)) << c.member << captionOf(c);
    }
  }
}

TEST_F(FullRun, TheAutomationObjectIsCreatedOnceBeforeTheFirstMemberCall) {
  std::vector<std::string> creations;
  size_t firstAux = host->calls().size(), creation = 0;
  for (size_t i = 0; i < host->calls().size(); ++i) {
    const auto& c = host->calls()[i];
    if (c.object == "Connector" && c.member == "CreateObject") {
      creations.push_back(c.args.at(0).value.asText());
      creation = i;
    }
    if (c.object == "AuxCmds" && firstAux == host->calls().size()) firstAux = i;
  }
  EXPECT_EQ(creations, std::vector<std::string>{"ACTOLE.AUXCMDS"});
  EXPECT_LT(creation, firstAux);
}

TEST_F(FullRun, ArgumentsGoByReferenceExactlyWhereTheProtocolSays) {
  for (const auto& c : aux()) {
    EXPECT_EQ(refPattern(c), expectedPattern(c)) << c.member << " for \"" << captionOf(c) << "\"";
    // The integers travel as 32-bit integers, into 32-bit variables.
    if (!c.args.empty() && c.member != "AuxCommandExists" && c.member != "AddAuxCommand") {
      EXPECT_EQ(c.args[0].value, Variant(1)) << c.member << " " << captionOf(c) << ": MenuSetId";
      EXPECT_EQ(c.args[0].refType, host::VarType::Int32) << c.member;
    }
    if (c.member == "AuxSubMenuExists") {
      EXPECT_EQ(c.args[2].refType, host::VarType::Text);
      EXPECT_EQ(c.args[3].refType, host::VarType::Int32) << "SubMenuRef";
    }
  }
  const auto first = aux().front();
  EXPECT_EQ(first.member, "AuxSubMenuExists");
  EXPECT_EQ(first.args.at(1).value, Variant("")) << "the menu bar is the parent of Vel&mora";
  EXPECT_EQ(first.args.at(2).value, Variant(kTop));
  const auto top = aux("AddAuxSubMenu").front();
  EXPECT_EQ(top.args.at(1).value, Variant(""));
  EXPECT_EQ(top.args.at(2).value, Variant(8));
  EXPECT_EQ(top.args.at(3).value, Variant(0));
}

TEST_F(FullRun, CommandDefinitionsFollowTheCatalogue) {
  const auto& help = addCommand("&Help");
  const std::string helpLine = help.args.at(1).value.asText();
  EXPECT_TRUE(helpLine.starts_with("C:\\Program Files\\Internet Explorer\\iexplore.exe "))
      << helpLine;
  EXPECT_TRUE(helpLine.ends_with("/help")) << helpLine;
  EXPECT_EQ(helpLine.find("://"), std::string::npos) << "the address has no scheme: " << helpLine;
  EXPECT_EQ(helpLine, "C:\\Program Files\\Internet Explorer\\iexplore.exe " +
                          std::string(kHelpSiteHost) + "/help");
  EXPECT_EQ(help.args.at(2).value, Variant("C:\\Program Files\\Internet Explorer"));

  const auto& seek = addCommand("Contains Loo&kup");
  std::vector<Variant> seekArgs;
  for (const auto& a : seek.args) seekArgs.push_back(a.value);
  EXPECT_EQ(
      seekArgs,
      (std::vector<Variant>{
          "Contains Loo&kup", "C:\\Program Files\\VMR\\Seekmark.exe", "C:\\Program Files\\VMR",
          "Contains Lookup", "Lookup data in Velmora fields with partial values",
          "C:\\Program Files\\VMR\\seek.ico", "C:\\Program Files\\VMR\\seek.ico", 1}));

  // A report row whose placement flag is 2, at Position 3.
  const auto& anniversary = toMenu("Anni&versary");
  EXPECT_EQ(anniversary.args.at(1).value, Variant("Vel&mora\\&Reports"));
  EXPECT_EQ(anniversary.args.at(2).value, Variant(3));
  EXPECT_EQ(anniversary.args.at(3).value, Variant(2));
  EXPECT_EQ(toMenu("E&mployee Census").args.at(3).value, Variant(1));
  EXPECT_EQ(toMenu("&Help").args.at(2).value, Variant(13));

  struct Row {
    const char* caption;
    std::string commandLine;
    const char* startFolder;
  };
  const Row rows[] = {
      {"516&3 to Preferred Mailing", std::string(testing::kReportFolder) + "\\VMR L5163 Mail.lbl",
       "C:\\Program Files\\Act\\Report"},
      {"Ma&y Query", std::string(testing::kQueryFolder) + "\\Month05.QRY",
       "C:\\Program Files\\Act\\Query"},
      {"#10 to &Home Address", std::string(testing::kReportFolder) + "\\VMR E10 Home.env",
       "C:\\Program Files\\Act\\Report"},
      {"&Task List", std::string(testing::kReportFolder) + "\\VMR R16.rep",
       "C:\\Program Files\\Act\\Report"},
      {"&Schedule Activity Series", "C:\\Program Files\\VMR\\SeriesRun.mpr",
       "C:\\Program Files\\VMR"},
      {"AWP Letter to Work (&Spouse)", std::string(testing::kTemplateFolder) + "\\VMR T04.tpl",
       "C:\\Program Files\\Act\\Template"},
      {"Letter to &Alternate Address", std::string(testing::kTemplateFolder) + "\\VMR W05.ADT",
       "C:\\Program Files\\Act\\Template"},
  };
  for (const Row& r : rows) {
    const auto& c = addCommand(r.caption);
    EXPECT_EQ(c.args.at(1).value, Variant(r.commandLine)) << r.caption;
    EXPECT_EQ(c.args.at(2).value, Variant(r.startFolder)) << r.caption;
    EXPECT_EQ(c.args.at(5).value, Variant("C:\\Program Files\\VMR\\leaf.ico")) << r.caption;
    EXPECT_EQ(c.args.at(6).value, c.args.at(5).value) << r.caption;
  }
}

// The whole conversation with the host, call by call: every argument of every row, by value or
// by reference, in the order the catalogue gives.
TEST_F(FullRun, EveryCallCarriesTheCataloguesArguments) {
  std::vector<std::string> got;
  for (const auto& c : aux()) got.push_back(testing::describeCall(c));
  EXPECT_TRUE(testing::sameLines(testing::readLines("expected_calls.txt"), got));
}

TEST_F(FullRun, TheMenuTreeIsTheSuitesLayout) {
  EXPECT_EQ(standin::menuTree(catalogue()), readGolden("expected_menu.txt"));
}

TEST_F(FullRun, ASecondInstallOnlyLooksUp) {
  host->clearCalls();
  showForm();
  EXPECT_EQ(count("AuxSubMenuExists"), 8);
  EXPECT_EQ(count("AuxCommandExists"), 57);
  EXPECT_EQ(aux().size(), 65u) << "nothing but one lookup per submenu and per command";
  EXPECT_EQ(captions("AuxSubMenuExists"),
            (std::vector<std::string>{"Vel&mora", "&Birthday Queries", "&Labels", "&Envelopes",
                                      "&Reports", "Activity &Series",
                                      "ACT! &Word Processor Templates", "&MS Word Templates"}));
  const auto looked = captions("AuxCommandExists");
  EXPECT_EQ(std::set<std::string>(looked.begin(), looked.end()).size(), 57u) << "each command once";
  EXPECT_EQ(form->Registrar.AuxStatus, 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_FALSE(form->visible());
}

// The existence answers every lookup is tried with, and what each makes of the item.
enum class Outcome { Added, Skipped, Error };
struct ExistenceAnswer {
  const char* name;
  Variant value;
  Outcome outcome;
};
const ExistenceAnswer kExistenceAnswers[] = {
    {"false", false, Outcome::Added},
    {"true", true, Outcome::Skipped},
    {"integer 0", int32_t{0}, Outcome::Added},
    {"integer 1 is added again", int32_t{1}, Outcome::Added},
    {"integer -1", int32_t{-1}, Outcome::Skipped},
    {"Empty", Variant(), Outcome::Error},
    {"Null", Variant::null(), Outcome::Error},
};

// Existence answers are negated as variants: only true and -1 mean "there".
TEST_F(Installer, ExistenceAnswersAreReadAsNegatedVariants) {
  const std::string caption = "B&rowse Letters";
  for (const ExistenceAnswer& r : kExistenceAnswers) {
    SCOPED_TRACE(r.name);
    makeHost();
    rule({.kind = Rule::Kind::Answer,
          .member = "AuxCommandExists",
          .whenText = caption,
          .value = r.value});
    const size_t boxesBefore = boxes().size();
    showForm();
    const bool added = catalogue().command(caption) != nullptr;
    switch (r.outcome) {
      case Outcome::Added:
        EXPECT_TRUE(added);
        EXPECT_EQ(toMenuCount(caption), 1);
        EXPECT_EQ(count("AddAuxCommand"), 57);
        EXPECT_EQ(boxes().size(), boxesBefore);
        break;
      case Outcome::Skipped:
        EXPECT_FALSE(added);
        EXPECT_EQ(count("AuxCommandExistsInMenus"), 56) << "nothing else is asked of it";
        EXPECT_EQ(count("AddAuxCommand"), 56);
        EXPECT_EQ(boxes().size(), boxesBefore);
        break;
      case Outcome::Error:
        ASSERT_EQ(boxes().size(), boxesBefore + 1);
        EXPECT_EQ(boxes().back().box.icon, forms::Icon::Error);
        EXPECT_EQ(aux().back().member, "AuxCommandExists") << "nothing after the bad answer";
        EXPECT_EQ(captionOf(aux().back()), caption);
        EXPECT_TRUE(form->visible()) << "the window stays open";
        break;
    }
  }
}

TEST_F(Installer, ADefinedCommandInNoMenuIsNotPutBack) {
  standin::HostState st;
  st.catalogue.commands.push_back({.caption = "&Help", .commandLine = "old help"});
  makeHost(std::move(st));
  showForm();
  auto looked = captions("AuxCommandExists");
  EXPECT_EQ(std::count(looked.begin(), looked.end(), "&Help"), 1);
  auto inMenus = captions("AuxCommandExistsInMenus");
  EXPECT_EQ(std::count(inMenus.begin(), inMenus.end(), "&Help"), 0);
  EXPECT_EQ(toMenuCount("&Help"), 0);
  EXPECT_EQ(catalogue().command("&Help")->commandLine, "old help");
  EXPECT_EQ(count("AddAuxCommand"), 56);
}

TEST_F(Installer, ACommandInTheMenusButNotDefinedIsNotDefined) {
  standin::HostState st;
  st.catalogue.menuEntries.push_back(
      {.path = "Vel&mora", .caption = "&Driving Directions", .position = 12, .flag = 1});
  makeHost(std::move(st));
  showForm();
  auto inMenus = captions("AuxCommandExistsInMenus");
  EXPECT_EQ(std::count(inMenus.begin(), inMenus.end(), "&Driving Directions"), 1);
  auto defined = captions("AddAuxCommand");
  EXPECT_EQ(std::count(defined.begin(), defined.end(), "&Driving Directions"), 0);
  EXPECT_EQ(count("AddAuxCommand"), 56);
  EXPECT_FALSE(form->visible());
}

// A command that the host refuses to define gets no menu entry and no button; the next row
// keeps its own position.
TEST_F(Installer, ARefusedDefinitionLeavesAGap) {
  struct Row {
    const char* refused;
    const char* next;
    int32_t nextPosition;
    std::vector<std::string> toolbar;
  };
  const Row rows[] = {
      {"Contains Loo&kup",
       "Global Age &Update",
       1,
       {"Global Age &Update", "&Important Dates Report"}},
      {"Insu&rance",
       "E&mployee Census",
       9,
       {"Contains Loo&kup", "Global Age &Update", "&Important Dates Report"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.refused);
    makeHost();
    rule({.kind = Rule::Kind::Answer,
          .member = "AddAuxCommand",
          .whenText = r.refused,
          .value = int32_t{7}});
    showForm();
    EXPECT_EQ(toMenuCount(r.refused), 0);
    EXPECT_EQ(captions("AddAuxCommandToToolbar"), r.toolbar);
    EXPECT_EQ(count("AddAuxCommand"), 57);
    EXPECT_EQ(count("AddAuxCommandToMenu"), 56);
    std::vector<Variant> nextPositions;
    for (const auto& c : aux("AddAuxCommandToMenu"))
      if (captionOf(c) == r.next) nextPositions.push_back(c.args.at(2).value);
    EXPECT_EQ(nextPositions, std::vector<Variant>{r.nextPosition});
    EXPECT_TRUE(boxes().empty()) << "a refusal is not reported";
    EXPECT_FALSE(form->visible());
  }
}

// A submenu the host refuses to add: only the report commands go on regardless.
TEST_F(Installer, ARefusedSubmenuKeepsOrDropsItsCommands) {
  struct Row {
    const char* submenu;
    std::vector<std::string> commands;  // a few of the submenu's command captions
    bool registered;
  };
  const Row rows[] = {
      {"&Reports", {"&Birthday list - All Family", "&Work Information"}, true},
      {"&Birthday Queries", {"&January Query", "&December Query"}, true},
      {"Activity &Series", {"&Create/Edit Activity Series", "&Schedule Activity Series"}, false},
      {"ACT! &Word Processor Templates", {"AWP Letter to &Preferred Mailing Address"}, false},
      {"&MS Word Templates",
       {"Letter to &Preferred Mailing Address", "Letter to &Alternate Address"},
       false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.submenu);
    makeHost();
    rule({.kind = Rule::Kind::Answer,
          .member = "AddAuxSubMenu",
          .whenText = r.submenu,
          .value = int32_t{4}});
    showForm();
    auto seen = touched();
    for (const auto& caption : r.commands) {
      auto defined = captions("AddAuxCommand");
      EXPECT_EQ(std::count(defined.begin(), defined.end(), caption), r.registered ? 1 : 0)
          << caption;
      if (!r.registered) {
        EXPECT_EQ(seen.count(caption), 0u) << caption << " is not even looked up";
      }
    }
    EXPECT_FALSE(form->visible());
  }
  // All seventeen reports are placed under the refused submenu's path all the same.
  makeHost();
  rule({.kind = Rule::Kind::Answer,
        .member = "AddAuxSubMenu",
        .whenText = "&Reports",
        .value = int32_t{4}});
  showForm();
  int reports = 0;
  for (const auto& c : aux("AddAuxCommandToMenu"))
    reports += c.args.at(1).value == Variant("Vel&mora\\&Reports");
  EXPECT_EQ(reports, 17);
}

// A status left by an unrelated call must not drop the commands of a submenu that was already
// there: only the submenu's own AddAuxSubMenu status counts.
TEST_F(Installer, AStaleStatusDoesNotDropAnExistingSubmenusCommands) {
  standin::HostState st;
  st.catalogue.submenus.push_back({.parent = "", .caption = "Vel&mora", .position = 8});
  st.catalogue.submenus.push_back(
      {.parent = "Vel&mora", .caption = "Activity &Series", .position = 8});
  makeHost(std::move(st));
  rule({.kind = Rule::Kind::Answer,
        .member = "AddAuxCommandToMenu",
        .whenText = "&Work Information",
        .value = int32_t{5}});
  showForm();
  auto defined = captions("AddAuxCommand");
  EXPECT_EQ(std::count(defined.begin(), defined.end(), "&Create/Edit Activity Series"), 1);
  EXPECT_EQ(std::count(defined.begin(), defined.end(), "&Schedule Activity Series"), 1);
  EXPECT_EQ(toMenuCount("&Schedule Activity Series"), 1);
  EXPECT_EQ(count("AddAuxSubMenu"), 6) << "Vel&mora and Activity &Series were there";
  EXPECT_EQ(count("AddAuxCommand"), 57);
}

// Whatever the host leaves in a by-reference variable is what later calls pass.
TEST_F(Installer, WhatTheHostWritesBackIsPassedOn) {
  makeHost();
  rule({.kind = Rule::Kind::WriteBack,
        .member = "AuxSubMenuExists",
        .nth = 1,
        .value = 7,
        .argIndex = 0});
  rule({.kind = Rule::Kind::WriteBack,
        .member = "AddAuxSubMenu",
        .nth = 1,
        .value = "Velmora (&2)",
        .argIndex = 4});
  rule({.kind = Rule::Kind::WriteBack,
        .member = "AuxSubMenuExists",
        .nth = 2,
        .value = 42,
        .argIndex = 3});
  showForm();
  const auto calls = aux();
  ASSERT_GE(calls.size(), 3u);
  // MenuSetId: 7 from the first call on, in every call that passes it.
  for (size_t i = 1; i < calls.size(); ++i) {
    if (calls[i].member == "AuxCommandExists" || calls[i].member == "AddAuxCommand") continue;
    EXPECT_EQ(calls[i].args.at(0).value, Variant(7)) << i << " " << calls[i].member;
  }
  EXPECT_EQ(form->Registrar.MenuSetId, 7);
  EXPECT_EQ(form->Registrar.TopMenuCaption, "Velmora (&2)");
  for (const auto& c : aux("AddAuxCommandToMenu")) {
    const std::string path = c.args.at(1).value.asText();
    EXPECT_TRUE(path.starts_with("Velmora (&2)")) << captionOf(c) << ": " << path;
  }
  EXPECT_EQ(toMenuPath("&January Query"), "Velmora (&2)\\&Birthday Queries");
  EXPECT_EQ(toMenuPath("Contains Loo&kup"), "Velmora (&2)");
  // SubMenuRef: each lookup passes what the previous one left.
  auto lookups = aux("AuxSubMenuExists");
  ASSERT_EQ(lookups.size(), 8u);
  EXPECT_EQ(lookups[0].args.at(3).value, Variant(0));
  EXPECT_EQ(lookups[2].args.at(3).value, Variant(42));
  for (size_t i = 1; i < lookups.size(); ++i)
    EXPECT_EQ(lookups[i].args.at(3).value, lookups[i - 1].args.at(3).after) << i;
  EXPECT_EQ(lookups[1].args.at(1).value, Variant("Velmora (&2)"));
}

// A submenu's caption travels in a variable of its procedure: what the host leaves there is the
// caption of the Add call and of every menu path joined after it.
TEST_F(Installer, ASubmenusCaptionVariableTakesWhatTheHostLeaves) {
  makeHost();
  rule({.kind = Rule::Kind::WriteBack,
        .member = "AuxSubMenuExists",
        .whenText = "&Envelopes",
        .value = "&Envelopes (2)",
        .argIndex = 2});
  showForm();
  auto added = captions("AddAuxSubMenu");
  EXPECT_EQ(std::count(added.begin(), added.end(), "&Envelopes (2)"), 1);
  EXPECT_EQ(std::count(added.begin(), added.end(), "&Envelopes"), 0);
  for (const char* caption : {"#9 to &Preferred Mailing", "#10 to &Home Address"})
    EXPECT_EQ(toMenuPath(caption), "Vel&mora\\&Envelopes (2)") << caption;
  EXPECT_EQ(toMenuPath("&Birthday list - All Family"), "Vel&mora\\&Reports")
      << "the next procedure has a caption of its own";
}

// Status answers are read as 32-bit integers: Empty is 0, true is -1, Null ends the run.
TEST_F(Installer, StatusAnswersAreReadAsIntegers) {
  struct Row {
    const char* name;
    Variant answer;
    std::optional<int32_t> status;  // nothing: the answer ends the run
  };
  const Row rows[] = {
      {"integer 0", int32_t{0}, 0},
      {"Empty is 0", Variant(), 0},
      {"false is 0", false, 0},
      {"true is -1", true, -1},
      {"integer 3", int32_t{3}, 3},
      {"16-bit 2", int16_t{2}, 2},
      {"Null", Variant::null(), std::nullopt},
  };
  // A definition: only a 0 status lets the menu entry and the toolbar button follow.
  const std::string defined = "Contains Loo&kup";
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string("AddAuxCommand answers ") + r.name);
    makeHost();
    rule({.kind = Rule::Kind::Answer,
          .member = "AddAuxCommand",
          .whenText = defined,
          .value = r.answer});
    const size_t boxesBefore = boxes().size();
    showForm();
    if (!r.status) {
      ASSERT_EQ(boxes().size(), boxesBefore + 1);
      EXPECT_EQ(boxes().back().box.icon, forms::Icon::Error);
      EXPECT_EQ(aux().back().member, "AddAuxCommand") << "nothing after the bad status";
      EXPECT_TRUE(form->visible());
      continue;
    }
    const bool placed = *r.status == 0;
    EXPECT_EQ(toMenuCount(defined), placed ? 1 : 0);
    auto buttons = captions("AddAuxCommandToToolbar");
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), defined), placed ? 1 : 0);
    EXPECT_EQ(count("AddAuxCommand"), 57) << "the next command follows";
    EXPECT_EQ(boxes().size(), boxesBefore);
  }
  // The last placement of the run: its status is what AuxStatus holds at the end.
  const std::string last = "Letter to &Alternate Address";
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string("AddAuxCommandToMenu answers ") + r.name);
    makeHost();
    rule({.kind = Rule::Kind::Answer,
          .member = "AddAuxCommandToMenu",
          .whenText = last,
          .value = r.answer});
    const size_t boxesBefore = boxes().size();
    showForm();
    ASSERT_EQ(aux().back().member, "AddAuxCommandToMenu");
    EXPECT_EQ(captionOf(aux().back()), last);
    if (!r.status) {
      ASSERT_EQ(boxes().size(), boxesBefore + 1);
      EXPECT_TRUE(form->visible()) << "a Null status ends the run before the window closes";
      continue;
    }
    EXPECT_EQ(form->Registrar.AuxStatus, *r.status);
    EXPECT_EQ(boxes().size(), boxesBefore) << "a placement's status is not tested";
    EXPECT_FALSE(form->visible());
  }
}

// Every lookup reads its answer by the same rule, also for an item that the host already has:
// an answer that does not say "there" adds the item again.
TEST_F(Installer, EveryLookupOfAnExistingItemReadsItsAnswerTheSameWay) {
  makeHost();
  showForm();
  const standin::Catalogue whole = catalogue();
  struct Lookup {
    const char* member;
    const char* caption;
    const char* next;  // the call that follows a "missing" answer
  };
  const Lookup lookups[] = {
      {"AuxSubMenuExists", "&Labels", "AddAuxSubMenu"},
      {"AuxCommandExists", "B&rowse Letters", "AuxCommandExistsInMenus"},
      // In the menus but not defined, so that its lookup in the menus is reached.
      {"AuxCommandExistsInMenus", "&Driving Directions", "AddAuxCommand"},
  };
  for (const Lookup& l : lookups) {
    for (const ExistenceAnswer& a : kExistenceAnswers) {
      SCOPED_TRACE(std::string(l.member) + " answers " + a.name);
      standin::HostState st;
      st.catalogue = whole;
      std::erase_if(st.catalogue.commands, [](const standin::CommandDef& c) {
        return c.caption == "&Driving Directions";
      });
      makeHost(std::move(st));
      rule({.kind = Rule::Kind::Answer,
            .member = l.member,
            .whenText = l.caption,
            .value = a.value});
      const size_t boxesBefore = boxes().size();
      showForm();
      auto asked = captions(l.member);
      EXPECT_EQ(std::count(asked.begin(), asked.end(), l.caption), 1);
      auto next = captions(l.next);
      switch (a.outcome) {
        case Outcome::Added:
          EXPECT_EQ(std::count(next.begin(), next.end(), l.caption), 1) << l.next;
          EXPECT_EQ(boxes().size(), boxesBefore);
          EXPECT_FALSE(form->visible());
          break;
        case Outcome::Skipped:
          EXPECT_EQ(std::count(next.begin(), next.end(), l.caption), 0) << l.next;
          EXPECT_EQ(boxes().size(), boxesBefore);
          EXPECT_FALSE(form->visible());
          break;
        case Outcome::Error:
          ASSERT_EQ(boxes().size(), boxesBefore + 1);
          EXPECT_EQ(boxes().back().box.icon, forms::Icon::Error);
          EXPECT_EQ(aux().back().member, l.member) << "nothing after the bad answer";
          EXPECT_EQ(captionOf(aux().back()), l.caption);
          EXPECT_TRUE(form->visible());
          break;
      }
    }
  }
}

// AuxStatus is never reset: a placement that failed early in the run is still there at its
// end when everything after it was found. The submenus that test a status test their own, so
// their commands are still looked up.
TEST_F(Installer, AStatusLivesOnThroughTheProceduresThatFollow) {
  makeHost();
  showForm();
  standin::HostState st;
  st.catalogue = catalogue();
  const std::string missing = "&Work Information";
  std::erase_if(st.catalogue.commands,
                [&](const standin::CommandDef& c) { return c.caption == missing; });
  std::erase_if(st.catalogue.menuEntries,
                [&](const standin::MenuEntry& e) { return e.caption == missing; });
  makeHost(std::move(st));
  rule({.kind = Rule::Kind::Answer,
        .member = "AddAuxCommandToMenu",
        .whenText = missing,
        .value = int32_t{5}});
  showForm();
  EXPECT_EQ(form->Registrar.AuxStatus, 5);
  EXPECT_EQ(count("AddAuxCommand"), 1);
  EXPECT_EQ(count("AddAuxSubMenu"), 0);
  auto looked = captions("AuxCommandExists");
  for (const char* caption : {"&Create/Edit Activity Series", "AWP Letter to &Home Address",
                              "Letter to &Alternate Address"})
    EXPECT_EQ(std::count(looked.begin(), looked.end(), caption), 1) << caption;
  EXPECT_EQ(looked.size(), 57u);
  EXPECT_FALSE(form->visible());
}

}  // namespace
}  // namespace vel::menuwright
