// One Contains Lookup through real COM, driven headless: Next, a value that matches nothing
// (every field of every contact is read), Finish. Prints how many member names were looked up
// (GetIDsOfNames) while attaching and while searching, the last status text, and every message
// box, so that a test can run it on hosts of different sizes and compare.

#include <cstdio>
#include <exception>

#include "forms/headless/headless.h"
#include "host/com/com_connector.h"
#include "seekmark/ContSearch.h"

using namespace vel;

int main() {
  com::ComSession session;
  forms::Headless ui;
  forms::Application app(ui, {.title = std::string(seekmark::kApplicationTitle)});
  com::ComConnector connector;
  try {
    seekmark::TForm1 form(app, connector);
    form.show();
    const long before = com::totalNameLookups();
    ui.click(form.Button1);
    const long attached = com::totalNameLookups();
    ui.type(form.ComboBox1, "no such value anywhere");
    ui.click(form.Button1);
    const long searched = com::totalNameLookups();
    std::printf("attach %ld\nsearch %ld\nstatus %s\n", attached - before, searched - attached,
                form.StatusBar1.simpleText().c_str());
    for (const auto& b : ui.messageBoxes()) std::printf("box %s\n", b.box.text.c_str());
    std::printf("closed %d\n", form.visible() ? 0 : 1);
  } catch (const std::exception& e) {
    std::printf("error %s\n", e.what());
    return 1;
  }
  return 0;
}
