#pragma once
// The stand-in's automation objects: the members the suite calls, under those names (any case),
// with their argument counts and types checked as a real automation server checks them.

#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "host/dispatch.h"
#include "standin/host.h"

namespace vel::standin {

// The objects a program creates by program identifier or class identifier; nullptr for an
// identifier the stand-in does not serve.
host::DispatchPtr createAppObject(std::shared_ptr<Host> host);
host::DispatchPtr createDatabase(std::shared_ptr<Host> host);
host::DispatchPtr createAuxCmds(std::shared_ptr<Host> host);
host::DispatchPtr createEventControl(std::shared_ptr<Host> host);

host::DispatchPtr createByProgId(std::shared_ptr<Host> host, std::string_view progId);
host::DispatchPtr createByClsid(std::shared_ptr<Host> host, std::string_view clsid);

// The event control as its container sees it. What a container does to the control (site it,
// initialise it, activate it in place, close it) goes through the host's call pipeline like any
// member call: it is logged under the control's name in order with IsReady, counted, and open to
// a scripted fault. Under the host's readyWhenSited option, IsReady answers true only once the
// control is sited and, unless it is invisible at run time, in-place active.
class HostedControl {
 public:
  virtual ~HostedControl() = default;
  // Runs one container call: `body` does the control's own part, unless a scripted fault throws
  // first (as an AutomationError).
  virtual host::Variant containerCall(std::string_view member, std::span<const host::Arg> args,
                                      const std::function<host::Variant()>& body) = 0;
  virtual void setSited(bool sited) = 0;
  virtual void setInPlaceActive(bool active) = 0;
  // The host's option, read at each call: the kind of control it is.
  virtual bool invisibleAtRunTime() const = 0;
};

// The event control's container side; nullptr for any other object.
std::shared_ptr<HostedControl> hostedControl(const host::DispatchPtr& object);

// Whether a stand-in object has a member of that name (any case): what a server answers to a
// name look-up before any call.
bool hasMember(const host::Dispatch& object, std::string_view member);

// What a lookup file holds: the unique identifiers, one a line.
std::string lookupFileText(const std::vector<std::string>& uids);
std::vector<std::string> parseLookupFile(std::string_view text);

}  // namespace vel::standin
