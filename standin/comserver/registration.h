#pragma once
// Registration of the stand-in's COM server: refuses to overwrite a registration of the host's
// identifiers that is not its own, so a machine with the real host is never hijacked, and
// removes only its own keys. Either server kind can be registered; registering one removes our
// own registration of the other, so that a client asking for either reaches the chosen one.

#include <windows.h>

#include <string>

namespace vel::standin::com {

enum class ServerKind {
  InProcess,  // InprocServer32: the DLL, apartment threaded
  Local,      // LocalServer32: the executable, started with -Embedding
};

HRESULT registerServer(const std::wstring& modulePath, ServerKind kind);
HRESULT unregisterServer();
// A string value under HKEY_CURRENT_USER, "" when missing.
std::wstring readSetting(const std::wstring& key, const std::wstring& value);

}  // namespace vel::standin::com
