// Agewright.exe: the age update on the screen, reaching ACT! through COM, with its settings
// beside the program.

#include "agewright/clsUpdateDates.h"
#include "forms/win32/win32_backend.h"
#include "host/com/com_connector.h"
#include "platform/system.h"

int main() {
  vel::com::ComSession session;
  vel::forms::Win32Backend ui;
  vel::forms::Application app(ui);
  vel::com::ComConnector connector;
  auto files = vel::platform::systemFiles();
  vel::platform::SystemClock clock;
  vel::agewright::Environment env{connector, *files, clock, vel::platform::programFolder()};
  return vel::agewright::runAgewright(app, env);
}
