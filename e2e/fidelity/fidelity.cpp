// The portable conversions (en-US rules) against the system's own automation functions, on one
// table of values, with the user locale en-US. Prints one line per row and exits non-zero on a
// difference the table does not list, or on a listed one that no longer holds.

#include <windows.h>

#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "host/convert.h"
#include "host/error.h"
#include "platform/oledate.h"
#include "platform/regional.h"
#include "platform/win32/wide.h"

using namespace vel;
using host::Variant;

namespace {

enum class Check : uint8_t {
  Text,
  FormatNumber,
  Int16,
  Int32,
  Bool,
  Negate,
  ParseDate,
  FormatDate
};

struct Row {
  const char* name;
  Check check;
  Variant value;  // a text for ParseDate, a date for FormatDate
  // A known difference: what the system gives where the portable answer differs, with the reason
  // beside the row. It is checked, so the reason stays true.
  std::string systemGives = {};
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The system completes a date without a year from the current one.
std::string inThisYear(const char* monthDayAndTime) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return std::to_string(now.wYear) + monthDayAndTime;
}

// The reasons for the known differences, named once.
// NULL_RULE: Null as a number or a text is the automation client's own "Invalid use of Null";
//   oleaut32 only reports a type mismatch.
// WINE_EXPONENT: Wine 8.0 switches to the exponent form below 1E-04 ("%G"); Windows keeps plain
//   decimals down to 1E-05 (0.00001), as the portable rules do.
// NOT_A_NUMBER: infinity and NaN have no text and no integer in an automation client (overflow);
//   the system prints "INF" and "NAN", and Wine 8.0 turns NaN into the 16-bit integer -1.
// DATE_RANGE: a date beyond 31 December 9999 is an overflow in the automation client; the
//   system only refuses the argument.
// EMPTY_NOT: the installer's lookups treat an Empty answer as an error, so negate refuses Empty
//   on purpose, where VarNot gives -1.
// WINE_PIVOT: Wine 8.0 maps two-digit years 00-49 to 20xx and ignores TwoDigitYearMax; the
//   classic OLE rule and our default pivot 2029 give 19xx for 30-49.
// The system's date parser reads more than the portable rules, which keep to the forms listed
// in platform/regional.h:
// PARTIAL_DATE: it completes a date that lacks its year (from the clock) or its day (the 1st);
//   the portable rules need all three parts, so that tests never depend on the day they run.
// OTHER_ORDERS: it tries every order of day, month and year until one gives a date; the
//   portable rules try M/D/Y, then D/M/Y, and Y-M-D only with a four-digit year.
// YEAR_BY_VALUE: it takes a year by its value (0099 is the two-digit 99, 199 the year 199); the
//   portable rules take one, two or four digits as written.
// HOUR_RANGE: it lets AM/PM follow any hour (13:45 PM is 13:45, 0:30 AM is 0:30); the portable
//   rules read AM/PM only after the hours 1 to 12.
// WINE_ROUNDING: Wine decides whether to print the time from the fraction before it rounds to
//   the second, so a date that rounds to midnight prints "12:00:00 AM".
// WINE_HEX_SIGN: Wine drops a sign written before "&H"; the portable rules refuse it, as a sign
//   is no part of that form.
const Row kRows[] = {
    // Texts of values; numbers and dates through the regional settings.
    {"text_empty", Check::Text, Variant()},
    {"text_null", Check::Text, Variant::null(), "error 13"},  // NULL_RULE
    {"text_true", Check::Text, true},
    {"text_false", Check::Text, false},
    {"text_int16_lowest", Check::Text, int16_t{-32768}},
    {"text_int32_highest", Check::Text, int32_t{2147483647}},
    {"text_double_tenth", Check::Text, 0.1},
    {"text_double_third", Check::Text, 1.0 / 3},
    {"text_double_two_thirds", Check::Text, 2.0 / 3},
    {"text_double_whole", Check::Text, 100.0},
    {"text_double_negative", Check::Text, -2.5},
    {"text_double_mixed", Check::Text, 12345.678},
    {"text_double_fifteen_nines", Check::Text, 999999999999999.0},
    {"text_double_16_digits", Check::Text, 1234567890123456.0},
    {"text_double_1e15", Check::Text, 1e15},
    {"text_double_rounds_to_1e15", Check::Text, 999999999999999.9},
    {"text_double_1e_minus4", Check::Text, 1e-4},
    {"text_double_1e_minus5", Check::Text, 1e-5, "\"1E-05\""},        // WINE_EXPONENT
    {"text_double_1_5e_minus5", Check::Text, 1.5e-5, "\"1.5E-05\""},  // WINE_EXPONENT
    {"text_double_1e_minus6", Check::Text, 1e-6},
    {"text_double_1_5e_minus7", Check::Text, 1.5e-7},
    {"text_double_eighteen_digits", Check::Text, 123456789012345678.0},
    {"text_double_exponent_300", Check::Text, -1.5e-300},
    {"text_double_largest", Check::Text, std::numeric_limits<double>::max()},
    {"text_double_denormal", Check::Text, std::numeric_limits<double>::denorm_min()},
    {"text_double_zero", Check::Text, 0.0},
    {"text_double_minus_zero", Check::Text, -0.0},
    {"text_double_infinity", Check::Text, kInf, "\"INF\""},  // NOT_A_NUMBER
    {"text_double_nan", Check::Text, kNaN, "\"NAN\""},       // NOT_A_NUMBER
    {"text_date", Check::Text, Variant::date(32874)},
    {"text_date_time", Check::Text, Variant::date(32874.5)},
    {"text_time", Check::Text, Variant::date(0.5625)},
    {"text_date_zero", Check::Text, Variant::date(0)},
    {"text_date_beyond_9999", Check::Text, Variant::date(2958466), "hr 0x80070057"},  // DATE_RANGE
    {"text_text", Check::Text, " Abc "},
    {"text_error_value", Check::Text, Variant::error(static_cast<int32_t>(0x80004005))},

    // The portable rules print infinities and NaN as the system does, though no conversion
    // asks them to.
    {"number_infinity", Check::FormatNumber, kInf},
    {"number_minus_infinity", Check::FormatNumber, -kInf},
    {"number_nan", Check::FormatNumber, kNaN},

    // 16-bit integers: rounding half to even, the range, and numeric texts.
    {"i2_empty", Check::Int16, Variant()},
    {"i2_null", Check::Int16, Variant::null(), "error 13"},  // NULL_RULE
    {"i2_true", Check::Int16, true},
    {"i2_int32_above", Check::Int16, int32_t{32768}},
    {"i2_int32_bottom", Check::Int16, int32_t{-32768}},
    {"i2_int32_below", Check::Int16, int32_t{-32769}},
    {"i2_half_even_down", Check::Int16, 2.5},
    {"i2_half_even_up", Check::Int16, 3.5},
    {"i2_half_zero", Check::Int16, 0.5},
    {"i2_half_negative", Check::Int16, -2.5},
    {"i2_below_half", Check::Int16, 2.4999},
    {"i2_above_half", Check::Int16, 2.5001},
    {"i2_top_rounds_down", Check::Int16, 32767.4},
    {"i2_top_rounds_over", Check::Int16, 32767.5},
    {"i2_tie_stays_even", Check::Int16, 32766.5},
    {"i2_bottom_tie", Check::Int16, -32768.5},
    {"i2_below_bottom", Check::Int16, -32768.6},
    {"i2_nan", Check::Int16, kNaN, "-1"},  // NOT_A_NUMBER
    {"i2_date", Check::Int16, Variant::date(100.5)},
    {"i2_date_above", Check::Int16, Variant::date(32874.75)},
    {"i2_text", Check::Int16, "7"},
    {"i2_text_blanks_sign", Check::Int16, "  -12 "},
    {"i2_text_line_breaks", Check::Int16, "\n7\r\n"},
    {"i2_text_plus", Check::Int16, "+4"},
    {"i2_text_tie", Check::Int16, "2.5"},
    {"i2_text_leading_point", Check::Int16, ".5"},
    {"i2_text_trailing_point", Check::Int16, "5."},
    {"i2_text_exponent", Check::Int16, "1e3"},
    {"i2_text_exponent_d", Check::Int16, "1d3"},
    {"i2_text_above", Check::Int16, "40000"},
    {"i2_text_beyond_double", Check::Int16, "1e999"},
    {"i2_text_below_double", Check::Int16, "1e-999"},
    {"i2_text_empty", Check::Int16, ""},
    {"i2_text_blank", Check::Int16, "  "},
    {"i2_text_word", Check::Int16, "abc"},
    {"i2_text_inner_blank", Check::Int16, "1 2"},
    {"i2_text_0x", Check::Int16, "0x10"},
    {"i2_text_inf", Check::Int16, "inf"},
    {"i2_text_bare_exponent", Check::Int16, "1e"},
    {"i2_text_true", Check::Int16, "True"},
    {"i2_text_thousands", Check::Int16, "1,000"},
    {"i2_text_thousands_loose", Check::Int16, "1,00"},
    {"i2_text_comma_first", Check::Int16, ",5"},
    {"i2_text_currency", Check::Int16, "$1,000.50"},
    {"i2_text_currency_after", Check::Int16, "5 $"},
    {"i2_text_parentheses", Check::Int16, "( 5 )"},
    {"i2_text_parentheses_unclosed", Check::Int16, "(5"},
    {"i2_text_trailing_minus", Check::Int16, "5-"},
    {"i2_text_sign_then_blank", Check::Int16, "- 5"},
    {"i2_text_two_signs", Check::Int16, "-5-"},
    {"i2_text_hex", Check::Int16, "&H10"},
    {"i2_text_hex_lower", Check::Int16, "&hff"},
    {"i2_text_hex_pattern", Check::Int16, "&HFFFF"},
    {"i2_text_hex_beyond", Check::Int16, "&H10000"},
    {"i2_text_hex_bad_digit", Check::Int16, "&HG"},
    {"i2_text_hex_no_digits", Check::Int16, "&H"},
    {"i2_text_hex_with_sign", Check::Int16, "-&H10", "16"},  // WINE_HEX_SIGN
    {"i2_text_octal", Check::Int16, "&O17"},
    {"i2_text_octal_bad_digit", Check::Int16, "&O8"},
    {"i2_error_value", Check::Int16, Variant::error(5)},

    // 32-bit integers.
    {"i4_int16", Check::Int32, int16_t{-7}},
    {"i4_top", Check::Int32, 2147483647.4},
    {"i4_top_rounds_over", Check::Int32, 2147483647.5},
    {"i4_bottom_tie", Check::Int32, -2147483648.5},
    {"i4_below", Check::Int32, -2147483649.0},
    {"i4_text_above_16bit", Check::Int32, "40000"},
    {"i4_text_tie", Check::Int32, "-3.5"},
    {"i4_text_hex_16bit_pattern", Check::Int32, "&HFFFF"},
    {"i4_text_hex_pattern", Check::Int32, "&HFFFFFFFF"},
    {"i4_text_hex_beyond", Check::Int32, "&H100000000"},
    {"i4_date", Check::Int32, Variant::date(32874.75)},

    // Booleans from numbers and texts.
    {"bool_empty", Check::Bool, Variant()},
    {"bool_null", Check::Bool, Variant::null(), "error 13"},  // NULL_RULE
    {"bool_int16_zero", Check::Bool, int16_t{0}},
    {"bool_int16_minus_one", Check::Bool, int16_t{-1}},
    {"bool_int32_two", Check::Bool, int32_t{2}},
    {"bool_double_zero", Check::Bool, 0.0},
    {"bool_double_fraction", Check::Bool, 0.1},
    {"bool_date_zero", Check::Bool, Variant::date(0)},
    {"bool_date", Check::Bool, Variant::date(1.5)},
    {"bool_text_true", Check::Bool, "True"},
    {"bool_text_false_upper", Check::Bool, "FALSE"},
    {"bool_text_true_mixed", Check::Bool, "tRuE"},
    {"bool_text_true_blanks", Check::Bool, " True "},
    {"bool_text_true_literal", Check::Bool, "#TRUE#"},
    {"bool_text_false_literal", Check::Bool, "#FALSE#"},
    {"bool_text_literal_lower", Check::Bool, "#true#"},
    {"bool_text_zero", Check::Bool, "0"},
    {"bool_text_minus_one", Check::Bool, "-1"},
    {"bool_text_fraction", Check::Bool, "0.5"},
    {"bool_text_hex_zero", Check::Bool, "&H0"},
    {"bool_text_currency", Check::Bool, "$0.01"},
    {"bool_text_yes", Check::Bool, "yes"},
    {"bool_text_empty", Check::Bool, ""},
    {"bool_error_value", Check::Bool, Variant::error(0)},

    // Negation, as the installer reads existence answers.
    {"not_false", Check::Negate, false},
    {"not_true", Check::Negate, true},
    {"not_int16_zero", Check::Negate, int16_t{0}},
    {"not_int16_one", Check::Negate, int16_t{1}},
    {"not_int16_minus_one", Check::Negate, int16_t{-1}},
    {"not_int32_zero", Check::Negate, int32_t{0}},
    {"not_int32_one", Check::Negate, int32_t{1}},
    {"not_int32_minus_one", Check::Negate, int32_t{-1}},
    {"not_empty", Check::Negate, Variant(), "Int16(-1)"},  // EMPTY_NOT
    {"not_null", Check::Negate, Variant::null()},
    {"not_double_rounded", Check::Negate, -1.4},
    {"not_double_tie", Check::Negate, 2.5},
    {"not_double_beyond", Check::Negate, 3e9},
    {"not_date", Check::Negate, Variant::date(0)},
    {"not_text_numeric", Check::Negate, "-1"},
    {"not_text_hex", Check::Negate, "&HFFFF"},
    {"not_text_boolean_word", Check::Negate, "True"},
    {"not_text_boolean_literal", Check::Negate, "#FALSE#"},
    {"not_text_word", Check::Negate, "yes"},
    {"not_error_value", Check::Negate, Variant::error(0)},

    // Reading dates.
    {"parse_slashes", Check::ParseDate, "3/1/1990"},
    {"parse_leading_zeros", Check::ParseDate, "03/01/1990"},
    {"parse_dashes_short_year", Check::ParseDate, "3-1-90"},
    {"parse_mixed_separators", Check::ParseDate, "3/1-1990"},
    {"parse_day_first", Check::ParseDate, "13/1/1990"},
    {"parse_day_first_dashes", Check::ParseDate, "25-12-60"},
    {"parse_neither_order", Check::ParseDate, "13/13/1990"},
    {"parse_day_first_invalid", Check::ParseDate, "31/2/1990"},
    {"parse_dots", Check::ParseDate, "3.1.1990"},
    {"parse_year_first", Check::ParseDate, "1990-03-01"},
    {"parse_year_first_short", Check::ParseDate, "1990-3-1"},
    {"parse_month_name_comma", Check::ParseDate, "March 1, 1990"},
    {"parse_month_name_comma_no_blank", Check::ParseDate, "March 1,1990"},
    {"parse_month_name_blank", Check::ParseDate, "March 1 1990"},
    {"parse_month_abbreviation", Check::ParseDate, "Mar 1, 1990"},
    {"parse_month_any_case", Check::ParseDate, "mARCH 1, 1990"},
    {"parse_sept", Check::ParseDate, "Sept 15, 1990"},
    {"parse_sep", Check::ParseDate, "Sep 15 1990"},
    {"parse_day_month_year", Check::ParseDate, "1 March 1990"},
    {"parse_day_abbreviation", Check::ParseDate, "1 Mar 1990"},
    {"parse_day_dash_mon", Check::ParseDate, "1-Mar-1990"},
    {"parse_day_dash_mon_short", Check::ParseDate, "01-MAR-90"},
    {"parse_surrounding_blanks", Check::ParseDate, "  3/1/1990\t "},
    {"parse_time_24_hour", Check::ParseDate, "3/1/1990 13:45"},
    {"parse_time_seconds", Check::ParseDate, "3/1/1990 13:45:30"},
    {"parse_time_pm", Check::ParseDate, "3/1/1990 1:45 PM"},
    {"parse_time_pm_lower", Check::ParseDate, "3/1/1990 1:45:30 pm"},
    {"parse_time_am_no_blank", Check::ParseDate, "3/1/1990 9:05AM"},
    {"parse_midnight_am", Check::ParseDate, "3/1/1990 12:00 AM"},
    {"parse_noon_pm", Check::ParseDate, "3/1/1990 12:00 PM"},
    {"parse_year_first_time", Check::ParseDate, "1990-03-01 13:45"},
    {"parse_month_name_time", Check::ParseDate, "March 1, 1990 1:45 PM"},
    {"parse_day_month_time", Check::ParseDate, "1 Mar 1990 23:59:59"},
    {"parse_time_alone_pm", Check::ParseDate, "1:30 PM"},
    {"parse_time_alone_24", Check::ParseDate, "13:30:15"},
    {"parse_time_alone_midnight", Check::ParseDate, "0:00"},
    {"parse_leap_day", Check::ParseDate, "2/29/2000"},
    {"parse_last_day", Check::ParseDate, "12/31/9999"},
    {"parse_year_00", Check::ParseDate, "1/1/00"},
    {"parse_year_29", Check::ParseDate, "1/1/29"},
    {"parse_year_30", Check::ParseDate, "1/1/30", "2030-01-01 00:00:00"},  // WINE_PIVOT
    {"parse_year_49", Check::ParseDate, "1/1/49", "2049-01-01 00:00:00"},  // WINE_PIVOT
    {"parse_year_50", Check::ParseDate, "1/1/50"},
    {"parse_year_99", Check::ParseDate, "1/1/99"},
    {"parse_year_one_digit", Check::ParseDate, "1/1/5"},
    {"parse_month_name_short_year", Check::ParseDate, "Mar 1, 29"},
    {"parse_month_name_year_35", Check::ParseDate, "Mar 1, 35",
     "2035-03-01 00:00:00"},  // WINE_PIVOT
    {"parse_february_30", Check::ParseDate, "2/30/1990"},
    {"parse_february_29_1900", Check::ParseDate, "2/29/1900"},
    {"parse_april_31", Check::ParseDate, "4/31/1990"},
    {"parse_month_0", Check::ParseDate, "0/1/1990"},
    {"parse_day_0", Check::ParseDate, "1/0/1990"},
    {"parse_year_below_100", Check::ParseDate, "1/1/0099", "1999-01-01 00:00:00"},  // YEAR_BY_VALUE
    {"parse_year_five_digits", Check::ParseDate, "1/1/10000"},
    {"parse_year_three_digits", Check::ParseDate, "3/1/199",
     "0199-03-01 00:00:00"},  // YEAR_BY_VALUE
    // A day name in front, blanks or commas between the parts of a date, a dot in a time.
    {"parse_weekday_long", Check::ParseDate, "Thursday, March 1, 1990"},
    {"parse_weekday_abbreviation", Check::ParseDate, "Thu, 1 Mar 1990"},
    {"parse_weekday_before_numbers", Check::ParseDate, "thu 3/1/1990"},
    {"parse_weekday_not_checked", Check::ParseDate, "Monday, March 1, 1990"},
    {"parse_weekday_alone", Check::ParseDate, "Thursday"},
    {"parse_blanks_between_numbers", Check::ParseDate, "3 1 1990"},
    {"parse_commas_between_numbers", Check::ParseDate, "3,1,1990"},
    {"parse_blanks_day_first", Check::ParseDate, "25 12 1960"},
    {"parse_blanks_with_time", Check::ParseDate, "3 1 1990 13:45"},
    {"parse_comma_after_month", Check::ParseDate, "March, 1, 1990"},
    {"parse_comma_before_year", Check::ParseDate, "1 March, 1990"},
    {"parse_time_dot", Check::ParseDate, "3/1/1990 13.45"},
    {"parse_time_dots_seconds_pm", Check::ParseDate, "3/1/1990 1.45.30 PM"},
    {"parse_time_alone_dot", Check::ParseDate, "13.45"},
    {"parse_hour_24", Check::ParseDate, "3/1/1990 24:00"},
    {"parse_minute_60", Check::ParseDate, "3/1/1990 1:60"},
    {"parse_second_60", Check::ParseDate, "1:30:60"},
    {"parse_hour_13_pm", Check::ParseDate, "3/1/1990 13:45 PM",
     "1990-03-01 13:45:00"},                                                  // HOUR_RANGE
    {"parse_hour_0_am", Check::ParseDate, "0:30 AM", "1899-12-30 00:30:00"},  // HOUR_RANGE
    {"parse_empty", Check::ParseDate, ""},
    {"parse_blanks", Check::ParseDate, "   "},
    {"parse_word", Check::ParseDate, "abc"},
    {"parse_number", Check::ParseDate, "12345"},
    {"parse_year_alone", Check::ParseDate, "1990"},
    {"parse_month_and_day", Check::ParseDate, "3/1",
     inThisYear("-03-01 00:00:00")},  // PARTIAL_DATE
    {"parse_month_and_year", Check::ParseDate, "March 1990",
     "1990-03-01 00:00:00"},  // PARTIAL_DATE
    {"parse_misspelt_month", Check::ParseDate, "Marc 1, 1990"},
    {"parse_short_year_first", Check::ParseDate, "90-03-01",
     "1990-03-01 00:00:00"},  // OTHER_ORDERS
    {"parse_trailing_word", Check::ParseDate, "3/1/1990 x"},
    {"parse_trailing_letter", Check::ParseDate, "3/1/1990x"},
    {"parse_time_without_blank", Check::ParseDate, "3/1/199013:45"},
    {"parse_trailing_after_time", Check::ParseDate, "3/1/1990 1:45 PM!"},
    {"parse_time_suffix_garbage", Check::ParseDate, "1:30 PMX"},
    {"parse_hour_alone", Check::ParseDate, "3/1/1990 13"},

    // Printing dates, with and without a time part.
    {"print_date", Check::FormatDate, Variant::date(32874)},
    {"print_two_digit_month_day", Check::FormatDate, Variant::date(33238)},
    {"print_noon", Check::FormatDate, Variant::date(32874.5)},
    {"print_morning", Check::FormatDate, Variant::date(32874.25)},
    {"print_evening", Check::FormatDate, Variant::date(32874 + 23.0 / 24)},
    {"print_second_after_midnight", Check::FormatDate, Variant::date(32874 + 1.0 / 86400)},
    {"print_time_alone", Check::FormatDate, Variant::date(0.5625)},
    {"print_zero", Check::FormatDate, Variant::date(0)},
    {"print_before_epoch", Check::FormatDate, Variant::date(-1.25)},
    {"print_negative_fraction", Check::FormatDate, Variant::date(-0.5)},
    {"print_rounds_to_second", Check::FormatDate, Variant::date(32874 + 59.6 / 86400)},
    {"print_rounds_to_next_day", Check::FormatDate, Variant::date(32874.9999999),
     "\"1/2/1990 12:00:00 AM\""},  // WINE_ROUNDING
    {"print_last_second", Check::FormatDate, Variant::date(2958465 + 86399.0 / 86400)},
    {"print_first_day", Check::FormatDate, Variant::date(-657434)},
    {"print_year_2050", Check::FormatDate, Variant::date(54789)},
};

// ---- the system's side

// Owns a VARIANT; cleared once.
class OleValue {
 public:
  OleValue() { VariantInit(&v_); }
  explicit OleValue(const Variant& in) : OleValue() {
    switch (in.type()) {
      case host::VarType::Empty:
        break;
      case host::VarType::Null:
        V_VT(&v_) = VT_NULL;
        break;
      case host::VarType::Boolean:
        V_VT(&v_) = VT_BOOL;
        V_BOOL(&v_) = in.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case host::VarType::Int16:
        V_VT(&v_) = VT_I2;
        V_I2(&v_) = in.asInt16();
        break;
      case host::VarType::Int32:
        V_VT(&v_) = VT_I4;
        V_I4(&v_) = in.asInt32();
        break;
      case host::VarType::Double:
        V_VT(&v_) = VT_R8;
        V_R8(&v_) = in.asDouble();
        break;
      case host::VarType::Date:
        V_VT(&v_) = VT_DATE;
        V_DATE(&v_) = in.asDate();
        break;
      case host::VarType::Text: {
        const std::wstring w = win32::widen(in.asText());
        V_VT(&v_) = VT_BSTR;
        V_BSTR(&v_) = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        break;
      }
      case host::VarType::Error:
        V_VT(&v_) = VT_ERROR;
        V_ERROR(&v_) = in.asError();
        break;
      case host::VarType::Object:  // no row holds one
        break;
    }
  }
  ~OleValue() { VariantClear(&v_); }
  OleValue(const OleValue&) = delete;
  OleValue& operator=(const OleValue&) = delete;

  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

std::string narrow(BSTR b) {
  return win32::narrow(std::wstring_view(b, SysStringLen(b)));
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// The run-time error an automation client raises for a failed HRESULT, as the portable side
// reports its errors.
std::string failure(HRESULT hr) {
  if (hr == DISP_E_OVERFLOW) return "error 6";
  if (hr == DISP_E_TYPEMISMATCH) return "error 13";
  char buf[32];
  std::snprintf(buf, sizeof buf, "hr 0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

std::string dateShown(double serial) {
  const platform::OleDateTime t = platform::oleDateTimeFromSerial(serial);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

std::string shown(const Variant& v) {
  return host::describe(v);
}

std::string shownOle(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_NULL:
      return shown(Variant::null());
    case VT_BOOL:
      return shown(Variant(V_BOOL(&v) != VARIANT_FALSE));
    case VT_I2:
      return shown(Variant(static_cast<int16_t>(V_I2(&v))));
    case VT_I4:
      return shown(Variant(static_cast<int32_t>(V_I4(&v))));
  }
  return "vt " + std::to_string(V_VT(&v));
}

std::string systemChange(const Row& row, VARTYPE to) {
  OleValue in(row.value), out;
  const HRESULT hr =
      VariantChangeTypeEx(out.get(), in.get(), LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, to);
  if (FAILED(hr)) return failure(hr);
  switch (to) {
    case VT_BSTR:
      return quoted(narrow(V_BSTR(&*out)));
    case VT_I2:
      return std::to_string(V_I2(&*out));
    case VT_I4:
      return std::to_string(V_I4(&*out));
    case VT_BOOL:
      return V_BOOL(&*out) != VARIANT_FALSE ? "True" : "False";
  }
  return "?";
}

std::string systemOutcome(const Row& row) {
  switch (row.check) {
    case Check::Text:
    case Check::FormatNumber:
      return systemChange(row, VT_BSTR);
    case Check::Int16:
      return systemChange(row, VT_I2);
    case Check::Int32:
      return systemChange(row, VT_I4);
    case Check::Bool:
      return systemChange(row, VT_BOOL);
    case Check::Negate: {
      OleValue in(row.value), out;
      const HRESULT hr = VarNot(in.get(), out.get());
      if (FAILED(hr)) return failure(hr);
      return shownOle(*out);
    }
    case Check::ParseDate: {
      std::wstring w = win32::widen(row.value.asText());
      DATE d = 0;
      const HRESULT hr = VarDateFromStr(w.data(), LOCALE_USER_DEFAULT, 0, &d);
      if (hr == DISP_E_TYPEMISMATCH) return "no date";
      if (FAILED(hr)) return failure(hr);
      return dateShown(d);
    }
    case Check::FormatDate: {
      BSTR b = nullptr;
      const HRESULT hr = VarBstrFromDate(row.value.asDate(), LOCALE_USER_DEFAULT, 0, &b);
      if (FAILED(hr)) return failure(hr);
      std::string s = quoted(narrow(b));
      SysFreeString(b);
      return s;
    }
  }
  return "?";
}

// ---- our side, under the regional settings in force

template <class F>
std::string caught(F&& f) {
  try {
    return f();
  } catch (const host::AutomationError& e) {
    return "error " + std::to_string(e.runTimeNumber());
  }
}

std::string ourOutcome(const Row& row) {
  const Variant& v = row.value;
  return caught([&]() -> std::string {
    switch (row.check) {
      case Check::Text:
        return quoted(host::toText(v, host::NullRule::Strict));
      case Check::FormatNumber:
        return quoted(platform::regional().formatNumber(v.asDouble()));
      case Check::Int16:
        return std::to_string(host::toInt16(v));
      case Check::Int32:
        return std::to_string(host::toInt32(v));
      case Check::Bool:
        return host::toBool(v) ? "True" : "False";
      case Check::Negate:
        return shown(host::negate(v));
      case Check::ParseDate: {
        auto serial = platform::regional().parseDate(v.asText());
        return serial ? dateShown(*serial) : "no date";
      }
      case Check::FormatDate:
        return quoted(platform::regional().formatDate(v.asDate()));
    }
    return "?";
  });
}

// Whether the product's own path on Windows hands this row to the system's regional functions,
// so that it must give exactly what the system gives. Texts of doubles beyond every number and
// of dates beyond the OLE range fail before they get there.
bool followsSystem(const Row& row) {
  const Variant& v = row.value;
  switch (row.check) {
    case Check::Text:
      if (v.type() == host::VarType::Double) return std::isfinite(v.asDouble());
      return v.type() == host::VarType::Date && v.asDate() >= -657434.0 && v.asDate() < 2958466.0;
    case Check::FormatNumber:
    case Check::ParseDate:
    case Check::FormatDate:
      return true;
    default:
      return false;
  }
}

}  // namespace

// "fidelity --parse TEXT...": the user's locale as this process sees it, and each text as the
// product reads a date (the system's parser under the user's settings), one line each.
int probe(int argc, char** argv) {
  wchar_t shortDate[80] = L"", localeName[LOCALE_NAME_MAX_LENGTH] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate, 80);
  GetUserDefaultLocaleName(localeName, LOCALE_NAME_MAX_LENGTH);
  std::printf("locale %s 0x%04lX short date %s ANSI code page %u\n",
              win32::narrow(localeName).c_str(), static_cast<unsigned long>(GetUserDefaultLCID()),
              win32::narrow(shortDate).c_str(), GetACP());
  for (int i = 2; i < argc; ++i) {
    auto serial = platform::regional().parseDate(argv[i]);
    std::printf("%s\t%s\n", argv[i], serial ? dateShown(*serial).c_str() : "no date");
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--parse") return probe(argc, argv);
  const LCID user = GetUserDefaultLCID();
  if (LANGIDFROMLCID(user) != MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) {
    std::printf("the user locale is 0x%04lX, not en-US (0x0409): the table holds en-US answers\n",
                static_cast<unsigned long>(user));
    return 2;
  }
  // Plain text files (the settings file) are in the ANSI code page; the tests write theirs in
  // Windows-1252, the western code page the portable backend takes too.
  std::printf("ANSI code page %u, user locale 0x%04lX\n", GetACP(),
              static_cast<unsigned long>(user));
  if (GetACP() != 1252) return 2;

  const platform::PortableRegional portableRules;
  int failures = 0, known = 0;
  for (const Row& row : kRows) {
    std::string portable;
    {
      platform::ScopedRegional scope(portableRules);
      portable = ourOutcome(row);
    }
    const std::string system = systemOutcome(row);

    const bool listed = !row.systemGives.empty();
    std::string verdict;
    if (portable == system) {
      verdict = listed ? "FAIL: listed as different, now the same" : "same";
    } else if (listed && system == row.systemGives) {
      verdict = "known";
      ++known;
    } else if (listed) {
      verdict = "FAIL: listed as giving " + row.systemGives;
    } else {
      verdict = "FAIL: different";
    }
    if (followsSystem(row)) {
      const std::string product = ourOutcome(row);
      if (product != system) verdict = "FAIL: the Windows backend gives " + product;
    }
    if (verdict.rfind("FAIL", 0) == 0) ++failures;
    std::printf("%-34s %-26s %-26s %s\n", row.name, portable.c_str(), system.c_str(),
                verdict.c_str());
  }
  std::printf("%zu rows, %d known differences, %d failures\n", std::size(kRows), known, failures);
  return failures == 0 ? 0 : 1;
}
