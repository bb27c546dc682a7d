#include "host/inprocess/inprocess_connector.h"

#include "standin/objects.h"

namespace vel::host {

namespace {

DispatchPtr createThrough(standin::Host& host, std::string_view member, std::string_view id,
                          const std::function<DispatchPtr()>& make) {
  Arg arg{std::string(id)};
  DispatchPtr made;
  host.call("Connector", member, member, CallKind::Method, std::span<const Arg>(&arg, 1), [&] {
    made = make();
    if (!made)
      throw AutomationError(
          member == "CreateObject" ? hr::kInvalidClassString : hr::kClassNotRegistered,
          member == "CreateObject" ? "Invalid class string" : "Class not registered", {},
          std::string(standin::kErrorSource));
    return Variant(made);
  });
  return made;
}

}  // namespace

DispatchPtr InProcessConnector::create(std::string_view progId) {
  return createThrough(*host_, "CreateObject", progId,
                       [&] { return standin::createByProgId(host_, progId); });
}

DispatchPtr InProcessConnector::createControl(std::string_view clsid) {
  return createThrough(*host_, "CreateControl", clsid,
                       [&] { return standin::createByClsid(host_, clsid); });
}

}  // namespace vel::host
