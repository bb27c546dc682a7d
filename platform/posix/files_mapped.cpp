#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/files.h"

namespace vel::platform {
namespace fs = std::filesystem;
namespace {

// The Windows error codes a program sees.
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kGenFailure = 31;
constexpr int kSharingViolation = 32;
constexpr int kBadNetPath = 53;
constexpr int kInvalidParameter = 87;
constexpr int kDiskFull = 112;
constexpr int kAlreadyExists = 183;
constexpr int kFilenameTooLong = 206;

int windowsCode(int err) {
  switch (err) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kAccessDenied;
    case EBUSY:
    case ETXTBSY:
      return kSharingViolation;
    case EEXIST:
      return kAlreadyExists;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    case ENAMETOOLONG:
      return kFilenameTooLong;
    default:
      return kGenFailure;
  }
}

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool isDriveLetter(char c) {
  return lowerAscii(c) >= 'a' && lowerAscii(c) <= 'z';
}

// Windows names compare without case; only ASCII letters fold here.
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && isSeparator(path[i])) ++i;
    size_t start = i;
    while (i < path.size() && !isSeparator(path[i])) ++i;
    if (i > start) parts.push_back(path.substr(start, i - start));
  }
  return parts;
}

bool entryExists(const fs::path& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

bool isFolder(const fs::path& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of `folder` called `name`, or else one whose name differs only in case (the first
// in name order, so that the choice is stable); else `name` as given.
fs::path childOf(const fs::path& folder, std::string_view name) {
  fs::path exact = folder / std::string(name);
  if (entryExists(exact)) return exact;
  std::error_code ec;
  std::string best;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (equalsIgnoringCase(candidate, name) && (best.empty() || candidate < best)) {
      best = std::move(candidate);
    }
  }
  return best.empty() ? exact : folder / best;
}

std::string inQuotes(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

// Renames without ever replacing an existing target, or returns the errno value. Either the
// kernel checks and renames in one step, or a hard link claims the new name, which fails when
// it is taken; no test-then-rename gap lets another process's file be overwritten.
int renameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  // EINVAL: this file system cannot do it; ENOSYS: the kernel is older than the call.
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  if (::unlink(from.c_str()) != 0) {
    int err = errno;
    ::unlink(to.c_str());  // the file keeps its old name only
    return err;
  }
  return 0;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, for the error that a close can report after writing.
  int close() {
    int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

}  // namespace

MappedFileSystem::MappedFileSystem(fs::path driveRoot, char currentDrive)
    : driveRoot_(fs::absolute(std::move(driveRoot))), currentDrive_(lowerAscii(currentDrive)) {
  if (!isDriveLetter(currentDrive_))
    throw std::invalid_argument(std::string("not a drive letter: ") + currentDrive);
}

fs::path MappedFileSystem::map(std::string_view windowsPath) const {
  std::string_view rest = windowsPath;
  fs::path base;
  fs::path floor;  // ".." stops here
  if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
    base = driveRoot_ / std::string(1, lowerAscii(rest[0]));
    floor = base;
    rest.remove_prefix(2);
  } else if (rest.starts_with("\\\\")) {
    throw FileError(kBadNetPath, inQuotes(windowsPath) + ": network paths have no local folder");
  } else if (rest.starts_with("\\")) {
    base = driveRoot_ / std::string(1, currentDrive_);
    floor = base;
  } else if (rest.starts_with("/")) {
    base = floor = "/";
  } else if (rest.empty()) {
    throw FileError(kPathNotFound, "An empty path names no file");
  } else {
    base = fs::current_path();
    floor = "/";
  }

  fs::path mapped = base;
  for (std::string_view part : components(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (mapped != floor) mapped = mapped.parent_path();
      continue;
    }
    mapped = childOf(mapped, part);
  }
  return mapped;
}

bool MappedFileSystem::exists(std::string_view path) const {
  try {
    struct stat st;
    return ::stat(map(path).c_str(), &st) == 0;
  } catch (const FileError&) {
    return false;  // a path that maps nowhere names nothing that exists
  }
}

void MappedFileSystem::rename(std::string_view from, std::string_view to) {
  auto fail = [&](int code, const std::string& why) {
    throw FileError(code, "Cannot rename " + inQuotes(from) + " to " + inQuotes(to) + ": " + why);
  };
  const fs::path source = map(from);
  const fs::path target = map(to);
  const fs::path folder = source.parent_path();
  // The new name as written: a rename may change only the case of a name.
  std::vector<std::string_view> toParts = components(to);
  const std::string newName = toParts.empty() ? std::string() : std::string(toParts.back());
  if (newName.empty() || newName == "." || newName == "..")
    fail(kInvalidParameter, "the new name is not a file name");

  if (!isFolder(folder))
    fail(kPathNotFound, "the folder " + inQuotes(folder.string()) + " does not exist");
  if (target.parent_path() != folder)
    fail(kInvalidParameter, "the two names are in different folders");
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0) {
    int err = errno;
    if (err == ENOENT) fail(kFileNotFound, inQuotes(from) + " does not exist");
    fail(windowsCode(err), std::strerror(err));
  }
  if (entryExists(target)) {
    if (target != source) {
      fail(kAlreadyExists,
           "a file named " + inQuotes(target.filename().string()) + " already exists");
    }
    if (target.filename() == newName) return;  // already so named
  }

  int err = renameNoReplace(source, folder / newName);
  if (err == 0) return;
  if (err == EEXIST) fail(kAlreadyExists, "a file named " + inQuotes(newName) + " already exists");
  if (err == ENOENT) fail(kFileNotFound, inQuotes(from) + " does not exist");
  if (err == EACCES || err == EPERM) {
    fail(kAccessDenied, std::string("access is denied (") + std::strerror(err) + ")");
  }
  fail(windowsCode(err), std::strerror(err));
}

std::optional<std::string> MappedFileSystem::readAll(std::string_view path) const {
  const fs::path file = map(path);
  auto fail = [&](int code, const std::string& why) {
    throw FileError(code, "Cannot read " + inQuotes(path) + ": " + why);
  };
  Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    int err = errno;
    if (err == ENOENT || err == ENOTDIR) return std::nullopt;
    fail(windowsCode(err), std::strerror(err));
  }
  struct stat st;
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) fail(kAccessDenied, "it is a folder");

  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      fail(windowsCode(err), std::strerror(err));
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

void MappedFileSystem::writeAll(std::string_view path, std::string_view bytes) {
  const fs::path file = map(path);
  auto fail = [&](int code, const std::string& why) {
    throw FileError(code, "Cannot write " + inQuotes(path) + ": " + why);
  };
  Descriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    int err = errno;
    // Like Windows, a missing folder is not created.
    if (err == ENOENT || err == ENOTDIR) {
      fail(kPathNotFound,
           "the folder " + inQuotes(file.parent_path().string()) + " does not exist");
    }
    fail(windowsCode(err), std::strerror(err));
  }
  while (!bytes.empty()) {
    ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      fail(windowsCode(err), std::strerror(err));
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  if (fd.close() != 0) {
    int err = errno;
    fail(windowsCode(err), std::strerror(err));
  }
}

fs::path MappedFileSystem::defaultDriveRoot() {
  if (const char* root = std::getenv("VELMORA_DRIVES"); root && *root) return root;
  return fs::temp_directory_path() / "velmora-drives";
}

}  // namespace vel::platform
