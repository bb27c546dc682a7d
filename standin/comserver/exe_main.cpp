// The stand-in as a local COM server, a program of its own as ACT! is: COM starts it with
// -Embedding, every client attaches to its one running host, and it ends a few seconds after
// the last object is released. /RegServer and /UnregServer register and unregister it.

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <iterator>
#include <string>
#include <vector>

#include "standin/comserver/classes.h"
#include "standin/comserver/registration.h"
#include "standin/comserver/server.h"

namespace {

using namespace vel::standin::com;

// How long the server stays after its last object is released. A client that releases
// everything and then creates the next object (Agewright does, between its application object
// and its database) must find the server still serving: Wine's CoReleaseServerProcess does not
// suspend the class objects, so an activation racing with the end could reach a server that
// is leaving. ACT! itself does not end at all while its user works in it.
constexpr DWORD kLingerMs = 5000;

// Touched on the server's one thread only (COM calls into an STA on that thread).
bool g_idle = true;
DWORD g_idleSince = 0;

void holdProcess() {
  CoAddRefServerProcess();
  g_idle = false;
}

void releaseProcess() {
  if (CoReleaseServerProcess() == 0) {
    g_idle = true;
    g_idleSince = GetTickCount();
  }
}

std::wstring exePath() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  return std::wstring(buf, n);
}

// "-Embedding", "/embedding": a switch as Windows servers take it, either sign, any case.
bool isSwitch(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'-' || arg[0] == L'/') && lstrcmpiW(arg + 1, name) == 0;
}

bool registerClasses(std::vector<DWORD>& cookies) {
  for (const ServedClass& c : kServedClasses) {
    CLSID clsid;
    std::wstring w(c.clsid.begin(), c.clsid.end());
    IUnknown* factory = nullptr;
    if (FAILED(CLSIDFromString(w.c_str(), &clsid)) ||
        FAILED(classObject(clsid, IID_IUnknown, reinterpret_cast<void**>(&factory))))
      continue;
    DWORD cookie = 0;
    if (SUCCEEDED(CoRegisterClassObject(clsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                        &cookie)))
      cookies.push_back(cookie);
    factory->Release();  // COM holds it while registered
  }
  return cookies.size() == std::size(kServedClasses);
}

void revokeClasses(std::vector<DWORD>& cookies) {
  for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
  cookies.clear();
}

int serve() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) return 1;
  setProcessHold(holdProcess, releaseProcess);
  g_idleSince = GetTickCount();

  std::vector<DWORD> cookies;
  int rc = registerClasses(cookies) ? 0 : 1;
  while (rc == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
    MSG msg;
    bool quit = false;
    while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      quit = msg.message == WM_QUIT;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) break;
    if (!g_idle || GetTickCount() - g_idleSince < kLingerMs) continue;
    // No new client from here on; one that came in while we revoked keeps us serving.
    revokeClasses(cookies);
    if (g_idle) break;
    if (!registerClasses(cookies)) rc = 1;
  }
  revokeClasses(cookies);
  CoUninitialize();
  return rc;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int rc = 2;  // nothing asked: a usage error
  for (int i = 1; argv && i < argc; ++i) {
    if (isSwitch(argv[i], L"Embedding")) {
      rc = serve();
      break;
    }
    if (isSwitch(argv[i], L"RegServer")) {
      rc = FAILED(registerServer(exePath(), ServerKind::Local)) ? 1 : 0;
      break;
    }
    if (isSwitch(argv[i], L"UnregServer")) {
      rc = FAILED(unregisterServer()) ? 1 : 0;
      break;
    }
  }
  LocalFree(argv);
  return rc;
}
