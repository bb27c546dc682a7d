#pragma once
// A registry read from REGEDIT4 (.reg) files: the same files the Wine tests import.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vel::platform {

// A .reg file that does not parse: the message names the file and the line.
class RegFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Value types as the registry stores them.
enum class RegType : uint32_t {
  None = 0,
  String = 1,        // REG_SZ
  ExpandString = 2,  // REG_EXPAND_SZ
  Binary = 3,        // REG_BINARY
  Dword = 4,         // REG_DWORD
  MultiString = 7,   // REG_MULTI_SZ
  Qword = 11,        // REG_QWORD
};

struct RegValue {
  RegType type = RegType::String;
  // Strings as the file gives them (REGEDIT4: the ANSI bytes), except the hex(1), hex(2) and
  // hex(7) data of version 5.00 files: UTF-16LE there, UTF-8 here.
  std::vector<uint8_t> data;
};

class RegFileRegistry : public Registry {
 public:
  RegFileRegistry() = default;
  // Merges a file into the registry, as `regedit /S` imports it: later files win, "[-KEY]"
  // deletes a key and its subkeys, "name"=- deletes a value. Throws RegFileError.
  void import(const std::filesystem::path& file);
  void importText(std::string_view text, std::string_view origin = "<text>");

  bool keyExists(RootKey root, std::string_view path) const override;
  std::unique_ptr<RegistryKey> openReadOnly(RootKey root, std::string_view path) const override;

  // Raw access for tests and tools; nullptr when missing.
  const RegValue* find(RootKey root, std::string_view path, std::string_view valueName) const;

 private:
  struct Key {
    std::map<std::string, RegValue> values;  // by lower-cased name; "" is the default value
  };
  // Whether a key is here or below a key that is.
  bool exists(const std::string& name) const;

  // Keys by "ROOT\lower\case\path" as the files made them; their ancestors exist through them.
  std::map<std::string, Key> keys_;
};

}  // namespace vel::platform
