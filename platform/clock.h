#pragma once
// Today's date from the local clock, replaceable in tests.

namespace vel::platform {

struct CivilDate {
  int year = 0, month = 0, day = 0;
  bool operator==(const CivilDate&) const = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual CivilDate today() const = 0;
};

class SystemClock : public Clock {
 public:
  CivilDate today() const override;  // the local date
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(CivilDate d) : d_(d) {}
  CivilDate today() const override { return d_; }
  void set(CivilDate d) { d_ = d; }

 private:
  CivilDate d_;
};

}  // namespace vel::platform
