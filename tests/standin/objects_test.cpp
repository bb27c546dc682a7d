// The stand-in's automation objects, driven through the connector exactly as the programs drive
// them; assertions read the host state and the call log.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "host/convert.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/objects.h"
#include "standin/store.h"

namespace vel::standin {
namespace {

using host::Arg;
using host::AutomationError;
using host::DispatchPtr;
using host::Variant;
namespace hr = host::hr;

const std::string kUidA = "C00000000001";
const std::string kUidB = "C00000000002";
const std::string kUidC = "C00000000003";

HostState tinyHost() {
  Database db;
  db.name = "Tiny";
  db.fields = {
      {1, "Unique ID", fieldtype::kCharacter, std::nullopt},
      {1003, "Contact", fieldtype::kCharacter, std::nullopt},
      {1005, "ID/Status", fieldtype::kCharacter, std::vector<std::string>{}},
      {1012, "State", fieldtype::kCharacter, std::vector<std::string>{"NY", "CA", "TX"}},
      {1080, "Birth Date", fieldtype::kDate, std::nullopt},
      {1081, "Age", fieldtype::kCharacter, std::nullopt},
      {1090, "Holdings", fieldtype::kNumeric, std::nullopt},
  };
  auto contact = [](const std::string& uid, const std::string& name, const std::string& state) {
    Contact c;
    c.set(1, uid);
    c.set(1003, name);
    c.set(1012, state);
    return c;
  };
  db.contacts = {contact(kUidA, "Ann Archer", "NY"), contact(kUidB, "Bob Brand", "CA"),
                 contact(kUidC, "Cy Cole", "TX")};
  HostState s;
  s.databases.emplace("Tiny", std::move(db));
  s.ui.openDatabase = "Tiny";
  s.ui.focusedField = 1012;
  return s;
}

class StandinObjects : public ::testing::Test {
 protected:
  std::shared_ptr<Host> host = Host::inMemory(tinyHost());
  standin::InProcessConnector connector{host};

  DispatchPtr table() {
    DispatchPtr db = connector.create("ACTOLE.DATABASE");
    db->call("OpenEx", {""});
    return host::objectOf(db->call("CONTACT"), "CONTACT");
  }
  DispatchPtr contactView() {
    DispatchPtr app = connector.create("ACTOLE.APPOBJECT");
    DispatchPtr views = host::objectOf(app->call("Views"), "Views");
    return host::objectOf(views->call("Create", {1, "CV"}), "Create");
  }
  std::vector<std::string> walkUids(const DispatchPtr& t) {
    std::vector<std::string> uids;
    t->call("MoveFirst");
    int32_t n = host::toInt32(t->call("RecordCount"));
    for (int32_t i = 0; i < n; ++i) {
      uids.push_back(host::toText(t->call("Data", {1}), host::NullRule::Strict));
      t->call("MoveNext");
    }
    return uids;
  }
};

TEST_F(StandinObjects, CursorWalksEveryRecordAndFailsPastTheEnd) {
  DispatchPtr t = table();
  EXPECT_EQ(walkUids(t), (std::vector<std::string>{kUidA, kUidB, kUidC}));
  try {
    t->call("Data", {1003});
    FAIL() << "Data past the last record must fail";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.member(), "Data");
    EXPECT_EQ(e.description(), "No current record.");
  }
}

TEST_F(StandinObjects, MembersMatchInAnyCaseAndCheckTheirArguments) {
  DispatchPtr t = table();
  EXPECT_EQ(t->call("recordcount"), Variant(3));
  EXPECT_EQ(t->call("DATA", {1003}), Variant("Ann Archer"));

  struct Row {
    const char* name;
    std::string member;
    std::vector<Arg> args;
    int32_t number;
  };
  std::vector<Row> rows = {
      {"unknown member", "Frobnicate", {}, hr::kUnknownName},
      {"too few arguments", "Data", {}, hr::kBadParamCount},
      {"too many arguments", "RecordCount", {1}, hr::kBadParamCount},
      {"field not a number", "Data", {Variant::null()}, hr::kTypeMismatch},
      {"unknown field", "Data", {4711}, hr::kFail},
  };
  for (const Row& r : rows) {
    try {
      t->invoke(r.member, host::CallKind::Method, r.args);
      ADD_FAILURE() << r.name << ": no error";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), r.number) << r.name << ": " << e.what();
      EXPECT_EQ(e.member(), r.member) << r.name;
    }
  }
}

TEST_F(StandinObjects, FieldIsNamedByNumberInAnyFormOrByLabel) {
  DispatchPtr t = table();
  t->call("MoveFirst");
  for (const Variant& field : {Variant(1003), Variant(int16_t{1003}), Variant(1003.0),
                               Variant("1003"), Variant("contact")})
    EXPECT_EQ(t->call("Data", {field}), Variant("Ann Archer")) << field;
}

TEST_F(StandinObjects, WriteNeedsEditAndUpdateAndTakesTheFieldsForm) {
  DispatchPtr t = table();
  t->call("MoveFirst");
  int16_t age = 42;
  EXPECT_THROW(t->call("Data", {1081, Arg::ref(age)}), AutomationError);

  t->call("edit");
  t->call("Data", {1081, Arg::ref(age)});
  t->call("Data", {1090, Arg::ref(age)});
  EXPECT_TRUE(t->call("Data", {1081}).isEmpty()) << "not committed before Update";
  t->call("Update");
  EXPECT_EQ(t->call("Data", {1081}), Variant("42")) << "a character field stores text";
  EXPECT_EQ(t->call("Data", {1090}), Variant(42)) << "a numeric field stores a number";

  t->call("MoveNext");
  t->call("edit");
  t->call("Data", {1081, int16_t{7}});
  t->call("MoveNext");  // leaving the record without Update drops the edit
  t->call("MoveFirst");
  t->call("MoveNext");
  EXPECT_TRUE(t->call("Data", {1081}).isEmpty());
  EXPECT_THROW(t->call("Update"), AutomationError);
}

TEST_F(StandinObjects, CreateLookupSplitsJoinedIdentifiers) {
  DispatchPtr view = contactView();
  std::string joined = kUidC + kUidA;
  EXPECT_EQ(view->call("CreateLookup", {Arg::ref(joined)}), Variant(true));
  EXPECT_EQ(host->state().ui.lookup, (std::vector<std::string>{kUidC, kUidA}));

  const LoggedCall& logged = host->calls().back();
  EXPECT_EQ(logged.member, "CreateLookup");
  ASSERT_EQ(logged.args.size(), 1u);
  EXPECT_TRUE(logged.args[0].byRef);
  EXPECT_EQ(logged.args[0].refType, host::VarType::Text);

  std::string ragged = kUidA + "X";
  EXPECT_THROW(view->call("CreateLookup", {Arg::ref(ragged)}), AutomationError);
  std::string unknown = "Z00000000009";
  EXPECT_THROW(view->call("CreateLookup", {Arg::ref(unknown)}), AutomationError);
  EXPECT_EQ(host->state().ui.lookup, (std::vector<std::string>{kUidC, kUidA}))
      << "a refused lookup leaves the current one";
}

TEST_F(StandinObjects, LookupFileRoundTrip) {
  auto root =
      std::filesystem::temp_directory_path() / ("velmora-lookup-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "c" / "VMR");
  host->setFiles(std::make_unique<platform::MappedFileSystem>(root));
  host->state().ui.lookup = std::vector<std::string>{kUidB, kUidC};

  DispatchPtr app = connector.create("actole.appobject");
  app->call("savecurrentlookup", {"C:\\VMR\\currentlookup.alu"});
  EXPECT_TRUE(std::filesystem::exists(root / "c" / "VMR" / "currentlookup.alu"));

  DispatchPtr t = table();
  t->call("loadlookupquery", {"C:\\VMR\\currentlookup.alu"});
  EXPECT_EQ(walkUids(t), (std::vector<std::string>{kUidB, kUidC}));

  EXPECT_THROW(t->call("loadlookupquery", {"C:\\VMR\\missing.alu"}), AutomationError);
  std::filesystem::remove_all(root);
}

TEST_F(StandinObjects, FieldsAndPopUpLists) {
  DispatchPtr fields = host::objectOf(table()->call("Fields"), "Fields");
  EXPECT_EQ(fields->call("HasPopUpList", {1012}), Variant(true));
  EXPECT_EQ(fields->call("HasPopUpList", {1005}), Variant(true)) << "an empty list is a list";
  EXPECT_EQ(fields->call("HasPopUpList", {1003}), Variant(false));
  EXPECT_EQ(fields->call("Label", {1012}), Variant("State"));
  EXPECT_EQ(fields->call("Type", {1080}), Variant(fieldtype::kDate));

  DispatchPtr popup = host::objectOf(fields->call("PopUpInfo", {1012, 0}), "PopUpInfo");
  EXPECT_EQ(popup->call("PopUpCount"), Variant(3));
  EXPECT_EQ(popup->get("Value", {0}), Variant("NY"));
  EXPECT_EQ(popup->get("Value", {2}), Variant("TX"));
  EXPECT_THROW(popup->get("Value", {3}), AutomationError);
  EXPECT_THROW(fields->call("PopUpInfo", {1003, 0}), AutomationError);
}

TEST_F(StandinObjects, ApplicationAndDatabaseFollowTheUserInterface) {
  DispatchPtr app = connector.create("ACTOLE.APPOBJECT");
  EXPECT_EQ(app->call("IsDBOpen"), Variant(true));
  EXPECT_EQ(app->call("GetOpenDBName"), Variant("Tiny"));
  EXPECT_EQ(app->call("Command", {int16_t{104}}), Variant());
  EXPECT_EQ(contactView()->call("CurrentFieldID"), Variant(1012));

  DispatchPtr db = connector.create("ACTOLE.DATABASE");
  EXPECT_EQ(db->call("isOpen"), Variant(false));
  db->call("OpenEx", {"tiny"});
  EXPECT_EQ(db->call("isOpen"), Variant(true));
  db->call("Close");
  EXPECT_EQ(db->call("isOpen"), Variant(false));
  EXPECT_THROW(db->call("CONTACT"), AutomationError);

  host->state().ui.openDatabase.clear();
  EXPECT_EQ(app->call("IsDBOpen"), Variant(false));
  db->call("OpenEx", {""});
  EXPECT_EQ(db->call("isOpen"), Variant(false)) << "nothing to attach to";
}

TEST_F(StandinObjects, EventControlAnswersIsReadyByDispatchIdentifier) {
  DispatchPtr ev = connector.createControl(host::kActEventClsid);
  EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(true));
  host->state().ui.ready = false;
  EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(false));
  EXPECT_THROW(ev->callId(7), AutomationError);
  EXPECT_THROW(connector.createControl("{00000000-0000-0000-0000-000000000000}"), AutomationError);
  EXPECT_THROW(connector.create("ACTOLE.NOSUCH"), AutomationError);
}

// What IsReady answers after a container's steps, for each kind of control and option.
struct GateRow {
  const char* name;
  ControlOptions options;
  bool ready;  // the host's own readiness
  bool sited;
  bool active;  // in-place active
  bool answer;
};

const GateRow kGateRows[] = {
    {"ready always: unsited", {.readyWhenSited = false}, true, false, false, true},
    {"ready always: host not ready", {.readyWhenSited = false}, false, true, true, false},
    {"visible, when sited: unsited", {.readyWhenSited = true}, true, false, false, false},
    {"visible, when sited: sited only", {.readyWhenSited = true}, true, true, false, false},
    {"visible, when sited: in place", {.readyWhenSited = true}, true, true, true, true},
    {"visible, when sited: active but unsited", {.readyWhenSited = true}, true, false, true, false},
    {"invisible, when sited: sited",
     {.invisible = true, .readyWhenSited = true},
     true,
     true,
     false,
     true},
    {"invisible, when sited: unsited",
     {.invisible = true, .readyWhenSited = true},
     true,
     false,
     false,
     false},
    {"sited but host not ready", {.readyWhenSited = true}, false, true, true, false},
};

TEST_F(StandinObjects, IsReadyWaitsForTheContainerUnderTheOption) {
  for (const GateRow& row : kGateRows) {
    SCOPED_TRACE(row.name);
    host->state().ui.control = row.options;
    host->state().ui.ready = row.ready;
    DispatchPtr ev = connector.createControl(host::kActEventClsid);
    std::shared_ptr<HostedControl> control = hostedControl(ev);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->invisibleAtRunTime(), row.options.invisible);
    control->setSited(row.sited);
    control->setInPlaceActive(row.active);
    EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(row.answer));
  }
}

TEST_F(StandinObjects, IsReadyFollowsTheControlThroughItsLife) {
  host->state().ui.control.readyWhenSited = true;
  DispatchPtr ev = connector.createControl(host::kActEventClsid);
  std::shared_ptr<HostedControl> control = hostedControl(ev);
  control->setSited(true);
  control->setInPlaceActive(true);
  EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(true));
  control->setInPlaceActive(false);
  EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(false)) << "deactivated";
  control->setInPlaceActive(true);
  control->setSited(false);
  EXPECT_EQ(ev->callId(host::kIsReadyDispId), Variant(false)) << "its site taken away";

  // Each control has its own state: a second one is not sited by the first one's container.
  DispatchPtr other = connector.createControl(host::kActEventClsid);
  control->setSited(true);
  EXPECT_EQ(other->callId(host::kIsReadyDispId), Variant(false));
  EXPECT_FALSE(hostedControl(connector.create("ACTOLE.APPOBJECT"))) << "not a control";
}

TEST_F(StandinObjects, ContainerCallsAreLoggedInOrderWithIsReady) {
  DispatchPtr ev = connector.createControl(host::kActEventClsid);
  std::shared_ptr<HostedControl> control = hostedControl(ev);
  host->clearCalls();  // the connector's own entry
  int bodies = 0;
  auto step = [&](std::string_view member, std::vector<Arg> args) {
    return control->containerCall(member, args, [&] {
      ++bodies;
      return Variant();
    });
  };
  step("SetClientSite", {Arg(Variant(true))});
  step("InitNew", {});
  step("DoVerb", {Arg(Variant(int32_t{-5}))});
  ev->callId(host::kIsReadyDispId);
  step("Close", {Arg(Variant(int32_t{1}))});

  std::vector<std::string> got;
  for (const LoggedCall& c : host->calls()) got.push_back(c.object + "." + c.member);
  EXPECT_EQ(got,
            (std::vector<std::string>{"ActEvent.SetClientSite", "ActEvent.InitNew",
                                      "ActEvent.DoVerb", "ActEvent.IsReady", "ActEvent.Close"}));
  EXPECT_EQ(host->calls()[2].args.at(0).value, Variant(int32_t{-5}));
  EXPECT_EQ(bodies, 4);
  EXPECT_FALSE(hasMember(*ev, "SetClientSite")) << "no program can call the container's steps";

  // A scripted fault stops the step before the control's own part and is logged.
  Rule fault;
  fault.member = "InitNew";
  fault.number = hr::kFail;
  fault.description = "Cannot initialise";
  host->state().rules.push_back(fault);
  EXPECT_THROW(step("InitNew", {}), AutomationError);
  EXPECT_EQ(bodies, 4);
  EXPECT_EQ(host->calls().back().member, "InitNew");
  EXPECT_EQ(host->calls().back().errorText, "Cannot initialise");
}

TEST_F(StandinObjects, CatalogueAnswersAndStatuses) {
  DispatchPtr aux = connector.create("ACTOLE.AUXCMDS");
  int32_t set = 1, ref = 0;
  std::string top = "Vel&mora", sub = "&Labels";

  EXPECT_EQ(aux->call("AuxSubMenuExists", {Arg::ref(set), "", Arg::ref(top), Arg::ref(ref)}),
            Variant(false));
  EXPECT_EQ(ref, 0);
  EXPECT_EQ(aux->call("AddAuxSubMenu", {Arg::ref(set), Arg::ref(sub), 5, 1, Arg::ref(sub)}),
            Variant(2))
      << "a parent that does not exist";
  EXPECT_EQ(aux->call("AddAuxSubMenu", {Arg::ref(set), "", 8, 0, Arg::ref(top)}), Variant(0));
  EXPECT_EQ(aux->call("AddAuxSubMenu", {Arg::ref(set), "", 8, 0, Arg::ref(top)}), Variant(1));
  EXPECT_EQ(aux->call("AuxSubMenuExists", {Arg::ref(set), "", Arg::ref(top), Arg::ref(ref)}),
            Variant(true));
  EXPECT_NE(ref, 0) << "the host writes its reference into the by-reference argument";
  EXPECT_EQ(aux->call("AddAuxSubMenu", {Arg::ref(set), Arg::ref(top), 5, 1, Arg::ref(sub)}),
            Variant(0));

  EXPECT_EQ(aux->call("AuxCommandExists", {"&Help"}), Variant(false));
  EXPECT_EQ(aux->call("AddAuxCommandToMenu", {Arg::ref(set), Arg::ref(top), 13, 1, "&Help"}),
            Variant(3))
      << "not defined";
  EXPECT_EQ(aux->call("AddAuxCommand", {"&Help", "x.exe", "C:\\", "&Help", "Online help",
                                        "leaf.ico", "leaf.ico", 1}),
            Variant(0));
  EXPECT_EQ(aux->call("AuxCommandExists", {"&Help"}), Variant(true));
  EXPECT_EQ(aux->call("AuxCommandExistsInMenus", {Arg::ref(set), "&Help"}), Variant(false));
  EXPECT_EQ(aux->call("AddAuxCommandToMenu", {Arg::ref(set), "Vel&mora\\&Nope", 0, 0, "&Help"}),
            Variant(2));
  EXPECT_EQ(aux->call("AddAuxCommandToMenu", {Arg::ref(set), Arg::ref(top), 13, 1, "&Help"}),
            Variant(0));
  EXPECT_EQ(aux->call("AuxCommandExistsInMenus", {Arg::ref(set), "&Help"}), Variant(true));
  EXPECT_EQ(aux->call("AddAuxCommandToToolbar", {Arg::ref(set), "&Help"}), Variant(0));
  EXPECT_EQ(aux->call("AddAuxCommandToToolbar", {Arg::ref(set), "&Help"}), Variant(1));
  EXPECT_EQ(aux->call("AuxCommandExists", {"&help"}), Variant(false))
      << "a caption is an identity: case counts";

  const Catalogue& cat = host->state().catalogue;
  ASSERT_EQ(cat.menuEntries.size(), 1u);
  EXPECT_EQ(cat.menuEntries[0].path, "Vel&mora");
  EXPECT_EQ(cat.menuEntries[0].position, 13);
  EXPECT_EQ(cat.menuEntries[0].flag, 1);
  ASSERT_EQ(cat.toolbar.size(), 1u);
}

TEST_F(StandinObjects, RulesFailAnswerAndWriteBack) {
  host->state().rules = {
      {Rule::Kind::Fail, "data", 2, std::nullopt, static_cast<int32_t>(0x80040005), "Disk gone"},
      {Rule::Kind::Answer, "AuxCommandExists", 0, std::string("&Help"), 0, "", Variant(1)},
      {Rule::Kind::WriteBack, "AuxSubMenuExists", 0, std::nullopt, 0, "", Variant(77), 3},
      {Rule::Kind::Fail, "CreateObject", 0, std::string("ACTOLE.AUXCMDS"), hr::kClassNotRegistered,
       "Class not registered"},
  };
  DispatchPtr t = table();
  t->call("MoveFirst");
  EXPECT_NO_THROW(t->call("Data", {1}));
  try {
    t->call("DATA", {1});
    FAIL() << "the second Data call must fail";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040005));
    EXPECT_EQ(e.description(), "Disk gone");
    EXPECT_EQ(e.member(), "DATA");
  }
  EXPECT_NO_THROW(t->call("Data", {1})) << "only the n-th call";
  EXPECT_EQ(host->calls().back().member, "Data");
  EXPECT_EQ(host->calls()[host->calls().size() - 2].error, static_cast<int32_t>(0x80040005));

  EXPECT_THROW(connector.create("ACTOLE.AUXCMDS"), AutomationError);
  host->state().rules.pop_back();
  DispatchPtr aux = connector.create("ACTOLE.AUXCMDS");
  EXPECT_EQ(aux->call("AuxCommandExists", {"&Help"}), Variant(1));
  EXPECT_EQ(aux->call("AuxCommandExists", {"&Other"}), Variant(false));

  int32_t set = 1, ref = 0;
  std::string top = "Vel&mora";
  aux->call("AuxSubMenuExists", {Arg::ref(set), "", Arg::ref(top), Arg::ref(ref)});
  EXPECT_EQ(ref, 77);
  const LoggedCall& logged = host->calls().back();
  EXPECT_EQ(logged.args[3].value, Variant(0)) << "logged as passed";
  EXPECT_EQ(logged.args[3].after, Variant(77)) << "and as the host left it";
}

// A folder host: commits are journalled, and a process killed right after a commit loses none.
class StandinFolder : public ::testing::Test {
 protected:
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("velmora-folder-" + std::to_string(::getpid()));
  void SetUp() override {
    std::filesystem::remove_all(dir);
    Store::create(dir, tinyHost());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  static void writeAgeAndLookup(const std::shared_ptr<Host>& h) {
    standin::InProcessConnector c(h);
    DispatchPtr db = c.create("ACTOLE.DATABASE");
    db->call("OpenEx", {""});
    DispatchPtr t = host::objectOf(db->call("CONTACT"), "CONTACT");
    t->call("MoveFirst");
    t->call("MoveNext");
    t->call("edit");
    t->call("Data", {1081, int16_t{61}});
    t->call("Update");
    DispatchPtr app = c.create("ACTOLE.APPOBJECT");
    DispatchPtr view = host::objectOf(
        host::objectOf(app->call("Views"), "Views")->call("Create", {1, "CV"}), "Create");
    std::string joined = kUidB;
    view->call("CreateLookup", {Arg::ref(joined)});
  }
  void expectCommitted() {
    auto h = Host::openFolder(dir);
    const Database& db = h->state().databases.at("Tiny");
    EXPECT_EQ(*db.contacts[1].find(1081), Variant("61"));
    EXPECT_EQ(h->state().ui.lookup, std::vector<std::string>{kUidB});
  }
};

TEST_F(StandinFolder, CommitsSurviveARestart) {
  writeAgeAndLookup(Host::openFolder(dir));
  expectCommitted();
  expectCommitted();  // and the compaction at the first close kept them
}

TEST_F(StandinFolder, CommitsSurviveAKillRightAfterTheCall) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto h = Host::openFolder(dir);
    writeAgeAndLookup(h);
    ::_exit(0);  // no destructor, no compaction: as if killed
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  expectCommitted();
}

}  // namespace
}  // namespace vel::standin
