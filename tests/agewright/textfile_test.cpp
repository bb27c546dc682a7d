// The settings reader and writer: records, value forms, failures and the round trip.

#include <array>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/agewright/fixture.h"

namespace vel::agewright {
namespace {

using host::Variant;
using Row = std::array<Variant, kColumns>;
using testing::dateOf;

Row numbers(int32_t first) {
  Row r;
  for (int c = 0; c < kColumns; ++c) r[c] = Variant(first + c);
  return r;
}

Variant dateTime(int y, int mo, int d, int h, int mi, int s) {
  return Variant::date(host::serialFromCivil(y, mo, d, h, mi, s));
}

std::string describe(const std::optional<SettingsTable>& t) {
  if (!t) return "nothing";
  std::string out = std::to_string(t->rowCount()) + " row(s):";
  for (int r = 0; r < t->rowCount(); ++r) {
    out += "\n ";
    for (int c = 0; c < kColumns; ++c) {
      std::ostringstream cell;
      cell << t->at(c, r);
      out += " [" + cell.str() + "]";
    }
  }
  return out;
}

TEST(ParseRecords, FieldsAndRecords) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<SettingsTable> expected;
  };
  const SettingsTable oneToEight({numbers(1)});
  std::string mostRecords;
  for (int i = 0; i < kMaxSettingsRecords; ++i) mostRecords += ",,,,,,,\r\n";
  const std::vector<Case> cases = {
      {"one record", "1,2,3,4,5,6,7,8\r\n", oneToEight},
      {"the most records a file may hold", mostRecords,
       SettingsTable(std::vector<Row>(kMaxSettingsRecords))},
      {"one record more", mostRecords + "1,2,3,4,5,6,7,8\r\n", std::nullopt},
      {"eight megabytes of commas", std::string(8 << 20, ','), std::nullopt},
      {"one record without a line end", "1,2,3,4,5,6,7,8", oneToEight},
      {"a record split over three lines", "1,2,3\r\n4,5\r\n6,7,8\r\n", oneToEight},
      {"line ends separate like commas, LF alone too", "1\n2\n3\n4\n5\n6\n7\n8\n", oneToEight},
      {"two records on one line", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n",
       SettingsTable({numbers(1), numbers(9)})},
      {"two records on their own lines", "1,2,3,4,5,6,7,8\r\n9,10,11,12,13,14,15,16\r\n",
       SettingsTable({numbers(1), numbers(9)})},
      {"blanks ahead of fields are skipped", "  1,\t2, 3,4,5,6,7,   8\r\n", oneToEight},
      {"a quoted comma stays in its field", "\"a,b\",2,3,4,5,6,7,8\r\n",
       SettingsTable({Row{"a,b", 2, 3, 4, 5, 6, 7, 8}})},
      {"empty fields between separators", ",,,,,,,\r\n", SettingsTable({Row{}})},
      {"an empty line after the last record", "1,2,3,4,5,6,7,8\r\n\r\n", std::nullopt},
      {"a record of seven fields", "1,2,3,4,5,6,7\r\n", std::nullopt},
      {"a second record cut short", "1,2,3,4,5,6,7,8\r\n9,10\r\n", std::nullopt},
      {"an empty file", "", std::nullopt},
      {"an unknown #form#", "#MAYBE#,2,3,4,5,6,7,8\r\n", std::nullopt},
      {"an invalid date", "#2025-02-30#,2,3,4,5,6,7,8\r\n", std::nullopt},
      {"an error code beyond 32 bits", "#ERROR 99999999999#,2,3,4,5,6,7,8\r\n", std::nullopt},
      {"a quoted text over a line end", "\"a\r\nb\",2,3,4,5,6,7,8\r\n",
       SettingsTable({Row{"a\r\nb", 2, 3, 4, 5, 6, 7, 8}})},
      {"a number too large for a double is text", "1E999,2,3,4,5,6,7,8\r\n",
       SettingsTable({Row{"1E999", 2, 3, 4, 5, 6, 7, 8}})},
      {"hash forms",
       "#TRUE#,#FALSE#,#NULL#,#ERROR 5#,#1990-06-15#,#13:45:30#,#1990-06-15 13:45:30#,\r\n",
       SettingsTable({Row{true, false, Variant::null(), Variant::error(5), dateOf(1990, 6, 15),
                          dateTime(1899, 12, 30, 13, 45, 30), dateTime(1990, 6, 15, 13, 45, 30),
                          Variant()}})},
      {"bare forms", "42,-7,3.5,1E3,\"text\",bare text,  0.25,\"\"\r\n",
       SettingsTable({Row{42, -7, 3.5, 1000.0, "text", "bare text", 0.25, ""}})},
  };
  for (const Case& c : cases) {
    std::optional<SettingsTable> got = parseRecords(c.text);
    EXPECT_EQ(got, c.expected) << c.name << "\nexpected " << describe(c.expected) << "\ngot "
                               << describe(got);
  }
}

TEST(ParseRecords, TheTableIsColumnByRecord) {
  std::optional<SettingsTable> t =
      parseRecords(testing::kBirthToAge + testing::record("\"Birth Date\"", "1201"));
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->rowCount(), 2);
  EXPECT_EQ(t->at(3, 0), Variant(1100));
  EXPECT_EQ(t->at(5, 0), Variant(1200));
  EXPECT_EQ(t->at(3, 1), Variant("Birth Date"));
  EXPECT_EQ(t->at(5, 1), Variant(1201));
  EXPECT_EQ(t->at(0, 1), Variant("Age"));
}

class SettingsFile : public testing::AgeTest {
 protected:
  void SetUp() override { std::filesystem::create_directories(files.map(testing::kFolder)); }
  std::optional<SettingsTable> read(const std::string& path) {
    clsTextFile file(files, [this](const std::string& text) { stops.push_back(text); });
    return file.ReadFile(path);
  }
  std::string path() const { return platform::joinPath(testing::kFolder, kSettingsFileName); }

  std::vector<std::string> stops;
};

TEST_F(SettingsFile, ReadsTheFileItIsGiven) {
  writeSettings("1,2,3,4,5,6,7,8\r\n");
  EXPECT_EQ(read(path()), SettingsTable({numbers(1)}));
  EXPECT_TRUE(stops.empty());
}

TEST_F(SettingsFile, AMissingFileIsNamedInFullWithTheStopMessage) {
  EXPECT_EQ(read(path()), std::nullopt);
  EXPECT_EQ(stops,
            std::vector<std::string>{"There is no Datewell Settings (.dws) file for C:\\Program "
                                     "Files\\VMR\\Ledger.dws Cannot Update"});
}

TEST_F(SettingsFile, OtherFailuresAreSilent) {
  struct Case {
    const char* name;
    std::optional<std::string> text;  // nothing: a folder stands where the file should be
  };
  for (const Case& c :
       {Case{"empty file", ""}, Case{"incomplete record", "1,2,3\r\n"},
        Case{"empty last line", "1,2,3,4,5,6,7,8\r\n\r\n"}, Case{"unreadable", std::nullopt}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(files.map(path()));
    if (c.text)
      writeSettings(*c.text);
    else
      std::filesystem::create_directories(files.map(path()));
    stops.clear();
    EXPECT_EQ(read(path()), std::nullopt);
    EXPECT_TRUE(stops.empty());
  }
}

TEST_F(SettingsFile, WritesOneRecordPerRowInTheFileForms) {
  clsTextFile file(files, [](const std::string&) {});
  file.WriteFile(
      path(), SettingsTable({Row{"a,b", 42, 3.5, true, Variant::null(), Variant(),
                                 Variant::error(7), dateOf(1990, 6, 15)},
                             Row{dateTime(1899, 12, 30, 13, 45, 30), dateTime(1990, 6, 15, 1, 2, 3),
                                 int16_t{-5}, false, "", 1e20, -0.5, " x"}}));
  EXPECT_EQ(platform::testing::readFile(files.map(path())),
            "\"a,b\",42,3.5,#TRUE#,#NULL#,,#ERROR 7#,#1990-06-15#\r\n"
            "#13:45:30#,#1990-06-15 01:02:03#,-5,#FALSE#,\"\",1E+20,-0.5,\" x\"\r\n");
}

TEST_F(SettingsFile, YearsBefore1000AreWrittenWithFourDigits) {
  clsTextFile file(files, [](const std::string&) {});
  file.WriteFile(
      path(),
      SettingsTable({Row{dateOf(100, 1, 1), dateTime(999, 12, 31, 6, 0, 0), 0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(platform::testing::readFile(files.map(path())),
            "#0100-01-01#,#0999-12-31 06:00:00#,0,0,0,0,0,0\r\n");
}

TEST_F(SettingsFile, AValueTheFileCannotHoldIsRefusedAndTheFileKept) {
  struct Case {
    const char* name;
    Variant value;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"a text with a double quote", "say \"hi\"", "a text with a double quote"},
      {"a date after 9999", Variant::date(3000000.0), "a date outside the years 100 to 9999"},
      {"a date before 100", Variant::date(-700000.0), "a date outside the years 100 to 9999"},
      {"infinity", std::numeric_limits<double>::infinity(), "a number that is not finite"},
      {"not a number", std::numeric_limits<double>::quiet_NaN(), "a number that is not finite"},
      {"an object", Variant(host::DispatchPtr()), "an object"},
  };
  clsTextFile file(files, [](const std::string&) {});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeSettings(testing::kBirthToAge);
    Row bad{"Age", "", 0, 1100, "", 1200, 0, 0};
    bad[4] = c.value;
    try {
      file.WriteFile(path(), SettingsTable({numbers(1), bad}));
      ADD_FAILURE() << "written";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()),
                "The settings file cannot hold " + c.says + " (column 4, row 1).");
    }
    EXPECT_EQ(platform::testing::readFile(files.map(path())), testing::kBirthToAge);
  }
}

TEST_F(SettingsFile, WriteThenReadGivesEveryValueBack) {
  struct Case {
    const char* name;
    Variant written;
    Variant readBack;
  };
  const std::vector<Case> cases = {
      {"empty", Variant(), Variant()},
      {"null", Variant::null(), Variant::null()},
      {"true", true, true},
      {"false", false, false},
      {"error", Variant::error(5), Variant::error(5)},
      {"16-bit integer", int16_t{7}, int32_t{7}},
      {"32-bit integer", int32_t{-42}, int32_t{-42}},
      {"large integer", int32_t{2147483647}, int32_t{2147483647}},
      {"fraction", 3.5, 3.5},
      {"whole double", 3.0, int32_t{3}},
      {"large double", 1e20, 1e20},
      {"small double", 1.25e-7, 1.25e-7},
      {"double that needs 17 digits", 0.1 + 0.2, 0.1 + 0.2},
      {"third", 1.0 / 3.0, 1.0 / 3.0},
      {"largest double", std::numeric_limits<double>::max(), std::numeric_limits<double>::max()},
      {"negative error code", Variant::error(-2147352572), Variant::error(-2147352572)},
      {"text", "Birth Date", "Birth Date"},
      {"text with a comma", "a,b", "a,b"},
      {"text with a leading blank", " 42", " 42"},
      {"text with a line break", "one\r\ntwo", "one\r\ntwo"},
      {"text that looks like a form", "#TRUE#", "#TRUE#"},
      {"empty text", "", ""},
      {"numeric text", "1100", "1100"},
      {"date", dateOf(1990, 6, 15), dateOf(1990, 6, 15)},
      {"time", dateTime(1899, 12, 30, 13, 45, 30), dateTime(1899, 12, 30, 13, 45, 30)},
      {"date and time", dateTime(2004, 2, 29, 23, 59, 59), dateTime(2004, 2, 29, 23, 59, 59)},
      {"date and time before 1900", dateTime(1850, 3, 1, 6, 0, 0), dateTime(1850, 3, 1, 6, 0, 0)},
      {"first day of year 100", dateOf(100, 1, 1), dateOf(100, 1, 1)},
      {"a date in year 999", dateTime(999, 7, 4, 12, 30, 0), dateTime(999, 7, 4, 12, 30, 0)},
      {"last day of year 9999", dateOf(9999, 12, 31), dateOf(9999, 12, 31)},
  };
  clsTextFile file(files, [](const std::string&) {});
  for (const Case& c : cases) {
    Row row{"Age", "", 0, 1100, "", 1200, 0, 0};
    row[2] = c.written;
    file.WriteFile(path(), SettingsTable({row, row}));
    std::optional<SettingsTable> back = file.ReadFile(path());
    row[2] = c.readBack;
    EXPECT_EQ(back, SettingsTable({row, row}))
        << c.name << "\nfile: " << platform::testing::readFile(files.map(path())) << "\ngot "
        << describe(back);
  }
}

// The file is in the system's code page (Windows-1252 here), the table in UTF-8.
TEST_F(SettingsFile, IsPlainTextInTheSystemCodePage) {
  // A label with letters beyond ASCII, as a western user types it.
  writeSettings("\"\xC2ge\",\"\",0,\"Date de naissance \xE9\",\"\",\"\xC2ge du conjoint\",0,0\r\n");
  std::optional<SettingsTable> t = read(path());
  ASSERT_TRUE(t) << platform::testing::readFile(files.map(path()));
  EXPECT_EQ(t->at(0, 0), Variant("\u00C2ge"));
  EXPECT_EQ(t->at(3, 0), Variant("Date de naissance \u00E9"));
  EXPECT_EQ(t->at(5, 0), Variant("\u00C2ge du conjoint"));

  clsTextFile file(files, [](const std::string&) {});
  file.WriteFile(path(), *t);
  EXPECT_EQ(platform::testing::readFile(files.map(path())),
            "\"\xC2ge\",\"\",0,\"Date de naissance \xE9\",\"\",\"\xC2ge du conjoint\",0,0\r\n");
}

TEST_F(SettingsFile, EveryHighByteReadsAndWritesBackUnchanged) {
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b)
    if (b != '"') high += static_cast<char>(b);
  std::string record = "\"" + high + "\",1,2,3,4,5,6,7\r\n";
  writeSettings(record);
  std::optional<SettingsTable> t = read(path());
  ASSERT_TRUE(t);
  EXPECT_EQ(t->at(0, 0).asText().substr(0, 5), "\u20AC\u0081");  // euro, then undefined 0x81
  clsTextFile file(files, [](const std::string&) {});
  file.WriteFile(path(), *t);
  EXPECT_EQ(platform::testing::readFile(files.map(path())), record);
}

TEST_F(SettingsFile, ACharacterTheCodePageCannotHoldIsRefusedAndTheFileKept) {
  writeSettings(testing::kBirthToAge);
  clsTextFile file(files, [](const std::string&) {});
  try {
    file.WriteFile(path(), SettingsTable({Row{"Age", "", 0, "\u03A9mega", "", 1200, 0, 0}}));
    ADD_FAILURE() << "written";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(std::string(e.what()),
              "The settings file cannot hold a character that code page 1252 cannot hold "
              "(U+03A9) (column 3, row 0).");
  }
  EXPECT_EQ(platform::testing::readFile(files.map(path())), testing::kBirthToAge);
}

TEST_F(SettingsFile, TakesTheCodePageItIsGiven) {
  writeSettings("\"\xC3\xA9\",1,2,3,4,5,6,7\r\n");
  platform::Utf8CodePage utf8;
  clsTextFile asUtf8(
      files, [](const std::string&) {}, utf8);
  EXPECT_EQ(asUtf8.ReadFile(path())->at(0, 0), Variant("\u00E9"));
  // The same bytes in Windows-1252 are two letters; bytes UTF-8 cannot read fail silently.
  EXPECT_EQ(read(path())->at(0, 0), Variant("\u00C3\u00A9"));
  writeSettings("\"\xE9\",1,2,3,4,5,6,7\r\n");
  EXPECT_EQ(asUtf8.ReadFile(path()), std::nullopt);
}

}  // namespace
}  // namespace vel::agewright
