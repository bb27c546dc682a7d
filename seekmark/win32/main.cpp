// Seekmark.exe: the wizard on the screen, reaching ACT! through COM.

#include "forms/win32/win32_backend.h"
#include "host/com/com_connector.h"
#include "seekmark/ContSearch.h"

int main() {
  // Declared in this order so that they go in the reverse one: every automation reference is
  // released before COM is.
  vel::com::ComSession session;
  vel::forms::Win32Backend ui;
  vel::forms::Application app(ui);
  vel::com::ComConnector connector;
  return vel::seekmark::runSeekmark(app, connector);
}
