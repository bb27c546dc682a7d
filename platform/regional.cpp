#include "platform/regional.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/oledate.h"

namespace vel::platform {
namespace {

const Regional* g_scoped = nullptr;  // not owned: the ScopedRegional's caller keeps it alive

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

struct Number {
  int value = 0;
  int digits = 0;
};

struct CivilDate {
  int year = 0, month = 0, day = 0;
};

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

// Reads a text left to right; a failed alternative restores a copy taken before it.
class Cursor {
 public:
  explicit Cursor(std::string_view s) : s_(s) {}
  bool atEnd() const { return pos_ == s_.size(); }
  char peek() const { return atEnd() ? '\0' : s_[pos_]; }
  bool skipBlanks() {
    const size_t start = pos_;
    while (!atEnd() && isBlank(s_[pos_])) ++pos_;
    return pos_ != start;
  }
  bool take(char c) {
    if (atEnd() || s_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  std::optional<Number> number() {
    Number n;
    while (!atEnd() && isDigit(s_[pos_])) {
      // A run too long for any date part needs no exact value: its digit count rejects it.
      if (n.digits < 9) n.value = n.value * 10 + (s_[pos_] - '0');
      ++n.digits;
      ++pos_;
    }
    if (n.digits == 0) return std::nullopt;
    return n;
  }
  std::string_view word() {
    const size_t start = pos_;
    while (!atEnd() && isLetter(s_[pos_])) ++pos_;
    return s_.substr(start, pos_ - start);
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

// Between the parts of a date: blanks, a comma, or both ("March 1, 1990", "3 1 1990").
bool skipPartSeparator(Cursor& c) {
  const bool blank = c.skipBlanks();
  const bool comma = c.take(',');
  c.skipBlanks();
  return blank || comma;
}

constexpr std::array<std::string_view, 7> kDayNames = {"sunday",   "monday", "tuesday", "wednesday",
                                                       "thursday", "friday", "saturday"};

// A full day name or its first three letters.
bool isDayName(std::string_view w) {
  for (std::string_view name : kDayNames)
    if (sameWord(w, name) || sameWord(w, name.substr(0, 3))) return true;
  return false;
}

constexpr std::array<std::string_view, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

// 1..12 for a full month name or its first three letters; 0 otherwise.
int monthFromName(std::string_view w) {
  for (size_t i = 0; i < kMonthNames.size(); ++i) {
    const std::string_view name = kMonthNames[i];
    if (sameWord(w, name) || sameWord(w, name.substr(0, 3))) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool isDayOrMonth(const Number& n) {
  return n.digits <= 2;
}

bool isCalendarDay(const CivilDate& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= daysInMonth(d.year, d.month);
}

// A four-digit year as written; one or two digits name the year ending in them that lies in
// (twoDigitYearMax - 100, twoDigitYearMax].
std::optional<int> yearOf(const Number& n, int twoDigitYearMax) {
  if (n.digits == 4) return n.value;
  if (n.digits > 2) return std::nullopt;
  int year = twoDigitYearMax - twoDigitYearMax % 100 + n.value;
  if (year > twoDigitYearMax) year -= 100;
  return year;
}

// Between the numbers of a date: "/" or "-" (they mix freely), or blanks and commas.
bool takeNumberSeparator(Cursor& c) {
  return c.take('/') || c.take('-') || skipPartSeparator(c);
}

// M/D/Y and M-D-Y, also with blanks or commas between the numbers, read as D/M/Y when only
// that order gives a date (13/1/1990 is 13 January); with a four-digit year first, Y-M-D; also
// D-Mon-Y. A dot separates the parts of a time, not of a date.
std::optional<CivilDate> numericDate(Cursor& c, int pivot) {
  auto first = c.number();
  if (!first) return std::nullopt;
  const bool dash = c.peek() == '-';
  if (!takeNumberSeparator(c)) return std::nullopt;
  CivilDate d;
  const bool isNamedMonth = dash && isLetter(c.peek());
  if (isNamedMonth) {
    d.month = monthFromName(c.word());
    d.day = first->value;
    if (d.month == 0 || !isDayOrMonth(*first) || !c.take('-')) return std::nullopt;
  } else {
    auto second = c.number();
    if (!second || !isDayOrMonth(*second) || !takeNumberSeparator(c)) return std::nullopt;
    if (first->digits == 4) {
      auto third = c.number();
      if (!third || !isDayOrMonth(*third)) return std::nullopt;
      return CivilDate{first->value, second->value, third->value};
    }
    if (!isDayOrMonth(*first)) return std::nullopt;
    d.month = first->value;
    d.day = second->value;
  }
  auto last = c.number();
  if (!last) return std::nullopt;
  auto year = yearOf(*last, pivot);
  if (!year) return std::nullopt;
  d.year = *year;
  if (!isNamedMonth && !isCalendarDay(d) && isCalendarDay({d.year, d.day, d.month}))
    std::swap(d.month, d.day);
  return d;
}

// "March 1, 1990", "March 1 1990", "March, 1, 1990".
std::optional<CivilDate> monthFirstDate(Cursor& c, int pivot) {
  CivilDate d;
  d.month = monthFromName(c.word());
  if (d.month == 0 || !skipPartSeparator(c)) return std::nullopt;
  auto day = c.number();
  if (!day || !isDayOrMonth(*day) || !skipPartSeparator(c)) return std::nullopt;
  auto last = c.number();
  if (!last) return std::nullopt;
  auto year = yearOf(*last, pivot);
  if (!year) return std::nullopt;
  d.day = day->value;
  d.year = *year;
  return d;
}

// "1 March 1990", "1 Mar 1990", "1 March, 1990".
std::optional<CivilDate> dayFirstDate(Cursor& c, int pivot) {
  auto day = c.number();
  if (!day || !isDayOrMonth(*day) || !skipPartSeparator(c)) return std::nullopt;
  CivilDate d;
  d.month = monthFromName(c.word());
  if (d.month == 0 || !skipPartSeparator(c)) return std::nullopt;
  auto last = c.number();
  if (!last) return std::nullopt;
  auto year = yearOf(*last, pivot);
  if (!year) return std::nullopt;
  d.day = day->value;
  d.year = *year;
  return d;
}

std::optional<CivilDate> datePart(Cursor& c, int pivot) {
  using Form = std::optional<CivilDate> (*)(Cursor&, int);
  for (Form form : {numericDate, monthFirstDate, dayFirstDate}) {
    Cursor attempt = c;
    if (auto d = form(attempt, pivot)) {
      c = attempt;
      return d;
    }
  }
  return std::nullopt;
}

bool takeTimeSeparator(Cursor& c) {
  return c.take(':') || c.take('.');
}

// h:mm or h:mm:ss (a dot serves as well as a colon), then AM or PM (12-hour) or nothing
// (24-hour). Ranges are checked here.
std::optional<TimeOfDay> timePart(Cursor& c) {
  auto hour = c.number();
  if (!hour || hour->digits > 2 || !takeTimeSeparator(c)) return std::nullopt;
  auto minute = c.number();
  if (!minute || minute->digits > 2) return std::nullopt;
  TimeOfDay t{hour->value, minute->value, 0};
  if (takeTimeSeparator(c)) {
    auto second = c.number();
    if (!second || second->digits > 2) return std::nullopt;
    t.second = second->value;
  }
  Cursor suffix = c;
  suffix.skipBlanks();
  const std::string_view w = suffix.word();
  if (sameWord(w, "am") || sameWord(w, "pm")) {
    if (t.hour < 1 || t.hour > 12) return std::nullopt;
    t.hour = t.hour % 12 + (sameWord(w, "pm") ? 12 : 0);
    c = suffix;
  } else if (t.hour > 23) {
    return std::nullopt;
  }
  if (t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

bool endsHere(Cursor& c) {
  c.skipBlanks();
  return c.atEnd();
}

std::string timeText(const OleDateTime& t) {
  char buf[32];
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", hour12, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return buf;
}

// Up to 15 significant digits; plain decimal for decimal exponents -5 to 14, otherwise
// "1.5E-07" and "1E+15".
std::string numberText(double d) {
  if (d == 0) return "0";  // -0 too
  // As the system prints them; the automation conversions refuse them before they ask.
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
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
  if (digits.size() > 1) out.append(".").append(digits, 1);
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return out + exp;
}

}  // namespace

std::optional<double> PortableRegional::parseDate(std::string_view text) const {
  Cursor c(text);
  c.skipBlanks();
  if (c.atEnd()) return std::nullopt;
  // A day name in front says nothing the date does not: "Thursday, March 1, 1990".
  if (Cursor day = c; isDayName(day.word()) && skipPartSeparator(day)) c = day;

  Cursor timeAlone = c;
  if (auto t = timePart(timeAlone); t && endsHere(timeAlone))
    return oleSerialFromParts(1899, 12, 30, t->hour, t->minute, t->second);

  auto d = datePart(c, twoDigitYearMax_);
  if (!d) return std::nullopt;
  TimeOfDay t;
  const bool blank = c.skipBlanks();
  if (!c.atEnd()) {
    auto time = blank ? timePart(c) : std::nullopt;
    if (!time || !endsHere(c)) return std::nullopt;
    t = *time;
  }
  return oleSerialFromValidParts(d->year, d->month, d->day, t.hour, t.minute, t.second);
}

std::string PortableRegional::formatDate(double serial) const {
  const OleDateTime t = oleDateTimeFromSerial(serial);
  if (t.year == 1899 && t.month == 12 && t.day == 30) return timeText(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d/%d/%d", t.month, t.day, t.year);
  if (t.hour == 0 && t.minute == 0 && t.second == 0) return buf;
  return std::string(buf) + " " + timeText(t);
}

std::string PortableRegional::formatNumber(double d) const {
  return numberText(d);
}

const Regional& regional() {
  return g_scoped ? *g_scoped : systemRegional();
}

ScopedRegional::ScopedRegional(const Regional& r) : previous_(g_scoped) {
  g_scoped = &r;
}

ScopedRegional::~ScopedRegional() {
  g_scoped = previous_;
}

}  // namespace vel::platform
