// The stand-in's in-process COM server: the DLL's entry points around the shared objects.

#include <windows.h>

#include <string>

#include "standin/comserver/registration.h"
#include "standin/comserver/server.h"

namespace {

HMODULE g_module = nullptr;

std::wstring modulePath() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(g_module, buf, MAX_PATH * 2);
  return std::wstring(buf, n);
}

}  // namespace

using namespace vel::standin::com;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  return classObject(clsid, riid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
  return canUnload() ? S_OK : S_FALSE;
}

extern "C" HRESULT __stdcall DllRegisterServer() {
  return registerServer(modulePath(), ServerKind::InProcess);
}
extern "C" HRESULT __stdcall DllUnregisterServer() {
  return unregisterServer();
}
