#pragma once
// The classes the stand-in's COM server registers. The event control keeps the host's own class
// identifier, because programs create it by that identifier; the three objects get class
// identifiers of our own behind the host's program identifiers.

#include <string_view>

namespace vel::standin::com {

struct ServedClass {
  std::string_view progId;  // "" for the event control, which is created by class identifier
  std::string_view clsid;
  std::string_view name;
};

inline constexpr ServedClass kServedClasses[] = {
    {"ACTOLE.APPOBJECT", "{61101314-FC39-47F6-BBA9-9A28769F9D90}", "ACT! stand-in application"},
    {"ACTOLE.DATABASE", "{470DCEA3-C38C-46DB-8375-F4EB0D11DA1E}", "ACT! stand-in database"},
    {"ACTOLE.AUXCMDS", "{975CCCA4-6931-4395-A8D8-5A1B7C054100}", "ACT! stand-in command catalogue"},
    {"", "{7A769383-0D93-11D1-B268-444553540000}", "ACT! stand-in event control"},
};

// Marks a registration as the stand-in's own, so that it never overwrites or removes another's.
inline constexpr std::wstring_view kOwnerValue = L"VelmoraStandIn";
// Where the host folder is found when VELMORA_STANDIN_HOST is not set.
inline constexpr std::wstring_view kSettingsKey = L"Software\\Velmora\\StandIn";
inline constexpr std::wstring_view kHostFolderValue = L"HostFolder";

}  // namespace vel::standin::com
