#include "host/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "host/dispatch.h"
#include "host/error.h"
#include "platform/oledate.h"
#include "platform/regional.h"

namespace vel::host {
namespace {

// The OLE date range: 1 January 100 to the last second of 31 December 9999.
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958465.99999;

// White space as the system's number reading skips it.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
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

// A number read from a text. "&H" and "&O" numbers are bit patterns: they wrap into the signed
// range of the integer they become (&HFFFF is -1 as a 16-bit integer, 65535 as a 32-bit one).
struct TextNumber {
  double value = 0;
  bool bitPattern = false;
};

// "&H1F", "&O17": up to 32 bits; more is an overflow.
std::optional<TextNumber> radixNumber(std::string_view s) {
  if (s.size() < 3 || s[0] != '&') return std::nullopt;
  const int base = lower(s[1]) == 'h' ? 16 : lower(s[1]) == 'o' ? 8 : 0;
  if (base == 0) return std::nullopt;
  uint64_t value = 0;
  bool tooLarge = false;
  for (char c : s.substr(2)) {
    const char l = lower(c);
    const int digit = isDigit(l) ? l - '0' : (l >= 'a' && l <= 'f') ? l - 'a' + 10 : base;
    if (digit >= base) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    tooLarge = tooLarge || value > 0xFFFFFFFFu;
    if (tooLarge) value = 0;  // the digits still have to be checked
  }
  if (tooLarge) throw overflowError();
  return TextNumber{static_cast<double>(value), true};
}

// Takes a sign or a "$" off the front (or, with `back`, the end) of `s`, each at most once
// over the whole number, with blanks between them.
void takeSignsAndCurrency(std::string_view& s, bool back, bool& signSeen, bool& negative,
                          bool& currencySeen) {
  for (;;) {
    s = trimBlanks(s);
    if (s.empty()) return;
    const char c = back ? s.back() : s.front();
    if (!signSeen && (c == '+' || c == '-')) {
      signSeen = true;
      negative = c == '-';
    } else if (!currencySeen && c == '$') {
      currencySeen = true;
    } else {
      return;
    }
    back ? s.remove_suffix(1) : s.remove_prefix(1);
  }
}

// An en-US number as the system reads one: a sign before or after it, or parentheses around it
// for a negative one; a "$" before or after it; "," between the digits of the whole part; a
// decimal point; an exponent. Nothing when the text holds no such number.
std::optional<double> decimalNumber(std::string_view s) {
  bool signSeen = false, negative = false, currencySeen = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    signSeen = negative = true;
    s = s.substr(1, s.size() - 2);
  }
  takeSignsAndCurrency(s, false, signSeen, negative, currencySeen);

  std::string plain;  // the number without its separators, for the conversion
  size_t i = 0, digits = 0;
  for (; i < s.size() && (isDigit(s[i]) || (s[i] == ',' && digits > 0)); ++i)
    if (s[i] != ',') plain += s[i], ++digits;
  if (i < s.size() && s[i] == '.') {
    plain += s[i++];
    for (; i < s.size() && isDigit(s[i]); ++i) plain += s[i], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += s[i++];
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    size_t expDigits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) plain += s[i], ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  std::string_view rest = s.substr(i);
  takeSignsAndCurrency(rest, true, signSeen, negative, currencySeen);
  if (!rest.empty()) return std::nullopt;

  double d = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), d);
  if (ec == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large is an overflow.
    if (beyondDoubleRange(plain)) throw overflowError();
    d = 0;
  } else if (ec != std::errc() || end != plain.data() + plain.size()) {
    return std::nullopt;
  }
  return negative ? -d : d;
}

// The number a text holds, nothing when it holds none; overflow when it is beyond a double.
std::optional<TextNumber> numberFromText(std::string_view text) {
  const std::string_view s = trimBlanks(text);
  if (auto n = radixNumber(s)) return n;
  if (auto d = decimalNumber(s)) return TextNumber{*d, false};
  return std::nullopt;
}

// A bit pattern as a signed integer of the width of Int; overflow when it is wider.
template <class Int>
Int fromBits(double bits) {
  using Unsigned = std::make_unsigned_t<Int>;
  if (bits > static_cast<double>(std::numeric_limits<Unsigned>::max())) throw overflowError();
  return static_cast<Int>(static_cast<Unsigned>(bits));
}

// "True" or "False" in any case, exactly (no blanks around), or the literals "#TRUE#" and
// "#FALSE#" as written.
std::optional<bool> booleanWord(std::string_view s) {
  if (sameName(s, "true") || s == "#TRUE#") return true;
  if (sameName(s, "false") || s == "#FALSE#") return false;
  return std::nullopt;
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
      if (auto n = numberFromText(v.asText()))
        return n->bitPattern ? fromBits<Int>(n->value) : roundToInt<Int>(n->value);
      throw typeMismatch();
    case VarType::Error:
    case VarType::Object:
      break;
  }
  throw typeMismatch();
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
      if (!std::isfinite(v.asDouble())) throw overflowError();
      return platform::regional().formatNumber(v.asDouble());
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
      if (auto n = numberFromText(v.asText()))
        return n->bitPattern ? fromBits<int32_t>(n->value) : n->value;
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
    case VarType::Text:
      if (auto b = booleanWord(v.asText())) return *b;
      if (auto n = numberFromText(v.asText())) return n->value != 0;
      throw typeMismatch();
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
    case VarType::Text:
      // A text that holds no number may still be a Boolean word, negated as a Boolean.
      if (!numberFromText(v.asText()))
        if (auto b = booleanWord(v.asText())) return !*b;
      return ~toInt32(v);
    case VarType::Double:
    case VarType::Date:
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
