#pragma once
// The stand-in's event control as an ActiveX control: the automation of the host's event control
// plus what a control container needs to site it, initialise it, activate it in place and close
// it. Every step the container takes is logged with the host's other calls.

#include <unknwn.h>

#include "host/dispatch.h"

namespace vel::standin::com {

// A new control over the host's event control object, holding one reference for the caller.
IUnknown* newEventControl(host::DispatchPtr object);

}  // namespace vel::standin::com
