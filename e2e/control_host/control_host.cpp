// Hosts the event control on a form of the Win32 backend with the control served from another
// process (the test registers a surrogate for it): siting, in-place activation and drawing cross
// the process boundary. Prints IsReady once the form is made, and ends when the form closes.

#include <windows.h>

#include <cstdio>
#include <memory>

#include "forms/activexhost.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/win32/win32_backend.h"
#include "host/com/com_connector.h"
#include "host/connector.h"
#include "host/convert.h"
#include "platform/win32/wide.h"

using namespace vel;

int main() {
  com::ComSession session;
  forms::Win32Backend ui;
  forms::Application app(ui, {.title = "Control host"});
  return app.execute([&] {
    CLSID clsid;
    CLSIDFromString(win32::widen(host::kActEventClsid).c_str(), &clsid);
    com::ComPtr<IDispatch> d;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, d.outVoid());
    if (FAILED(hr)) throw com::errorFrom(hr, nullptr, "CreateControl (out of process)");
    auto object = std::make_shared<com::ComDispatch>(std::move(d));
    forms::Form form(app, {.name = "Form1",
                           .bounds = {100, 100, 200, 120},
                           .caption = "Control host",
                           .color = forms::SysColor::ButtonFace});
    form.add<forms::ActiveXHost>({.name = "ActEvent1",
                                  .bounds = {4, 4, 32, 32},
                                  .clsid = std::string(host::kActEventClsid),
                                  .object = object});
    std::printf("IsReady %s\n",
                host::toBool(object->callId(host::kIsReadyDispId)) ? "true" : "false");
    std::fflush(stdout);
    app.run(form);
  });
}
