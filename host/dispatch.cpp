#include "host/dispatch.h"

#include "host/convert.h"

namespace vel::host {

VarType Arg::refType() const {
  switch (target_.index()) {
    case 2:
      return VarType::Int16;
    case 3:
      return VarType::Int32;
    case 4:
      return VarType::Text;
    case 5:
      return VarType::Boolean;
    default:
      return VarType::Empty;
  }
}

Variant Arg::value() const {
  switch (target_.index()) {
    case 1:
      return *std::get<Variant*>(target_);
    case 2:
      return *std::get<int16_t*>(target_);
    case 3:
      return *std::get<int32_t*>(target_);
    case 4:
      return *std::get<std::string*>(target_);
    case 5:
      return *std::get<bool*>(target_);
    default:
      return value_;
  }
}

void Arg::assign(const Variant& v) const {
  switch (target_.index()) {
    case 1:
      *std::get<Variant*>(target_) = v;
      break;
    case 2:
      *std::get<int16_t*>(target_) = toInt16(v);
      break;
    case 3:
      *std::get<int32_t*>(target_) = toInt32(v);
      break;
    case 4:
      *std::get<std::string*>(target_) = toText(v, NullRule::Strict);
      break;
    case 5:
      *std::get<bool*>(target_) = toBool(v);
      break;
    default:
      break;  // a value is the callee's own copy
  }
}

std::string_view callKindName(CallKind k) {
  switch (k) {
    case CallKind::Method:
      return "call";
    case CallKind::PropertyGet:
      return "get";
    case CallKind::PropertyPut:
      return "put";
  }
  return "?";
}

Variant Dispatch::invokeId(int32_t dispid, CallKind, std::span<const Arg>) {
  throw AutomationError(hr::kMemberNotFound, "Member not found",
                        "DISPID " + std::to_string(dispid));
}

DispatchPtr objectOf(const Variant& v, std::string_view member) {
  if (v.type() != VarType::Object || !v.asObject()) throw runTimeError(424, std::string(member));
  return v.asObject();
}

}  // namespace vel::host
