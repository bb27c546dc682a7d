#pragma once
// Finding the host's folders in the registry, and moving its command files aside to numbered
// backups before anything is registered.

#include <functional>
#include <string>
#include <string_view>

#include "menuwright/registration.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace vel::menuwright {

constexpr std::string_view kInstallKey = "SOFTWARE\\Symantec\\ACT!\\Install";
constexpr std::string_view kUserKey = "Software\\Symantec\\ACT!";
constexpr std::string_view kNotInstalledText =
    "You must have ACT! installed before installing this program";

// Reads HostLocations (the information box shows through `inform` when the install key is
// missing) and makes the two backups.
void GetDefaulLocations(const platform::Registry& registry, platform::FileSystem& files,
                        const std::function<void(std::string_view)>& inform,
                        HostLocations& locations);

// Moves ActBinRoot\fileName to ActBinRoot\stem + n, n the first free number from 1. Nothing
// happens when the file is not there. A failed rename throws platform::FileError.
void MakeNumberedBackup(platform::FileSystem& files, const std::string& ActBinRoot,
                        std::string_view fileName, std::string_view stem);

}  // namespace vel::menuwright
