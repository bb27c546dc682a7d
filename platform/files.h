#pragma once
// Files, named by Windows-form paths ("C:\Program Files\VMR\Ledger.dws", or "\ActCmd.INI" on the
// current drive). On Linux a path maps to a folder that stands for the drives.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vel::platform {

// A failed file operation, with the Windows error code a program would see (2 file not found,
// 3 path not found, 5 access denied, 183 already exists) and a message naming the paths.
class FileError : public std::runtime_error {
 public:
  FileError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(std::string_view path) const = 0;
  // Renames within a folder; never overwrites: a taken target, a missing source or a refusal
  // throws FileError.
  virtual void rename(std::string_view from, std::string_view to) = 0;
  // The whole file as bytes; nothing when it does not exist. Other failures throw FileError.
  virtual std::optional<std::string> readAll(std::string_view path) const = 0;
  // Replaces the file with these bytes; throws FileError.
  virtual void writeAll(std::string_view path, std::string_view bytes) = 0;
};

// Maps Windows-form paths under a root folder: "C:\A\b.txt" is root/c/A/b.txt, "\x" is on the
// current drive, a path that begins with "/" is taken as a POSIX path, and a relative one is
// relative to the working folder. Backslashes separate; an existing file or folder whose name
// differs only in case is found, since Windows names compare without case.
class MappedFileSystem : public FileSystem {
 public:
  explicit MappedFileSystem(std::filesystem::path driveRoot, char currentDrive = 'C');
  bool exists(std::string_view path) const override;
  void rename(std::string_view from, std::string_view to) override;
  std::optional<std::string> readAll(std::string_view path) const override;
  void writeAll(std::string_view path, std::string_view bytes) override;

  // Where a Windows-form path lives on this machine (existing components matched without case).
  std::filesystem::path map(std::string_view windowsPath) const;
  const std::filesystem::path& driveRoot() const { return driveRoot_; }

  // The root from VELMORA_DRIVES, else "<temp>/velmora-drives".
  static std::filesystem::path defaultDriveRoot();

 private:
  std::filesystem::path driveRoot_;
  char currentDrive_;
};

// Joins a folder without a trailing separator, "\" and a name, as the programs build paths.
inline std::string joinPath(std::string_view folder, std::string_view name) {
  std::string s(folder);
  s += '\\';
  s += name;
  return s;
}

}  // namespace vel::platform
