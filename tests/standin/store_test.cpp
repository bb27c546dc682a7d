#include "standin/store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "host/error.h"
#include "standin/sample.h"
#include "tests/platform/fixtures.h"
#include "tests/standin/state_compare.h"

namespace vel::standin {
namespace {

namespace fs = std::filesystem;
using platform::testing::readFile;
using platform::testing::TempFolder;
using platform::testing::writeFile;
using testing::sameState;

HostState sampleHost(size_t contacts = 5) {
  SampleOptions o;
  o.contacts = contacts;
  return makeSampleHost(o);
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size() - 1;
    lines.push_back(text.substr(pos, nl + 1 - pos));
    pos = nl + 1;
  }
  return lines;
}

class StoreTest : public ::testing::Test {
 protected:
  fs::path dir() const { return temp_.path() / "host"; }
  fs::path journal(uint64_t generation) const {
    return dir() / ("journal-" + std::to_string(generation) + ".jsonl");
  }
  HostState reopen() const {
    HostState s;
    Store::open(dir(), s);
    return s;
  }
  // Two journal lines, A (the host not ready) then B (the focus on 1080), in generation 1.
  std::pair<std::string, std::string> twoCommits() {
    Store::create(dir(), sampleHost());
    HostState s;
    auto store = Store::open(dir(), s);
    s.ui.ready = false;
    store->commitUi(s.ui);
    s.ui.focusedField = samplefield::kBirthDate;
    store->commitUi(s.ui);
    store.reset();
    auto lines = linesOf(readFile(journal(1)));
    EXPECT_EQ(lines.size(), 2u);
    return {lines.at(0), lines.at(1)};
  }

  TempFolder temp_;
};

// --- Model -------------------------------------------------------------------------------------

TEST(ModelTest, AContactKeepsItsValuesInFieldOrderAndEmptyRemoves) {
  Contact c;
  c.set(1080, Variant::date(20000));
  c.set(kUniqueIdField, "CABCDEFGHIJK");
  c.set(1003, "Ann");
  c.set(1003, "Bea");
  ASSERT_EQ(c.values.size(), 3u);
  EXPECT_EQ(c.values[0].first, 1);
  EXPECT_EQ(c.values[1].first, 1003);
  EXPECT_EQ(c.values[2].first, 1080);
  EXPECT_EQ(*c.find(1003), Variant("Bea"));
  EXPECT_EQ(c.uid(), "CABCDEFGHIJK");
  c.set(1003, Variant());
  EXPECT_EQ(c.find(1003), nullptr);
  EXPECT_EQ(c.values.size(), 2u);
  c.set(kUniqueIdField, Variant());
  EXPECT_EQ(c.uid(), "");
}

TEST(ModelTest, IndexOfFindsContactsAddedOrRenamedSinceTheIndexWasBuilt) {
  Database db = makeSampleDatabase(SampleOptions{1, 50, "Ledger"});
  std::string moved = db.contacts[10].uid();
  EXPECT_EQ(db.indexOf(moved), std::optional<size_t>(10));
  Contact added;
  added.set(kUniqueIdField, "CADDEDLATER1");
  db.contacts.insert(db.contacts.begin(), added);
  EXPECT_EQ(db.indexOf("CADDEDLATER1"), std::optional<size_t>(0));
  EXPECT_EQ(db.indexOf(moved), std::optional<size_t>(11));
  EXPECT_EQ(db.indexOf("CNOSUCHTHING"), std::nullopt);
  db.reindex();
  EXPECT_EQ(db.indexOf(moved), std::optional<size_t>(11));
}

TEST(ModelTest, DatabaseNamesIgnoreCaseAndCaptionsCompareExactly) {
  HostState h = makeSampleHost(SampleOptions{1, 3, "Ledger"});
  h.ui.openDatabase = "lEDGER";
  ASSERT_NE(h.openDatabase(), nullptr);
  EXPECT_EQ(h.openDatabase()->name, "Ledger");
  h.ui.openDatabase = "";
  EXPECT_EQ(h.openDatabase(), nullptr);
  h.ui.openDatabase = "Ledger2";
  EXPECT_EQ(h.openDatabase(), nullptr);

  Catalogue& c = h.catalogue;
  c.commands.push_back(CommandDef{"Contains Loo&kup", "x.exe"});
  c.menuEntries.push_back(MenuEntry{1, "Vel&mora", "Contains Loo&kup", 0, 0});
  EXPECT_NE(c.command("Contains Loo&kup"), nullptr);
  EXPECT_EQ(c.command("Contains Lookup"), nullptr);
  EXPECT_EQ(c.command("contains loo&kup"), nullptr);
  EXPECT_TRUE(c.inMenus(1, "Contains Loo&kup"));
  EXPECT_FALSE(c.inMenus(2, "Contains Loo&kup"));
  EXPECT_FALSE(c.inMenus(1, "Contains Lookup"));
  EXPECT_NE(c.submenu(1, "", "&File"), nullptr);
  EXPECT_EQ(c.submenu(1, "", "File"), nullptr);
  EXPECT_EQ(c.submenu(1, "Vel&mora", "&File"), nullptr);
}

// --- Values ------------------------------------------------------------------------------------

struct ValueRow {
  const char* name;
  Variant value;
};

const ValueRow kValues[] = {
    {"null", Variant::null()},
    {"true", true},
    {"false", false},
    {"int16 min", int16_t{-32768}},
    {"int32 max", std::numeric_limits<int32_t>::max()},
    {"int32 min", std::numeric_limits<int32_t>::min()},
    {"double fraction", 0.1},
    {"double integral", 3.0},
    {"double huge", -1.5e300},
    {"date with time", Variant::date(32874.5)},
    {"date before 1900", Variant::date(-1.25)},
    {"text with quotes and controls", "Zo\xC3\xAB \"quoted\", comma\n\ttab \\ slash"},
    {"empty text", ""},
    {"error", Variant::error(host::hr::kException)},
    {"empty", Variant()},
};

constexpr int32_t kFirstTestField = 9000;

void expectValues(const HostState& s, const std::vector<LoggedCall>& calls) {
  const Database& db = s.databases.at("Ledger");
  ASSERT_EQ(s.rules.size(), std::size(kValues));
  ASSERT_EQ(calls.size(), std::size(kValues));
  for (size_t i = 0; i < std::size(kValues); ++i) {
    const ValueRow& row = kValues[i];
    SCOPED_TRACE(row.name);
    const Variant* stored = db.contacts[0].find(kFirstTestField + static_cast<int32_t>(i));
    if (row.value.isEmpty()) {
      EXPECT_EQ(stored, nullptr);
    } else {
      ASSERT_NE(stored, nullptr);
      EXPECT_EQ(*stored, row.value);
    }
    EXPECT_EQ(s.rules[i].value, row.value);
    ASSERT_EQ(calls[i].args.size(), 1u);
    EXPECT_EQ(calls[i].args[0].value, row.value);
    EXPECT_EQ(calls[i].args[0].after, row.value);
    EXPECT_EQ(calls[i].result, row.value);
  }
}

TEST_F(StoreTest, EveryValueTypeSurvivesTheJournalAndTheSnapshot) {
  Store::create(dir(), sampleHost());
  {
    HostState s;
    auto store = Store::open(dir(), s);
    Database& db = *s.openDatabase();
    for (size_t i = 0; i < std::size(kValues); ++i) {
      const ValueRow& row = kValues[i];
      db.contacts[0].set(kFirstTestField + static_cast<int32_t>(i), row.value);
      Rule r;
      r.kind = Rule::Kind::Answer;
      r.member = row.name;
      r.value = row.value;
      s.rules.push_back(r);
      LoggedCall c;
      c.object = "ContactTable";
      c.member = "Data";
      c.kind = host::CallKind::PropertyGet;
      c.args.push_back(LoggedArg{row.value, true, host::VarType::Int16, row.value});
      c.result = row.value;
      store->logCall(c);
    }
    store->commitContact(db, 0);
    store->commitRules(s.rules);
  }

  HostState replayed = reopen();
  {
    SCOPED_TRACE("from the journal");
    expectValues(replayed, Store::readCallLog(dir()));
  }

  {
    HostState s;
    auto store = Store::open(dir(), s);
    store->compact(s);
  }
  HostState loaded = reopen();
  {
    SCOPED_TRACE("from the snapshot");
    expectValues(loaded, Store::readCallLog(dir()));
  }
  EXPECT_TRUE(sameState(replayed, loaded));
}

TEST_F(StoreTest, NonFiniteDoublesSurvive) {
  Store::create(dir(), sampleHost());
  const double inf = std::numeric_limits<double>::infinity();
  {
    HostState s;
    auto store = Store::open(dir(), s);
    Database& db = *s.openDatabase();
    db.contacts[0].set(kFirstTestField, inf);
    db.contacts[0].set(kFirstTestField + 1, -inf);
    db.contacts[0].set(kFirstTestField + 2, std::numeric_limits<double>::quiet_NaN());
    store->commitContact(db, 0);
  }
  HostState back = reopen();
  const Contact& c = back.databases.at("Ledger").contacts[0];
  EXPECT_EQ(*c.find(kFirstTestField), Variant(inf));
  EXPECT_EQ(*c.find(kFirstTestField + 1), Variant(-inf));
  ASSERT_EQ(c.find(kFirstTestField + 2)->type(), host::VarType::Double);
  EXPECT_TRUE(std::isnan(c.find(kFirstTestField + 2)->asDouble()));
}

class AnObject : public host::Dispatch {
 public:
  Variant invoke(std::string_view, host::CallKind, std::span<const host::Arg>) override {
    return {};
  }
};

TEST_F(StoreTest, AnObjectValueIsRefusedAndNothingIsWritten) {
  Store::create(dir(), sampleHost());
  HostState s;
  auto store = Store::open(dir(), s);
  Database& db = *s.openDatabase();
  db.contacts[0].set(samplefield::kCompany, Variant(std::make_shared<AnObject>()));
  EXPECT_THROW(store->commitContact(db, 0), StoreError);
  EXPECT_TRUE(store->journalEmpty());
  EXPECT_EQ(fs::file_size(journal(1)), 0u);
}

// --- Journal -----------------------------------------------------------------------------------

TEST_F(StoreTest, CommitsSurviveARestartWithoutCompaction) {
  Store::create(dir(), sampleHost());
  HostState s;
  auto store = Store::open(dir(), s);
  Database& db = *s.openDatabase();

  s.ui.ready = false;
  s.ui.control = {.invisible = true, .readyWhenSited = true};
  s.ui.focusedField = samplefield::kStocksFirst;
  s.ui.lookup = std::vector<std::string>{db.contacts[3].uid(), db.contacts[1].uid()};
  store->commitUi(s.ui);
  s.ui.lookup = std::vector<std::string>{db.contacts[2].uid()};
  store->commitLookup(s.ui);
  db.contacts[2].set(samplefield::kContact, "Renamed Person");
  db.contacts[2].set(samplefield::kCompany, Variant());
  store->commitContact(db, 2);
  CommandDef cmd{"Contains Loo&kup",
                 "C:\\Program Files\\VMR\\Seekmark.exe",
                 "C:\\Program Files\\VMR",
                 "Contains Lookup",
                 "Lookup data",
                 "C:\\Program Files\\VMR\\seek.ico",
                 "C:\\Program Files\\VMR\\seek.ico",
                 1};
  s.catalogue.commands.push_back(cmd);
  store->commitCommand(cmd);
  SubMenu sub{1, "", "Vel&mora", 8, 0};
  s.catalogue.submenus.push_back(sub);
  store->commitSubMenu(sub);
  MenuEntry entry{1, "Vel&mora", "Contains Loo&kup", 0, 0};
  s.catalogue.menuEntries.push_back(entry);
  store->commitMenuEntry(entry);
  ToolbarButton button{1, "Contains Loo&kup"};
  s.catalogue.toolbar.push_back(button);
  store->commitToolbar(button);
  Rule rule;
  rule.kind = Rule::Kind::Fail;
  rule.member = "IsReady";
  rule.nth = 2;
  rule.whenText = "x";
  rule.number = host::hr::kFail;
  rule.description = "Unspecified error";
  s.rules.push_back(rule);
  store->commitRules(s.rules);
  store.reset();  // no compaction: the snapshot is still the created one

  HostState back;
  auto again = Store::open(dir(), back);
  EXPECT_FALSE(again->journalEmpty());
  EXPECT_TRUE(sameState(s, back));
}

TEST_F(StoreTest, AnAppendedContactIsReplayedAndIndexed) {
  Store::create(dir(), sampleHost());
  HostState s;
  auto store = Store::open(dir(), s);
  Database& db = *s.openDatabase();
  Contact c;
  c.set(kUniqueIdField, "CNEWCONTACT1");
  c.set(samplefield::kContact, "New Person");
  db.contacts.push_back(c);
  store->commitContact(db, db.contacts.size() - 1);
  store.reset();

  HostState back = reopen();
  Database& got = *back.openDatabase();
  ASSERT_EQ(got.contacts.size(), 6u);
  EXPECT_EQ(got.indexOf("CNEWCONTACT1"), std::optional<size_t>(5));
  EXPECT_EQ(*got.contacts[5].find(samplefield::kContact), Variant("New Person"));
}

TEST_F(StoreTest, ACommitSurvivesTheProcessBeingKilledRightAfterIt) {
  Store::create(dir(), sampleHost());
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // No destructor runs after _exit: the store is never closed, only its line written.
    try {
      HostState s;
      auto store = Store::open(dir(), s);
      Database& db = *s.openDatabase();
      db.contacts[1].set(samplefield::kContact, "Written Before The Kill");
      store->commitContact(db, 1);
      store.release();
      ::_exit(0);
    } catch (...) {
      ::_exit(1);
    }
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);

  HostState back = reopen();
  EXPECT_EQ(*back.openDatabase()->contacts[1].find(samplefield::kContact),
            Variant("Written Before The Kill"));
}

struct TornRow {
  const char* name;
  std::string (*tear)(const std::string& line);  // the second line as the crash left it
};

const TornRow kTornLines[] = {
    {"cut in the middle", [](const std::string& l) { return l.substr(0, l.size() / 2); }},
    {"whole but for its newline", [](const std::string& l) { return l.substr(0, l.size() - 1); }},
    {"checksum does not match",
     [](const std::string& l) {
       std::string t = l;
       t[8] = t[8] == '0' ? '1' : '0';
       return t;
     }},
    {"not a record at all", [](const std::string&) { return std::string("\x01\x02garbage\n"); }},
    {"an empty line", [](const std::string&) { return std::string("\n"); }},
};

TEST_F(StoreTest, ATornLastLineIsIgnoredAndCutOff) {
  for (const TornRow& row : kTornLines) {
    SCOPED_TRACE(row.name);
    auto [a, b] = twoCommits();
    writeFile(journal(1), a + row.tear(b));

    HostState s;
    auto store = Store::open(dir(), s);
    EXPECT_FALSE(s.ui.ready) << "the whole first line applies";
    EXPECT_EQ(s.ui.focusedField, samplefield::kContact) << "the torn second line does not";
    EXPECT_EQ(readFile(journal(1)), a);

    // What comes next follows the last whole line.
    s.ui.focusedField = samplefield::kAge;
    store->commitUi(s.ui);
    store.reset();
    EXPECT_EQ(reopen().ui.focusedField, samplefield::kAge);
  }
}

TEST_F(StoreTest, ABadLineBeforeTheLastIsAnErrorNamingTheFileAndLine) {
  auto [a, b] = twoCommits();
  std::string damaged = a;
  damaged.replace(damaged.find("false"), 5, "fals3");
  writeFile(journal(1), damaged + b);

  HostState s;
  s.ui.focusedField = 4242;
  try {
    Store::open(dir(), s);
    FAIL() << "opened a damaged journal";
  } catch (const StoreError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("journal-1.jsonl line 1"), std::string::npos) << what;
    EXPECT_NE(what.find("checksum"), std::string::npos) << what;
  }
  EXPECT_EQ(s.ui.focusedField, 4242) << "a failed open leaves the caller's state alone";
  EXPECT_EQ(readFile(journal(1)), damaged + b) << "a damaged journal is not cut";
}

TEST_F(StoreTest, AWellFormedRecordThatDoesNotApplyIsAnError) {
  Store::create(dir(), sampleHost());
  {
    HostState s;
    auto store = Store::open(dir(), s);
    Database other = *s.openDatabase();
    other.name = "Elsewhere";
    store->commitContact(other, 0);
  }
  HostState s;
  try {
    Store::open(dir(), s);
    FAIL() << "replayed a contact of a database the host does not have";
  } catch (const StoreError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("line 1"), std::string::npos) << what;
    EXPECT_NE(what.find("Elsewhere"), std::string::npos) << what;
  }
}

// --- Snapshot ----------------------------------------------------------------------------------

TEST_F(StoreTest, CompactionWritesGenerationTwoAndEmptiesTheJournal) {
  Store::create(dir(), sampleHost());
  HostState s;
  auto store = Store::open(dir(), s);
  s.ui.focusedField = samplefield::kSpouse;
  store->commitUi(s.ui);
  EXPECT_FALSE(store->journalEmpty());

  store->compact(s);
  EXPECT_TRUE(store->journalEmpty());
  EXPECT_FALSE(fs::exists(journal(1)));
  EXPECT_TRUE(fs::exists(journal(2)));
  EXPECT_EQ(readFile(dir() / "host.json")
                .rfind("{\"format\":\"velmora-standin-host\",\"version\":1,\"generation\":2,", 0),
            0u);

  // Commits after the compaction go to the new journal.
  s.ui.ready = false;
  store->commitUi(s.ui);
  store.reset();
  EXPECT_EQ(linesOf(readFile(journal(2))).size(), 1u);
  EXPECT_TRUE(sameState(s, reopen()));
}

TEST_F(StoreTest, AStaleJournalAndALeftoverTemporarySnapshotAreIgnoredAndRemoved) {
  auto [a, b] = twoCommits();
  {
    HostState s;
    auto store = Store::open(dir(), s);
    s.ui.ready = true;
    s.ui.focusedField = samplefield::kTitle;
    store->compact(s);
  }
  // As if a compaction had stopped after its rename, and another before it.
  writeFile(journal(1), a + b);
  writeFile(dir() / "host.json.tmp", "{\"format\":\"velmora-standin-host\",\"version\":1,");

  HostState s = reopen();
  EXPECT_TRUE(s.ui.ready);
  EXPECT_EQ(s.ui.focusedField, samplefield::kTitle);
  EXPECT_FALSE(fs::exists(journal(1)));
  EXPECT_FALSE(fs::exists(dir() / "host.json.tmp"));
}

TEST_F(StoreTest, ACommitWritesOnlyTheJournal) {
  Store::create(dir(), sampleHost(10000));
  HostState s;
  auto store = Store::open(dir(), s);
  struct stat before {};
  ASSERT_EQ(::stat((dir() / "host.json").c_str(), &before), 0);

  Database& db = *s.openDatabase();
  for (size_t i : {size_t{0}, size_t{5000}, size_t{9999}}) {
    db.contacts[i].set(samplefield::kAge, "44");
    store->commitContact(db, i);
  }
  s.ui.lookup = std::vector<std::string>{db.contacts[7].uid()};
  store->commitLookup(s.ui);
  store->commitUi(s.ui);

  struct stat after {};
  ASSERT_EQ(::stat((dir() / "host.json").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  auto lines = linesOf(readFile(journal(1)));
  ASSERT_EQ(lines.size(), 5u);
  for (const std::string& line : lines) EXPECT_LT(line.size(), 4096u) << line;
  EXPECT_GT(before.st_size, 1000000) << "the snapshot holds the whole table";
}

// --- Folders -----------------------------------------------------------------------------------

struct FolderRow {
  const char* name;
  void (*make)(const fs::path& dir);
  const char* message;
  bool looksLikeAHost = false;  // isHostFolder reads only the snapshot's first bytes
};

const FolderRow kBadFolders[] = {
    {"missing folder", [](const fs::path&) {}, "no host folder at"},
    {"a file, not a folder", [](const fs::path& d) { writeFile(d, "x"); }, "is not a folder"},
    {"a folder without a snapshot", [](const fs::path& d) { fs::create_directories(d); },
     "is not a host folder"},
    {"a snapshot that is not JSON", [](const fs::path& d) { writeFile(d / "host.json", "hello"); },
     "is not a valid snapshot"},
    {"JSON of another kind", [](const fs::path& d) { writeFile(d / "host.json", "{\"a\":1}"); },
     "is not a stand-in host snapshot"},
    {"a snapshot without its user interface",
     [](const fs::path& d) {
       writeFile(d / "host.json",
                 "{\"format\":\"velmora-standin-host\",\"version\":1,\"generation\":1,"
                 "\"logCalls\":true,\"catalogue\":{\"commands\":[],\"submenus\":[],"
                 "\"menuEntries\":[],\"toolbar\":[]},\"rules\":[],\"databases\":[]}");
     },
     "missing \"ui\"", true},
    {"a contact value of no known kind",
     [](const fs::path& d) {
       writeFile(d / "host.json",
                 "{\"format\":\"velmora-standin-host\",\"version\":1,\"generation\":1,"
                 "\"databases\":[{\"name\":\"L\",\"fields\":[],\"contacts\":[\n{\"1\":[1,2]}]}]}");
     },
     "contact 1 of database 1", true},
};

TEST_F(StoreTest, AFolderThatIsNoHostIsAClearError) {
  for (const FolderRow& row : kBadFolders) {
    SCOPED_TRACE(row.name);
    fs::path d = temp_.path() / row.name;
    row.make(d);
    EXPECT_EQ(Store::isHostFolder(d), row.looksLikeAHost);
    HostState s;
    try {
      Store::open(d, s);
      ADD_FAILURE() << "opened";
    } catch (const StoreError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(row.message), std::string::npos) << what;
      EXPECT_NE(what.find(row.name), std::string::npos) << "names the folder: " << what;
    }
  }
  Store::create(dir(), sampleHost());
  EXPECT_TRUE(Store::isHostFolder(dir()));
}

TEST_F(StoreTest, CreateReplacesAHostWithoutReplayingItsJournal) {
  Store::create(dir(), sampleHost());
  {
    HostState s;
    auto store = Store::open(dir(), s);
    s.ui.focusedField = 4242;
    store->commitUi(s.ui);
    store->logCall(LoggedCall{"AppObject", "IsDBOpen"});
  }
  HostState fresh;
  fresh.ui.ready = false;
  Store::create(dir(), fresh);
  EXPECT_TRUE(sameState(reopen(), fresh));
  EXPECT_TRUE(Store::readCallLog(dir()).empty());
}

// --- Call log ----------------------------------------------------------------------------------

TEST_F(StoreTest, TheCallLogKeepsEveryPartOfACall) {
  Store::create(dir(), sampleHost());
  LoggedCall failed{"AuxCmds",
                    "addauxcommand",
                    host::CallKind::Method,
                    {LoggedArg{"Contains Loo&kup", false, host::VarType::Empty, Variant()}},
                    Variant(),
                    host::hr::kException,
                    "Exception occurred."};
  LoggedCall byRef{"ContactView",
                   "CreateLookup",
                   host::CallKind::Method,
                   {LoggedArg{"C0000000000A", true, host::VarType::Text, "C0000000000A"}},
                   true,
                   0,
                   ""};
  LoggedCall put{"PopUpList",
                 "Value",
                 host::CallKind::PropertyPut,
                 {LoggedArg{int32_t{0}, false}, LoggedArg{"x", false}}};
  {
    HostState s;
    auto store = Store::open(dir(), s);
    store->logCall(failed);
    store->logCall(byRef);
    store->logCall(put);
  }
  auto calls = Store::readCallLog(dir());
  ASSERT_EQ(calls.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const LoggedCall& want = i == 0 ? failed : i == 1 ? byRef : put;
    const LoggedCall& got = calls[i];
    SCOPED_TRACE(want.member);
    EXPECT_EQ(got.object, want.object);
    EXPECT_EQ(got.member, want.member);
    EXPECT_EQ(got.kind, want.kind);
    ASSERT_EQ(got.args.size(), want.args.size());
    for (size_t k = 0; k < want.args.size(); ++k) {
      EXPECT_EQ(got.args[k].value, want.args[k].value);
      EXPECT_EQ(got.args[k].byRef, want.args[k].byRef);
      EXPECT_EQ(got.args[k].refType, want.args[k].refType);
      EXPECT_EQ(got.args[k].after, want.args[k].after);
    }
    EXPECT_EQ(got.result, want.result);
    EXPECT_EQ(got.error, want.error);
    EXPECT_EQ(got.errorText, want.errorText);
  }
}

TEST_F(StoreTest, TheCallLogDropsATornLastLineAndRejectsADamagedOne) {
  Store::create(dir(), sampleHost());
  {
    HostState s;
    auto store = Store::open(dir(), s);
    store->logCall(LoggedCall{"AppObject", "IsDBOpen"});
    store->logCall(LoggedCall{"AppObject", "GetOpenDBName"});
  }
  fs::path log = dir() / "calls.jsonl";
  std::string whole = readFile(log);
  writeFile(log, whole + "{\"object\":\"Vi");
  EXPECT_EQ(Store::readCallLog(dir()).size(), 2u);

  writeFile(log, "{\"object\":\"Vi\n" + whole);
  try {
    Store::readCallLog(dir());
    FAIL() << "read a damaged call log";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("calls.jsonl line 1"), std::string::npos) << e.what();
  }
}

// --- Input of any depth or size --------------------------------------------------------------

std::string nested(size_t depth, const std::string& inner = "1") {
  return std::string(depth, '[') + inner + std::string(depth, ']');
}

// A journal line with a correct checksum around any record text.
std::string journalLineOf(const std::string& record) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : record) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  char sum[9];
  std::snprintf(sum, sizeof sum, "%08x", c ^ 0xFFFFFFFFu);
  return std::string("{\"sum\":\"") + sum + "\",\"rec\":" + record + "}\n";
}

const std::string kSnapshotHead =
    "{\"format\":\"velmora-standin-host\",\"version\":1,\"generation\":1,\"logCalls\":true,";

TEST_F(StoreTest, InputOfAnyDepthOrSizeGivesTheLoadersOwnErrorInFewWords) {
  const std::string huge(1 << 20, 'x');
  const std::string deep = nested(100000);
  struct Row {
    const char* name;
    const char* file;  // "host.json", "journal" (a record after one good line) or "calls"
    std::string text;
    const char* message;
  };
  const Row rows[] = {
      {"a snapshot nested 100,000 levels", "host.json", kSnapshotHead + "\"ui\":" + deep + "}",
       "nested deeper than 64 levels"},
      {"a contact value nested 100,000 levels", "host.json",
       kSnapshotHead + "\"databases\":[{\"name\":\"L\",\"contacts\":[{\"1\":" + deep + "}]}]}",
       "nested deeper than 64 levels"},
      {"brackets inside a text do not count", "host.json",
       kSnapshotHead + "\"ui\":\"" + std::string(100000, '[') + "\"}", "expected an object"},
      {"a snapshot value of a megabyte", "host.json",
       kSnapshotHead + "\"ui\":{\"ready\":true,\"openDatabase\":\"\",\"focusedField\":\"" + huge +
           "\"}}",
       "is not a 32-bit integer"},
      {"a snapshot cut inside a text of a megabyte", "host.json",
       kSnapshotHead + "\"ui\":\"" + huge, "is not a valid snapshot"},
      {"a journal record nested 100,000 levels", "journal",
       journalLineOf("{\"op\":\"lookup\",\"lookup\":" + deep + "}"), "nested deeper than"},
      {"a journal record with a megabyte in the wrong place", "journal",
       journalLineOf("{\"op\":\"lookup\",\"lookup\":{\"x\":\"" + huge + "\"}}"),
       "expected a list of texts"},
      {"a journal record of an unknown operation a megabyte long", "journal",
       journalLineOf("{\"op\":\"" + huge + "\"}"), "unknown operation"},
      {"a call log line nested 100,000 levels", "calls", deep + "\n" + deep + "\n",
       "nested deeper than"},
  };
  constexpr size_t kMessageRoom = 400;  // the file's path, the line, and a bounded excerpt
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(dir());
    Store::create(dir(), sampleHost(2));
    std::string what;
    try {
      if (std::string(row.file) == "calls") {
        writeFile(dir() / "calls.jsonl", row.text);
        Store::readCallLog(dir());
      } else {
        if (std::string(row.file) == "host.json") writeFile(dir() / "host.json", row.text);
        if (std::string(row.file) == "journal") {
          auto lines = twoCommits();
          writeFile(journal(1), lines.first + row.text + lines.second);
        }
        reopen();
      }
      ADD_FAILURE() << "loaded";
    } catch (const StoreError& e) {
      what = e.what();
    }
    EXPECT_NE(what.find(row.message), std::string::npos) << what.substr(0, 1000);
    EXPECT_LT(what.size(), dir().string().size() + kMessageRoom) << what.substr(0, 1000);
  }
}

TEST_F(StoreTest, ClearingTheCallLogLeavesAnOpenHostLogging) {
  Store::create(dir(), sampleHost());
  HostState s;
  auto store = Store::open(dir(), s);
  store->logCall(LoggedCall{"AppObject", "IsDBOpen"});
  Store::clearCallLog(dir());
  EXPECT_TRUE(Store::readCallLog(dir()).empty());
  store->logCall(LoggedCall{"AppObject", "Views"});
  auto calls = Store::readCallLog(dir());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].member, "Views");
}

}  // namespace
}  // namespace vel::standin
