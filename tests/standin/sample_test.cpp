#include "standin/sample.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/oledate.h"
#include "platform/regional.h"
#include "tests/standin/state_compare.h"

namespace vel::standin {
namespace {

using namespace samplefield;
using host::VarType;
using testing::sameDatabase;

Database sample(uint32_t seed, size_t contacts) {
  SampleOptions o;
  o.seed = seed;
  o.contacts = contacts;
  return makeSampleDatabase(o);
}

// A shared table for the read-only checks below.
const Database& ledger() {
  static const Database db = sample(1, 2000);
  return db;
}

TEST(SampleTest, TheSameSeedGivesTheSameDatabaseAndAnotherSeedAnother) {
  EXPECT_TRUE(sameDatabase(sample(7, 300), sample(7, 300)));
  EXPECT_FALSE(sameDatabase(sample(7, 300), sample(8, 300)));
  // A longer table starts with the shorter one.
  Database longer = sample(7, 301);
  longer.contacts.pop_back();
  EXPECT_TRUE(sameDatabase(sample(7, 300), longer));
}

TEST(SampleTest, UniqueIdentifiersHaveOneWidthAndNoRepeats) {
  Database db = sample(3, 20000);
  std::set<std::string> seen;
  for (const Contact& c : db.contacts) {
    std::string uid = c.uid();
    ASSERT_EQ(uid.size(), kUidWidth) << uid;
    ASSERT_TRUE(seen.insert(uid).second) << "repeated " << uid;
  }
  EXPECT_EQ(db.indexOf(db.contacts[12345].uid()), std::optional<size_t>(12345));
}

struct GroupRow {
  const char* name;
  int32_t first, last;
  std::vector<int32_t> readFirst;
};

const GroupRow kGroups[] = {
    {"business address", 1008, 1014, {}},
    {"home address", 1015, 1022, {}},
    {"phones", 1023, 1028, {1037, 1038}},
    {"alternate address", 1029, 1036, {}},
    {"seasonal address", 1039, 1046, {}},
    {"spouse", 1057, 1063, {1047}},
    {"advisors", 1070, 1077, {}},
    {"IRA", 1135, 1142, {1238, 1242}},
    {"brokerage", 1143, 1150, {1241, 1245}},
    {"insurance", 1151, 1158, {1239, 1243}},
    {"trust", 1182, 1189, {1240, 1244}},
    {"children", 1246, 1254, {1190}},
    {"interests", 1212, 1219, {}},
    {"company profile", 1268, 1275, {}},
    {"stocks held", 1327, 1336, {}},
    {"account 1", 1347, 1348, {}},
    {"account 2", 1349, 1350, {}},
    {"account 3", 1351, 1352, {}},
    {"account 4", 1353, 1354, {}},
    {"account 5", 1355, 1356, {}},
    {"account 6", 1357, 1358, {}},
    {"account 7", 1359, 1360, {}},
};

TEST(SampleTest, EveryFieldOfEveryGroupHasALabelAndSomeContactsFillTheGroup) {
  const Database& db = ledger();
  for (const GroupRow& g : kGroups) {
    SCOPED_TRACE(g.name);
    std::vector<int32_t> ids = g.readFirst;
    for (int32_t id = g.first; id <= g.last; ++id) ids.push_back(id);
    std::set<std::string> labels;
    for (int32_t id : ids) {
      const FieldDef* f = db.field(id);
      ASSERT_NE(f, nullptr) << "field " << id;
      EXPECT_FALSE(f->label.empty()) << "field " << id;
      EXPECT_TRUE(labels.insert(f->label).second) << "label repeated: " << f->label;
    }
    size_t filled = 0;
    for (const Contact& c : db.contacts)
      filled +=
          std::any_of(ids.begin(), ids.end(), [&](int32_t id) { return c.find(id) != nullptr; });
    EXPECT_GT(filled, 0u);
    EXPECT_LT(filled, db.contacts.size()) << "sparse, as real data is";
  }
}

TEST(SampleTest, BirthDateAndAgeFieldsLieOutsideEveryGroup) {
  for (int i = 0; i < 12; ++i) {
    int32_t id = kBirthDate + i;
    for (const GroupRow& g : kGroups) {
      EXPECT_FALSE(id >= g.first && id <= g.last) << id << " in " << g.name;
      EXPECT_EQ(std::count(g.readFirst.begin(), g.readFirst.end(), id), 0)
          << id << " in " << g.name;
    }
  }
}

TEST(SampleTest, StockListsAreCommaDelimitedAndSomeHoldT) {
  size_t withT = 0, lists = 0;
  for (const Contact& c : ledger().contacts)
    for (int32_t id = kStocksFirst; id <= kStocksLast; ++id)
      if (const Variant* v = c.find(id)) {
        ++lists;
        const std::string& s = v->asText();
        ASSERT_GE(s.size(), 3u) << s;
        EXPECT_EQ(s.front(), ',') << s;
        EXPECT_EQ(s.back(), ',') << s;
        withT += s.find(",T,") != std::string::npos;
      }
  EXPECT_GT(withT, 0u);
  EXPECT_LT(withT, lists);
}

TEST(SampleTest, PhoneFieldsHoldInternationalNumbers) {
  const std::regex form(R"(\+1\(\d{3}\) \d{7})");
  size_t phones = 0;
  for (const Contact& c : ledger().contacts)
    for (const auto& [id, v] : c.values)
      if (ledger().field(id)->type == fieldtype::kPhone) {
        ++phones;
        ASSERT_TRUE(std::regex_match(v.asText(), form)) << id << ": " << v.asText();
      }
  EXPECT_GT(phones, ledger().contacts.size());
}

TEST(SampleTest, PopUpListsAreThereWhereTheSchemaSaysAndOneIsEmpty) {
  const Database& db = ledger();
  ASSERT_TRUE(db.field(kTitle)->popup);
  EXPECT_GE(db.field(kTitle)->popup->size(), 5u);
  ASSERT_TRUE(db.field(kIdStatus)->popup);
  EXPECT_TRUE(db.field(kIdStatus)->popup->empty());
  for (int32_t id : {kState, kHomeState, kAltState, kSeasonalState}) {
    ASSERT_TRUE(db.field(id)->popup) << id;
    EXPECT_EQ(db.field(id)->popup->size(), 51u) << id;
  }
  EXPECT_FALSE(db.field(kCompany)->popup);
  EXPECT_FALSE(db.field(kContact)->popup);
  // Every field is described once, in identifier order.
  for (size_t i = 1; i < db.fields.size(); ++i) EXPECT_LT(db.fields[i - 1].id, db.fields[i].id);
}

int ageOn(const platform::OleDateTime& b, const SampleDate& on) {
  int age = on.year - b.year;
  if (on.month < b.month || (on.month == b.month && on.day < b.day)) --age;
  return age;
}

TEST(SampleTest, BirthDatesComeInEveryFormAndMostAgesAreRight) {
  platform::PortableRegional regional;
  const int32_t pairs[6][2] = {{kBirthDate, kAge},
                               {kSpouseBirthDate, kSpouseAge},
                               {kChild1BirthDate, kChild1Age},
                               {kChild2BirthDate, kChild2Age},
                               {kChild3BirthDate, kChild3Age},
                               {kChild4BirthDate, kChild4Age}};
  size_t dates = 0, dateTexts = 0, otherTexts = 0, missing = 0, right = 0, wrong = 0;
  for (const Contact& c : ledger().contacts) {
    for (const auto& [dateField, ageField] : pairs) {
      EXPECT_EQ(ledger().field(dateField)->type, fieldtype::kDate);
      EXPECT_EQ(ledger().field(ageField)->type, fieldtype::kCharacter);
      const Variant* birth = c.find(dateField);
      const Variant* age = c.find(ageField);
      if (age) {
        ASSERT_EQ(age->type(), VarType::Text);
      }
      if (!birth) {
        ++missing;
        continue;
      }
      std::optional<double> serial;
      if (birth->type() == VarType::Date) {
        ++dates;
        serial = birth->asDate();
      } else if ((serial = regional.parseDate(birth->asText()))) {
        ++dateTexts;
      } else {
        ++otherTexts;
        continue;
      }
      if (!age) continue;
      int expected = ageOn(platform::oleDateTimeFromSerial(*serial), kSampleAgeDate);
      (age->asText() == std::to_string(expected) ? right : wrong)++;
    }
  }
  EXPECT_GT(dates, 1000u);
  EXPECT_GT(dateTexts, 10u);
  EXPECT_GT(otherTexts, 0u);
  EXPECT_GT(missing, 0u);
  EXPECT_GT(wrong, 0u) << "some ages are deliberately off";
  EXPECT_GT(right, 8 * wrong);
}

TEST(SampleTest, ContactsAreSparseButFull) {
  size_t values = 0;
  for (const Contact& c : ledger().contacts) {
    values += c.values.size();
    ASSERT_TRUE(std::is_sorted(c.values.begin(), c.values.end(),
                               [](const auto& a, const auto& b) { return a.first < b.first; }));
    for (const auto& [id, v] : c.values) ASSERT_NE(ledger().field(id), nullptr) << id;
    EXPECT_NE(c.find(kContact), nullptr);
  }
  double average = static_cast<double>(values) / ledger().contacts.size();
  EXPECT_GT(average, 25.0);
  EXPECT_LT(average, 45.0);
}

TEST(SampleTest, TheHostIsReadyWithTheDatabaseOpenAndTheMenuBarSeeded) {
  SampleOptions o;
  o.name = "Clients";
  o.contacts = 10;
  HostState h = makeSampleHost(o);
  EXPECT_TRUE(h.ui.ready);
  EXPECT_EQ(h.ui.openDatabase, "Clients");
  ASSERT_NE(h.openDatabase(), nullptr);
  EXPECT_EQ(h.openDatabase()->contacts.size(), 10u);
  EXPECT_EQ(h.ui.focusedField, kContact);
  EXPECT_FALSE(h.ui.lookup);
  EXPECT_TRUE(h.catalogue.commands.empty());

  std::set<int32_t> positions;
  for (const SubMenu& s : h.catalogue.submenus) {
    EXPECT_EQ(s.parent, "");
    EXPECT_EQ(s.menuSet, 1);
    positions.insert(s.position);
  }
  EXPECT_EQ(positions.count(8), 0u) << "position 8 stays free";
  EXPECT_EQ(*positions.begin(), 0);
  for (int p = 0; p < 8; ++p) EXPECT_EQ(positions.count(p), 1u) << p;
  ASSERT_NE(h.catalogue.submenu(1, "", "&Reports"), nullptr);
  EXPECT_EQ(h.catalogue.submenu(1, "", "&Reports")->position, 7);
  EXPECT_EQ(h.catalogue.submenu(1, "", "&reports"), nullptr) << "captions compare exactly";
  EXPECT_EQ(h.catalogue.submenu(1, "", "&Tools")->position, 9);
}

}  // namespace
}  // namespace vel::standin
