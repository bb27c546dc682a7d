#pragma once
// Where the host objects come from: the program's entry point chooses a connector (the stand-in
// in-process, or COM), and program logic never knows which one it has.

#include <string_view>

#include "host/dispatch.h"

namespace vel::host {

namespace progid {
constexpr std::string_view kAppObject = "ACTOLE.APPOBJECT";
constexpr std::string_view kDatabase = "ACTOLE.DATABASE";
constexpr std::string_view kAuxCmds = "ACTOLE.AUXCMDS";
}  // namespace progid

// The host's event control and its default interface.
constexpr std::string_view kActEventClsid = "{7A769383-0D93-11D1-B268-444553540000}";
constexpr std::string_view kActEventIid = "{7A769381-0D93-11D1-B268-444553540000}";
constexpr int32_t kIsReadyDispId = 3;

class Connector {
 public:
  virtual ~Connector() = default;
  // An object by program identifier (any case), asking for its dispatch interface.
  virtual DispatchPtr create(std::string_view progId) = 0;
  // An ActiveX control by class identifier, for placing on a window.
  virtual DispatchPtr createControl(std::string_view clsid) = 0;
};

}  // namespace vel::host
