#pragma once
// The server's IDispatch for a host object, for the parts of the server that wrap one (the event
// control delegates its automation to it, so that its calls take the host's call pipeline).

#include <oaidl.h>

#include "host/dispatch.h"

namespace vel::standin::com {

// A new IDispatch over `object`, holding one reference for the caller. With `eventControl` it
// answers IsReady by the event control's fixed dispatch identifier. It counts as a live object
// of the server while it lives.
IDispatch* newDispatchServer(host::DispatchPtr object, bool eventControl);

}  // namespace vel::standin::com
