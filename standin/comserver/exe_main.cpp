// The stand-in as a local COM server, a program of its own as ACT! is: COM starts it with
// -Embedding, every client attaches to its one running host, and it ends when the last object
// is released. /RegServer and /UnregServer register and unregister it.

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

DWORD g_mainThread = 0;

void holdProcess() {
  CoAddRefServerProcess();
}

// COM suspends the class objects when the count reaches 0, so no new client reaches a server
// that is about to end; the message loop then revokes them.
void releaseProcess() {
  if (CoReleaseServerProcess() == 0) PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
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

int serve() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) return 1;
  g_mainThread = GetCurrentThreadId();
  // The thread's message queue exists before any client can make the first object.
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  setProcessHold(holdProcess, releaseProcess);

  std::vector<DWORD> cookies;
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

  int rc = cookies.size() == std::size(kServedClasses) ? 0 : 1;
  if (rc == 0) {
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
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
