#include "menuwright/locations.h"

namespace vel::menuwright {

using platform::RootKey;

void MakeNumberedBackup(platform::FileSystem& files, const std::string& ActBinRoot,
                        std::string_view fileName, std::string_view stem) {
  std::string source = platform::joinPath(ActBinRoot, fileName);
  if (!files.exists(source)) return;
  // The first free number, not one more than the highest.
  long n = 1;
  auto backup = [&] {
    return platform::joinPath(ActBinRoot, std::string(stem) + std::to_string(n));
  };
  while (files.exists(backup())) ++n;
  files.rename(source, backup());
}

void GetDefaulLocations(const platform::Registry& registry, platform::FileSystem& files,
                        const std::function<void(std::string_view)>& inform,
                        HostLocations& locations) {
  if (!registry.keyExists(RootKey::LocalMachine, kInstallKey)) {
    inform(kNotInstalledText);
  } else if (auto key = registry.openReadOnly(RootKey::LocalMachine, kInstallKey)) {
    locations.ActBinRoot = key->readString("BinRoot");
  }

  if (registry.keyExists(RootKey::CurrentUser, kUserKey)) {
    if (auto key = registry.openReadOnly(RootKey::CurrentUser, kUserKey)) {
      locations.QueryFolder = key->readString("Query File Type");
      locations.ReportFolder = key->readString("Report, Label, Envelope File Type");
      locations.TemplateFolder = key->readString("Document Template File Type");
    }
  }

  // Without the host's folder the backup paths would name files at the root of the current
  // drive, which are not the host's: make no backups then.
  if (locations.ActBinRoot.empty()) return;
  MakeNumberedBackup(files, locations.ActBinRoot, "ActCmd.INI", "ActCmd.00");
  MakeNumberedBackup(files, locations.ActBinRoot, "ModMenu.act", "ModMenu.00");
}

}  // namespace vel::menuwright
