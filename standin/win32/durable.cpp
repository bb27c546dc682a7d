#include "standin/durable.h"

#include <io.h>
#include <windows.h>

#include <string>
#include <system_error>

namespace vel::standin {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  // The narrow fopen takes the ANSI code page; the wide one takes every name.
  std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(path.c_str(), wideMode.c_str());
}

bool syncToDisk(std::FILE* f) {
  return std::fflush(f) == 0 && ::_commit(::_fileno(f)) == 0;
}

void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw std::filesystem::filesystem_error(
        "cannot replace", from, to,
        std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
}

}  // namespace vel::standin
