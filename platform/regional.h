#pragma once
// The user's regional settings, as far as the suite depends on them: how dates read and print,
// and how numbers print. The portable rules are en-US; on Windows the system's own functions
// take their place.

#include <optional>
#include <string>
#include <string_view>

namespace vel::platform {

class Regional {
 public:
  virtual ~Regional() = default;
  // The OLE date of a text that reads as a date (or a date and time, or a time) under these
  // settings; nothing when it does not.
  virtual std::optional<double> parseDate(std::string_view text) const = 0;
  // The short form of an OLE date: the date alone when there is no time part, the time alone
  // when there is no date part, both otherwise.
  virtual std::string formatDate(double serial) const = 0;
  // A double as an automation client renders it: up to 15 significant digits, with the decimal
  // separator of these settings.
  virtual std::string formatNumber(double d) const = 0;
};

// en-US rules: M/D/YYYY, M-D-YY, "3 1 1990" (D/M when only that order is a date), "March 1,
// 1990", "1 Mar 1990", yyyy-mm-dd, blanks or commas between the parts of a date, a day name in
// front ("Thursday, March 1, 1990"), each with or without a time ("13:45", "13.45", "1:45 PM",
// "1:45:30 pm"). A
// two-digit year yy becomes the year ending in yy that lies in (twoDigitYearMax - 100,
// twoDigitYearMax]: the classic 2029 maps 00-29 to the 2000s and 30-99 to the 1900s. Numbers: "."
// separates decimals, plain decimal for decimal exponents -5 to 14, otherwise "1.5E-07" and
// "1E+15".
class PortableRegional : public Regional {
 public:
  explicit PortableRegional(int twoDigitYearMax = 2029) : twoDigitYearMax_(twoDigitYearMax) {}
  std::optional<double> parseDate(std::string_view text) const override;
  std::string formatDate(double serial) const override;
  std::string formatNumber(double d) const override;
  int twoDigitYearMax() const { return twoDigitYearMax_; }

 private:
  int twoDigitYearMax_;
};

// The backend's own settings.
const Regional& systemRegional();

// The settings in force for this process: the system's on Windows, PortableRegional elsewhere.
const Regional& regional();

// Replaces the settings in force while it lives (tests).
class ScopedRegional {
 public:
  explicit ScopedRegional(const Regional& r);
  ~ScopedRegional();
  ScopedRegional(const ScopedRegional&) = delete;
  ScopedRegional& operator=(const ScopedRegional&) = delete;

 private:
  const Regional* previous_;
};

}  // namespace vel::platform
