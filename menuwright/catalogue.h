#pragma once
// The suite's command catalogue: fixed data, one table per submenu, registered by one loop.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vel::menuwright {

// The help site's host. The help command is the browser, one blank and the address without a
// scheme: the host followed by "/help".
inline constexpr std::string_view kHelpSiteHost = "www.velmora-suite.com";
inline constexpr std::string_view kBrowser = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
inline constexpr std::string_view kHelpPath = "/help";
// Joined at compile time, so the catalogue's table can hold it like any other literal.
inline constexpr auto kHelpCommandLineText = [] {
  std::array<char, kBrowser.size() + 1 + kHelpSiteHost.size() + kHelpPath.size()> s{};
  auto at = std::copy(kBrowser.begin(), kBrowser.end(), s.begin());
  *at++ = ' ';
  at = std::copy(kHelpSiteHost.begin(), kHelpSiteHost.end(), at);
  std::copy(kHelpPath.begin(), kHelpPath.end(), at);
  return s;
}();
inline constexpr std::string_view kHelpCommandLine(kHelpCommandLineText.data(),
                                                   kHelpCommandLineText.size());
// The "&Task List" report's title and description.
constexpr std::string_view kTaskListTitle = "Task List Report";
constexpr std::string_view kTaskListDescription = "Task list report";

constexpr std::string_view kLeafIcon = "C:\\Program Files\\VMR\\leaf.ico";

// Which location value starts a submenu's command lines.
enum class DocumentFolder : uint8_t { None, Query, Report, Template };

struct CommandRow {
  int32_t position;
  int32_t flag;
  std::string_view caption;
  // The file name joined to the submenu's document folder, or, with DocumentFolder::None, the
  // whole command line.
  std::string_view target;
  std::string_view title;
  std::string_view description;
  std::string_view startFolder = {};  // top-level rows only; a submenu's rows take its own
  std::string_view icon = kLeafIcon;
  bool toolbar = false;
};

struct SubMenuDef {
  std::string_view procedure;  // the installer step that registers it (AddQuery ...)
  std::string_view caption;
  int32_t position;
  int32_t flag;
  DocumentFolder folder;
  std::string_view startFolder;
  bool statusTest;  // whether the commands wait on the submenu's own status
  std::span<const CommandRow> rows;
};

// The seven commands directly in "Vel&mora", in registration order.
std::span<const CommandRow> topLevelCommands();
// The seven nested submenus, in registration order: AddQuery, AddLabels, AddEnvelopes,
// AddReport, AddActivitySeries, AddAWPTemplate, AddMSWTemplate.
std::span<const SubMenuDef> subMenus();

}  // namespace vel::menuwright
