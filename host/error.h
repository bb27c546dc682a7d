#pragma once
// The one error type of automation calls and conversions. It carries everything an error box or
// a run-time error report needs: the number, the description, the member and the source.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vel::host {

// HRESULT-style numbers, as a COM server or the automation run time reports them.
namespace hr {
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);
constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);    // DISP_E_MEMBERNOTFOUND
constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);      // DISP_E_TYPEMISMATCH
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);       // DISP_E_UNKNOWNNAME
constexpr int32_t kException = static_cast<int32_t>(0x80020009);         // DISP_E_EXCEPTION
constexpr int32_t kOverflow = static_cast<int32_t>(0x8002000A);          // DISP_E_OVERFLOW
constexpr int32_t kBadIndex = static_cast<int32_t>(0x8002000B);          // DISP_E_BADINDEX
constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);     // DISP_E_BADPARAMCOUNT
constexpr int32_t kParamNotOptional = static_cast<int32_t>(0x8002000F);  // DISP_E_PARAMNOTOPTIONAL
constexpr int32_t kInvalidClassString = static_cast<int32_t>(0x800401F3);  // CO_E_CLASSSTRING
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);  // REGDB_E_CLASSNOTREG
// Errors of the automation client's own run time: the low word is the run-time error number.
constexpr int32_t kRunTimeFacility = static_cast<int32_t>(0x800A0000);
constexpr int32_t runTime(int n) {
  return kRunTimeFacility | n;
}
constexpr int32_t kVbOverflow = runTime(6);
constexpr int32_t kVbTypeMismatch = runTime(13);
constexpr int32_t kVbInvalidUseOfNull = runTime(94);
}  // namespace hr

// The text an automation client's run time gives for one of its own error numbers ("Type
// mismatch" for 13); nothing for a number that is not its own. The one table of them.
const char* runTimeErrorText(int32_t number);
// The description a run time gives an error that arrives without one.
inline constexpr const char* kAutomationErrorText = "Automation error";

class AutomationError : public std::runtime_error {
 public:
  AutomationError(int32_t number, std::string description, std::string member = {},
                  std::string source = {}, int argIndex = -1);

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& member() const { return member_; }
  const std::string& source() const { return source_; }
  // 0-based index of the argument that was rejected, -1 when none was.
  int argIndex() const { return argIndex_; }

  // The number as an automation client's run time reports it ("Run-time error '13':"):
  // the run-time facility and the well-known DISP_E codes map to their small numbers.
  int32_t runTimeNumber() const;

  // The same error, now known to come from a call of `member` (kept when already set).
  AutomationError withMember(std::string member) const;

  // Whether the client's run time raised it: its own errors, and the failures it turns into
  // its own numbers (an unknown member, a wrong argument type, a class it cannot create). An
  // error the host raised with a run-time number of its own (it names a source) is the host's.
  bool raisedByRunTime() const;
  // The description a run-time error report gives: the run time's own text for an error it
  // raised, otherwise the host's description, or "Automation error" when none came.
  std::string reportedDescription() const;
  // What an error box shows: the description alone (no member), "Automation error" when the
  // host gave none.
  std::string boxText() const;

 private:
  static std::string compose(int32_t number, const std::string& description,
                             const std::string& member);
  int32_t number_;
  std::string description_;
  std::string member_;
  std::string source_;
  int argIndex_;
};

// An error of the client's run time, with its own text (from the table above).
AutomationError runTimeError(int number, std::string member = {});

// The conversion errors of an automation client, with the texts its users know.
AutomationError typeMismatch();
AutomationError overflowError();
AutomationError invalidUseOfNull();

}  // namespace vel::host
