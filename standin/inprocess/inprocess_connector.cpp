#include "standin/inprocess/inprocess_connector.h"

#include "standin/objects.h"

namespace vel::standin {

using host::Arg;
using host::AutomationError;
using host::CallKind;
using host::DispatchPtr;
using host::Variant;
namespace hr = host::hr;

namespace {

DispatchPtr createThrough(Host& host, std::string_view member, std::string_view id,
                          const std::function<DispatchPtr()>& make) {
  Arg arg{std::string(id)};
  DispatchPtr made;
  host.call("Connector", member, member, CallKind::Method, std::span<const Arg>(&arg, 1), [&] {
    made = make();
    if (!made)
      throw AutomationError(
          member == "CreateObject" ? hr::kInvalidClassString : hr::kClassNotRegistered,
          member == "CreateObject" ? "Invalid class string" : "Class not registered", {},
          std::string(kErrorSource));
    return Variant(made);
  });
  return made;
}

}  // namespace

DispatchPtr InProcessConnector::create(std::string_view progId) {
  return createThrough(*host_, "CreateObject", progId,
                       [&] { return createByProgId(host_, progId); });
}

DispatchPtr InProcessConnector::createControl(std::string_view clsid) {
  return createThrough(*host_, "CreateControl", clsid, [&] { return createByClsid(host_, clsid); });
}

}  // namespace vel::standin
