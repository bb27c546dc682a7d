#pragma once
// The backend without a screen: the core objects are the whole state, and a test drives the
// program as a user would and reads what it showed.
//
//   Headless ui;
//   Application app(ui, {.title = "Agewright", .errorMode = ErrorMode::RunTimeReport});
//   ui.schedule([&] { ui.click(dlg.Command1); });  // ends the modal dialog once it waits
//   ui.schedule([&] { ui.click(progress.cmdCancel); }, 3);  // at the third processEvents
//
// Scheduled actions run in the order they fall due: during processEvents, the ones due by that
// call (`afterEvents` counts the calls of processEvents from the moment of scheduling); in a
// waiting loop (a modal form, Application::run), the next one at once, due or not, since
// nothing else could happen while it waits. A loop that waits with nothing scheduled throws
// DriverError instead of hanging.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/backend.h"

namespace vel::forms {

class Button;
class ComboBox;
class OptionButton;

class Headless : public Backend {
 public:
  struct ShownBox {
    MessageBoxArgs box;  // box.owner is not to be followed once the form is gone
    Result answer;
    std::vector<std::string> formsShown;  // the forms on the screen behind it, by name
  };

  Headless();
  ~Headless() override;

  // What a user does. Each refuses (DriverError) what no user could do: input to a control
  // that is hidden, disabled, on a hidden or unloaded form, or behind a modal form.
  void click(Button& b);
  // Replaces the box's whole text, as typing over a selection does.
  void type(ComboBox& box, std::string text);
  void pick(ComboBox& box, int index);
  void select(OptionButton& o);
  // The title bar's close box; refused on a form without one.
  void closeBox(Form& f);

  void schedule(std::function<void()> action, int afterEvents = 1);
  // The system's quit message (WM_QUIT), posted by whoever wants the program gone: the waiting
  // loop or the processEvents that sees it next ends the program with this exit code.
  void postQuit(int exitCode) { quit_ = exitCode; }
  size_t pending() const { return queue_.size(); }

  // Answers for the next message boxes, in order; without one a box gets its first button.
  // An answer that is not one of the box's buttons throws DriverError when the box shows.
  void answer(Result r) { answers_.push_back(r); }
  const std::vector<ShownBox>& messageBoxes() const { return boxes_; }

  int processEventsCalls() const { return processEventsCalls_; }
  int bringToFrontCalls() const { return bringToFrontCalls_; }
  Cursor cursor() const { return cursor_; }
  // The paths of the controls repainted on request, in order ("frmProgress.ProgressBar1").
  const std::vector<std::string>& repaints() const { return repaints_; }
  int repaintCount(const Control& c) const;
  // Peers alive now: one per control of every loaded form.
  int peers() const { return peers_; }

  std::unique_ptr<Peer> createPeer(Control& control) override;
  void runLoop(std::string_view waiting, const std::function<bool()>& done) override;
  void processEvents() override;
  Result messageBox(const MessageBoxArgs& box) override;
  void setTitle(std::string_view title) override { title_ = title; }
  // The application's title as the window system would show it.
  const std::string& title() const { return title_; }
  void setCursor(Cursor c) override { cursor_ = c; }
  void bringToFront() override { ++bringToFrontCalls_; }

 private:
  class HeadlessPeer;
  struct Scheduled {
    int64_t due;  // the processEvents call it belongs to
    int64_t seq;  // ties run in the order of scheduling
    std::function<void()> action;
  };
  void requireInput(const Control& c, std::string_view what) const;
  void takeQuit();

  std::vector<Scheduled> queue_;  // sorted by (due, seq)
  int64_t seq_ = 0;
  int processEventsCalls_ = 0;
  int bringToFrontCalls_ = 0;
  std::deque<Result> answers_;
  std::string title_;
  std::vector<ShownBox> boxes_;
  Cursor cursor_ = Cursor::Default;
  std::vector<std::string> repaints_;
  int peers_ = 0;
  std::optional<int> quit_;
  std::vector<Form*> forms_;  // with a peer now; we don't own them
};

}  // namespace vel::forms
