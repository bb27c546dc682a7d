#pragma once
// Registration of the stand-in's COM server: refuses to overwrite a registration of the host's
// identifiers that is not its own, so a machine with the real host is never hijacked, and
// removes only its own keys.

#include <windows.h>

#include <string>

namespace vel::standin::com {

HRESULT registerServer(const std::wstring& dllPath);
HRESULT unregisterServer();
// A string value under HKEY_CURRENT_USER, "" when missing.
std::wstring readSetting(const std::wstring& key, const std::wstring& value);

}  // namespace vel::standin::com
