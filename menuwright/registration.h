#pragma once
// The registration protocol: the state every registration step of a run shares, the two
// standard sequences EnsureSubMenu and RegisterCommand, and the steps that walk the catalogue.

#include <cstdint>
#include <optional>
#include <string>

#include "host/connector.h"
#include "menuwright/catalogue.h"

namespace vel::menuwright {

// Where the command lines of the document submenus begin.
struct HostLocations {
  std::string ActBinRoot;
  std::string QueryFolder;
  std::string ReportFolder;
  std::string TemplateFolder;
};

class Registration {
 public:
  Registration(host::Connector& connector, const HostLocations& locations)
      : connector_(connector), locations_(locations) {}

  // The top-level step: creates the AUXCMDS object, sets MenuSetId and TopMenuCaption, ensures
  // "Vel&mora" on the menu bar and registers its seven commands.
  void TopLevelStep();
  // One nested submenu and its commands (AddQuery ... AddMSWTemplate).
  void AddSubMenu(const SubMenuDef& menu);

  // The shared sequences. EnsureSubMenu returns the status of its AddAuxSubMenu call, or
  // nothing when the submenu already existed.
  std::optional<int32_t> EnsureSubMenu(const host::Arg& parentPath, std::string& caption,
                                       int32_t position, int32_t flag);
  void RegisterCommand(const CommandRow& row, std::string_view commandLine,
                       std::string_view startFolder, const host::Arg& menuPath);

  // The registration state, held for the whole run.
  host::DispatchPtr AuxCmds;
  int32_t MenuSetId = 0;
  std::string TopMenuCaption;
  int32_t AuxStatus = 0;
  int32_t SubMenuRef = 0;

 private:
  std::string documentFolder(DocumentFolder f) const;
  host::Connector& connector_;
  const HostLocations& locations_;
};

}  // namespace vel::menuwright
