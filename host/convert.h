#pragma once
// Every conversion the programs make of an automation value, in one place. Texts that depend on
// the user's regional settings (numbers, dates, two-digit years) come from platform::regional().

#include <cstdint>
#include <optional>
#include <string>

#include "host/variant.h"

namespace vel::host {

// What a Null becomes as text. Strict fails ("Invalid use of Null"); Lenient gives the empty
// text, as an automation client's usual display conversion does.
enum class NullRule : uint8_t { Strict, Lenient };

// As an automation client renders a value: integers in plain decimal, doubles with up to 15
// significant digits, Booleans "True"/"False", dates in the short date form (the date alone
// when there is no time part), Empty as "". Errors and objects do not convert (type mismatch).
std::string toText(const Variant& v, NullRule nullRule);

// Numbers, Booleans (-1/0), Empty (0), dates and numeric texts; doubles round half to even.
// Out of range: overflow. Null: invalid use of Null. Anything else: type mismatch.
int16_t toInt16(const Variant& v);
int32_t toInt32(const Variant& v);
double toDouble(const Variant& v);
// Non-zero numbers are true; texts "True"/"False" (any case, no blanks around), "#TRUE#"/"#FALSE#"
// or numeric; Empty is false.
bool toBool(const Variant& v);

// Negation as an automation variant: a Boolean (or a "True"/"False" text) negated logically,
// integers (and numbers, rounded to a 32-bit integer first) complemented bit by bit, Null stays
// Null. Empty cannot be negated here (an error, unlike the platform's VarNot).
Variant negate(const Variant& v);

// An existence answer of the host's catalogue, read as the installer reads it: negated, and the
// negation taken as a Boolean. True means "go on" (the item is missing). Empty and Null: errors.
bool existenceSaysMissing(const Variant& answer);

// A status answer: a 32-bit integer; Empty is 0, true is -1, Null is an error.
int32_t readStatus(const Variant& status);

// A date value, or a text that reads as a date under the user's regional settings.
bool isDate(const Variant& v);
// The OLE date of such a value; type mismatch when it is not a date.
double toDate(const Variant& v);

// Calendar parts of an OLE date (days since 30 December 1899; before that the fraction still
// counts forward from midnight, as OLE dates do).
struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
CivilDateTime civilFromSerial(double serial);
double serialFromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The serial of a valid calendar date, or nothing (30 February, month 13, year 0 ...).
std::optional<double> serialFromValidCivil(int year, int month, int day, int hour = 0,
                                           int minute = 0, int second = 0);

}  // namespace vel::host
