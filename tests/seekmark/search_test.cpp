// The field-group search: which fields are read, in which order, and what counts as a match.

#include "tests/seekmark/fixture.h"

namespace vel::seekmark {
namespace {

using host::Variant;
using testing::concat;
using testing::range;
using testing::uid;
using testing::Wizard;

// Every row of the group table, entered from its first, last and read-first fields: a value
// that matches nothing makes the search read the whole group for one contact.
TEST_F(Wizard, EachGroupIsReadInItsOrder) {
  struct Row {
    std::vector<int32_t> entries;  // active fields that select the row
    std::vector<int32_t> order;    // the fields read, in order
  };
  const Row rows[] = {
      {{1008, 1014}, range(1008, 1014)},
      {{1015, 1022}, range(1015, 1022)},
      {{1023, 1028, 1037, 1038}, concat({1037, 1038}, range(1023, 1028))},
      {{1029, 1036}, range(1029, 1036)},
      {{1039, 1046}, range(1039, 1046)},
      {{1047, 1057, 1063}, concat({1047}, range(1057, 1063))},
      {{1070, 1077}, range(1070, 1077)},
      {{1135, 1142, 1238, 1242}, concat({1238, 1242}, range(1135, 1142))},
      {{1143, 1150, 1241, 1245}, concat({1241, 1245}, range(1143, 1150))},
      {{1151, 1158, 1239, 1243}, concat({1239, 1243}, range(1151, 1158))},
      {{1182, 1189, 1240, 1244}, concat({1240, 1244}, range(1182, 1189))},
      {{1190, 1246, 1254}, concat({1190}, range(1246, 1254))},
      {{1212, 1219}, range(1212, 1219)},
      {{1268, 1275}, range(1268, 1275)},
      {{1327, 1336}, range(1327, 1336)},
      {{1347, 1348}, range(1347, 1348)},
      {{1349, 1350}, range(1349, 1350)},
      {{1351, 1352}, range(1351, 1352)},
      {{1353, 1354}, range(1353, 1354)},
      {{1355, 1356}, range(1355, 1356)},
      {{1357, 1358}, range(1357, 1358)},
      {{1359, 1360}, range(1359, 1360)},
      {{1050, 1007, 1064, 1078, 1361}, {}},  // in no group: the field alone
  };
  EXPECT_EQ(fieldGroups().size(), std::size(rows) - 1);
  for (const Row& r : rows) {
    for (int32_t active : r.entries) {
      SCOPED_TRACE("active field " + std::to_string(active));
      auto st = testing::hostWith({{{1003, "x"}}});
      st.ui.focusedField = active;
      start(std::move(st));
      next();
      type("nothing like it");
      host->clearCalls();
      finish();
      EXPECT_EQ(dataReads(), r.order.empty() ? std::vector<int32_t>{active} : r.order);
    }
  }
}

TEST_F(Wizard, WhatContains) {
  struct Row {
    const char* name;
    std::string search;
    Variant value;
    bool match;
  };
  const Row rows[] = {
      {"one character, first position", "a", "abc", true},
      {"one character, last position", "C", "abc", true},
      {"one character, absent", "d", "abc", false},
      {"ABC in xxabcxx", "ABC", "xxabcxx", true},
      {"equal length, equal after lower-casing", "aBc", "AbC", true},
      {"equal length, different", "abd", "abc", false},
      {"shorter value never matches", "abcd", "bcd", false},
      {"non-ASCII letters keep their case", "\xc3\x89", "\xc3\xa9", false},  // É, é
      {"non-ASCII, the same letter", "\xc3\xa9", "x\xc3\xa9", true},
      {"empty value, empty field", "", Variant(), true},
      {"empty value, any field", "", "anything", true},
      {"a number as the host renders it", "42", 1042, true},
      {"a date as the host renders it", "1990", Variant::date(32964.0), true},  // 4/1/1990
      {"a Null reads as empty", "x", Variant::null(), false},
      {"empty value, a Null", "", Variant::null(), true},
      {"a Boolean as the host renders it", "TRUE", true, true},
      {"a fraction as the host renders it", ".5", 2.5, true},
      {"a long text", "NEEDLE", "a haystack with a needle somewhere in it", true},
      {"ASCII letters around a non-ASCII one fold", "m\xc3\x89nage", "XM\xc3\x89NAGEX", true},
      {"phone prefix with a blank", " 555", "+1(212) 5551234", true},
      {"area code in parentheses", "(212)", "+1(212) 5551234", true},
      {"a ticker between commas", ",T,", ",IBM,T,GE,", true},
      {"not inside another ticker", ",T,", ",TXN,", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    start(testing::hostWith({{{1050, r.value}}}));
    next();
    type(r.search.empty() ? "x" : r.search);
    if (r.search.empty()) type("");
    finish();
    EXPECT_EQ(state().ui.lookup.has_value(), r.match);
    EXPECT_EQ(boxes().empty(), r.match) << "the no-match message";
  }
}

// The step on its own, between searches: it compares with SearchValue as it is at the call and
// records the current contact.
TEST_F(Wizard, DoTheCompareTakesTheSearchValueAsItIsNow) {
  start(testing::hostWith({{{1050, "x"}}}));
  next();
  form->SearchValue = "ABC";
  form->DoTheCompare("xxabcxx");
  EXPECT_TRUE(form->FoundFlag);
  ASSERT_EQ(form->MatchList.size(), 1u);
  EXPECT_EQ(form->MatchList[0].UniqueID, uid(1));
  form->FoundFlag = false;
  form->SearchValue = "\xc3\x89";  // É
  form->DoTheCompare("\xc3\xa9");  // é
  EXPECT_FALSE(form->FoundFlag);
  EXPECT_EQ(form->MatchList.size(), 1u);
}

TEST_F(Wizard, AContactIsRecordedOnceAndReadNoFurtherAfterAHit) {
  auto st = testing::hostWith({{{1328, ",T,"}, {1330, ",T,"}, {1335, ",T,"}}});
  st.ui.focusedField = 1327;
  start(std::move(st));
  next();
  type(",T,");
  host->clearCalls();
  finish();
  EXPECT_EQ(dataReads(), (std::vector<int32_t>{1327, 1328, 1}));
  EXPECT_EQ(form->MatchList.size(), 1u);
}

TEST_F(Wizard, MatchesAreJoinedInTableOrder) {
  auto st = testing::hostWith(
      {{{1050, "Smith"}}, {{1050, "Jones"}}, {{1050, "Smithers"}}, {{1050, "Blacksmith"}}});
  start(std::move(st));
  search("smith");
  ASSERT_EQ(form->MatchList.size(), 3u);
  EXPECT_EQ(host->calls()[host->calls().size() - 4].args.at(0).value,
            Variant(uid(1) + uid(3) + uid(4)));
  EXPECT_EQ(state().ui.lookup, (std::vector<std::string>{uid(1), uid(3), uid(4)}));
}

TEST_F(Wizard, AnEmptyTableReadsNothing) {
  start(testing::hostWith({}));
  search("a");
  EXPECT_TRUE(dataReads().empty());
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"No contacts found that match your search"});
}

TEST_F(Wizard, TheFieldInFocusAtFinishIsTheOneSearched) {
  auto st = testing::hostWith({{{1050, "red"}, {1003, "blue"}}});
  start(std::move(st));
  next();
  EXPECT_EQ(form->Label6.caption(), "Active field is Field 1050");
  state().ui.focusedField = 1003;  // the user moved in the host's window meanwhile
  type("blue");
  finish();
  EXPECT_EQ(form->ActiveFieldID, 1003);
  EXPECT_EQ(state().ui.lookup, std::vector<std::string>{uid(1)});
}

}  // namespace
}  // namespace vel::seekmark
