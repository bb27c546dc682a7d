#include "standin/tool/commands.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "host/error.h"
#include "standin/menutree.h"
#include "standin/sample.h"
#include "standin/store.h"
#include "tests/platform/fixtures.h"

namespace vel::standin {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempFolder;

// --- menuTree ----------------------------------------------------------------------------------

TEST(MenuTreeTest, PrintsMenusByPositionWithCommandsToolbarAndLeftovers) {
  Catalogue c;
  c.submenus = {{1, "", "&Tools", 9, 0},          {1, "", "&File", 0, 0},
                {1, "", "Vel&mora", 8, 0},        {1, "Vel&mora", "&Reports", 7, 2},
                {1, "Vel&mora", "&Labels", 5, 1}, {1, "Vel&mora\\&Gone", "&Orphan", 0, 0},
                {2, "", "&Other Set", 0, 0}};
  c.commands = {{"Contains Loo&kup", "C:\\VMR\\Seekmark.exe"},
                {"&Help", "C:\\IE\\iexplore.exe help.example/help"},
                {"Avery 5160", "C:\\VMR\\5160.lbl"},
                {"Stray", "C:\\stray.exe"}};
  c.menuEntries = {{1, "Vel&mora", "&Help", 13, 1},
                   {1, "Vel&mora", "Contains Loo&kup", 0, 0},
                   {1, "Vel&mora\\&Labels", "Avery 5160", 0, 0},
                   {1, "Vel&mora", "Undefined", 5, 0},
                   {1, "Nowhere", "Stray2", 1, 0}};
  c.toolbar = {{1, "Contains Loo&kup"}, {2, "Other"}, {1, "&Help"}};

  EXPECT_EQ(menuTree(c),
            "Menu set 1\n"
            "  [0] menu \"&File\" (flag 0)\n"
            "  [8] menu \"Vel&mora\" (flag 0)\n"
            "    [0] command \"Contains Loo&kup\" (flag 0): C:\\VMR\\Seekmark.exe\n"
            "    [5] menu \"&Labels\" (flag 1)\n"
            "      [0] command \"Avery 5160\" (flag 0): C:\\VMR\\5160.lbl\n"
            "    [5] command \"Undefined\" (flag 0): (not defined)\n"
            "    [7] menu \"&Reports\" (flag 2)\n"
            "    [13] command \"&Help\" (flag 1): C:\\IE\\iexplore.exe help.example/help\n"
            "  [9] menu \"&Tools\" (flag 0)\n"
            "Toolbar\n"
            "  1. \"Contains Loo&kup\"\n"
            "  2. \"&Help\"\n"
            "Commands in no menu\n"
            "  \"Stray\": C:\\stray.exe\n"
            "Under no menu of the tree\n"
            "  \"Vel&mora\\&Gone\" [0] menu \"&Orphan\" (flag 0)\n"
            "  \"Nowhere\" [1] command \"Stray2\" (flag 0): (not defined)\n");

  EXPECT_EQ(menuTree(c, 2),
            "Menu set 2\n"
            "  [0] menu \"&Other Set\" (flag 0)\n"
            "Toolbar\n"
            "  1. \"Other\"\n"
            "Commands in no menu\n"
            "  \"Contains Loo&kup\": C:\\VMR\\Seekmark.exe\n"
            "  \"&Help\": C:\\IE\\iexplore.exe help.example/help\n"
            "  \"Avery 5160\": C:\\VMR\\5160.lbl\n"
            "  \"Stray\": C:\\stray.exe\n");
}

TEST(MenuTreeTest, AnEmptyCatalogueAndASubmenuAddedTwice) {
  EXPECT_EQ(menuTree(Catalogue{}),
            "Menu set 1\n  (none)\nToolbar\n  (none)\nCommands in no menu\n  (none)\n");

  Catalogue c;
  c.submenus = {{1, "", "Vel&mora", 8, 0}, {1, "", "Vel&mora", 8, 0}};
  c.menuEntries = {{1, "Vel&mora", "A", 0, 0}};
  c.commands = {{"A", "a.exe"}};
  EXPECT_EQ(menuTree(c),
            "Menu set 1\n"
            "  [8] menu \"Vel&mora\" (flag 0)\n"
            "    [0] command \"A\" (flag 0): a.exe\n"
            "  [8] menu \"Vel&mora\" (flag 0) (again)\n"
            "Toolbar\n  (none)\nCommands in no menu\n  (none)\n");
}

// --- The tool ----------------------------------------------------------------------------------

struct Outcome {
  int code;
  std::string out, err;
};

class ToolTest : public ::testing::Test {
 protected:
  std::string dir() const { return (temp_.path() / "host").string(); }

  Outcome run(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = runTool(std::move(args), out, err);
    return {code, out.str(), err.str()};
  }
  // Runs a command that must succeed.
  std::string ok(std::vector<std::string> args) {
    Outcome o = run(args);
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err, "");
    return o.out;
  }
  HostState state() {
    HostState s;
    Store::open(dir(), s);
    return s;
  }
  void createSmall() { ok({"create", dir(), "--contacts", "5", "--seed", "3"}); }

  TempFolder temp_;
};

TEST_F(ToolTest, CreateThenShow) {
  EXPECT_EQ(ok({"create", dir(), "--contacts", "5", "--seed", "3"}),
            "created host in " + dir() + ": Ledger, 5 contacts\n");
  SampleOptions o;
  o.contacts = 5;
  o.seed = 3;
  HostState expected = makeSampleHost(o);
  HostState got = state();
  ASSERT_NE(got.openDatabase(), nullptr);
  EXPECT_EQ(got.openDatabase()->contacts.size(), 5u);
  EXPECT_EQ(got.openDatabase()->contacts[4].uid(), expected.openDatabase()->contacts[4].uid());

  const size_t fields = expected.openDatabase()->fields.size();
  EXPECT_EQ(ok({"show", dir()}),
            "ready: yes\n"
            "event control: visible, ready whether sited or not\n"
            "open database: Ledger (5 contacts)\n"
            "focused field: 1003 Contact\n"
            "lookup: all contacts\n"
            "databases: Ledger (5 contacts, " +
                std::to_string(fields) +
                " fields)\n"
                "catalogue: 0 commands, 11 submenus, 0 menu entries, 0 toolbar buttons\n"
                "rules: 0\n"
                "call log: on\n");
}

TEST_F(ToolTest, AnEmptyHostHasNothing) {
  EXPECT_EQ(ok({"create", dir(), "--empty"}), "created an empty host in " + dir() + "\n");
  std::string show = ok({"show", dir()});
  EXPECT_NE(show.find("open database: none\n"), std::string::npos) << show;
  EXPECT_NE(show.find("databases: none\n"), std::string::npos) << show;
  Outcome o = run({"contacts", dir()});
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("no database open"), std::string::npos) << o.err;
}

TEST_F(ToolTest, ReadinessFocusAndOpenDatabaseAreKept) {
  createSmall();
  ok({"ready", dir(), "no"});
  EXPECT_FALSE(state().ui.ready);
  ok({"ready", dir(), "yes"});
  EXPECT_TRUE(state().ui.ready);

  EXPECT_EQ(ok({"focus", dir(), "1080"}), "focused field: 1080\n");
  EXPECT_EQ(state().ui.focusedField, 1080);
  EXPECT_NE(ok({"show", dir()}).find("focused field: 1080 Birth Date\n"), std::string::npos);

  EXPECT_EQ(ok({"open", dir(), "--none"}), "open database: none\n");
  EXPECT_EQ(state().ui.openDatabase, "");
  EXPECT_EQ(ok({"open", dir(), "LEDGER"}), "open database: Ledger\n");
  EXPECT_EQ(state().ui.openDatabase, "Ledger");

  // The tool leaves each change in the snapshot, not in the journal.
  HostState s;
  EXPECT_TRUE(Store::open(dir(), s)->journalEmpty());
}

TEST_F(ToolTest, EventControlOptionsAreKeptAndShown) {
  createSmall();
  EXPECT_EQ(ok({"control", dir()}), "event control: visible, ready whether sited or not\n");
  EXPECT_EQ(ok({"control", dir(), "--invisible", "--ready-when-sited"}),
            "event control: invisible at run time, ready only when sited\n");
  EXPECT_TRUE(state().ui.control.invisible);
  EXPECT_TRUE(state().ui.control.readyWhenSited);
  EXPECT_NE(
      ok({"show", dir()}).find("event control: invisible at run time, ready only when sited\n"),
      std::string::npos);

  // One option changes alone; the other keeps its value.
  EXPECT_EQ(ok({"control", dir(), "--visible"}), "event control: visible, ready only when sited\n");
  EXPECT_EQ(ok({"control", dir(), "--ready-always"}),
            "event control: visible, ready whether sited or not\n");
  HostState s = state();
  EXPECT_FALSE(s.ui.control.invisible);
  EXPECT_FALSE(s.ui.control.readyWhenSited);

  // Other changes of the user-interface state keep the options.
  ok({"control", dir(), "--invisible"});
  ok({"ready", dir(), "no"});
  ok({"focus", dir(), "1080"});
  EXPECT_TRUE(state().ui.control.invisible);
}

TEST_F(ToolTest, LookupsAreSetListedAndCleared) {
  createSmall();
  EXPECT_EQ(ok({"lookup", dir()}), "all contacts\n");
  HostState s = state();
  std::string a = s.openDatabase()->contacts[3].uid(), b = s.openDatabase()->contacts[0].uid();

  EXPECT_EQ(ok({"set-lookup", dir(), a, b}), "lookup: 2 contacts\n");
  EXPECT_EQ(ok({"lookup", dir()}), a + "\n" + b + "\n");
  EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{a, b}));
  EXPECT_NE(ok({"show", dir()}).find("lookup: 2 contacts\n"), std::string::npos);

  std::string table = ok({"contacts", dir(), "--fields", "1", "--lookup"});
  EXPECT_EQ(table, "Unique ID\n" + a + "\n" + b + "\n");

  Outcome bad = run({"set-lookup", dir(), a, "CNOSUCHCONTA"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("CNOSUCHCONTA"), std::string::npos) << bad.err;
  EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{a, b}))
      << "a failed command changes nothing";

  ok({"set-lookup", dir(), "--all"});
  EXPECT_FALSE(state().ui.lookup);
}

TEST_F(ToolTest, SetWritesATextAndContactsShowsIt) {
  createSmall();
  std::string uid = state().openDatabase()->contacts[2].uid();
  ok({"set", dir(), uid, "1080", "3/15/1962"});
  ok({"set", dir(), uid, "1081", "58"});
  HostState after = state();
  EXPECT_EQ(*after.openDatabase()->contacts[2].find(1080), Variant("3/15/1962"));

  std::string table = ok({"contacts", dir(), "--uid", uid, "--fields", "1,1080,1081"});
  EXPECT_EQ(table, "Unique ID     Birth Date  Age\n" + uid + "  3/15/1962   58\n");

  std::string limited = ok({"contacts", dir(), "--limit", "2"});
  EXPECT_EQ(std::count(limited.begin(), limited.end(), '\n'), 3) << limited;

  Outcome noField = run({"set", dir(), uid, "9999", "x"});
  EXPECT_EQ(noField.code, 1);
  EXPECT_NE(noField.err.find("no field 9999"), std::string::npos) << noField.err;
}

TEST_F(ToolTest, FieldsListsTypesAndPopUps) {
  createSmall();
  std::string fields = ok({"fields", dir()});
  EXPECT_EQ(fields.rfind("id    type       label", 0), 0u) << fields.substr(0, 200);
  auto hasLine = [&](const std::string& pattern) {
    return std::regex_search(fields, std::regex("\n" + pattern + "\n"));
  };
  EXPECT_TRUE(hasLine("1006  character  ID/Status +0 entries")) << fields;
  EXPECT_TRUE(hasLine("1080  date       Birth Date")) << fields;
  EXPECT_TRUE(hasLine("1012  character  State +51 entries: AL, AK, AZ, .*, WY")) << fields;
  EXPECT_TRUE(hasLine("1023  phone      Phone")) << fields;
}

TEST_F(ToolTest, FaultRulesRoundTrip) {
  createSmall();
  EXPECT_EQ(ok({"fault", dir(), "add", "fail", "IsReady", "--number", "0x80004005", "--description",
                "Unspecified error", "--nth", "2"}),
            "1. fail IsReady (call 2): 0x80004005 \"Unspecified error\"\n");
  ok({"fault", dir(), "add", "answer", "AuxCommandExists", "--when", "Contains Loo&kup", "--value",
      "int:1"});
  ok({"fault", dir(), "add", "writeback", "AuxSubMenuExists", "--arg", "3", "--value", "i2:-7"});
  ok({"fault", dir(), "add", "answer", "GetOpenDBName", "--value", "text:Other DB"});
  ok({"fault", dir(), "add", "fail", "MoveNext", "--number", "-2147352567"});
  ok({"fault", dir(), "add", "fail", "--any-member", "--nth", "7", "--number", "0x80004005"});

  EXPECT_EQ(ok({"fault", dir(), "list"}),
            "1. fail IsReady (call 2): 0x80004005 \"Unspecified error\"\n"
            "2. answer AuxCommandExists (every call, when text \"Contains Loo&kup\"): Int32(1)\n"
            "3. writeback AuxSubMenuExists (every call): argument 3 := Int16(-7)\n"
            "4. answer GetOpenDBName (every call): Text(\"Other DB\")\n"
            "5. fail MoveNext (every call): 0x80020009 \"\"\n"
            "6. fail any member (call 7 of the run): 0x80004005 \"\"\n");

  std::vector<Rule> rules = state().rules;
  ASSERT_EQ(rules.size(), 6u);
  EXPECT_EQ(rules[5].member, kAnyMember);
  EXPECT_EQ(rules[0].kind, Rule::Kind::Fail);
  EXPECT_EQ(rules[0].number, host::hr::kFail);
  EXPECT_EQ(rules[0].nth, 2);
  EXPECT_EQ(rules[1].whenText, std::optional<std::string>("Contains Loo&kup"));
  EXPECT_EQ(rules[1].value, Variant(int32_t{1}));
  EXPECT_EQ(rules[2].kind, Rule::Kind::WriteBack);
  EXPECT_EQ(rules[2].argIndex, 3);
  EXPECT_EQ(rules[2].value, Variant(int16_t{-7}));
  EXPECT_EQ(rules[4].number, host::hr::kException);

  EXPECT_EQ(ok({"fault", dir(), "clear"}), "rules cleared\n");
  EXPECT_TRUE(state().rules.empty());
  EXPECT_EQ(ok({"fault", dir(), "list"}), "(no rules)\n");
}

TEST_F(ToolTest, EveryValueFormOfARule) {
  createSmall();
  struct Row {
    const char* text;
    Variant value;
  };
  const Row rows[] = {{"true", true},          {"false", false},
                      {"empty", Variant()},    {"null", Variant::null()},
                      {"int:-5", int32_t{-5}}, {"i2:12", int16_t{12}},
                      {"text:", ""},           {"text:a:b", "a:b"}};
  for (const Row& r : rows) ok({"fault", dir(), "add", "answer", "X", "--value", r.text});
  std::vector<Rule> rules = state().rules;
  ASSERT_EQ(rules.size(), std::size(rows));
  for (size_t i = 0; i < rules.size(); ++i)
    EXPECT_EQ(rules[i].value, rows[i].value) << rows[i].text;
}

TEST_F(ToolTest, TheCallLogIsShownAndCleared) {
  createSmall();
  EXPECT_EQ(ok({"calls", dir()}), "(no calls)\n");
  {
    HostState s;
    auto store = Store::open(dir(), s);
    store->logCall(LoggedCall{"AppObject", "IsDBOpen", host::CallKind::Method, {}, true});
    store->logCall(LoggedCall{"ContactView",
                              "CreateLookup",
                              host::CallKind::Method,
                              {LoggedArg{"C1", true, host::VarType::Text, "C1"}},
                              Variant()});
    store->logCall(LoggedCall{"AuxCmds",
                              "AddAuxCommand",
                              host::CallKind::Method,
                              {LoggedArg{int32_t{1}}},
                              Variant(),
                              host::hr::kException,
                              "Exception occurred."});
  }
  EXPECT_EQ(ok({"calls", dir()}),
            "1. AppObject.IsDBOpen [call] () -> Boolean(true)\n"
            "2. ContactView.CreateLookup [call] (ref<Text> Text(\"C1\") -> Text(\"C1\")) -> Empty\n"
            "3. AuxCmds.AddAuxCommand [call] (Int32(1)) !! 0x80020009 Exception occurred.\n");
  EXPECT_EQ(ok({"calls", dir(), "--clear"}), "call log cleared\n");
  EXPECT_EQ(ok({"calls", dir()}), "(no calls)\n");
}

TEST_F(ToolTest, LogSwitchAndMenu) {
  createSmall();
  ok({"log", dir(), "off"});
  EXPECT_FALSE(state().logCalls);
  ok({"log", dir(), "on"});
  EXPECT_TRUE(state().logCalls);

  std::string menu = ok({"menu", dir()});
  EXPECT_EQ(menu, menuTree(state().catalogue));
  EXPECT_EQ(menu.rfind("Menu set 1\n  [0] menu \"&File\" (flag 0)\n", 0), 0u) << menu;
}

TEST_F(ToolTest, HelpListsEveryCommand) {
  Outcome o = run({"--help"});
  EXPECT_EQ(o.code, 0);
  for (const char* name :
       {"create", "show", "ready", "control", "open", "focus", "lookup", "set-lookup", "contacts",
        "fields", "set", "menu", "calls", "fault", "log"})
    EXPECT_NE(o.out.find("standin " + std::string(name) + " DIR"), std::string::npos) << name;
  Outcome one = run({"focus", "--help"});
  EXPECT_EQ(one.code, 0);
  EXPECT_EQ(one.out, "usage: standin focus DIR FIELD\n");
}

struct MisuseRow {
  const char* name;
  std::vector<std::string> args;  // "DIR" stands for the host folder
  int code;
  const char* message;
};

const MisuseRow kMisuses[] = {
    {"no command", {}, 2, "no command given"},
    {"unknown command", {"frobnicate", "DIR"}, 2, "unknown command 'frobnicate'"},
    {"missing folder argument", {"show"}, 2, "missing DIR"},
    {"missing argument", {"focus", "DIR"}, 2, "missing argument"},
    {"extra argument", {"show", "DIR", "more"}, 2, "unexpected argument 'more'"},
    {"unknown option", {"show", "DIR", "--verbose"}, 2, "unknown option --verbose"},
    {"option without its value", {"contacts", "DIR", "--limit"}, 2, "missing value after --limit"},
    {"readiness not yes or no", {"ready", "DIR", "maybe"}, 2, "must be yes or no"},
    {"control both visible and not",
     {"control", "DIR", "--visible", "--invisible"},
     2,
     "exclude each other"},
    {"control ready both ways",
     {"control", "DIR", "--ready-when-sited", "--ready-always"},
     2,
     "exclude each other"},
    {"field not a number", {"focus", "DIR", "10x3"}, 2, "bad number for FIELD: '10x3'"},
    {"negative limit", {"contacts", "DIR", "--limit", "-1"}, 2, "bad number for --limit"},
    {"bad field list", {"contacts", "DIR", "--fields", "1,,3"}, 2, "bad number for --fields"},
    {"contacts count too big",
     {"create", "DIR", "--contacts", "1e3"},
     2,
     "bad number for --contacts"},
    {"empty with options", {"create", "DIR", "--empty", "--contacts", "3"}, 2, "--empty takes no"},
    {"open with name and none",
     {"open", "DIR", "Ledger", "--none"},
     2,
     "a database name or --none"},
    {"set-lookup with nothing", {"set-lookup", "DIR"}, 2, "unique identifiers or --all"},
    {"fail without number", {"fault", "DIR", "add", "fail", "IsReady"}, 2, "missing --number"},
    {"fail with a bad number",
     {"fault", "DIR", "add", "fail", "IsReady", "--number", "0xZZ"},
     2,
     "bad number for --number"},
    {"answer with a bad value",
     {"fault", "DIR", "add", "answer", "X", "--value", "7"},
     2,
     "bad value '7'"},
    {"answer with an i2 out of range",
     {"fault", "DIR", "add", "answer", "X", "--value", "i2:40000"},
     2,
     "bad number for i2:"},
    {"writeback without arg",
     {"fault", "DIR", "add", "writeback", "X", "--value", "true"},
     2,
     "missing --arg"},
    {"answer with a number",
     {"fault", "DIR", "add", "answer", "X", "--value", "true", "--number", "1"},
     2,
     "--number does not go with answer"},
    {"unknown rule kind",
     {"fault", "DIR", "add", "explode", "X"},
     2,
     "unknown rule kind 'explode'"},
    {"nth from zero",
     {"fault", "DIR", "add", "answer", "X", "--value", "true", "--nth", "0"},
     2,
     "--nth counts calls from 1"},
    {"log neither on nor off", {"log", "DIR", "maybe"}, 2, "on or off"},
    {"unknown contact", {"set", "DIR", "CNOSUCHCONTA", "1003", "x"}, 1, "no contact with unique"},
    {"unknown database", {"open", "DIR", "Nowhere"}, 1, "no database \"Nowhere\""},
    {"not a host folder", {"show", "NOHOST"}, 1, "is not a host folder"},
    {"missing host folder", {"focus", "MISSING", "1003"}, 1, "no host folder at"},
};

TEST_F(ToolTest, MisuseIsReportedWithItsExitCode) {
  createSmall();
  fs::create_directories(temp_.path() / "nohost");
  for (const MisuseRow& row : kMisuses) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> args = row.args;
    for (std::string& a : args) {
      if (a == "DIR") a = dir();
      if (a == "NOHOST") a = (temp_.path() / "nohost").string();
      if (a == "MISSING") a = (temp_.path() / "missing").string();
    }
    Outcome o = run(args);
    EXPECT_EQ(o.code, row.code) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(row.message), std::string::npos) << o.err;
    if (row.code == 2 && !row.args.empty() && row.args[0] != "frobnicate") {
      EXPECT_NE(o.err.find("usage: standin"), std::string::npos) << o.err;
    }
  }
  // Nothing of the above changed the host.
  HostState after = state();
  EXPECT_TRUE(after.rules.empty());
  EXPECT_EQ(after.ui.focusedField, samplefield::kContact);
  EXPECT_EQ(after.ui.openDatabase, "Ledger");
}

}  // namespace
}  // namespace vel::standin
