#include "host/variant.h"

#include <cstdio>
#include <ostream>

namespace vel::host {

std::string_view typeName(VarType t) {
  switch (t) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return "Boolean";
    case VarType::Int16:
      return "Int16";
    case VarType::Int32:
      return "Int32";
    case VarType::Double:
      return "Double";
    case VarType::Date:
      return "Date";
    case VarType::Text:
      return "Text";
    case VarType::Error:
      return "Error";
    case VarType::Object:
      return "Object";
  }
  return "?";
}

std::string describe(const Variant& v) {
  char buf[64];
  switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
      return std::string(typeName(v.type()));
    case VarType::Boolean:
      return v.asBool() ? "Boolean(true)" : "Boolean(false)";
    case VarType::Int16:
      return "Int16(" + std::to_string(v.asInt16()) + ")";
    case VarType::Int32:
      return "Int32(" + std::to_string(v.asInt32()) + ")";
    case VarType::Double:
      std::snprintf(buf, sizeof buf, "Double(%.17g)", v.asDouble());
      return buf;
    case VarType::Date:
      std::snprintf(buf, sizeof buf, "Date(%.17g)", v.asDate());
      return buf;
    case VarType::Text:
      return "Text(\"" + v.asText() + "\")";
    case VarType::Error:
      return "Error(" + std::to_string(v.asError()) + ")";
    case VarType::Object:
      return v.asObject() ? "Object" : "Object(nothing)";
  }
  return "?";
}

std::ostream& operator<<(std::ostream& os, const Variant& v) {
  return os << describe(v);
}

}  // namespace vel::host
