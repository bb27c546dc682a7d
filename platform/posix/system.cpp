#include "platform/system.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/regfile.h"

namespace vel::platform {

std::string programFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw std::system_error(ec, "Cannot find the program's folder");
  return exe.parent_path().string();
}

std::unique_ptr<Registry> systemRegistry() {
  auto registry = std::make_unique<RegFileRegistry>();
  const char* files = std::getenv("VELMORA_REGISTRY");
  if (!files) return registry;
  // In the order given, so that a later file wins.
  std::string_view list = files;
  while (!list.empty()) {
    size_t colon = list.find(':');
    std::string_view file = list.substr(0, colon);
    if (!file.empty()) registry->import(std::filesystem::path(file));
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
  }
  return registry;
}

std::unique_ptr<FileSystem> systemFiles() {
  return std::make_unique<MappedFileSystem>(MappedFileSystem::defaultDriveRoot());
}

CivilDate SystemClock::today() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace vel::platform
