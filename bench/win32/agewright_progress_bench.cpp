// The age update's progress, per contact, on the screen: letting events through, the bar's
// value, the repaint of the dialog and then of the bar, and the label's caption, as the update
// does them once per contact, through the Win32 backend. Prints microseconds per contact for
// the whole and for each part alone.
//
//   agewright_progress_bench [CONTACTS]   (default 5000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "agewright/frmProgress.h"
#include "forms/application.h"
#include "forms/win32/win32_backend.h"

namespace {

using namespace vel;
using Clock = std::chrono::steady_clock;

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
  progress.unload();
  return 0;
}
