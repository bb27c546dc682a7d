#include "platform/oledate.h"

#include <cmath>

namespace vel::platform {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

constexpr int64_t floorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
constexpr int64_t floorMod(int64_t a, int64_t b) {
  return a - floorDiv(a, b) * b;
}

// Days since 1 January 1970 of a proleptic Gregorian date (month 1..12, day counted from 1).
constexpr int64_t daysFromCivil(int64_t y, int m, int64_t d) {
  y -= m <= 2;
  const int64_t era = floorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, OleDateTime& out) {
  z += 719468;
  const int64_t era = floorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
}

// Constant-initialised: tables of dates may be built before this file's dynamic initialisers run.
constexpr int64_t kOleEpoch = daysFromCivil(1899, 12, 30);
static_assert(kOleEpoch == -25569);

}  // namespace

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

OleDateTime oleDateTimeFromSerial(double serial) {
  // Far beyond any calendar the arithmetic would leave the integers; callers check the range.
  if (std::isnan(serial)) serial = 0;
  serial = std::fmax(-1e9, std::fmin(1e9, serial));
  double whole = std::trunc(serial);
  auto day = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(serial - whole) * kSecondsPerDay);
  if (seconds == kSecondsPerDay) {  // 23:59:59.5 and later round to the next midnight
    ++day;
    seconds = 0;
  }
  OleDateTime out;
  civilFromDays(kOleEpoch + day, out);
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  return out;
}

double oleSerialFromParts(int year, int month, int day, int hour, int minute, int second) {
  const int64_t m0 = static_cast<int64_t>(month) - 1;
  const int64_t y = year + floorDiv(m0, 12);
  const int m = static_cast<int>(floorMod(m0, 12)) + 1;
  const int64_t days = daysFromCivil(y, m, 1) + (static_cast<int64_t>(day) - 1) - kOleEpoch;
  const int64_t total = days * kSecondsPerDay + static_cast<int64_t>(hour) * 3600 +
                        static_cast<int64_t>(minute) * 60 + second;
  const int64_t dayNumber = floorDiv(total, kSecondsPerDay);
  const double time = static_cast<double>(floorMod(total, kSecondsPerDay)) / kSecondsPerDay;
  // Before the epoch the fraction is subtracted: it still counts forward from midnight.
  return dayNumber >= 0 ? static_cast<double>(dayNumber) + time
                        : static_cast<double>(dayNumber) - time;
}

std::optional<double> oleSerialFromValidParts(int year, int month, int day, int hour, int minute,
                                              int second) {
  if (year < kOleMinYear || year > kOleMaxYear) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    return std::nullopt;
  return oleSerialFromParts(year, month, day, hour, minute, second);
}

}  // namespace vel::platform
