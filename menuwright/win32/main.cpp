// Menuwright.exe: the installer's window, reaching ACT! through COM and reading its folders
// from the registry.

#include "forms/win32/win32_backend.h"
#include "host/com/com_connector.h"
#include "menuwright/installer.h"
#include "platform/system.h"

int main() {
  vel::com::ComSession session;
  vel::forms::Win32Backend ui;
  vel::forms::Application app(ui);
  vel::com::ComConnector connector;
  auto registry = vel::platform::systemRegistry();
  auto files = vel::platform::systemFiles();
  return vel::menuwright::runMenuwright(app, connector, *registry, *files);
}
