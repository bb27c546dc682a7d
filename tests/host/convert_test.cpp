#include "host/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "host/dispatch.h"
#include "host/error.h"
#include "platform/regional.h"

namespace vel::host {
namespace {

// Outcomes are compared as text, so a failing row shows the value or error on both sides.
const std::string kOverflow = "error 6";
const std::string kMismatch = "error 13";
const std::string kNullUse = "error 94";

std::string show(const std::string& s) {
  return s;
}
std::string show(const char* s) {
  return s;
}
std::string show(bool b) {
  return b ? "true" : "false";
}
std::string show(int16_t i) {
  return std::to_string(i);
}
std::string show(int32_t i) {
  return std::to_string(i);
}
std::string show(double d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", d);
  return buf;
}
std::string show(const Variant& v) {
  return describe(v);
}

template <class F>
std::string outcome(F&& f) {
  try {
    return show(f());
  } catch (const AutomationError& e) {
    return "error " + std::to_string(e.runTimeNumber());
  }
}

class NoMembers : public Dispatch {
 public:
  Variant invoke(std::string_view member, CallKind, std::span<const Arg>) override {
    throw AutomationError(hr::kUnknownName, "Unknown name", std::string(member));
  }
};

Variant object() {
  return Variant(DispatchPtr(std::make_shared<NoMembers>()));
}

constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

// Dates print through the regional settings; the tests pin the portable en-US rules.
class WithPortableRegional {
 protected:
  platform::PortableRegional rules_;
  platform::ScopedRegional scope_{rules_};
};

// ---- value to text

struct TextCase {
  const char* name;
  Variant value;
  NullRule rule;
  std::string expected;
};
void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name << ": " << c.value;
}

class ToText : public testing::TestWithParam<TextCase>, WithPortableRegional {};

TEST_P(ToText, RendersAsAnAutomationClient) {
  const TextCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return toText(c.value, c.rule); }), c.expected);
}

const TextCase kTextCases[] = {
    {"empty", Variant(), NullRule::Strict, ""},
    {"null_strict", Variant::null(), NullRule::Strict, kNullUse},
    {"null_lenient", Variant::null(), NullRule::Lenient, ""},
    {"boolean_true", true, NullRule::Strict, "True"},
    {"boolean_false", false, NullRule::Strict, "False"},
    {"int16_lowest", int16_t{-32768}, NullRule::Strict, "-32768"},
    {"int32_highest", int32_t{2147483647}, NullRule::Strict, "2147483647"},
    {"double_tenth", 0.1, NullRule::Strict, "0.1"},
    {"double_third", 1.0 / 3, NullRule::Strict, "0.333333333333333"},
    {"double_two_thirds_rounds", 2.0 / 3, NullRule::Strict, "0.666666666666667"},
    {"double_whole", 100.0, NullRule::Strict, "100"},
    {"double_negative", -2.5, NullRule::Strict, "-2.5"},
    {"double_mixed", 12345.678, NullRule::Strict, "12345.678"},
    {"double_fifteen_nines", 999999999999999.0, NullRule::Strict, "999999999999999"},
    {"double_1e15", 1e15, NullRule::Strict, "1E+15"},
    {"double_rounds_up_to_1e15", 999999999999999.9, NullRule::Strict, "1E+15"},
    {"double_1e_minus5_plain", 1e-5, NullRule::Strict, "0.00001"},
    {"double_1e_minus6", 1e-6, NullRule::Strict, "1E-06"},
    {"double_1_5e_minus7", 1.5e-7, NullRule::Strict, "1.5E-07"},
    {"double_eighteen_digits", 123456789012345678.0, NullRule::Strict, "1.23456789012346E+17"},
    {"double_three_digit_exponent", -1.5e-300, NullRule::Strict, "-1.5E-300"},
    {"double_minus_zero", -0.0, NullRule::Strict, "0"},
    {"double_infinity", std::numeric_limits<double>::infinity(), NullRule::Strict, kOverflow},
    {"date_without_time", Variant::date(32874), NullRule::Strict, "1/1/1990"},
    {"date_with_time", Variant::date(32874.5), NullRule::Strict, "1/1/1990 12:00:00 PM"},
    {"date_time_only", Variant::date(0.5625), NullRule::Strict, "1:30:00 PM"},
    {"date_zero", Variant::date(0), NullRule::Strict, "12:00:00 AM"},
    {"date_beyond_9999", Variant::date(2958466), NullRule::Strict, kOverflow},
    {"text_as_is", " Abc ", NullRule::Strict, " Abc "},
    {"error_value", Variant::error(hr::kFail), NullRule::Lenient, kMismatch},
    {"object", object(), NullRule::Lenient, kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, ToText, testing::ValuesIn(kTextCases), kRowName);

// ---- integers, doubles and Booleans

struct IntCase {
  const char* name;
  Variant value;
  std::string as16;
  std::string as32;
};
void PrintTo(const IntCase& c, std::ostream* os) {
  *os << c.name << ": " << c.value;
}

class ToInteger : public testing::TestWithParam<IntCase> {};

TEST_P(ToInteger, ConvertsRoundsAndChecksRange) {
  const IntCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return toInt16(c.value); }), c.as16) << "16-bit";
  EXPECT_EQ(outcome([&] { return toInt32(c.value); }), c.as32) << "32-bit";
}

const IntCase kIntCases[] = {
    {"empty", Variant(), "0", "0"},
    {"null", Variant::null(), kNullUse, kNullUse},
    {"true", true, "-1", "-1"},
    {"false", false, "0", "0"},
    {"int16", int16_t{-7}, "-7", "-7"},
    {"int32_16bit_top", int32_t{32767}, "32767", "32767"},
    {"int32_above_16bit", int32_t{32768}, kOverflow, "32768"},
    {"int32_16bit_bottom", int32_t{-32768}, "-32768", "-32768"},
    {"int32_below_16bit", int32_t{-32769}, kOverflow, "-32769"},
    {"half_to_even_down", 2.5, "2", "2"},
    {"half_to_even_up", 3.5, "4", "4"},
    {"half_to_even_zero", 0.5, "0", "0"},
    {"half_to_even_negative", -2.5, "-2", "-2"},
    {"below_half", 2.4999, "2", "2"},
    {"above_half", 2.5001, "3", "3"},
    {"double_16bit_top_rounds_down", 32767.4, "32767", "32767"},
    {"double_16bit_top_rounds_over", 32767.5, kOverflow, "32768"},
    {"double_16bit_tie_stays_even", 32766.5, "32766", "32766"},
    {"double_16bit_bottom_tie", -32768.5, "-32768", "-32768"},
    {"double_below_16bit", -32768.6, kOverflow, "-32769"},
    {"double_32bit_top", 2147483647.4, kOverflow, "2147483647"},
    {"double_32bit_top_rounds_over", 2147483647.5, kOverflow, kOverflow},
    {"double_32bit_bottom_tie", -2147483648.5, kOverflow, "-2147483648"},
    {"double_below_32bit", -2147483649.0, kOverflow, kOverflow},
    {"double_nan", std::nan(""), kOverflow, kOverflow},
    {"date_serial_rounded", Variant::date(100.5), "100", "100"},
    {"date_serial_above_16bit", Variant::date(32874.75), kOverflow, "32875"},
    {"text_integer", "7", "7", "7"},
    {"text_blanks_and_sign", "  -12 ", "-12", "-12"},
    {"text_plus_sign", "+4", "4", "4"},
    {"text_decimal_rounds", "2.5", "2", "2"},
    {"text_leading_point", ".5", "0", "0"},
    {"text_trailing_point", "5.", "5", "5"},
    {"text_exponent", "1e3", "1000", "1000"},
    {"text_above_16bit", "40000", kOverflow, "40000"},
    {"text_beyond_double", "1e999", kOverflow, kOverflow},
    {"text_below_double", "1e-999", "0", "0"},
    {"text_empty", "", kMismatch, kMismatch},
    {"text_blank", "  ", kMismatch, kMismatch},
    {"text_word", "abc", kMismatch, kMismatch},
    {"text_inner_blank", "1 2", kMismatch, kMismatch},
    {"text_hexadecimal", "0x10", kMismatch, kMismatch},
    {"text_infinity", "inf", kMismatch, kMismatch},
    {"text_bare_exponent", "1e", kMismatch, kMismatch},
    {"text_true", "True", kMismatch, kMismatch},
    {"text_thousands", "1,000", "1000", "1000"},
    {"text_thousands_anywhere_in_the_whole_part", "1,00", "100", "100"},
    {"text_comma_first", ",5", kMismatch, kMismatch},
    {"text_currency", "$1,000.50", "1000", "1000"},
    {"text_currency_after", "5 $", "5", "5"},
    {"text_parentheses", "( 5 )", "-5", "-5"},
    {"text_parentheses_unclosed", "(5", kMismatch, kMismatch},
    {"text_trailing_minus", "5-", "-5", "-5"},
    {"text_sign_then_blank", "- 5", "-5", "-5"},
    {"text_two_signs", "-5-", kMismatch, kMismatch},
    {"text_hex", "&H10", "16", "16"},
    {"text_hex_lower_case", "&hff", "255", "255"},
    {"text_hex_16bit_pattern", "&HFFFF", "-1", "65535"},
    {"text_hex_beyond_16bit", "&H10000", kOverflow, "65536"},
    {"text_hex_32bit_pattern", "&HFFFFFFFF", kOverflow, "-1"},
    {"text_hex_beyond_32bit", "&H100000000", kOverflow, kOverflow},
    {"text_hex_bad_digit", "&HG", kMismatch, kMismatch},
    {"text_hex_no_digits", "&H", kMismatch, kMismatch},
    {"text_hex_with_sign", "-&H10", kMismatch, kMismatch},
    {"text_octal", "&O17", "15", "15"},
    {"text_octal_bad_digit", "&O8", kMismatch, kMismatch},
    {"text_line_break_around", "\n7\r\n", "7", "7"},
    {"error_value", Variant::error(5), kMismatch, kMismatch},
    {"object", object(), kMismatch, kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, ToInteger, testing::ValuesIn(kIntCases), kRowName);

struct ScalarCase {
  const char* name;
  Variant value;
  std::string expected;
};
void PrintTo(const ScalarCase& c, std::ostream* os) {
  *os << c.name << ": " << c.value;
}

class ToDouble : public testing::TestWithParam<ScalarCase> {};

TEST_P(ToDouble, Converts) {
  const ScalarCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return toDouble(c.value); }), c.expected);
}

const ScalarCase kDoubleCases[] = {
    {"empty", Variant(), "0"},
    {"null", Variant::null(), kNullUse},
    {"true", true, "-1"},
    {"int16", int16_t{-3}, "-3"},
    {"int32", int32_t{70000}, "70000"},
    {"double_kept", 2.5, "2.5"},
    {"date_serial", Variant::date(32874.5), "32874.5"},
    {"text", " -1.25e2 ", "-125"},
    {"text_thousands_and_currency", "$1,234.5", "1234.5"},
    {"text_parentheses", "(2.5)", "-2.5"},
    {"text_hex_32bit_pattern", "&H80000000", "-2147483648"},
    {"text_beyond_double", "-1e400", kOverflow},
    {"text_word", "1.2.3", kMismatch},
    {"error_value", Variant::error(5), kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, ToDouble, testing::ValuesIn(kDoubleCases), kRowName);

class ToBool : public testing::TestWithParam<ScalarCase> {};

TEST_P(ToBool, Converts) {
  const ScalarCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return toBool(c.value); }), c.expected);
}

const ScalarCase kBoolCases[] = {
    {"empty", Variant(), "false"},
    {"null", Variant::null(), kNullUse},
    {"true", true, "true"},
    {"false", false, "false"},
    {"int16_zero", int16_t{0}, "false"},
    {"int16_minus_one", int16_t{-1}, "true"},
    {"int32_two", int32_t{2}, "true"},
    {"double_zero", 0.0, "false"},
    {"double_fraction", 0.1, "true"},
    {"date_zero", Variant::date(0), "false"},
    {"date", Variant::date(1.5), "true"},
    {"text_true", "True", "true"},
    {"text_false_upper", "FALSE", "false"},
    {"text_true_mixed_case", "tRuE", "true"},
    {"text_true_with_blanks", " True ", kMismatch},
    {"text_true_literal", "#TRUE#", "true"},
    {"text_false_literal", "#FALSE#", "false"},
    {"text_literal_lower_case", "#true#", kMismatch},
    {"text_hex", "&H0", "false"},
    {"text_currency", "$0.01", "true"},
    {"text_zero", "0", "false"},
    {"text_minus_one", "-1", "true"},
    {"text_fraction", "0.5", "true"},
    {"text_yes", "yes", kMismatch},
    {"text_empty", "", kMismatch},
    {"error_value", Variant::error(0), kMismatch},
    {"object", object(), kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, ToBool, testing::ValuesIn(kBoolCases), kRowName);

// ---- existence answers and statuses

struct ExistenceCase {
  const char* name;
  Variant answer;
  std::string negated;
  std::string reading;  // "go on" (the item is missing) or "stop"
};
void PrintTo(const ExistenceCase& c, std::ostream* os) {
  *os << c.name << ": " << c.answer;
}

class ExistenceAnswer : public testing::TestWithParam<ExistenceCase> {};

TEST_P(ExistenceAnswer, NegatesAsAVariantThenReadsABoolean) {
  const ExistenceCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return negate(c.answer); }), c.negated);
  EXPECT_EQ(outcome([&] { return existenceSaysMissing(c.answer) ? "go on" : "stop"; }), c.reading);
}

const ExistenceCase kExistenceCases[] = {
    {"boolean_false", false, "Boolean(true)", "go on"},
    {"boolean_true", true, "Boolean(false)", "stop"},
    {"int16_zero", int16_t{0}, "Int16(-1)", "go on"},
    {"int16_one", int16_t{1}, "Int16(-2)", "go on"},
    {"int16_minus_one", int16_t{-1}, "Int16(0)", "stop"},
    {"int32_zero", int32_t{0}, "Int32(-1)", "go on"},
    {"int32_one", int32_t{1}, "Int32(-2)", "go on"},
    {"int32_minus_one", int32_t{-1}, "Int32(0)", "stop"},
    {"empty", Variant(), kMismatch, kMismatch},
    {"null", Variant::null(), "Null", kNullUse},
    {"double_rounded_first", -1.4, "Int32(0)", "stop"},
    {"double_beyond_32bit", 3e9, kOverflow, kOverflow},
    {"date", Variant::date(0), "Int32(-1)", "go on"},
    {"text_numeric", "-1", "Int32(0)", "stop"},
    {"text_boolean_word", "True", "Boolean(false)", "stop"},
    {"text_boolean_literal", "#FALSE#", "Boolean(true)", "go on"},
    {"text_hex", "&HFFFF", "Int32(-65536)", "go on"},
    {"text_word", "yes", kMismatch, kMismatch},
    {"error_value", Variant::error(0), kMismatch, kMismatch},
    {"object", object(), kMismatch, kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, ExistenceAnswer, testing::ValuesIn(kExistenceCases), kRowName);

class Status : public testing::TestWithParam<ScalarCase> {};

TEST_P(Status, ReadsAsA32BitInteger) {
  const ScalarCase& c = GetParam();
  EXPECT_EQ(outcome([&] { return readStatus(c.value); }), c.expected);
}

const ScalarCase kStatusCases[] = {
    {"empty", Variant(), "0"},  {"true", true, "-1"},
    {"false", false, "0"},      {"int16", int16_t{5}, "5"},
    {"int32", int32_t{5}, "5"}, {"null", Variant::null(), kNullUse},
    {"text_numeric", "7", "7"}, {"text_word", "done", kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, Status, testing::ValuesIn(kStatusCases), kRowName);

// ---- dates among values

struct DateValueCase {
  const char* name;
  Variant value;
  bool isDate;
  std::string serial;
};
void PrintTo(const DateValueCase& c, std::ostream* os) {
  *os << c.name << ": " << c.value;
}

class DateOfValue : public testing::TestWithParam<DateValueCase>, WithPortableRegional {};

TEST_P(DateOfValue, TakesDatesAndDateTextsOnly) {
  const DateValueCase& c = GetParam();
  EXPECT_EQ(isDate(c.value), c.isDate);
  EXPECT_EQ(outcome([&] { return toDate(c.value); }), c.serial);
}

const DateValueCase kDateValueCases[] = {
    {"date", Variant::date(32874.5), true, "32874.5"},
    {"date_zero", Variant::date(0), true, "0"},
    {"text_date", "1/1/1990", true, "32874"},
    {"text_date_time", "1/1/1990 6:00 AM", true, "32874.25"},
    {"text_not_a_date", "not a date", false, kMismatch},
    {"text_empty", "", false, kMismatch},
    {"empty", Variant(), false, kMismatch},
    {"null", Variant::null(), false, kMismatch},
    {"number_is_no_date", int32_t{32874}, false, kMismatch},
    {"double_is_no_date", 32874.5, false, kMismatch},
    {"boolean", true, false, kMismatch},
};
INSTANTIATE_TEST_SUITE_P(Values, DateOfValue, testing::ValuesIn(kDateValueCases), kRowName);

// ---- calendar

struct CivilCase {
  const char* name;
  CivilDateTime civil;
  double serial;
};
void PrintTo(const CivilCase& c, std::ostream* os) {
  *os << c.name;
}

std::string show(const CivilDateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

class SerialAndCivil : public testing::TestWithParam<CivilCase> {};

TEST_P(SerialAndCivil, RoundTrip) {
  const CivilCase& c = GetParam();
  const CivilDateTime& t = c.civil;
  EXPECT_DOUBLE_EQ(serialFromCivil(t.year, t.month, t.day, t.hour, t.minute, t.second), c.serial);
  EXPECT_EQ(show(civilFromSerial(c.serial)), show(t));
  auto valid = serialFromValidCivil(t.year, t.month, t.day, t.hour, t.minute, t.second);
  ASSERT_TRUE(valid.has_value());
  EXPECT_DOUBLE_EQ(*valid, c.serial);
}

const CivilCase kCivilCases[] = {
    {"epoch", {1899, 12, 30}, 0},
    {"day_after_epoch", {1899, 12, 31}, 1},
    {"first_of_1900", {1900, 1, 1}, 2},
    {"march_1900_no_leap_day", {1900, 3, 1}, 61},
    {"new_year_1990", {1990, 1, 1}, 32874},
    {"noon", {1990, 1, 1, 12}, 32874.5},
    {"leap_day_1996", {1996, 2, 29}, 35124},
    {"leap_day_2000", {2000, 2, 29}, 36585},
    {"day_before_epoch", {1899, 12, 29}, -1},
    {"before_epoch_morning", {1899, 12, 29, 6}, -1.25},
    {"before_epoch_evening", {1899, 12, 29, 18}, -1.75},
    {"year_1800", {1800, 1, 1}, -36522},
    {"first_day", {100, 1, 1}, -657434},
    {"last_day", {9999, 12, 31}, 2958465},
    {"last_second", {9999, 12, 31, 23, 59, 59}, 2958465 + 86399.0 / 86400},
    {"one_second_past_midnight", {1990, 1, 1, 0, 0, 1}, 32874 + 1.0 / 86400},
};
INSTANTIATE_TEST_SUITE_P(Values, SerialAndCivil, testing::ValuesIn(kCivilCases), kRowName);

TEST(CivilFromSerial, RoundsToTheNearestSecond) {
  EXPECT_EQ(show(civilFromSerial(32874 + 59.4 / 86400)), "1990-01-01 00:00:59");
  EXPECT_EQ(show(civilFromSerial(32874 + 59.6 / 86400)), "1990-01-01 00:01:00");
  EXPECT_EQ(show(civilFromSerial(32874.9999999)), "1990-01-02 00:00:00");
  // Before the epoch the day is the integer part, so rounding up moves to the next day.
  EXPECT_EQ(show(civilFromSerial(-1.9999999)), "1899-12-30 00:00:00");
}

TEST(CivilFromSerial, NegativeFractionOfDayZeroIsATimeOnTheEpoch) {
  EXPECT_EQ(show(civilFromSerial(-0.5)), "1899-12-30 12:00:00");
}

TEST(SerialFromCivil, CarriesPartsOutOfRange) {
  EXPECT_DOUBLE_EQ(serialFromCivil(1989, 13, 1), serialFromCivil(1990, 1, 1));
  EXPECT_DOUBLE_EQ(serialFromCivil(1990, 0, 1), serialFromCivil(1989, 12, 1));
  EXPECT_DOUBLE_EQ(serialFromCivil(1990, 3, 0), serialFromCivil(1990, 2, 28));
  EXPECT_DOUBLE_EQ(serialFromCivil(1990, 1, 1, 24), serialFromCivil(1990, 1, 2));
  EXPECT_DOUBLE_EQ(serialFromCivil(1899, 12, 30, 0, 0, -1),
                   serialFromCivil(1899, 12, 29, 23, 59, 59));
}

struct InvalidCivilCase {
  const char* name;
  CivilDateTime civil;
};
void PrintTo(const InvalidCivilCase& c, std::ostream* os) {
  *os << c.name;
}

class InvalidCivil : public testing::TestWithParam<InvalidCivilCase> {};

TEST_P(InvalidCivil, HasNoSerial) {
  const CivilDateTime& t = GetParam().civil;
  EXPECT_FALSE(serialFromValidCivil(t.year, t.month, t.day, t.hour, t.minute, t.second));
}

const InvalidCivilCase kInvalidCivilCases[] = {
    {"february_30", {1990, 2, 30}},
    {"february_29_1900", {1900, 2, 29}},
    {"february_29_odd_year", {1991, 2, 29}},
    {"april_31", {1990, 4, 31}},
    {"day_0", {1990, 1, 0}},
    {"month_0", {1990, 0, 1}},
    {"month_13", {1990, 13, 1}},
    {"year_0", {0, 1, 1}},
    {"year_99", {99, 12, 31}},
    {"year_10000", {10000, 1, 1}},
    {"hour_24", {1990, 1, 1, 24}},
    {"minute_60", {1990, 1, 1, 0, 60}},
    {"second_60", {1990, 1, 1, 0, 0, 60}},
    {"negative_second", {1990, 1, 1, 0, 0, -1}},
};
INSTANTIATE_TEST_SUITE_P(Values, InvalidCivil, testing::ValuesIn(kInvalidCivilCases), kRowName);

// ---- writing back through references

enum class RefKind { Int16, Int32, Text, Boolean };

struct AssignCase {
  const char* name;
  RefKind kind;
  Variant written;
  std::string expected;  // the variable afterwards, after the error when one is raised
};
void PrintTo(const AssignCase& c, std::ostream* os) {
  *os << c.name << ": " << c.written;
}

// Writes through a typed reference whose variable starts as 11, "old" or false.
std::string assignThrough(RefKind kind, const Variant& written) {
  int16_t i16 = 11;
  int32_t i32 = 11;
  std::string text = "old";
  bool flag = false;
  const Arg arg = kind == RefKind::Int16   ? Arg::ref(i16)
                  : kind == RefKind::Int32 ? Arg::ref(i32)
                  : kind == RefKind::Text  ? Arg::ref(text)
                                           : Arg::ref(flag);
  std::string error;
  try {
    arg.assign(written);
  } catch (const AutomationError& e) {
    error = "error " + std::to_string(e.runTimeNumber()) + ", ";
  }
  return error + describe(arg.value());
}

class TypedReference : public testing::TestWithParam<AssignCase>, WithPortableRegional {};

TEST_P(TypedReference, ConvertsToItsTypeOrKeepsTheVariable) {
  const AssignCase& c = GetParam();
  EXPECT_EQ(assignThrough(c.kind, c.written), c.expected);
}

const AssignCase kAssignCases[] = {
    {"int32_from_int16", RefKind::Int32, int16_t{5}, "Int32(5)"},
    {"int32_from_text", RefKind::Int32, "7", "Int32(7)"},
    {"int32_from_word", RefKind::Int32, "seven", "error 13, Int32(11)"},
    {"int32_from_null", RefKind::Int32, Variant::null(), "error 94, Int32(11)"},
    {"int16_from_double_tie", RefKind::Int16, 4.5, "Int16(4)"},
    {"int16_overflow", RefKind::Int16, int32_t{40000}, "error 6, Int16(11)"},
    {"text_from_int32", RefKind::Text, int32_t{5}, "Text(\"5\")"},
    {"text_from_date", RefKind::Text, Variant::date(32874), "Text(\"1/1/1990\")"},
    {"text_from_null", RefKind::Text, Variant::null(), "error 94, Text(\"old\")"},
    {"boolean_from_text", RefKind::Boolean, "True", "Boolean(true)"},
    {"boolean_from_object", RefKind::Boolean, object(), "error 13, Boolean(false)"},
};
INSTANTIATE_TEST_SUITE_P(Values, TypedReference, testing::ValuesIn(kAssignCases), kRowName);

TEST(VariantReference, ReceivesAnyValueUnconverted) {
  const Variant values[] = {Variant(),          Variant::null(),           int16_t{5}, "7",
                            Variant::date(1.5), Variant::error(hr::kFail), object()};
  for (const Variant& v : values) {
    Variant target = int32_t{11};
    const Arg arg = Arg::ref(target);
    arg.assign(v);
    EXPECT_EQ(target, v);
    EXPECT_EQ(arg.value(), v);
  }
}

TEST(ValueArgument, IsNotWritten) {
  const Arg arg(int32_t{11});
  arg.assign("changed");
  EXPECT_EQ(arg.value(), Variant(int32_t{11}));
}

}  // namespace
}  // namespace vel::host
