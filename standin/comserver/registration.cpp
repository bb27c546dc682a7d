#include "standin/comserver/registration.h"

#include <olectl.h>

#include <string_view>

#include "platform/win32/wide.h"
#include "standin/comserver/classes.h"

namespace vel::standin::com {
namespace {

class Key {
 public:
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  HKEY* out() { return &h_; }
  HKEY get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

bool keyExists(HKEY root, const std::wstring& path) {
  Key k;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, k.out()) == ERROR_SUCCESS;
}

std::wstring readString(HKEY root, const std::wstring& path, const wchar_t* value) {
  Key k;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return {};
  wchar_t buf[1024];
  DWORD type = 0, size = sizeof buf;
  if (RegQueryValueExW(k.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return std::wstring(buf, size / sizeof(wchar_t)).c_str();
}

bool ours(HKEY root, const std::wstring& path) {
  return readString(root, path, std::wstring(kOwnerValue).c_str()) == L"1";
}

LONG writeString(HKEY root, const std::wstring& path, const wchar_t* value,
                 const std::wstring& data) {
  Key k;
  LONG r = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr);
  if (r != ERROR_SUCCESS) return r;
  return RegSetValueExW(k.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::wstring clsidKey(const ServedClass& c) {
  return L"CLSID\\" + win32::widen(c.clsid);
}

// Whether registering `c` would replace somebody else's registration.
bool foreign(const ServedClass& c) {
  if (keyExists(HKEY_CLASSES_ROOT, clsidKey(c)) && !ours(HKEY_CLASSES_ROOT, clsidKey(c)))
    return true;
  if (c.progId.empty()) return false;
  std::wstring prog = win32::widen(c.progId);
  if (!keyExists(HKEY_CLASSES_ROOT, prog)) return false;
  if (!ours(HKEY_CLASSES_ROOT, prog)) return true;
  return readString(HKEY_CLASSES_ROOT, prog + L"\\CLSID", nullptr) != win32::widen(c.clsid);
}

}  // namespace

std::wstring readSetting(const std::wstring& key, const std::wstring& value) {
  return readString(HKEY_CURRENT_USER, key, value.c_str());
}

HRESULT registerServer(const std::wstring& modulePath, ServerKind kind) {
  // Check every identifier before writing any, so a refusal leaves nothing half done.
  for (const ServedClass& c : kServedClasses)
    if (foreign(c)) return SELFREG_E_CLASS;

  const std::wstring owner(kOwnerValue);
  for (const ServedClass& c : kServedClasses) {
    std::wstring key = clsidKey(c);
    LONG r = writeString(HKEY_CLASSES_ROOT, key, nullptr, win32::widen(c.name));
    if (r == ERROR_SUCCESS) r = writeString(HKEY_CLASSES_ROOT, key, owner.c_str(), L"1");
    // The key is ours (checked above), so the other kind's subkey under it is ours too.
    if (kind == ServerKind::InProcess) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (key + L"\\LocalServer32").c_str());
      if (r == ERROR_SUCCESS)
        r = writeString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, modulePath);
      if (r == ERROR_SUCCESS)
        r = writeString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel",
                        L"Apartment");
    } else {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str());
      // Quoted: COM appends " -Embedding", and the path may hold spaces.
      if (r == ERROR_SUCCESS)
        r = writeString(HKEY_CLASSES_ROOT, key + L"\\LocalServer32", nullptr,
                        L"\"" + modulePath + L"\"");
    }
    if (r == ERROR_SUCCESS && !c.progId.empty()) {
      std::wstring prog = win32::widen(c.progId);
      r = writeString(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, prog);
      if (r == ERROR_SUCCESS)
        r = writeString(HKEY_CLASSES_ROOT, prog, nullptr, win32::widen(c.name));
      if (r == ERROR_SUCCESS) r = writeString(HKEY_CLASSES_ROOT, prog, owner.c_str(), L"1");
      if (r == ERROR_SUCCESS)
        r = writeString(HKEY_CLASSES_ROOT, prog + L"\\CLSID", nullptr, win32::widen(c.clsid));
    }
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  }

  wchar_t folder[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"VELMORA_STANDIN_HOST", folder, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2)
    writeString(HKEY_CURRENT_USER, std::wstring(kSettingsKey),
                std::wstring(kHostFolderValue).c_str(), std::wstring(folder, n));
  return S_OK;
}

HRESULT unregisterServer() {
  for (const ServedClass& c : kServedClasses) {
    if (ours(HKEY_CLASSES_ROOT, clsidKey(c)))
      RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey(c).c_str());
    if (!c.progId.empty()) {
      std::wstring prog = win32::widen(c.progId);
      if (ours(HKEY_CLASSES_ROOT, prog)) RegDeleteTreeW(HKEY_CLASSES_ROOT, prog.c_str());
    }
  }
  return S_OK;
}

}  // namespace vel::standin::com
