// The wizard's pages, states and failures, driven as a user drives it.

#include "tests/seekmark/fixture.h"

namespace vel::seekmark {
namespace {

using host::Variant;
using testing::uid;
using testing::Wizard;

TEST_F(Wizard, TheRoadOfOneContainsLookup) {
  auto st = testing::hostWith(
      {{{1327, ",IBM,"}}, {{1330, ",T,IBM,"}}, {{1003, "no stocks"}}, {{1336, ",GE,T,"}}});
  st.ui.focusedField = 1327;
  start(std::move(st));

  EXPECT_EQ(form->StatusBar1.simpleText(), "Read the instructions before continuing.");
  EXPECT_TRUE(form->Panel1.visible());
  EXPECT_FALSE(form->Panel2.visible());
  EXPECT_EQ(form->Button1.caption(), "&Next >");
  EXPECT_EQ(form->focused(), &form->Button1);

  next();
  EXPECT_EQ(calls(), (std::vector<std::string>{
                         "ActEvent.IsReady",
                         "Connector.CreateObject",
                         "AppObject.IsDBOpen",
                         "Connector.CreateObject",
                         "AppObject.GetOpenDBName",
                         "Database.OpenEx",
                         "Database.CONTACT",
                         "AppObject.Views",
                         "Views.Create",
                         "ContactTable.Fields",
                         "ContactView.CurrentFieldID",
                         "Fields.HasPopUpList",
                         "ContactTable.Fields",
                         "ContactView.CurrentFieldID",
                         "Fields.Label",
                     }));
  EXPECT_EQ(host->calls()[1].args.at(0).value, Variant("ACTOLE.APPOBJECT"));
  EXPECT_EQ(host->calls()[3].args.at(0).value, Variant("ACTOLE.DATABASE"));
  EXPECT_EQ(host->calls()[5].args.at(0).value, Variant("Client Book"));
  EXPECT_EQ(host->calls()[8].args.at(0).value, Variant(1));
  EXPECT_EQ(host->calls()[8].args.at(1).value, Variant("CV"));
  EXPECT_EQ(host->calls()[11].args.at(0).value, Variant(1327)) << "the field as the host gave it";
  EXPECT_FALSE(form->Panel1.visible());
  EXPECT_TRUE(form->Panel2.visible());
  EXPECT_EQ(form->Label6.caption(), "Active field is Field 1327");
  EXPECT_EQ(form->StatusBar1.simpleText(), "Waiting for your input");
  EXPECT_EQ(form->focused(), &form->ComboBox1);
  EXPECT_FALSE(form->Button1.enabled());
  EXPECT_EQ(form->Button1.caption(), "&Next >");
  EXPECT_EQ(form->Label1.caption(), "Click Next to continue or Cancel to exit");

  type(",T,");
  EXPECT_EQ(form->Button1.caption(), "&Finish");
  EXPECT_TRUE(form->Button1.enabled());
  EXPECT_EQ(form->Label1.caption(), " Click Finish when ready or Cancel to exit");

  host->clearCalls();
  finish();
  // Each contact is read up to its first hit, whose unique identifier is read next.
  std::vector<std::string> expected{"ContactView.CurrentFieldID", "ContactTable.MoveFirst",
                                    "ContactTable.RecordCount"};
  for (int reads : {10, 4 + 1, 10, 10 + 1}) {
    expected.insert(expected.end(), reads, "ContactTable.Data");
    expected.push_back("ContactTable.MoveNext");
  }
  expected.insert(expected.end(), {"ContactView.CreateLookup", "Database.isOpen",
                                   "ContactTable.Close", "Database.Close"});
  EXPECT_EQ(calls(), expected);
  using testing::concat;
  using testing::range;
  EXPECT_EQ(dataReads(), concat(concat(range(1327, 1336), {1327, 1328, 1329, 1330, 1}),
                                concat(range(1327, 1336), concat(range(1327, 1336), {1}))));
  const auto& lookupCall = host->calls()[host->calls().size() - 4];
  EXPECT_TRUE(lookupCall.args.at(0).byRef);
  EXPECT_EQ(lookupCall.args.at(0).refType, host::VarType::Text);
  EXPECT_EQ(lookupCall.args.at(0).value, Variant(uid(2) + uid(4)));
  EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{uid(2), uid(4)}));
  EXPECT_EQ(form->StatusBar1.simpleText(), "Processing Lookup.  Contact: 4");
  EXPECT_TRUE(boxes().empty());
  EXPECT_FALSE(form->visible()) << "the wizard closes after the lookup";
  EXPECT_EQ(ui.cursor(), forms::Cursor::Default);
}

TEST_F(Wizard, TheFirstNextNeverSearches) {
  start(testing::hostWith({{{1050, "x"}}}));
  next();
  EXPECT_EQ(count("ContactTable.MoveFirst"), 0);
  EXPECT_EQ(count("ContactTable.Data"), 0);
  EXPECT_THROW(ui.click(form->Button1), forms::DriverError) << "Finish waits for a value";
}

TEST_F(Wizard, TypingThenDeletingLeavesFinishEnabledAndSearchesForTheEmptyValue) {
  start(testing::hostWith({{{1050, "a"}}, {}, {{1050, "b"}}}));
  next();
  type("zz");
  type("");
  EXPECT_TRUE(form->Button1.enabled());
  EXPECT_EQ(form->Button1.caption(), "&Finish");
  EXPECT_EQ(form->SearchValue, "");
  finish();
  EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{uid(1), uid(2), uid(3)}))
      << "the empty value matches every contact, an empty field too";
}

TEST_F(Wizard, NoMatchShowsTheMessageAndEndsWithoutALookup) {
  start(testing::hostWith({{{1050, "a"}}}));
  search("q");
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"No contacts found that match your search"});
  EXPECT_EQ(boxes()[0].icon, forms::Icon::Information);
  EXPECT_EQ(boxes()[0].buttons, forms::Buttons::Ok);
  EXPECT_EQ(boxes()[0].caption, "Velmora Contain Search");
  EXPECT_EQ(count("ContactView.CreateLookup"), 0);
  EXPECT_FALSE(state().ui.lookup.has_value());
  EXPECT_FALSE(form->visible());
  EXPECT_EQ(ui.bringToFrontCalls(), 3) << "twice on Next, once before the message";
}

TEST_F(Wizard, CancelOnPageOneAsksTheHostNothing) {
  start(testing::hostWith({{{1050, "a"}}}));
  ui.click(form->Button2);
  EXPECT_TRUE(host->calls().empty());
  EXPECT_FALSE(form->visible());
}

TEST_F(Wizard, CancelOnPageTwoClosesTableAndDatabaseOnlyWhenOpen) {
  struct Row {
    const char* name;
    std::optional<Variant> isOpenAnswer;  // nothing: the host's own answer (true)
    bool closes;
  };
  for (const Row& r : {Row{"open", std::nullopt, true}, Row{"not open", Variant(false), false}}) {
    SCOPED_TRACE(r.name);
    auto st = testing::hostWith({{{1050, "a"}}});
    if (r.isOpenAnswer)
      st.rules.push_back(
          {standin::Rule::Kind::Answer, "isOpen", 0, std::nullopt, 0, "", *r.isOpenAnswer});
    start(std::move(st));
    next();
    host->clearCalls();
    ui.click(form->Button2);
    std::vector<std::string> expected{"Database.isOpen"};
    if (r.closes) expected.insert(expected.end(), {"ContactTable.Close", "Database.Close"});
    EXPECT_EQ(calls(), expected);
    EXPECT_FALSE(form->visible());
  }
}

TEST_F(Wizard, TheCloseBoxEndsWithoutClosingTheDatabase) {
  for (bool pageTwo : {false, true}) {
    SCOPED_TRACE(pageTwo ? "page two" : "page one");
    start(testing::hostWith({{{1050, "a"}}}));
    if (pageTwo) {
      next();
      type("a");
    }
    host->clearCalls();
    ui.closeBox(*form);
    EXPECT_TRUE(host->calls().empty());
    EXPECT_FALSE(form->visible());
  }
}

TEST_F(Wizard, PopUpListFillsTheValueBox) {
  struct Row {
    const char* name;
    std::optional<std::vector<std::string>> popup;
    forms::ComboStyle style;
  };
  const Row rows[] = {
      {"entries in host order", std::vector<std::string>{"NY", "AL", "NY", "CA"},
       forms::ComboStyle::DropDown},
      {"zero entries", std::vector<std::string>{}, forms::ComboStyle::DropDown},
      {"no list", std::nullopt, forms::ComboStyle::Simple},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto st = testing::hostWith({{{1012, "NY"}}});
    st.ui.focusedField = 1012;
    st.databases.at("Client Book").fields[1 + 12].popup = r.popup;  // field 1012
    start(std::move(st));
    next();
    EXPECT_EQ(form->ComboBox1.style(), r.style);
    EXPECT_EQ(form->ComboBox1.items(), r.popup.value_or(std::vector<std::string>{}));
    std::vector<Variant> read;  // PopUpInfo's arguments, then the positions Value was read at
    for (const auto& c : host->calls()) {
      if (c.member == "PopUpInfo") read = {c.args.at(0).value, c.args.at(1).value};
      if (c.member == "Value") read.push_back(c.args.at(0).value);
    }
    std::vector<Variant> expected;
    if (r.popup) {
      expected = {1012, 0};
      for (int32_t i = 0; i < static_cast<int32_t>(r.popup->size()); ++i) expected.push_back(i);
    }
    EXPECT_EQ(read, expected) << "the list of the active field, read from position 0";
    type("NY");
    EXPECT_EQ(form->SearchValue, "NY") << "typing reaches ComboBox1Change in every style";
  }
}

TEST_F(Wizard, PickingAListEntryIsAChangeToo) {
  auto st = testing::hostWith({{{1012, "CA"}}, {{1012, "NY"}}});
  st.ui.focusedField = 1012;
  st.databases.at("Client Book").fields[13].popup = std::vector<std::string>{"NY", "CA"};
  start(std::move(st));
  next();
  ui.pick(form->ComboBox1, 1);
  EXPECT_EQ(form->SearchValue, "CA");
  finish();
  EXPECT_EQ(state().ui.lookup, std::vector<std::string>{uid(1)});
}

TEST_F(Wizard, AnEmptyLabelNamesNothingAfterTheBlank) {
  auto st = testing::hostWith({{{1050, "a"}}});
  st.databases.at("Client Book").fields[51].label = "";  // field 1050
  start(std::move(st));
  next();
  EXPECT_EQ(form->Label6.caption(), "Active field is ");
}

TEST_F(Wizard, AnAttachThatDoesNotHappenSaysWhyAndStaysOnPageOne) {
  struct Row {
    const char* name;
    bool ready;
    bool open;
    std::string text;
    std::vector<std::string> calls;  // no object is created past the check that fails
  };
  const Row rows[] = {
      {"not ready",
       false,
       true,
       "ACT! is not ready. Start ACT! and open a database, then try again.",
       {"ActEvent.IsReady"}},
      {"no database",
       true,
       false,
       "ACT! has no database open. Open a database in ACT!, then try again.",
       {"ActEvent.IsReady", "Connector.CreateObject", "AppObject.IsDBOpen"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto st = testing::hostWith({{{1050, "a"}}});
    st.ui.ready = r.ready;
    if (!r.open) st.ui.openDatabase.clear();
    start(std::move(st));
    next();
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts().back(), r.text);
    EXPECT_EQ(boxes().back().icon, forms::Icon::Error);
    EXPECT_EQ(boxes().back().caption, "Velmora Contain Search");
    EXPECT_EQ(calls(), r.calls);
    EXPECT_TRUE(form->Panel1.visible());
    EXPECT_FALSE(form->Button1.enabled());
    EXPECT_EQ(form->StatusBar1.simpleText(), "Gathering field information");
    EXPECT_TRUE(form->visible());
    host->clearCalls();
    ui.click(form->Button2);
    EXPECT_TRUE(host->calls().empty()) << "Cancel on page one asks nothing";
    EXPECT_FALSE(form->visible()) << "Cancel still ends the program";
  }
}

TEST_F(Wizard, ACallFailingWhileAttachingEndsTheClick) {
  struct Row {
    const char* member;
    int32_t nth;
    bool pageTwo;  // the page turns before the field's label is asked for
  };
  const Row rows[] = {
      {"IsReady", 1, false},      {"CreateObject", 1, false},   {"IsDBOpen", 1, false},
      {"CreateObject", 2, false}, {"GetOpenDBName", 1, false},  {"OpenEx", 1, false},
      {"CONTACT", 1, false},      {"Views", 1, false},          {"Create", 1, false},
      {"Fields", 1, false},       {"CurrentFieldID", 1, false}, {"HasPopUpList", 1, false},
      {"Label", 1, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.member) + " call " + std::to_string(r.nth));
    auto st = testing::hostWith({{{1050, "a"}}});
    st.rules.push_back(testing::failing(r.member, r.nth, "Host unavailable"));
    start(std::move(st));
    next();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxTexts()[0], "Host unavailable") << "the description alone, without the member";
    EXPECT_EQ(boxes()[0].icon, forms::Icon::Error);
    EXPECT_EQ(form->Panel1.visible(), !r.pageTwo);
    EXPECT_EQ(form->Panel2.visible(), r.pageTwo);
    EXPECT_FALSE(form->Button1.enabled());
    EXPECT_EQ(form->StatusBar1.simpleText(), "Gathering field information");
    EXPECT_TRUE(form->visible());
    ui.click(form->Button2);
    EXPECT_FALSE(form->visible()) << "Cancel still ends the program";
  }
}

TEST_F(Wizard, ACallFailingDuringTheSearchMakesNoLookupAndAFurtherFinishStartsAfresh) {
  struct Row {
    const char* name;
    standin::Rule fault;
    size_t kept;         // matches found before the failure
    std::string status;  // the last status text
  };
  const Row rows[] = {
      // Reads: 1050 and 1 for contact 1, then 1050 for contact 2 fails.
      {"mid-walk", testing::failing("Data", 3, "Record locked"), 1,
       "Processing Lookup.  Contact: 2"},
      {"before the walk", testing::failing("RecordCount", 1, "Record locked"), 0,
       "Waiting for your input"},
      {"the lookup", testing::failing("CreateLookup", 1, "Record locked"), 3,
       "Processing Lookup.  Contact: 3"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto st = testing::hostWith({{{1050, "hit"}}, {{1050, "hit"}}, {{1050, "hit"}}});
    st.rules.push_back(r.fault);
    start(std::move(st));
    search("hit");
    ASSERT_EQ(boxTexts().size(), 1u) << "the error box, and no message about matches";
    EXPECT_NE(boxTexts()[0].find("Record locked"), std::string::npos);
    EXPECT_FALSE(state().ui.lookup.has_value()) << "no lookup";
    ASSERT_EQ(form->MatchList.size(), r.kept) << "what was found stays";
    if (r.kept) {
      EXPECT_EQ(form->MatchList[0].UniqueID, uid(1));
    }
    EXPECT_EQ(form->StatusBar1.simpleText(), r.status);
    EXPECT_EQ(count("Database.isOpen"), 0) << "the wizard does not end";
    EXPECT_TRUE(form->Panel2.visible());
    EXPECT_TRUE(form->Button1.enabled());
    EXPECT_TRUE(form->visible());
    EXPECT_EQ(ui.cursor(), forms::Cursor::Default) << "the hourglass goes however the search ends";

    finish();  // each rule hits one call only
    EXPECT_EQ(form->MatchList.size(), 3u) << "a new search with a new, empty match list";
    EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{uid(1), uid(2), uid(3)}));
    EXPECT_FALSE(form->visible());
    EXPECT_EQ(ui.cursor(), forms::Cursor::Default);
  }
}

TEST_F(Wizard, WithoutTheEventControlThereIsNoForm) {
  auto st = testing::hostWith({});
  st.rules.push_back({standin::Rule::Kind::Fail, "CreateControl", 0, std::nullopt,
                      host::hr::kClassNotRegistered, "Class not registered"});
  host = standin::Host::inMemory(std::move(st));
  connector = std::make_unique<standin::InProcessConnector>(host);
  EXPECT_EQ(runSeekmark(app, *connector), 1);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_NE(boxTexts()[0].find("Class not registered"), std::string::npos);
}

TEST_F(Wizard, TheProgramRunsUntilTheWizardCloses) {
  host = standin::Host::inMemory(testing::hostWith({{{1050, "abc"}}}));
  connector = std::make_unique<standin::InProcessConnector>(host);
  // The program builds its own form; find its controls through the active form.
  ui.schedule([&] {
    auto* f = dynamic_cast<TForm1*>(app.activeForm());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(app.title(), "Velmora Contain Search");
    ui.click(f->Button1);
    ui.type(f->ComboBox1, "B");
    ui.click(f->Button1);
  });
  EXPECT_EQ(runSeekmark(app, *connector), 0);
  EXPECT_EQ(host->state().ui.lookup, std::vector<std::string>{uid(1)});
}

}  // namespace
}  // namespace vel::seekmark
