#include "menuwright/registration.h"

#include "host/convert.h"
#include "platform/files.h"

namespace vel::menuwright {

using host::Arg;

std::optional<int32_t> Registration::EnsureSubMenu(const Arg& parentPath, std::string& caption,
                                                   int32_t position, int32_t flag) {
  host::Variant exists =
      AuxCmds->call("AuxSubMenuExists",
                    {Arg::ref(MenuSetId), parentPath, Arg::ref(caption), Arg::ref(SubMenuRef)});
  if (!host::existenceSaysMissing(exists)) return std::nullopt;
  AuxStatus = host::readStatus(AuxCmds->call(
      "AddAuxSubMenu", {Arg::ref(MenuSetId), parentPath, position, flag, Arg::ref(caption)}));
  return AuxStatus;
}

void Registration::RegisterCommand(const CommandRow& row, std::string_view commandLine,
                                   std::string_view startFolder, const Arg& menuPath) {
  const std::string caption(row.caption);
  if (!host::existenceSaysMissing(AuxCmds->call("AuxCommandExists", {caption}))) return;
  if (!host::existenceSaysMissing(
          AuxCmds->call("AuxCommandExistsInMenus", {Arg::ref(MenuSetId), caption})))
    return;
  AuxStatus =
      host::readStatus(AuxCmds->call("AddAuxCommand", {caption, commandLine, startFolder, row.title,
                                                       row.description, row.icon, row.icon, 1}));
  if (AuxStatus != 0) return;
  AuxStatus = host::readStatus(AuxCmds->call(
      "AddAuxCommandToMenu", {Arg::ref(MenuSetId), menuPath, row.position, row.flag, caption}));
  if (row.toolbar)
    AuxStatus =
        host::readStatus(AuxCmds->call("AddAuxCommandToToolbar", {Arg::ref(MenuSetId), caption}));
}

void Registration::TopLevelStep() {
  AuxCmds = connector_.create(host::progid::kAuxCmds);
  MenuSetId = 1;
  TopMenuCaption = "Vel&mora";
  EnsureSubMenu(Arg(""), TopMenuCaption, 8, 0);
  for (const CommandRow& row : topLevelCommands())
    RegisterCommand(row, row.target, row.startFolder, Arg::ref(TopMenuCaption));
}

std::string Registration::documentFolder(DocumentFolder f) const {
  switch (f) {
    case DocumentFolder::Query:
      return locations_.QueryFolder;
    case DocumentFolder::Report:
      return locations_.ReportFolder;
    case DocumentFolder::Template:
      return locations_.TemplateFolder;
    case DocumentFolder::None:
      break;
  }
  return {};
}

void Registration::AddSubMenu(const SubMenuDef& menu) {
  std::string caption(menu.caption);
  std::optional<int32_t> added =
      EnsureSubMenu(Arg::ref(TopMenuCaption), caption, menu.position, menu.flag);
  // Only the submenu's own AddAuxSubMenu status counts: a status left by an earlier, unrelated
  // call must not drop the commands of a submenu that already existed.
  if (menu.statusTest && added && *added != 0) return;
  for (const CommandRow& row : menu.rows) {
    std::string commandLine = menu.folder == DocumentFolder::None
                                  ? std::string(row.target)
                                  : platform::joinPath(documentFolder(menu.folder), row.target);
    std::string path = TopMenuCaption + "\\" + caption;
    RegisterCommand(row, commandLine, menu.startFolder, Arg(path));
  }
}

}  // namespace vel::menuwright
