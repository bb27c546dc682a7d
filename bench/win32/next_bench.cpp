// Seekmark's "&Next >" on the screen: from the click to page two painted, the active field
// having a pop-up list of each size given, against a plain combo box window filled with the same
// list. The host is the in-process stand-in, so that the time is the forms' and the windows'.
//
//   next_bench [ENTRIES...]   (default 0 100 5000)

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms/application.h"
#include "forms/win32/win32_backend.h"
#include "seekmark/ContSearch.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/sample.h"

namespace {

using namespace vel;
using Clock = std::chrono::steady_clock;

void pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

std::string entry(int i) {
  return "Entry " + std::to_string(i);
}

double next(forms::Application& app, int entries) {
  standin::HostState state = standin::makeSampleHost({.seed = 1, .contacts = 50});
  state.logCalls = false;
  const int32_t field = standin::samplefield::kStocksFirst;
  state.ui.focusedField = field;
  for (auto& f : state.openDatabase()->fields) {
    if (f.id != field) continue;
    f.popup = std::vector<std::string>();
    for (int i = 0; i < entries; ++i) f.popup->push_back(entry(i));
  }
  auto host = standin::Host::inMemory(std::move(state));
  standin::InProcessConnector connector(host);
  seekmark::TForm1 form(app, connector);
  form.show();
  app.processEvents();
  auto t = Clock::now();
  form.Button1.click();
  app.processEvents();
  double ms = msSince(t);
  if (static_cast<int>(form.ComboBox1.items().size()) != entries)
    std::fprintf(stderr, "the list holds %zu entries, not %d\n", form.ComboBox1.items().size(),
                 entries);
  form.unload();
  app.processEvents();
  return ms;
}

double plainFill(int entries) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND box = CreateWindowExW(0, L"COMBOBOX", L"",
                             WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
                             10, 10, 200, 120, window, nullptr, GetModuleHandleW(nullptr), nullptr);
  pump();
  auto t = Clock::now();
  for (int i = 0; i < entries; ++i) {
    std::wstring w = L"Entry " + std::to_wstring(i);
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  pump();
  double ms = msSince(t);
  DestroyWindow(window);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {0, 100, 5000};
  forms::Win32Backend ui;
  forms::Application app(ui, {.title = std::string(seekmark::kApplicationTitle)});
  try {
    for (int n : sizes) {
      double a = next(app, n);
      double b = plainFill(n);
      std::printf("next %d %.3f\nfill %d %.3f\n", n, a, n, b);
    }
  } catch (const std::exception& e) {
    std::printf("error %s\n", e.what());
    return 1;
  }
  return 0;
}
