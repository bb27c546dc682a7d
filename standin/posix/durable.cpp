#include "standin/durable.h"

#include <fcntl.h>
#include <unistd.h>

namespace vel::standin {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool syncToDisk(std::FILE* f) {
  return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
}

void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::filesystem::rename(from, to);
  // The new name lives in the folder's own data: sync the folder so the rename survives a
  // power cut, not only a killed process.
  int dir = ::open(to.parent_path().empty() ? "." : to.parent_path().c_str(), O_RDONLY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace vel::standin
