#pragma once
// The settings file, and nothing else, kept in memory: the benches measure the walk, not a disk.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace vel::bench {

class MemoryFiles : public platform::FileSystem {
 public:
  bool exists(std::string_view path) const override { return files_.count(std::string(path)); }
  void rename(std::string_view, std::string_view) override {
    throw platform::FileError(5, "renaming is not needed here");
  }
  std::optional<std::string> readAll(std::string_view path) const override {
    auto it = files_.find(std::string(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  void writeAll(std::string_view path, std::string_view bytes) override {
    files_[std::string(path)] = std::string(bytes);
  }

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace vel::bench
