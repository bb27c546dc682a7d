// The program from start to end: the options dialog, the scope, Command 104, Cancel, and the
// run-time error report that ends it.

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tests/agewright/fixture.h"

namespace vel::agewright {
namespace {

using host::Variant;
using testing::AgeTest;
using testing::hostWith;
using testing::kAge;
using testing::kBirth;
using testing::uid;

class Entry : public AgeTest {
 protected:
  void startWithContacts(int n) {
    std::vector<testing::Values> contacts;
    for (int i = 0; i < n; ++i) contacts.push_back({{kBirth, "6/15/1980"}});
    auto st = hostWith(contacts);
    st.ui.lookup = std::vector<std::string>{uid(2)};
    for (standin::Rule& r : rules) st.rules.push_back(std::move(r));
    start(std::move(st));
    writeSettings(testing::kBirthToAge);
  }
  void clickUpdate(bool currentLookup = false) {
    ui.schedule([this, currentLookup] {
      if (currentLookup) ui.select(options().Option1_0);
      ui.click(options().Command1);
    });
  }
  std::vector<Variant> ages() {
    std::vector<Variant> out;
    for (int i = 1; i <= static_cast<int>(db().contacts.size()); ++i) out.push_back(value(i, kAge));
    return out;
  }

  std::vector<standin::Rule> rules;
};

TEST_F(Entry, UpdateRunsWithTheChosenScope) {
  struct Case {
    const char* name;
    bool currentLookup;
    std::vector<Variant> ages;
  };
  for (const Case& c : {Case{"preset All Contacts", false, {"45", "45", "45"}},
                        Case{"Current Lookup", true, {Variant(), "45", Variant()}}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(drive.path() / "c");
    startWithContacts(3);
    clickUpdate(c.currentLookup);
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(ages(), c.ages);
    EXPECT_EQ(lookupFileExists(), c.currentLookup);
    EXPECT_EQ(count("AppObject.savecurrentlookup"), c.currentLookup ? 1 : 0);
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.peers(), 0) << "no form is left loaded";
  }
}

TEST_F(Entry, Command104ComesOnceAfterTheOptionsAreGoneAndBeforeTheDatabase) {
  startWithContacts(1);
  clickUpdate();
  EXPECT_EQ(runProgram(), 0);

  std::vector<std::string> c = calls();
  auto command = std::find(c.begin(), c.end(), "AppObject.Command");
  auto openex = std::find(c.begin(), c.end(), "Database.openex");
  ASSERT_NE(command, c.end());
  EXPECT_LT(command, openex);
  EXPECT_EQ(count("AppObject.Command"), 1);
  const auto& call = host->calls()[static_cast<size_t>(command - c.begin())];
  EXPECT_EQ(call.args.at(0).value, Variant(int16_t{104}));
  EXPECT_EQ(std::vector<std::string>(c.begin(), command + 1),
            (std::vector<std::string>{"Connector.CreateObject", "AppObject.Command"}))
      << "the application object is created before the dialog, and asked nothing else";
  EXPECT_EQ(host->calls()[0].args.at(0).value, Variant("actole.appobject"));
}

// Forwards to the stand-in and notes the user interface's state when Command is called.
class Spy : public host::Connector {
 public:
  Spy(host::Connector& inner, std::function<void()> onCommand)
      : inner_(inner), onCommand_(std::move(onCommand)) {}
  host::DispatchPtr create(std::string_view progId) override {
    host::DispatchPtr made = inner_.create(progId);
    if (!host::sameName(progId, "actole.appobject")) return made;
    return std::make_shared<Watched>(made, onCommand_);
  }
  host::DispatchPtr createControl(std::string_view clsid) override {
    return inner_.createControl(clsid);
  }

 private:
  class Watched : public host::Dispatch {
   public:
    Watched(host::DispatchPtr inner, std::function<void()> onCommand)
        : inner_(std::move(inner)), onCommand_(std::move(onCommand)) {}
    Variant invoke(std::string_view member, host::CallKind kind,
                   std::span<const host::Arg> args) override {
      if (host::sameName(member, "Command")) onCommand_();
      return inner_->invoke(member, kind, args);
    }

   private:
    host::DispatchPtr inner_;
    std::function<void()> onCommand_;
  };

  host::Connector& inner_;
  std::function<void()> onCommand_;
};

TEST_F(Entry, TheOptionsDialogIsUnloadedWhenCommand104IsSent) {
  // What the progress dialog alone holds on screen.
  forms::Headless scratchUi;
  forms::Application scratchApp(scratchUi);
  frmProgress alone(scratchApp);
  alone.show();
  const int progressPeers = scratchUi.peers();

  startWithContacts(1);
  std::optional<int> peersAtCommand;
  forms::Form* modalAtCommand = nullptr;
  struct ProgressSeen {
    bool visible;
    std::string label;
    int bar, minimum;
  };
  std::optional<ProgressSeen> progressAtCommand;
  Spy spy(*connector, [&] {
    peersAtCommand = ui.peers();
    modalAtCommand = app.modalForm();
    if (auto* p = dynamic_cast<frmProgress*>(app.activeForm()))
      progressAtCommand = ProgressSeen{p->visible(), p->Label1.caption(), p->ProgressBar1.value(),
                                       p->ProgressBar1.minimum()};
  });
  clickUpdate();
  EXPECT_EQ(runProgram(&spy), 0);
  ASSERT_TRUE(peersAtCommand.has_value());
  EXPECT_EQ(*peersAtCommand, progressPeers) << "only the progress dialog is loaded";
  EXPECT_EQ(modalAtCommand, nullptr);
  ASSERT_TRUE(progressAtCommand.has_value()) << "the progress dialog is the active form";
  EXPECT_TRUE(progressAtCommand->visible);
  EXPECT_EQ(progressAtCommand->label, "");
  EXPECT_EQ(progressAtCommand->bar, progressAtCommand->minimum);
}

TEST_F(Entry, CancelInTheOptionsDialogDoesNoDatabaseWork) {
  struct Case {
    const char* name;
    std::function<void(frmUpdateMain&)> leave;
  };
  const std::vector<Case> cases = {
      {"Cancel", [this](frmUpdateMain& f) { ui.click(f.Command2); }},
      {"close box", [this](frmUpdateMain& f) { ui.closeBox(f); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startWithContacts(2);
    ui.schedule([&] { c.leave(options()); });
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(calls(), std::vector<std::string>{"Connector.CreateObject"});
    EXPECT_EQ(host->calls()[0].args.at(0).value, Variant("actole.appobject"));
    EXPECT_EQ(ages(), (std::vector<Variant>{Variant(), Variant()}));
    EXPECT_FALSE(lookupFileExists());
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(ui.peers(), 0);
  }
}

TEST_F(Entry, CancelInTheProgressDialogStopsWithoutAMessage) {
  startWithContacts(3);
  clickUpdate();
  ui.schedule(
      [this] {
        auto* p = dynamic_cast<frmProgress*>(app.activeForm());
        ASSERT_NE(p, nullptr) << "the progress dialog is the active form";
        ui.click(p->cmdCancel);
      },
      2);
  EXPECT_EQ(runProgram(), 0);
  EXPECT_EQ(ages(), (std::vector<Variant>{"45", Variant(), Variant()}));
  EXPECT_TRUE(ui.messageBoxes().empty());
  EXPECT_EQ(calls().back(), "Database.Close");
}

TEST_F(Entry, AQuitMessageDuringTheWalkEndsTheProgramInOrder) {
  startWithContacts(4);
  clickUpdate();
  // Told to quit (the session ends) while the second contact is being updated.
  ui.schedule([this] { ui.postQuit(7); }, 2);
  EXPECT_EQ(runProgram(), 7) << "the quit message's code";
  EXPECT_EQ(ages(), (std::vector<Variant>{"45", Variant(), Variant(), Variant()}))
      << "what was committed stays; nothing after the quit";
  EXPECT_TRUE(ui.messageBoxes().empty()) << "a quit is no error";
  EXPECT_EQ(ui.peers(), 0) << "both dialogs were unloaded on the way out";
}

TEST_F(Entry, AFailingHostCallEndsTheProgramWithARunTimeReport) {
  rules.push_back({standin::Rule::Kind::Fail, "Update", 3, std::nullopt,
                   static_cast<int32_t>(0x80004005), "The record is locked."});
  startWithContacts(4);
  clickUpdate();
  EXPECT_EQ(runProgram(), 1);

  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  const forms::MessageBoxArgs& box = ui.messageBoxes()[0].box;
  EXPECT_EQ(box.text, "Run-time error '-2147467259 (80004005)':\n\nThe record is locked.");
  EXPECT_EQ(box.caption, "Agewright");
  EXPECT_EQ(box.icon, forms::Icon::Error);
  EXPECT_EQ(ui.messageBoxes()[0].formsShown, std::vector<std::string>{"frmProgress"})
      << "the progress dialog is on the screen behind the report";
  EXPECT_EQ(ages(), (std::vector<Variant>{"45", "45", Variant(), Variant()}))
      << "earlier commits stay";
  const standin::LoggedCall& last = host->calls().back();
  EXPECT_EQ(last.member, "Update") << "nothing is called after the failure";
  EXPECT_NE(last.error, 0);
  EXPECT_EQ(ui.peers(), 0);
}

// A program that has ended stays ended: every row runs in a fixture of its own.
struct HostFault {
  const char* name;
  std::string member;
  int nth;
  bool currentLookup;
  int committed;  // contacts whose age stays written
};

class FailingHostCall : public Entry, public ::testing::WithParamInterface<HostFault> {};

TEST_P(FailingHostCall, EndsTheProgramAtOnceAndKeepsEarlierCommits) {
  const HostFault& c = GetParam();
  rules = {{standin::Rule::Kind::Fail, c.member, c.nth, std::nullopt,
            static_cast<int32_t>(0x80004005), "Fault in " + c.member + "."}};
  startWithContacts(3);
  host->state().ui.lookup.reset();  // the lookup is every contact: only the fault differs
  clickUpdate(c.currentLookup);
  EXPECT_EQ(runProgram(), 1);

  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  const forms::MessageBoxArgs& box = ui.messageBoxes()[0].box;
  EXPECT_EQ(box.text, "Run-time error '-2147467259 (80004005)':\n\nFault in " + c.member + ".");
  EXPECT_EQ(box.caption, "Agewright");
  EXPECT_EQ(ui.messageBoxes()[0].formsShown, std::vector<std::string>{"frmProgress"})
      << "the progress dialog is on the screen behind the report";
  std::vector<Variant> expected(3);
  for (int i = 0; i < c.committed; ++i) expected[i] = "45";
  EXPECT_EQ(ages(), expected);
  const standin::LoggedCall& last = host->calls().back();
  EXPECT_TRUE(host::sameName(last.member, c.member) && last.error != 0)
      << "nothing is called after the failure; the last call was " << last.object << "."
      << last.member;
  EXPECT_EQ(ui.peers(), 0) << "no form is left loaded";
}

INSTANTIATE_TEST_SUITE_P(
    Entry, FailingHostCall,
    ::testing::Values(HostFault{"ProbeOpenex", "OpenEx", 1, false, 0},
                      HostFault{"Isopen", "isOpen", 1, false, 0},
                      HostFault{"ProbeClose", "Close", 1, false, 0},
                      HostFault{"SecondDatabaseObject", "CreateObject", 3, false, 0},
                      HostFault{"SecondOpenex", "OpenEx", 2, false, 0},
                      HostFault{"LookupApplicationObject", "CreateObject", 4, true, 0},
                      HostFault{"Savecurrentlookup", "savecurrentlookup", 1, true, 0},
                      HostFault{"Loadlookupquery", "loadlookupquery", 1, true, 0},
                      HostFault{"RecordcountForTheBar", "RecordCount", 1, false, 0},
                      HostFault{"Movefirst", "MoveFirst", 1, false, 0},
                      HostFault{"RecordcountForTheSecondLabel", "RecordCount", 4, false, 1},
                      HostFault{"ReadingTheSecondDate", "Data", 4, false, 1},
                      HostFault{"ReadingTheSecondAge", "Data", 5, false, 1},
                      HostFault{"SecondEdit", "edit", 2, false, 1},
                      HostFault{"WritingTheSecondAge", "Data", 6, false, 1},
                      HostFault{"FirstMovenext", "MoveNext", 1, false, 1},
                      HostFault{"ClosingClose", "Close", 2, false, 3}),
    [](const ::testing::TestParamInfo<HostFault>& info) { return std::string(info.param.name); });

TEST_F(Entry, AStoredAgeWithoutTextEndsTheProgram) {
  startWithContacts(3);
  db().contacts[1].set(kAge, Variant::error(7));
  clickUpdate();
  EXPECT_EQ(runProgram(), 1);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Run-time error '13':\n\nType mismatch");
  EXPECT_EQ(ages(), (std::vector<Variant>{"45", Variant::error(7), Variant()}));
  EXPECT_EQ(count("ContactTable.movenext"), 1) << "the walk ends at that contact";
}

TEST_F(Entry, FailuresBeforeTheUpdateEndTheProgramToo) {
  struct Case {
    const char* name;
    standin::Rule rule;
    bool dialogShown;
    const char* report;
  };
  const std::vector<Case> cases = {
      {"Command fails",
       {standin::Rule::Kind::Fail, "Command", 0, std::nullopt, static_cast<int32_t>(0x80004005),
        "Unknown command."},
       true,
       "Run-time error '-2147467259 (80004005)':\n\nUnknown command."},
      // The run time's own words for a class it cannot create, not the system's.
      {"the application object cannot be created",
       {standin::Rule::Kind::Fail, "CreateObject", 0, "actole.appobject",
        static_cast<int32_t>(0x800401F3), "Invalid class string"},
       false,
       "Run-time error '429':\n\nActiveX component can't create object"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t shown = ui.messageBoxes().size();
    rules = {c.rule};
    startWithContacts(1);
    clickUpdate();
    EXPECT_EQ(runProgram(), 1);
    ASSERT_EQ(ui.messageBoxes().size(), shown + 1);
    EXPECT_EQ(ui.messageBoxes().back().box.text, c.report);
    // The progress dialog is up from before Command; nothing is before the object's creation.
    EXPECT_EQ(ui.messageBoxes().back().formsShown,
              c.dialogShown ? std::vector<std::string>{"frmProgress"} : std::vector<std::string>{});
    EXPECT_EQ(ui.pending(), c.dialogShown ? 0u : 1u) << "the options dialog waited for input";
    EXPECT_EQ(count("Database.openex"), 0);
    EXPECT_EQ(ages(), std::vector<Variant>{Variant()});
  }
}

}  // namespace
}  // namespace vel::agewright
