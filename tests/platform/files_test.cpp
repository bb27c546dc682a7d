#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/system.h"
#include "tests/platform/fixtures.h"

namespace vel::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScopedEnv;
using testing::TempFolder;
using testing::writeFile;

void replaceAll(std::string& s, std::string_view from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
}

class MappedFiles : public ::testing::Test {
 protected:
  // A file under drive C, holding its own name unless told otherwise.
  void put(const std::string& relative, std::optional<std::string> bytes = std::nullopt) {
    writeFile(root_ / "c" / relative, bytes.value_or(relative));
  }
  void folder(const std::string& relative) { fs::create_directories(root_ / "c" / relative); }

  // Every file below the root with its bytes, to show that nothing was lost or added.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      std::string name = fs::relative(entry.path(), root_).string();
      files[name] = entry.is_directory() ? "<folder>" : readFile(entry.path());
    }
    return files;
  }

  std::vector<std::string> namesIn(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_ / "c" / relative)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder temp_;
  fs::path root_ = temp_.path() / "drives";
  MappedFileSystem files_{root_};
};

// ---------------------------------------------------------------------------------------------
// Path mapping.

TEST_F(MappedFiles, MapsWindowsPathsUnderTheRoot) {
  put("Program Files/ACT/ActCmd.INI");
  const fs::path work = temp_.path() / "work";
  fs::create_directories(work);
  const fs::path previous = fs::current_path();
  fs::current_path(work);

  struct Row {
    const char* name;
    std::string path;
    std::string expected;
  } rows[] = {
      {"drive path", "C:\\Program Files\\VMR\\Ledger.dws", "{root}/c/Program Files/VMR/Ledger.dws"},
      {"lower-case drive", "c:\\x.txt", "{root}/c/x.txt"},
      {"other drive", "D:\\x.txt", "{root}/d/x.txt"},
      {"current drive", "\\ActCmd.INI", "{root}/c/ActCmd.INI"},
      {"drive alone", "C:", "{root}/c"},
      {"drive root", "C:\\", "{root}/c"},
      {"trailing backslash", "C:\\Program Files\\", "{root}/c/Program Files"},
      {"doubled backslash", "C:\\Program Files\\\\ACT", "{root}/c/Program Files/ACT"},
      {"forward slashes", "C:/Program Files/ACT", "{root}/c/Program Files/ACT"},
      {"dot and dot-dot", "C:\\Program Files\\.\\x\\..\\ACT", "{root}/c/Program Files/ACT"},
      {"dot-dot stays on the drive", "C:\\..\\..\\x", "{root}/c/x"},
      {"existing names without case", "C:\\PROGRAM FILES\\act\\actcmd.ini",
       "{root}/c/Program Files/ACT/ActCmd.INI"},
      {"missing names keep their case", "c:\\program files\\New\\Name.TXT",
       "{root}/c/Program Files/New/Name.TXT"},
      {"POSIX path joined with \\", "{tmp}/posix\\Ledger.dws", "{tmp}/posix/Ledger.dws"},
      {"relative path", "sub\\file.txt", "{cwd}/sub/file.txt"},
      {"relative dot-dot", "..\\x", "{tmp}/x"},
  };
  for (Row& row : rows) {
    for (std::string* s : {&row.path, &row.expected}) {
      replaceAll(*s, "{root}", root_.string());
      replaceAll(*s, "{tmp}", temp_.path().string());
      replaceAll(*s, "{cwd}", work.string());
    }
    EXPECT_EQ(files_.map(row.path).string(), row.expected) << row.name << ": " << row.path;
  }
  fs::current_path(previous);
}

TEST_F(MappedFiles, CurrentDriveIsTheConstructorsLetter) {
  MappedFileSystem onD(root_, 'D');
  EXPECT_EQ(onD.map("\\ActCmd.INI"), root_ / "d" / "ActCmd.INI");
  EXPECT_EQ(onD.map("C:\\ActCmd.INI"), root_ / "c" / "ActCmd.INI");
}

TEST_F(MappedFiles, ExactNameWinsOverACaseVariant) {
  folder("ACT");
  folder("act");
  EXPECT_EQ(files_.map("C:\\act"), root_ / "c" / "act");
  EXPECT_EQ(files_.map("C:\\ACT"), root_ / "c" / "ACT");
  EXPECT_EQ(files_.map("C:\\Act"), root_ / "c" / "ACT");  // first in name order
}

TEST_F(MappedFiles, NetworkPathsHaveNoMapping) {
  EXPECT_THROW(files_.map("\\\\server\\share\\x"), FileError);
  EXPECT_FALSE(files_.exists("\\\\server\\share\\x"));
  EXPECT_FALSE(files_.exists(""));
}

TEST_F(MappedFiles, Exists) {
  put("ACT/ActCmd.INI");
  struct Row {
    const char* path;
    bool exists;
  } rows[] = {
      {"C:\\ACT\\ActCmd.INI", true},
      {"c:\\act\\ACTCMD.ini", true},
      {"C:\\ACT", true},
      {"C:\\ACT\\", true},
      {"C:", true},
      {"C:\\ACT\\ModMenu.act", false},
      {"C:\\NoSuch\\ActCmd.INI", false},
      {"D:\\ACT\\ActCmd.INI", false},
      {"C:\\ACT\\ActCmd.INI\\x", false},
  };
  for (const Row& row : rows) EXPECT_EQ(files_.exists(row.path), row.exists) << row.path;
}

// ---------------------------------------------------------------------------------------------
// Rename.

TEST_F(MappedFiles, RenameMovesTheFile) {
  put("ACT/ActCmd.INI", "commands");
  files_.rename("C:\\ACT\\ActCmd.INI", "C:\\ACT\\ActCmd.001");
  EXPECT_EQ(namesIn("ACT"), std::vector<std::string>{"ActCmd.001"});
  EXPECT_EQ(files_.readAll("C:\\ACT\\ActCmd.001"), "commands");
}

TEST_F(MappedFiles, RenameFindsTheSourceWithoutCaseAndKeepsTheNewNameAsWritten) {
  put("ACT/ActCmd.INI", "commands");
  files_.rename("c:\\act\\ACTCMD.ini", "C:\\ACT\\ActCmd.001");
  EXPECT_EQ(namesIn("ACT"), std::vector<std::string>{"ActCmd.001"});
}

TEST_F(MappedFiles, RenameCanChangeOnlyTheCase) {
  put("ACT/ActCmd.INI", "commands");
  files_.rename("C:\\ACT\\ActCmd.INI", "C:\\ACT\\ACTCMD.INI");
  EXPECT_EQ(namesIn("ACT"), std::vector<std::string>{"ACTCMD.INI"});
  files_.rename("C:\\ACT\\ACTCMD.INI", "C:\\ACT\\ACTCMD.INI");
  EXPECT_EQ(namesIn("ACT"), std::vector<std::string>{"ACTCMD.INI"});
  EXPECT_EQ(files_.readAll("C:\\ACT\\ACTCMD.INI"), "commands");
}

struct RenameFailure {
  const char* name;
  std::vector<std::string> files;  // under C:, each holding its own name
  const char* from;
  const char* to;
  int code;
  const char* says;
};

const RenameFailure kRenameFailures[] = {
    {"target exists",
     {"ACT/ActCmd.INI", "ACT/ActCmd.001"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\ACT\\ActCmd.001",
     183,
     "already exists"},
    {"target exists in another case",
     {"ACT/ActCmd.INI", "ACT/actcmd.001"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\ACT\\ActCmd.001",
     183,
     "\"actcmd.001\" already exists"},
    {"target is a folder",
     {"ACT/ActCmd.INI", "ACT/ActCmd.001/inside"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\ACT\\ActCmd.001",
     183,
     "already exists"},
    {"source missing",
     {"ACT/ModMenu.act"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\ACT\\ActCmd.001",
     2,
     "does not exist"},
    {"folder missing",
     {"ACT/ActCmd.INI"},
     "C:\\NoSuch\\ActCmd.INI",
     "C:\\NoSuch\\ActCmd.001",
     3,
     "folder"},
    {"different folders",
     {"ACT/ActCmd.INI", "Backup/keep"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\Backup\\ActCmd.001",
     87,
     "different folders"},
    {"new name not a name",
     {"ACT/ActCmd.INI"},
     "C:\\ACT\\ActCmd.INI",
     "C:\\ACT\\..",
     87,
     "not a file name"},
};

TEST_F(MappedFiles, RenameFailuresLoseNothing) {
  for (const RenameFailure& c : kRenameFailures) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root_);
    for (const std::string& f : c.files) put(f);
    const auto before = snapshot();
    try {
      files_.rename(c.from, c.to);
      ADD_FAILURE() << "expected FileError";
    } catch (const FileError& e) {
      const std::string message = e.what();
      EXPECT_EQ(e.code(), c.code) << message;
      EXPECT_NE(message.find(c.from), std::string::npos) << message;
      EXPECT_NE(message.find(c.to), std::string::npos) << message;
      EXPECT_NE(message.find(c.says), std::string::npos)
          << "expected it to say: " << c.says << "\ngot: " << message;
    }
    EXPECT_EQ(snapshot(), before);
  }
}

TEST_F(MappedFiles, RefusalsAreAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root is not refused";
  put("ACT/ActCmd.INI");
  put("ACT/Locked.txt");
  const auto before = snapshot();
  const fs::path act = root_ / "c" / "ACT";
  fs::permissions(act / "Locked.txt", fs::perms::none);
  fs::permissions(act, fs::perms::owner_read | fs::perms::owner_exec);

  try {
    files_.rename("C:\\ACT\\ActCmd.INI", "C:\\ACT\\ActCmd.001");
    ADD_FAILURE() << "rename: expected FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), 5) << e.what();
  }
  try {
    files_.readAll("C:\\ACT\\Locked.txt");
    ADD_FAILURE() << "readAll: expected FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), 5) << e.what();
  }
  try {
    files_.writeAll("C:\\ACT\\New.txt", "x");
    ADD_FAILURE() << "writeAll: expected FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), 5) << e.what();
  }
  fs::permissions(act, fs::perms::owner_all);
  fs::permissions(act / "Locked.txt", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(snapshot(), before);
}

// ---------------------------------------------------------------------------------------------
// Whole-file reads and writes.

TEST_F(MappedFiles, ReadAllOfWhatIsNotThereIsNothing) {
  put("ACT/ActCmd.INI");
  for (const char* path :
       {"C:\\ACT\\Missing.txt", "C:\\NoSuch\\Missing.txt", "C:\\ACT\\ActCmd.INI\\Missing.txt"}) {
    EXPECT_EQ(files_.readAll(path), std::nullopt) << path;
  }
}

TEST_F(MappedFiles, ReadAllOfAFolderIsAccessDenied) {
  folder("ACT");
  try {
    files_.readAll("C:\\ACT");
    ADD_FAILURE() << "expected FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), 5) << e.what();
  }
}

TEST_F(MappedFiles, WriteAllThenReadAllKeepsEveryByte) {
  folder("VMR");
  const std::string bytes("line\r\nnul\0byte\xFF\n", 16);
  files_.writeAll("C:\\VMR\\Ledger.dws", bytes);
  EXPECT_EQ(files_.readAll("C:\\VMR\\Ledger.dws"), bytes);
  EXPECT_EQ(fs::file_size(root_ / "c" / "VMR" / "Ledger.dws"), bytes.size());
}

TEST_F(MappedFiles, WriteAllReplacesTheFileFoundWithoutCase) {
  put("VMR/Ledger.dws", "a much longer old content");
  files_.writeAll("C:\\vmr\\LEDGER.DWS", "new");
  EXPECT_EQ(namesIn("VMR"), std::vector<std::string>{"Ledger.dws"});
  EXPECT_EQ(readFile(root_ / "c" / "VMR" / "Ledger.dws"), "new");
}

TEST_F(MappedFiles, WriteAllDoesNotCreateFolders) {
  folder("");
  try {
    files_.writeAll("C:\\NoSuch\\Ledger.dws", "x");
    ADD_FAILURE() << "expected FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), 3) << e.what();
    EXPECT_NE(std::string(e.what()).find("C:\\NoSuch\\Ledger.dws"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(root_ / "c" / "NoSuch"));
}

// ---------------------------------------------------------------------------------------------
// What the machine provides.

TEST(SystemFiles, DriveRootFromTheEnvironment) {
  {
    ScopedEnv env("VELMORA_DRIVES", "/srv/drives");
    EXPECT_EQ(MappedFileSystem::defaultDriveRoot(), fs::path("/srv/drives"));
    auto files = systemFiles();
    auto* mapped = dynamic_cast<MappedFileSystem*>(files.get());
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(mapped->driveRoot(), fs::path("/srv/drives"));
  }
  const fs::path fallback = fs::temp_directory_path() / "velmora-drives";
  {
    ScopedEnv env("VELMORA_DRIVES", std::nullopt);
    EXPECT_EQ(MappedFileSystem::defaultDriveRoot(), fallback);
  }
  {
    ScopedEnv env("VELMORA_DRIVES", "");
    EXPECT_EQ(MappedFileSystem::defaultDriveRoot(), fallback);
  }
}

TEST(SystemFiles, ProgramFolderHoldsThisProgram) {
  const std::string folder = programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "platform_tests")) << folder;
}

}  // namespace
}  // namespace vel::platform
