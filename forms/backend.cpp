#include "forms/backend.h"

namespace vel::forms {

std::string_view resultName(Result r) {
  switch (r) {
    case Result::Ok:
      return "Ok";
    case Result::Cancel:
      return "Cancel";
    case Result::Yes:
      return "Yes";
    case Result::No:
      return "No";
    case Result::Retry:
      return "Retry";
    case Result::Abort:
      return "Abort";
    case Result::Ignore:
      return "Ignore";
  }
  return "?";
}

}  // namespace vel::forms
