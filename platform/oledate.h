#pragma once
// The calendar of OLE dates: days since 30 December 1899, the time of day as the fraction. Before
// that day the integer part still names the day and the fraction counts forward from its
// midnight, so -1.25 is 29 December 1899, 6:00. The calendar is the proleptic Gregorian one.

#include <cstdint>
#include <optional>

namespace vel::platform {

struct OleDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// The years an OLE date can hold.
constexpr int kOleMinYear = 100;
constexpr int kOleMaxYear = 9999;

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// The calendar parts of a serial, rounded to the nearest second.
OleDateTime oleDateTimeFromSerial(double serial);

// The serial of calendar parts. Parts out of their range carry into the next larger one (month
// 13 is January of the next year, day 0 the last day of the month before, second 60 the next
// minute), as a date assembled from parts does in an automation client.
double oleSerialFromParts(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0);

// The serial of a valid date and time of day (years 100 to 9999), or nothing.
std::optional<double> oleSerialFromValidParts(int year, int month, int day, int hour = 0,
                                              int minute = 0, int second = 0);

}  // namespace vel::platform
