#include "host/error.h"

#include <cstdio>

namespace vel::host {

std::string AutomationError::compose(int32_t number, const std::string& description,
                                     const std::string& member) {
  std::string s = description;
  if (s.empty()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Error 0x%08X", static_cast<unsigned>(number));
    s = buf;
  }
  if (!member.empty()) s = member + ": " + s;
  return s;
}

AutomationError::AutomationError(int32_t number, std::string description, std::string member,
                                 std::string source, int argIndex)
    : std::runtime_error(compose(number, description, member)),
      number_(number),
      description_(std::move(description)),
      member_(std::move(member)),
      source_(std::move(source)),
      argIndex_(argIndex) {}

int32_t AutomationError::runTimeNumber() const {
  if ((number_ & static_cast<int32_t>(0xFFFF0000)) == hr::kRunTimeFacility) return number_ & 0xFFFF;
  switch (number_) {
    case hr::kTypeMismatch:
      return 13;
    case hr::kOverflow:
      return 6;
    case hr::kMemberNotFound:
    case hr::kUnknownName:
      return 438;  // Object doesn't support this property or method
    case hr::kBadParamCount:
    case hr::kParamNotOptional:
      return 450;  // Wrong number of arguments or invalid property assignment
    case hr::kInvalidClassString:
    case hr::kClassNotRegistered:
      return 429;  // ActiveX component can't create object
    default:
      return number_;
  }
}

AutomationError AutomationError::withMember(std::string member) const {
  if (!member_.empty()) return *this;
  return AutomationError(number_, description_, std::move(member), source_, argIndex_);
}

AutomationError typeMismatch() {
  return AutomationError(hr::kVbTypeMismatch, "Type mismatch");
}
AutomationError overflowError() {
  return AutomationError(hr::kVbOverflow, "Overflow");
}
AutomationError invalidUseOfNull() {
  return AutomationError(hr::kVbInvalidUseOfNull, "Invalid use of Null");
}

}  // namespace vel::host
