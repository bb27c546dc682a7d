#pragma once
// Late-bound calls: members by name (any case), positional arguments by value or by reference.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "host/error.h"
#include "host/variant.h"

namespace vel::host {

// One positional argument. By value it carries a Variant; by reference it points at the caller's
// variable, which the callee may write, and whatever it leaves there is what the next call passes.
// A typed reference (16- or 32-bit integer, text, Boolean) travels as VT_BYREF of that type; a
// Variant reference as VT_BYREF|VT_VARIANT.
class Arg {
 public:
  Arg(Variant v) : value_(std::move(v)) {}
  template <class T>
  requires(std::is_constructible_v<Variant, T> && !std::is_same_v<std::decay_t<T>, Variant> &&
           !std::is_same_v<std::decay_t<T>, Arg>) Arg(T&& v)
      : value_(Variant(std::forward<T>(v))) {}

  static Arg ref(Variant& target) { return Arg(RefTag{}, &target); }
  static Arg ref(int16_t& target) { return Arg(RefTag{}, &target); }
  static Arg ref(int32_t& target) { return Arg(RefTag{}, &target); }
  static Arg ref(std::string& target) { return Arg(RefTag{}, &target); }
  static Arg ref(bool& target) { return Arg(RefTag{}, &target); }

  bool byRef() const { return target_.index() != 0; }
  // For a typed reference its type; Empty for a Variant reference and for a value.
  VarType refType() const;
  // What the argument holds now: the value, or the referenced variable's current content.
  Variant value() const;
  // Writes into the caller's variable, converted to a typed reference's type (an AutomationError
  // when it does not convert). Only for references: a by-value argument is not written.
  void assign(const Variant& v) const;

 private:
  struct RefTag {};
  template <class P>
  Arg(RefTag, P* p) : target_(p) {}
  Variant value_;
  std::variant<std::monostate, Variant*, int16_t*, int32_t*, std::string*, bool*> target_;
};

// How a member is called. Method is what a late-bound client sends for an ordinary call or a
// property read: DISPATCH_METHOD | DISPATCH_PROPERTYGET.
enum class CallKind : uint8_t { Method, PropertyGet, PropertyPut };

std::string_view callKindName(CallKind k);

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // The one entry point. For PropertyPut the last argument is the value assigned.
  // Failures throw AutomationError naming the member.
  virtual Variant invoke(std::string_view member, CallKind kind, std::span<const Arg> args) = 0;

  // A call by dispatch identifier, for members reached without a name look-up.
  virtual Variant invokeId(int32_t dispid, CallKind kind, std::span<const Arg> args);

  Variant call(std::string_view member, std::initializer_list<Arg> args = {}) {
    return invoke(member, CallKind::Method, std::span<const Arg>(args.begin(), args.size()));
  }
  Variant get(std::string_view member, std::initializer_list<Arg> args = {}) {
    return invoke(member, CallKind::PropertyGet, std::span<const Arg>(args.begin(), args.size()));
  }
  Variant callId(int32_t dispid, std::initializer_list<Arg> args = {}) {
    return invokeId(dispid, CallKind::Method, std::span<const Arg>(args.begin(), args.size()));
  }
};

// Equal texts, ASCII letters compared without case (member names, program identifiers, words);
// every other byte must match exactly. Inline: the contains search calls it per position.
inline bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The object a member returned; a type mismatch naming the member when it is not an object.
DispatchPtr objectOf(const Variant& v, std::string_view member);

}  // namespace vel::host
