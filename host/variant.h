#pragma once
// The automation value type. Text is UTF-8 inside the core; wide strings exist only at the
// Windows boundary.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace vel::host {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;

// The order matches the alternatives of Variant's storage.
enum class VarType : uint8_t {
  Empty,
  Null,
  Boolean,
  Int16,
  Int32,
  Double,
  Date,
  Text,
  Error,
  Object
};

std::string_view typeName(VarType t);

// An OLE date: days since 30 December 1899, the time of day as the fraction.
struct DateValue {
  double serial = 0;
  bool operator==(const DateValue&) const = default;
};

// An error value (VT_ERROR): a code, not an exception.
struct ErrorValue {
  int32_t code = 0;
  bool operator==(const ErrorValue&) const = default;
};

struct NullValue {
  bool operator==(const NullValue&) const = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(NullValue) : v_(NullValue{}) {}
  Variant(bool b) : v_(b) {}
  Variant(int16_t i) : v_(i) {}
  Variant(int32_t i) : v_(i) {}
  Variant(double d) : v_(d) {}
  Variant(DateValue d) : v_(d) {}
  Variant(std::string s) : v_(std::move(s)) {}
  Variant(std::string_view s) : v_(std::string(s)) {}
  Variant(const char* s) : v_(std::string(s)) {}
  Variant(ErrorValue e) : v_(e) {}
  Variant(DispatchPtr p) : v_(std::move(p)) {}

  static Variant null() { return Variant(NullValue{}); }
  static Variant date(double serial) { return Variant(DateValue{serial}); }
  static Variant error(int32_t code) { return Variant(ErrorValue{code}); }

  VarType type() const { return static_cast<VarType>(v_.index()); }
  bool isEmpty() const { return type() == VarType::Empty; }
  bool isNull() const { return type() == VarType::Null; }

  // Exact accessors: the type must match (std::bad_variant_access otherwise). Conversions
  // between types live in convert.h.
  bool asBool() const { return std::get<bool>(v_); }
  int16_t asInt16() const { return std::get<int16_t>(v_); }
  int32_t asInt32() const { return std::get<int32_t>(v_); }
  double asDouble() const { return std::get<double>(v_); }
  double asDate() const { return std::get<DateValue>(v_).serial; }
  const std::string& asText() const { return std::get<std::string>(v_); }
  int32_t asError() const { return std::get<ErrorValue>(v_).code; }
  const DispatchPtr& asObject() const { return std::get<DispatchPtr>(v_); }

  // Same type and same value; objects compare by identity.
  bool operator==(const Variant& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, NullValue, bool, int16_t, int32_t, double, DateValue, std::string,
               ErrorValue, DispatchPtr>
      v_;
};

// For test messages and logs: Int32(5), Text("abc"), Empty, Null, Date(32874.5) ...
std::string describe(const Variant& v);
std::ostream& operator<<(std::ostream& os, const Variant& v);

}  // namespace vel::host
