// The age update's progress, per contact, on the screen: letting events through, the bar's
// value, the repaint of the dialog and then of the bar, and the label's caption, as the update
// does them once per contact, through the Win32 backend. Prints microseconds per contact for
// the whole and for each part alone, and for plain Win32 windows of the same sizes making the
// same updates: one that paints only what became invalid (UpdateWindow on the dialog and the
// bar) and one that invalidates, erases and repaints the dialog and its children each time.
// Also the status bar text Seekmark sets for each contact of its search.
//
//   agewright_progress_bench [CONTACTS]   (default 5000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "agewright/frmProgress.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/statusbar.h"
#include "forms/win32/win32_backend.h"
#include "forms/win32/win32_peer.h"

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

// A plain dialog window with a bar and a label where frmProgress has them.
struct Plain {
  HWND dialog, bar, label;
  Plain(HWND like, HWND likeBar, HWND likeLabel) {
    RECT d, b, l;
    GetWindowRect(like, &d);
    auto childRect = [&](HWND h, RECT& r) {
      GetWindowRect(h, &r);
      MapWindowPoints(HWND_DESKTOP, like, reinterpret_cast<POINT*>(&r), 2);
    };
    childRect(likeBar, b);
    childRect(likeLabel, l);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"PlainProgress";
    RegisterClassW(&wc);
    dialog = CreateWindowExW(0, L"PlainProgress", L"plain", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                             d.left + 40, d.top + 40, d.right - d.left, d.bottom - d.top, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, b.left, b.top,
                          b.right - b.left, b.bottom - b.top, dialog, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, l.left, l.top,
                            l.right - l.left, l.bottom - l.top, dialog, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    SendMessageW(label, WM_SETFONT, SendMessageW(likeLabel, WM_GETFONT, 0, 0), FALSE);
    UpdateWindow(dialog);
  }
  ~Plain() { DestroyWindow(dialog); }
};

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
  if (n < 1) {
    std::fprintf(stderr, "usage: agewright_progress_bench [CONTACTS]\n");
    return 2;
  }
  forms::Win32Backend ui;
  forms::Application app(ui, {.title = "Agewright"});
  agewright::frmProgress progress(app);
  forms::ProgressBar& bar = progress.ProgressBar1;
  bar.setMaximum(n);
  progress.show();
  progress.refresh();
  app.processEvents();

  auto label = [&](int i) {
    progress.Label1.setCaption("Completed " + std::to_string(i) + " of " + std::to_string(n));
  };
  // Each run starts from an empty bar and label, as a walk does.
  auto perContact = [&](const char* what, const std::function<void(int)>& step) {
    bar.setValue(bar.minimum());
    progress.Label1.setCaption("");
    app.processEvents();
    auto t = Clock::now();
    for (int i = 1; i <= n; ++i) step(i);
    double us = std::chrono::duration<double, std::micro>(Clock::now() - t).count() / n;
    std::printf("%-34s %8.1f us per contact\n", what, us);
  };

  std::printf("contacts                           %8d\n", n);
  perContact("whole progress update", [&](int i) {
    app.processEvents();
    bar.setValue(i);
    progress.refresh();
    bar.refresh();
    label(i);
  });
  perContact("letting events through", [&](int) { app.processEvents(); });
  perContact("bar value", [&](int i) { bar.setValue(i); });
  perContact("bar value, dialog and bar repaint", [&](int i) {
    bar.setValue(i);
    progress.refresh();
    bar.refresh();
  });
  perContact("label caption", label);
  perContact("label caption, events through", [&](int i) {
    label(i);
    app.processEvents();
  });

  // The plain programs: the same steps, straight to the windows.
  {
    Plain plain(forms::Win32Peer::windowOf(&progress), forms::Win32Peer::windowOf(&bar),
                forms::Win32Peer::windowOf(&progress.Label1));
    SendMessageW(plain.bar, PBM_SETRANGE32, 0, n);
    auto plainRun = [&](const char* what, bool full) {
      SendMessageW(plain.bar, PBM_SETPOS, 0, 0);
      SetWindowTextW(plain.label, L"");
      pump();
      auto t = Clock::now();
      for (int i = 1; i <= n; ++i) {
        pump();
        SendMessageW(plain.bar, PBM_SETPOS, i, 0);
        if (full) {
          const UINT all = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN;
          RedrawWindow(plain.dialog, nullptr, nullptr, all);
          RedrawWindow(plain.bar, nullptr, nullptr, all);
        } else {
          UpdateWindow(plain.dialog);
          UpdateWindow(plain.bar);
        }
        std::wstring text = L"Completed " + std::to_wstring(i) + L" of " + std::to_wstring(n);
        SetWindowTextW(plain.label, text.c_str());
      }
      double us = std::chrono::duration<double, std::micro>(Clock::now() - t).count() / n;
      std::printf("%-34s %8.1f us per contact\n", what, us);
    };
    plainRun("plain, paints what changed", false);
    plainRun("plain, full repaint", true);
  }
  progress.unload();

  // Seekmark's status text for each contact of its search, through the backend and plain.
  {
    forms::Form form(app, {.name = "Form1", .bounds = {0, 0, 400, 200}, .caption = "walk"});
    auto& status = form.add<forms::StatusBar>(
        {.name = "StatusBar1", .bounds = {0, 180, 400, 19}, .simplePanel = true});
    form.show();
    app.processEvents();
    HWND plainBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    forms::Win32Peer::windowOf(&form), nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    SendMessageW(plainBar, SB_SIMPLE, TRUE, 0);
    auto t = Clock::now();
    for (int i = 1; i <= n; ++i)
      status.setSimpleText("Processing Lookup.  Contact: " + std::to_string(i));
    double us = std::chrono::duration<double, std::micro>(Clock::now() - t).count() / n;
    std::printf("%-34s %8.1f us per contact\n", "status text", us);
    t = Clock::now();
    for (int i = 1; i <= n; ++i) {
      std::wstring text = L"Processing Lookup.  Contact: " + std::to_wstring(i);
      SendMessageW(plainBar, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    }
    us = std::chrono::duration<double, std::micro>(Clock::now() - t).count() / n;
    std::printf("%-34s %8.1f us per contact\n", "plain status text", us);
    app.processEvents();
    form.unload();
  }
  return 0;
}
