#include "platform/regional.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "host/convert.h"
#include "host/error.h"

namespace vel::platform {
namespace {

using host::serialFromCivil;

std::optional<double> date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return serialFromCivil(y, m, d, h, mi, s);
}
std::optional<double> timeOfDay(int h, int mi, int s = 0) {
  return date(1899, 12, 30, h, mi, s);
}
const std::optional<double> kNoDate;

constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

// ---- reading dates

struct ParseCase {
  const char* name;
  const char* text;
  std::optional<double> expected;
};
void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name << ": \"" << c.text << '"';
}

class ParseDate : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseDate, ReadsTheCommonEnUsForms) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(PortableRegional().parseDate(c.text), c.expected);
}

const ParseCase kParseCases[] = {
    {"slashes", "3/1/1990", date(1990, 3, 1)},
    {"slashes_leading_zeros", "03/01/1990", date(1990, 3, 1)},
    {"dashes_two_digit_year", "3-1-90", date(1990, 3, 1)},
    {"year_first", "1990-03-01", date(1990, 3, 1)},
    {"year_first_short_parts", "1990-3-1", date(1990, 3, 1)},
    {"month_name_comma", "March 1, 1990", date(1990, 3, 1)},
    {"month_name_comma_no_blank", "March 1,1990", date(1990, 3, 1)},
    {"month_name_blank", "March 1 1990", date(1990, 3, 1)},
    {"month_abbreviation", "Mar 1, 1990", date(1990, 3, 1)},
    {"month_name_any_case", "mARCH 1, 1990", date(1990, 3, 1)},
    {"sep", "Sep 15 1990", date(1990, 9, 15)},
    {"day_month_year", "1 March 1990", date(1990, 3, 1)},
    {"day_abbreviation_year", "1 Mar 1990", date(1990, 3, 1)},
    {"day_dash_mon_dash_year", "1-Mar-1990", date(1990, 3, 1)},
    {"day_dash_mon_dash_short_year", "01-MAR-90", date(1990, 3, 1)},
    {"surrounding_blanks", "  3/1/1990\t ", date(1990, 3, 1)},
    {"time_24_hour", "3/1/1990 13:45", date(1990, 3, 1, 13, 45)},
    {"time_with_seconds", "3/1/1990 13:45:30", date(1990, 3, 1, 13, 45, 30)},
    {"time_pm", "3/1/1990 1:45 PM", date(1990, 3, 1, 13, 45)},
    {"time_pm_seconds_lower_case", "3/1/1990 1:45:30 pm", date(1990, 3, 1, 13, 45, 30)},
    {"time_am_no_blank", "3/1/1990 9:05AM", date(1990, 3, 1, 9, 5)},
    {"time_midnight_am", "3/1/1990 12:00 AM", date(1990, 3, 1)},
    {"time_noon_pm", "3/1/1990 12:00 PM", date(1990, 3, 1, 12)},
    {"year_first_with_time", "1990-03-01 13:45", date(1990, 3, 1, 13, 45)},
    {"month_name_with_time", "March 1, 1990 1:45 PM", date(1990, 3, 1, 13, 45)},
    {"day_month_with_time", "1 Mar 1990 23:59:59", date(1990, 3, 1, 23, 59, 59)},
    {"time_alone_pm", "1:30 PM", timeOfDay(13, 30)},
    {"time_alone_24_hour", "13:30:15", timeOfDay(13, 30, 15)},
    {"time_alone_midnight", "0:00", 0.0},
    {"leap_day", "2/29/2000", date(2000, 2, 29)},
    {"last_day", "12/31/9999", date(9999, 12, 31)},
    {"year_00", "1/1/00", date(2000, 1, 1)},
    {"year_29", "1/1/29", date(2029, 1, 1)},
    {"year_30", "1/1/30", date(1930, 1, 1)},
    {"year_99", "1/1/99", date(1999, 1, 1)},
    {"year_one_digit", "1/1/5", date(2005, 1, 1)},
    {"month_name_two_digit_year", "Mar 1, 29", date(2029, 3, 1)},
    {"february_30", "2/30/1990", kNoDate},
    {"february_29_1900", "2/29/1900", kNoDate},
    {"april_31", "4/31/1990", kNoDate},
    {"day_first_when_the_month_cannot_be", "13/1/1990", date(1990, 1, 13)},
    {"day_first_with_dashes_short_year", "25-12-60", date(1960, 12, 25)},
    {"neither_order_a_date", "13/13/1990", kNoDate},
    {"day_first_only_when_month_first_fails", "2/1/1990", date(1990, 2, 1)},
    {"day_first_still_checks_the_day", "31/2/1990", kNoDate},
    {"month_0", "0/1/1990", kNoDate},
    {"day_0", "1/0/1990", kNoDate},
    {"year_below_100", "1/1/0099", kNoDate},
    {"year_five_digits", "1/1/10000", kNoDate},
    {"year_three_digits", "3/1/199", kNoDate},
    {"hour_24", "3/1/1990 24:00", kNoDate},
    {"minute_60", "3/1/1990 1:60", kNoDate},
    {"second_60", "1:30:60", kNoDate},
    {"hour_13_pm", "3/1/1990 13:45 PM", kNoDate},
    {"hour_0_am", "0:30 AM", kNoDate},
    {"empty", "", kNoDate},
    {"blanks", "   ", kNoDate},
    {"word", "abc", kNoDate},
    {"number", "12345", kNoDate},
    {"year_alone", "1990", kNoDate},
    {"month_and_day_only", "3/1", kNoDate},
    {"mixed_separators", "3/1-1990", date(1990, 3, 1)},
    {"month_and_year_only", "March 1990", kNoDate},
    {"misspelt_month", "Marc 1, 1990", kNoDate},
    {"short_year_first", "90-03-01", kNoDate},
    {"dots_separate_times_not_dates", "3.1.1990", kNoDate},
    {"sept_is_no_month_name", "Sept 15, 1990", kNoDate},
    {"trailing_word", "3/1/1990 x", kNoDate},
    {"trailing_letter_no_blank", "3/1/1990x", kNoDate},
    {"time_without_blank", "3/1/199013:45", kNoDate},
    {"trailing_after_time", "3/1/1990 1:45 PM!", kNoDate},
    {"time_suffix_garbage", "1:30 PMX", kNoDate},
    {"hour_alone", "3/1/1990 13", kNoDate},
    // A day name in front, blanks or commas between the parts, a dot in the time.
    {"weekday_long", "Thursday, March 1, 1990", date(1990, 3, 1)},
    {"weekday_abbreviation", "Thu, 1 Mar 1990", date(1990, 3, 1)},
    {"weekday_before_numbers", "thu 3/1/1990", date(1990, 3, 1)},
    {"weekday_is_not_checked", "Monday, March 1, 1990", date(1990, 3, 1)},
    {"weekday_alone", "Thursday", kNoDate},
    {"weekday_without_separator", "Thursday3/1/1990", kNoDate},
    {"blanks_between_numbers", "3 1 1990", date(1990, 3, 1)},
    {"commas_between_numbers", "3,1,1990", date(1990, 3, 1)},
    {"blanks_day_first", "25 12 1960", date(1960, 12, 25)},
    {"blanks_between_numbers_with_time", "3 1 1990 13:45", date(1990, 3, 1, 13, 45)},
    {"comma_after_month", "March, 1, 1990", date(1990, 3, 1)},
    {"comma_before_year_day_first", "1 March, 1990", date(1990, 3, 1)},
    {"time_dot", "3/1/1990 13.45", date(1990, 3, 1, 13, 45)},
    {"time_dots_seconds_pm", "3/1/1990 1.45.30 PM", date(1990, 3, 1, 13, 45, 30)},
    {"time_alone_dot", "13.45", timeOfDay(13, 45)},
};
INSTANTIATE_TEST_SUITE_P(Values, ParseDate, testing::ValuesIn(kParseCases), kRowName);

struct PivotCase {
  const char* name;
  int twoDigitYearMax;
  const char* text;
  int year;
};
void PrintTo(const PivotCase& c, std::ostream* os) {
  *os << c.name;
}

class TwoDigitYear : public testing::TestWithParam<PivotCase> {};

TEST_P(TwoDigitYear, LiesInTheHundredYearsEndingAtThePivot) {
  const PivotCase& c = GetParam();
  EXPECT_EQ(PortableRegional(c.twoDigitYearMax).parseDate(c.text), date(c.year, 1, 1));
}

const PivotCase kPivotCases[] = {
    {"pivot_1999_top", 1999, "1/1/99", 1999},
    {"pivot_1999_wraps", 1999, "1/1/00", 1900},
    {"pivot_2049_top", 2049, "1/1/49", 2049},
    {"pivot_2049_above", 2049, "1/1/50", 1950},
    {"pivot_2049_middle", 2049, "1/1/30", 2030},
    {"pivot_2049_four_digits_untouched", 2049, "1/1/1930", 1930},
};
INSTANTIATE_TEST_SUITE_P(Values, TwoDigitYear, testing::ValuesIn(kPivotCases), kRowName);

// ---- printing dates

struct FormatCase {
  const char* name;
  double serial;
  const char* expected;
};
void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.name << ": " << c.serial;
}

class FormatDate : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatDate, PrintsTheShortEnUsForm) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(PortableRegional().formatDate(c.serial), c.expected);
}

const FormatCase kFormatCases[] = {
    {"date_alone", 32874, "1/1/1990"},
    {"two_digit_month_and_day", 33238, "12/31/1990"},
    {"date_and_noon", 32874.5, "1/1/1990 12:00:00 PM"},
    {"date_and_morning", 32874.25, "1/1/1990 6:00:00 AM"},
    {"date_and_late_evening", 32874 + 23.0 / 24, "1/1/1990 11:00:00 PM"},
    {"second_after_midnight", 32874 + 1.0 / 86400, "1/1/1990 12:00:01 AM"},
    {"time_alone", 0.5625, "1:30:00 PM"},
    {"zero_is_midnight", 0, "12:00:00 AM"},
    {"day_before_epoch", -1.25, "12/29/1899 6:00:00 AM"},
    {"negative_fraction_alone", -0.5, "12:00:00 PM"},
    {"rounds_to_the_second", 32874 + 59.6 / 86400, "1/1/1990 12:01:00 AM"},
    {"rounds_into_the_next_day", 32874.9999999, "1/2/1990"},
    {"last_second", 2958465 + 86399.0 / 86400, "12/31/9999 11:59:59 PM"},
};
INSTANTIATE_TEST_SUITE_P(Values, FormatDate, testing::ValuesIn(kFormatCases), kRowName);

TEST(PortableRegional, ReadsBackWhatItPrints) {
  const PortableRegional r;
  for (const char* text :
       {"2/29/2000 11:59:59 PM", "1/1/1990", "12:00:01 AM", "7/4/1776 4:05:06 AM"}) {
    auto serial = r.parseDate(text);
    ASSERT_TRUE(serial) << text;
    EXPECT_EQ(r.formatDate(*serial), text);
  }
}

// ---- the settings in force

TEST(Regional, DefaultsToTheSystemSettings) {
  EXPECT_EQ(&regional(), &systemRegional());
  EXPECT_EQ(regional().parseDate("1/1/29"), date(2029, 1, 1));
}

// Reads only "yes", prints every date as "D" and every number as "N": shows which settings a
// conversion consulted.
class MarkerRegional : public Regional {
 public:
  std::optional<double> parseDate(std::string_view text) const override {
    return text == "yes" ? std::optional<double>(1.0) : std::nullopt;
  }
  std::string formatDate(double) const override { return "D"; }
  std::string formatNumber(double) const override { return "N"; }
};

TEST(ScopedRegional, ConversionsUseTheSettingsInForce) {
  const MarkerRegional marker;
  {
    ScopedRegional scope(marker);
    EXPECT_EQ(host::toText(host::Variant::date(32874), host::NullRule::Strict), "D");
    EXPECT_EQ(host::toText(2.5, host::NullRule::Strict), "N");
    EXPECT_TRUE(host::isDate("yes"));
    EXPECT_FALSE(host::isDate("1/1/1990"));
  }
  EXPECT_EQ(host::toText(host::Variant::date(32874), host::NullRule::Strict), "1/1/1990");
  EXPECT_EQ(host::toText(2.5, host::NullRule::Strict), "2.5");
  EXPECT_TRUE(host::isDate("1/1/1990"));
}

TEST(ScopedRegional, OnlyDoublesAndDatesDependOnTheSettings) {
  const MarkerRegional marker;
  ScopedRegional scope(marker);
  EXPECT_EQ(host::toText(true, host::NullRule::Strict), "True");
  EXPECT_EQ(host::toText(int16_t{-5}, host::NullRule::Strict), "-5");
  EXPECT_EQ(host::toText(int32_t{70000}, host::NullRule::Strict), "70000");
  // A double beyond every number fails before the settings are asked.
  EXPECT_THROW(host::toText(std::numeric_limits<double>::quiet_NaN(), host::NullRule::Strict),
               host::AutomationError);
}

TEST(ScopedRegional, NestedScopesRestoreTheOuterSettings) {
  const PortableRegional pivot1999(1999);
  const PortableRegional pivot2049(2049);
  ScopedRegional outer(pivot1999);
  EXPECT_DOUBLE_EQ(host::toDate("1/1/00"), *date(1900, 1, 1));
  {
    ScopedRegional inner(pivot2049);
    EXPECT_DOUBLE_EQ(host::toDate("1/1/00"), *date(2000, 1, 1));
    EXPECT_DOUBLE_EQ(host::toDate("1/1/49"), *date(2049, 1, 1));
  }
  EXPECT_EQ(&regional(), &pivot1999);
  EXPECT_DOUBLE_EQ(host::toDate("1/1/49"), *date(1949, 1, 1));
}

}  // namespace
}  // namespace vel::platform
