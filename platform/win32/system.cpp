// The Windows backend of the platform layer: the real registry, Win32 files, the module path
// and the local clock.

#include "platform/system.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace vel::platform {
namespace {

HKEY rootHandle(RootKey r) {
  return r == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY h) : h_(h) {}
  ~Win32Key() override { RegCloseKey(h_); }

  std::string readString(std::string_view valueName) const override {
    std::wstring name = win32::widen(valueName);
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExW(h_, name.c_str(), nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return {};
    if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA)
      throw RegistryError("Failed to get data for '" + std::string(valueName) + "'");
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw RegistryError("Invalid data type for '" + std::string(valueName) + "'");
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    r = RegQueryValueExW(h_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                         &got);
    if (r != ERROR_SUCCESS)
      throw RegistryError("Failed to get data for '" + std::string(valueName) + "'");
    // Up to the first NUL; an expandable string stays unexpanded.
    return win32::narrow(std::wstring(buf.data()));
  }

 private:
  HKEY h_;
};

// ACT! is a 32-bit program: its keys live in the 32-bit view, which a 64-bit build must ask
// for (a 32-bit build sees that view anyway).
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_32KEY;

LONG openKey(RootKey root, std::string_view path, HKEY& h) {
  return RegOpenKeyExW(rootHandle(root), win32::widen(path).c_str(), 0, kReadAccess, &h);
}

class Win32Registry : public Registry {
 public:
  // A key that is there but refuses us exists all the same: the caller then finds that it
  // does not open, which is not the same as the host not being installed.
  bool keyExists(RootKey root, std::string_view path) const override {
    HKEY h;
    LONG r = openKey(root, path, h);
    if (r == ERROR_SUCCESS) RegCloseKey(h);
    return r == ERROR_SUCCESS || r == ERROR_ACCESS_DENIED;
  }
  std::unique_ptr<RegistryKey> openReadOnly(RootKey root, std::string_view path) const override {
    HKEY h;
    if (openKey(root, path, h) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(h);
  }
};

[[noreturn]] void fail(DWORD code, const std::string& what) {
  throw FileError(static_cast<int>(code), what + ": " + win32::systemMessage(code));
}

class Win32FileSystem : public FileSystem {
 public:
  bool exists(std::string_view path) const override {
    return GetFileAttributesW(win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  void rename(std::string_view from, std::string_view to) override {
    // MoveFileW never replaces an existing target.
    if (!MoveFileW(win32::widen(from).c_str(), win32::widen(to).c_str()))
      fail(GetLastError(), "Cannot rename " + std::string(from) + " to " + std::string(to));
  }
  std::optional<std::string> readAll(std::string_view path) const override {
    HANDLE h = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return std::nullopt;
      fail(e, "Cannot read " + std::string(path));
    }
    std::string data;
    char buf[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr)) && got > 0) data.append(buf, got);
    DWORD e = GetLastError();
    CloseHandle(h);
    if (!ok) fail(e, "Cannot read " + std::string(path));
    return data;
  }
  void writeAll(std::string_view path, std::string_view bytes) override {
    HANDLE h = CreateFileW(win32::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail(GetLastError(), "Cannot write " + std::string(path));
    DWORD put = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    DWORD e = GetLastError();
    CloseHandle(h);
    if (!ok || put != bytes.size()) fail(e, "Cannot write " + std::string(path));
  }
};

}  // namespace

std::string programFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      std::wstring path(buf.data(), n);
      size_t cut = path.find_last_of(L"\\/");
      return win32::narrow(cut == std::wstring::npos ? path : path.substr(0, cut));
    }
    buf.resize(buf.size() * 2);
  }
}

std::unique_ptr<Registry> systemRegistry() {
  return std::make_unique<Win32Registry>();
}
std::unique_ptr<FileSystem> systemFiles() {
  return std::make_unique<Win32FileSystem>();
}

CivilDate SystemClock::today() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return CivilDate{t.wYear, t.wMonth, t.wDay};
}

}  // namespace vel::platform
