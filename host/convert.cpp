#include "host/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "host/error.h"
#include "platform/oledate.h"
#include "platform/regional.h"

namespace vel::host {
namespace {

// The OLE date range: 1 January 100 to the last second of 31 December 9999.
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958465.99999;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (x != b[i]) return false;
  }
  return true;
}

// A decimal number: optional sign, digits with an optional decimal point (at least one digit),
// optional exponent. Nothing else: no "inf", no hexadecimal, no thousands separators.
bool isDecimalNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

// Whether an unsigned decimal number that a double cannot hold is too large rather than too
// small: the sign of its decimal magnitude decides.
bool beyondDoubleRange(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == '0') ++i;
  long magnitude = 0;
  while (i < s.size() && isDigit(s[i])) ++i, ++magnitude;
  if (i < s.size() && s[i] == '.') {
    ++i;
    if (magnitude == 0) {
      while (i < s.size() && s[i] == '0') ++i, --magnitude;
    }
    while (i < s.size() && isDigit(s[i])) ++i;
  }
  if (i < s.size()) {  // the exponent
    ++i;
    const bool negative = s[i] == '-';
    if (s[i] == '+' || s[i] == '-') ++i;
    long exponent = 0;
    while (i < s.size()) exponent = std::min(exponent * 10 + (s[i++] - '0'), 100000L);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

// The number a text holds, nothing when it holds none; overflow when it is beyond a double.
std::optional<double> numberFromText(std::string_view text) {
  std::string_view s = trimBlanks(text);
  if (!isDecimalNumber(s)) return std::nullopt;
  const bool negative = s.front() == '-';
  if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
  double d = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (ec == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large is an overflow.
    if (beyondDoubleRange(s)) throw overflowError();
    d = 0;
  } else if (ec != std::errc() || end != s.data() + s.size()) {
    return std::nullopt;
  }
  return negative ? -d : d;
}

// Rounds half to even, as the automation client's integer conversions do.
template <class Int>
Int roundToInt(double d) {
  if (std::isnan(d)) throw overflowError();
  double r = std::round(d);  // ties away from zero, so a tie goes to the even neighbour
  if (std::fabs(r - d) == 0.5) r = 2 * std::round(d / 2);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    throw overflowError();
  return static_cast<Int>(r);
}

template <class Int>
Int toInteger(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      throw invalidUseOfNull();
    case VarType::Boolean:
      return v.asBool() ? -1 : 0;
    case VarType::Int16:
      return static_cast<Int>(v.asInt16());
    case VarType::Int32:
      return roundToInt<Int>(v.asInt32());
    case VarType::Double:
      return roundToInt<Int>(v.asDouble());
    case VarType::Date:
      return roundToInt<Int>(v.asDate());
    case VarType::Text:
      if (auto d = numberFromText(v.asText())) return roundToInt<Int>(*d);
      throw typeMismatch();
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
}

// Up to 15 significant digits; plain decimal for decimal exponents -5 to 14, otherwise
// "1.5E-07" and "1E+15".
std::string doubleText(double d) {
  if (d == 0) return "0";  // -0 too
  if (!std::isfinite(d)) throw overflowError();
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", d);  // "-d.dddddddddddddde+XX", rounded to 15 digits
  std::string_view s(buf);
  const size_t e = s.find('e');
  const int exponent = std::atoi(buf + e + 1);
  std::string sign = s.front() == '-' ? "-" : "";
  std::string digits;
  for (char c : s.substr(0, e))
    if (isDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) return sign + "0." + std::string(-exponent - 1, '0') + digits;
    const size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits)
      return sign + digits + std::string(intDigits - digits.size(), '0');
    return sign + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
  }
  std::string out = sign + digits.substr(0, 1);
  if (digits.size() > 1) out += "." + digits.substr(1);
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return out + exp;
}

}  // namespace

std::string toText(const Variant& v, NullRule nullRule) {
  switch (v.type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      if (nullRule == NullRule::Lenient) return {};
      throw invalidUseOfNull();
    case VarType::Boolean:
      return v.asBool() ? "True" : "False";
    case VarType::Int16:
      return std::to_string(v.asInt16());
    case VarType::Int32:
      return std::to_string(v.asInt32());
    case VarType::Double:
      return doubleText(v.asDouble());
    case VarType::Date:
      if (!(v.asDate() >= kMinDateSerial && v.asDate() <= kMaxDateSerial)) throw overflowError();
      return platform::regional().formatDate(v.asDate());
    case VarType::Text:
      return v.asText();
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
}

int16_t toInt16(const Variant& v) {
  return toInteger<int16_t>(v);
}

int32_t toInt32(const Variant& v) {
  return toInteger<int32_t>(v);
}

double toDouble(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      throw invalidUseOfNull();
    case VarType::Boolean:
      return v.asBool() ? -1 : 0;
    case VarType::Int16:
      return v.asInt16();
    case VarType::Int32:
      return v.asInt32();
    case VarType::Double:
      return v.asDouble();
    case VarType::Date:
      return v.asDate();
    case VarType::Text:
      if (auto d = numberFromText(v.asText())) return *d;
      throw typeMismatch();
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
}

bool toBool(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return false;
    case VarType::Null:
      throw invalidUseOfNull();
    case VarType::Boolean:
      return v.asBool();
    case VarType::Int16:
      return v.asInt16() != 0;
    case VarType::Int32:
      return v.asInt32() != 0;
    case VarType::Double:
      return v.asDouble() != 0;
    case VarType::Date:
      return v.asDate() != 0;
    case VarType::Text: {
      const std::string_view s = trimBlanks(v.asText());
      if (sameWord(s, "true")) return true;
      if (sameWord(s, "false")) return false;
      if (auto d = numberFromText(s)) return *d != 0;
      throw typeMismatch();
    }
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
}

Variant negate(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      throw typeMismatch();
    case VarType::Null:
      return Variant::null();
    case VarType::Boolean:
      return !v.asBool();
    case VarType::Int16:
      return static_cast<int16_t>(~v.asInt16());
    case VarType::Int32:
      return ~v.asInt32();
    case VarType::Double:
    case VarType::Date:
    case VarType::Text:
      return ~toInt32(v);
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
}

bool existenceSaysMissing(const Variant& answer) {
  return toBool(negate(answer));
}

int32_t readStatus(const Variant& status) {
  return toInt32(status);
}

bool isDate(const Variant& v) {
  if (v.type() == VarType::Date) return true;
  if (v.type() == VarType::Text) return platform::regional().parseDate(v.asText()).has_value();
  return false;
}

double toDate(const Variant& v) {
  if (v.type() == VarType::Date) return v.asDate();
  if (v.type() == VarType::Text)
    if (auto serial = platform::regional().parseDate(v.asText())) return *serial;
  throw typeMismatch();
}

CivilDateTime civilFromSerial(double serial) {
  const platform::OleDateTime t = platform::oleDateTimeFromSerial(serial);
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

double serialFromCivil(int year, int month, int day, int hour, int minute, int second) {
  return platform::oleSerialFromParts(year, month, day, hour, minute, second);
}

std::optional<double> serialFromValidCivil(int year, int month, int day, int hour, int minute,
                                           int second) {
  return platform::oleSerialFromValidParts(year, month, day, hour, minute, second);
}

}  // namespace vel::host
