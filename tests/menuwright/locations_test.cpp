// Finding the host's folders in the registry and moving its command files aside.

#include "menuwright/locations.h"

#include "tests/menuwright/fixture.h"

namespace vel::menuwright {
namespace {

using testing::kBinRoot;

class Backups : public testing::Installer {
 protected:
  std::string path(const std::string& name) const { return platform::joinPath(kBinRoot, name); }
  void backUp(std::string_view file, std::string_view stem) {
    MakeNumberedBackup(files, std::string(kBinRoot), file, stem);
  }
};

TEST_F(Backups, TakesTheFirstFreeNumber) {
  struct Row {
    const char* name;
    std::vector<std::string> existing;
    std::string expected;
  };
  const Row rows[] = {
      {"no backup yet", {}, "ActCmd.001"},
      {"after one", {"ActCmd.001"}, "ActCmd.002"},
      {"a gap is filled", {"ActCmd.001", "ActCmd.003"}, "ActCmd.002"},
      {"past nine the extension grows",
       {"ActCmd.001", "ActCmd.002", "ActCmd.003", "ActCmd.004", "ActCmd.005", "ActCmd.006",
        "ActCmd.007", "ActCmd.008", "ActCmd.009"},
       "ActCmd.0010"},
      {"a later high number is not followed", {"ActCmd.001", "ActCmd.0010"}, "ActCmd.002"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    platform::testing::TempFolder root;
    platform::MappedFileSystem fs(root.path());
    auto put = [&](const std::string& name, const std::string& bytes) {
      platform::testing::writeFile(fs.map(platform::joinPath(kBinRoot, name)), bytes);
    };
    put("ActCmd.INI", "current");
    for (const auto& e : r.existing) put(e, "old " + e);

    MakeNumberedBackup(fs, std::string(kBinRoot), "ActCmd.INI", "ActCmd.00");

    EXPECT_FALSE(fs.exists(path("ActCmd.INI"))) << "moved, not copied";
    EXPECT_EQ(fs.readAll(path(r.expected)), std::optional<std::string>("current"));
    for (const auto& e : r.existing)
      EXPECT_EQ(fs.readAll(path(e)), std::optional<std::string>("old " + e)) << e;
  }
}

TEST_F(Backups, AMissingFileIsNotBackedUpAndNoNameIsProbed) {
  putFile("ActCmd.001");
  backUp("Missing.INI", "Missing.00");
  EXPECT_EQ(files.probed, std::vector<std::string>{path("Missing.INI")});
  EXPECT_TRUE(files.renamed.empty());
}

TEST_F(Backups, TheTwoFilesAreNumberedIndependently) {
  putFile("ActCmd.001");
  putFile("ActCmd.002");
  putFile("ActCmd.003");
  HostLocations got;
  GetDefaulLocations(
      registry, files, [](std::string_view text) { FAIL() << "unexpected box: " << text; }, got);
  EXPECT_EQ(files.renamed,
            (std::vector<std::string>{path("ActCmd.INI") + " -> " + path("ActCmd.004"),
                                      path("ModMenu.act") + " -> " + path("ModMenu.001")}));
  EXPECT_FALSE(hasFile("ActCmd.INI"));
  EXPECT_FALSE(hasFile("ModMenu.act"));
}

TEST_F(Backups, TwoRunsLeaveTwoBackupsOfEach) {
  auto locate = [&] {
    HostLocations l;
    GetDefaulLocations(
        registry, files, [](std::string_view) {}, l);
  };
  locate();
  putFile("ActCmd.INI", "second");
  putFile("ModMenu.act", "second");
  locate();
  for (const char* name : {"ActCmd.001", "ActCmd.002", "ModMenu.001", "ModMenu.002"})
    EXPECT_TRUE(hasFile(name)) << name;
  EXPECT_EQ(mapped.readAll(path("ActCmd.002")), std::optional<std::string>("second"));
}

TEST_F(Backups, AFailedRenameIsAnErrorAndTheSecondFileIsLeftAlone) {
  files.failRenameOf = path("ActCmd.INI");
  HostLocations got;
  EXPECT_THROW(GetDefaulLocations(
                   registry, files, [](std::string_view) {}, got),
               platform::FileError);
  EXPECT_TRUE(hasFile("ActCmd.INI"));
  EXPECT_TRUE(hasFile("ModMenu.act"));
  EXPECT_EQ(files.renamed.size(), 1u);
}

// The user's folders, as the registry gives them.
struct RegRow {
  const char* name;
  std::string reg;
  HostLocations expected;
  std::vector<std::string> informs;
};

const std::string kUserKey = "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n";
const std::string kInstallKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\n";
const std::string kUserValues =
    "\"Query File Type\"=\"Q:\\\\Queries\"\n"
    "\"Report, Label, Envelope File Type\"=\"R:\\\\Reports\"\n"
    "\"Document Template File Type\"=\"T:\\\\Templates\"\n";

TEST_F(Backups, LocationsComeFromTheRegistryAsStored) {
  const RegRow rows[] = {
      {"installed",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\"\n" + kUserKey + kUserValues,
       {"E:\\Act", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       {}},
      {"install key missing: the box, and the user's folders still read",
       "REGEDIT4\n" + kUserKey + kUserValues,
       {"", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       {std::string(kNotInstalledText)}},
      {"BinRoot missing: no box",
       "REGEDIT4\n" + kInstallKey + "\"Other\"=\"x\"\n" + kUserKey + kUserValues,
       {"", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       {}},
      {"user key missing",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\"\n",
       {"E:\\Act", "", "", ""},
       {}},
      {"one user value missing",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\"\n" + kUserKey +
           "\"Query File Type\"=\"Q:\\\\Queries\"\n\"Document Template File Type\"=\"T:\\\\T\"\n",
       {"E:\\Act", "Q:\\Queries", "", "T:\\T"},
       {}},
      {"an expandable string is kept unexpanded",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=hex(2):25,41,43,54,44,49,52,25,5c,42,69,6e,00\n",
       {"%ACTDIR%\\Bin", "", "", ""},
       {}},
      {"a string ends at its first NUL",
       "REGEDIT4\n" + kInstallKey + kUserKey +
           "\"Query File Type\"=hex(1):51,3a,5c,51,00,6a,75,6e,6b,00\n",
       {"", "Q:\\Q", "", ""},
       {}},
      {"a trailing backslash stays",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\\\\\"\n" + kUserKey +
           "\"Report, Label, Envelope File Type\"=\"R:\\\\\"\n",
       {"E:\\Act\\", "", "R:\\", ""},
       {}},
  };
  for (const RegRow& r : rows) {
    SCOPED_TRACE(r.name);
    platform::RegFileRegistry reg;
    reg.importText(r.reg, r.name);
    HostLocations got;
    std::vector<std::string> informs;
    GetDefaulLocations(
        reg, files, [&](std::string_view text) { informs.emplace_back(text); }, got);
    EXPECT_EQ(got.ActBinRoot, r.expected.ActBinRoot);
    EXPECT_EQ(got.QueryFolder, r.expected.QueryFolder);
    EXPECT_EQ(got.ReportFolder, r.expected.ReportFolder);
    EXPECT_EQ(got.TemplateFolder, r.expected.TemplateFolder);
    EXPECT_EQ(informs, r.informs);
  }
}

TEST_F(Backups, AValueOfAnotherTypeIsAnError) {
  platform::RegFileRegistry reg;
  reg.importText("REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"C:\\\\Program Files\\\\ACT\"\n" +
                 kUserKey + "\"Report, Label, Envelope File Type\"=dword:00000001\n");
  HostLocations got;
  try {
    GetDefaulLocations(
        reg, files, [](std::string_view) {}, got);
    FAIL() << "a dword read as a string";
  } catch (const platform::RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("Report, Label, Envelope File Type"), std::string::npos)
        << e.what();
  }
  EXPECT_TRUE(files.renamed.empty()) << "no backup after the failed read";
  EXPECT_TRUE(hasFile("ActCmd.INI"));
}

// Without the host's folder the backup paths would name the current drive's root: nothing
// there is the host's, so nothing is probed or moved.
TEST_F(Backups, AnEmptyHostFolderMakesNoBackups) {
  platform::testing::writeFile(mapped.map("\\ActCmd.INI"), "not the host's");
  platform::RegFileRegistry reg;
  reg.importText("REGEDIT4\n" + kInstallKey + kUserKey + kUserValues);
  HostLocations got;
  GetDefaulLocations(
      reg, files, [](std::string_view) {}, got);
  EXPECT_TRUE(files.probed.empty());
  EXPECT_TRUE(files.renamed.empty());
  EXPECT_TRUE(mapped.exists("\\ActCmd.INI"));
  EXPECT_EQ(got.ReportFolder, "R:\\Reports");
}

// The registry is read in one order: the install key, then the user's key and its three values;
// a key that exists but does not open is read no further, and nothing is shown for it.
TEST_F(Backups, TheRegistryIsReadInItsOrder) {
  const std::vector<std::string> userReads = {"keyExists HKCU\\Software\\Symantec\\ACT!",
                                              "open HKCU\\Software\\Symantec\\ACT!",
                                              "read Query File Type",
                                              "read Report, Label, Envelope File Type",
                                              "read Document Template File Type",
                                              "close"};
  auto then = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Row {
    const char* name;
    std::string reg;
    std::set<std::string> refuseOpen;
    std::vector<std::string> steps;
    HostLocations expected;
    size_t informs;
  };
  const std::string installed =
      "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\"\n" + kUserKey + kUserValues;
  const Row rows[] = {
      {"installed",
       installed,
       {},
       then({"keyExists HKLM\\SOFTWARE\\Symantec\\ACT!\\Install",
             "open HKLM\\SOFTWARE\\Symantec\\ACT!\\Install", "read BinRoot", "close"},
            userReads),
       {"E:\\Act", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       0},
      {"install key missing",
       "REGEDIT4\n" + kUserKey + kUserValues,
       {},
       then({"keyExists HKLM\\SOFTWARE\\Symantec\\ACT!\\Install"}, userReads),
       {"", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       1},
      {"install key does not open",
       installed,
       {"HKLM\\SOFTWARE\\Symantec\\ACT!\\Install"},
       then({"keyExists HKLM\\SOFTWARE\\Symantec\\ACT!\\Install",
             "open HKLM\\SOFTWARE\\Symantec\\ACT!\\Install"},
            userReads),
       {"", "Q:\\Queries", "R:\\Reports", "T:\\Templates"},
       0},
      {"user key missing",
       "REGEDIT4\n" + kInstallKey + "\"BinRoot\"=\"E:\\\\Act\"\n",
       {},
       {"keyExists HKLM\\SOFTWARE\\Symantec\\ACT!\\Install",
        "open HKLM\\SOFTWARE\\Symantec\\ACT!\\Install", "read BinRoot", "close",
        "keyExists HKCU\\Software\\Symantec\\ACT!"},
       {"E:\\Act", "", "", ""},
       0},
      {"user key does not open",
       installed,
       {"HKCU\\Software\\Symantec\\ACT!"},
       {"keyExists HKLM\\SOFTWARE\\Symantec\\ACT!\\Install",
        "open HKLM\\SOFTWARE\\Symantec\\ACT!\\Install", "read BinRoot", "close",
        "keyExists HKCU\\Software\\Symantec\\ACT!", "open HKCU\\Software\\Symantec\\ACT!"},
       {"E:\\Act", "", "", ""},
       0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    platform::RegFileRegistry reg;
    reg.importText(r.reg, r.name);
    testing::RecordingRegistry recording(reg);
    recording.refuseOpen = r.refuseOpen;
    HostLocations got;
    size_t informs = 0;
    GetDefaulLocations(
        recording, files, [&](std::string_view) { ++informs; }, got);
    EXPECT_EQ(recording.steps, r.steps);
    EXPECT_EQ(got.ActBinRoot, r.expected.ActBinRoot);
    EXPECT_EQ(got.QueryFolder, r.expected.QueryFolder);
    EXPECT_EQ(got.ReportFolder, r.expected.ReportFolder);
    EXPECT_EQ(got.TemplateFolder, r.expected.TemplateFolder);
    EXPECT_EQ(informs, r.informs);
  }
}

}  // namespace
}  // namespace vel::menuwright
