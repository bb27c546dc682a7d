#pragma once
// The stand-in's automation objects: the members the suite calls, under those names (any case),
// with their argument counts and types checked as a real automation server checks them.

#include <memory>
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

// Whether a stand-in object has a member of that name (any case): what a server answers to a
// name look-up before any call.
bool hasMember(const host::Dispatch& object, std::string_view member);

// What a lookup file holds: the unique identifiers, one a line.
std::string lookupFileText(const std::vector<std::string>& uids);
std::vector<std::string> parseLookupFile(std::string_view text);

}  // namespace vel::standin
