#pragma once
// The Windows registry, read only, with the rules the installer relies on.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vel::platform {

enum class RootKey { LocalMachine, CurrentUser };

// A value read with the wrong type, or a key that fails while it is read.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;  // closes the key
  // A string value (REG_SZ, or REG_EXPAND_SZ kept unexpanded), up to its first NUL. A missing
  // value reads as the empty text; a value of another type throws RegistryError
  // ("Invalid data type for 'NAME'").
  virtual std::string readString(std::string_view valueName) const = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key is there, whether or not it lets us open it.
  virtual bool keyExists(RootKey root, std::string_view path) const = 0;
  // The key opened for reading only, or nullptr when it does not open.
  virtual std::unique_ptr<RegistryKey> openReadOnly(RootKey root, std::string_view path) const = 0;
};

}  // namespace vel::platform
