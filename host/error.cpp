#include "host/error.h"

#include <cstdio>

namespace vel::host {

namespace {

struct RunTimeText {
  int32_t number;
  const char* text;
};

// The run time's errors the suite can meet: conversions, objects, calls and files.
constexpr RunTimeText kRunTimeTexts[] = {
    {3, "Return without GoSub"},
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {11, "Division by zero"},
    {13, "Type mismatch"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {70, "Permission denied"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {91, "Object variable or With block variable not set"},
    {94, "Invalid use of Null"},
    {424, "Object required"},
    {429, "ActiveX component can't create object"},
    {430, "Class does not support Automation or does not support expected interface"},
    {438, "Object doesn't support this property or method"},
    {440, "Automation error"},
    {445, "Object doesn't support this action"},
    {446, "Object doesn't support named arguments"},
    {448, "Named argument not found"},
    {449, "Argument not optional"},
    {450, "Wrong number of arguments or invalid property assignment"},
    {451,
     "Property let procedure not defined and property get procedure did not return an "
     "object"},
    {462, "The remote server machine does not exist or is unavailable"},
};

}  // namespace

const char* runTimeErrorText(int32_t number) {
  for (const RunTimeText& t : kRunTimeTexts)
    if (t.number == number) return t.text;
  return nullptr;
}

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

bool AutomationError::raisedByRunTime() const {
  int32_t n = runTimeNumber();
  if (!runTimeErrorText(n)) return false;
  if ((number_ & static_cast<int32_t>(0xFFFF0000)) == hr::kRunTimeFacility) return source_.empty();
  return n != number_;  // an HRESULT it turned into one of its numbers
}

std::string AutomationError::reportedDescription() const {
  if (raisedByRunTime()) return runTimeErrorText(runTimeNumber());
  return description_.empty() ? kAutomationErrorText : description_;
}

std::string AutomationError::boxText() const {
  return description_.empty() ? kAutomationErrorText : description_;
}

AutomationError runTimeError(int number, std::string member) {
  const char* text = runTimeErrorText(number);
  return AutomationError(hr::runTime(number), text ? text : "", std::move(member));
}

AutomationError typeMismatch() {
  return runTimeError(13);
}
AutomationError overflowError() {
  return runTimeError(6);
}
AutomationError invalidUseOfNull() {
  return runTimeError(94);
}

}  // namespace vel::host
