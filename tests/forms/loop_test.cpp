// Event loops, scheduled input, activation, closing and unloading.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/forms/fixtures.h"

namespace vel::forms {
namespace {

using testing::OptionsDialog;
using testing::ProgressDialog;
using testing::Recorder;
using testing::Wizard;

class Loops : public ::testing::Test {
 protected:
  Recorder ui;
  Application app{ui, {.title = "Agewright", .errorMode = ErrorMode::RunTimeReport}};
};

TEST_F(Loops, AScheduledClickEndsTheModalDialog) {
  OptionsDialog dlg(app);
  ui.schedule([&] { ui.click(dlg.Command2); });

  dlg.showModal();

  EXPECT_TRUE(dlg.ynCancel);
  EXPECT_FALSE(dlg.visible());
  EXPECT_TRUE(dlg.loaded());
  EXPECT_FALSE(dlg.modal());
  EXPECT_EQ(app.modalForm(), nullptr);
  EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(Loops, AModalDialogWaitingWithNothingScheduledFailsInsteadOfHanging) {
  OptionsDialog dlg(app);
  ProgressDialog other(app);

  try {
    dlg.showModal();
    FAIL() << "showModal returned";
  } catch (const DriverError& e) {
    EXPECT_EQ(std::string(e.what()),
              "headless: the modal form \"frmUpdateMain\" is waiting with nothing scheduled");
  }
  // The failed wait left no modal state behind.
  EXPECT_EQ(app.modalForm(), nullptr);
  dlg.hide();
  other.show();
  EXPECT_TRUE(other.cmdCancel.acceptsInput());
}

// The system's quit message, whichever loop sees it, unwinds the program to its entry:
// execute returns the message's code, and every form on the way is unloaded.
TEST_F(Loops, AQuitMessageEndsTheProgramFromAnyLoop) {
  struct Row {
    const char* name;
    std::function<void(Headless&, OptionsDialog&, ProgressDialog&)> drive;
  };
  const Row rows[] = {
      {"main loop", [](Headless& ui, OptionsDialog&, ProgressDialog&) { ui.postQuit(3); }},
      {"modal dialog",
       [](Headless& ui, OptionsDialog& dlg, ProgressDialog&) {
         ui.schedule([&ui] { ui.postQuit(3); });
         dlg.showModal();
       }},
      {"letting events through",
       [](Headless& ui, OptionsDialog&, ProgressDialog&) {
         ui.postQuit(3);
         ui.processEvents();
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Recorder ui;
    Application app{ui, {.title = "Agewright", .errorMode = ErrorMode::RunTimeReport}};
    bool unwound = true;
    int code = app.execute([&] {
      OptionsDialog dlg(app);
      ProgressDialog main(app);
      main.show();
      r.drive(ui, dlg, main);
      app.run(main);
      unwound = false;
    });
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(unwound) << "nothing after the loop that saw the quit ran";
    EXPECT_EQ(ui.peers(), 0) << "every form was unloaded";
    EXPECT_TRUE(ui.messageBoxes().empty()) << "a quit is no error";
  }
}

TEST_F(Loops, ShowingAVisibleFormModallyIsRefused) {
  OptionsDialog dlg(app);
  dlg.show();
  EXPECT_THROW(dlg.showModal(), std::runtime_error);
  EXPECT_EQ(app.modalForm(), nullptr);
}

TEST_F(Loops, OtherFormsTakeNoInputWhileAModalFormIsUp) {
  ProgressDialog progress(app);
  progress.show();
  OptionsDialog dlg(app);
  bool refused = false;
  ui.schedule([&] {
    try {
      ui.click(progress.cmdCancel);
    } catch (const DriverError& e) {
      refused = std::string(e.what()).find("the modal form \"frmUpdateMain\" is over it") !=
                std::string::npos;
    }
    ui.click(dlg.Command1);
  });

  dlg.showModal();

  EXPECT_TRUE(refused);
  EXPECT_FALSE(progress.CancelUpdate);
  // The peers heard that the other form's input state changed, both ways.
  EXPECT_EQ(ui.entries("Enabled frmProgress"),
            (std::vector<std::string>{"Enabled frmProgress", "Enabled frmProgress"}));
  EXPECT_TRUE(progress.cmdCancel.acceptsInput());
}

TEST_F(Loops, RunEndsWhenTheMainFormCloses) {
  Wizard w(app);
  w.Button2.onClick = [&] { w.close(); };
  ui.schedule([&] { ui.click(w.Button1); });
  ui.schedule([&] { ui.click(w.Button2); });
  int next = 0;
  w.Button1.onClick = [&] { ++next; };

  app.run(w);

  EXPECT_EQ(next, 1);
  EXPECT_FALSE(w.visible());
  EXPECT_TRUE(app.terminated());
}

TEST_F(Loops, RunWaitingWithNothingScheduledFails) {
  Wizard w(app);
  EXPECT_THROW(app.run(w), DriverError);
  EXPECT_TRUE(w.visible());  // run shows the main form
}

TEST_F(Loops, TheCloseBoxEndsTheRunWithoutRunningAnyButtonHandler) {
  Wizard w(app);
  bool cancel = false;
  std::vector<CloseAction> closes;
  w.Button2.onClick = [&] { cancel = true; };
  w.onClose = [&](CloseAction& a) { closes.push_back(a); };
  ui.schedule([&] { ui.closeBox(w); });

  app.run(w);

  EXPECT_FALSE(cancel);
  EXPECT_EQ(closes, std::vector<CloseAction>{CloseAction::Hide});
  EXPECT_TRUE(app.terminated());
}

TEST_F(Loops, ACloseThatTheFormRefusesKeepsItOpen) {
  Wizard w(app);
  w.show();
  w.onClose = [](CloseAction& a) { a = CloseAction::None; };

  ui.closeBox(w);

  EXPECT_TRUE(w.visible());
  EXPECT_FALSE(app.terminated());
}

TEST_F(Loops, ProcessEventsRunsAScheduledActionAtItsCall) {
  struct Row {
    int afterEvents;
    int expectedCall;
  };
  for (Row row : {Row{1, 1}, Row{2, 2}, Row{5, 5}}) {
    SCOPED_TRACE("afterEvents " + std::to_string(row.afterEvents));
    Recorder local;
    Application a(local);
    int ranAt = 0;
    int call = 0;
    local.schedule([&] { ranAt = call; }, row.afterEvents);
    for (call = 1; call <= 6; ++call) a.processEvents();
    EXPECT_EQ(ranAt, row.expectedCall);
  }
}

TEST_F(Loops, ActionsDueAtTheSameCallRunInTheOrderTheyWereScheduled) {
  std::vector<std::string> order;
  ui.schedule([&] { order.push_back("b"); }, 2);
  ui.schedule([&] { order.push_back("a"); }, 1);
  ui.schedule([&] { order.push_back("c"); }, 2);
  ui.schedule(
      [&] {
        order.push_back("d");
        ui.schedule([&] { order.push_back("e"); });  // counts from the call that runs d
      },
      2);

  app.processEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"a"}));
  app.processEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "d"}));
  app.processEvents();
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST_F(Loops, CancelScheduledForTheThirdLetThroughStopsTheWalkThere) {
  // The age update's shape: a modal options dialog, then a walk that lets events through once
  // per contact. The modal loop takes the first action; the Cancel keeps its count in
  // processEvents calls.
  OptionsDialog dlg(app);
  ProgressDialog progress(app);
  ui.schedule([&] { ui.click(dlg.Command1); });
  ui.schedule([&] { ui.click(progress.cmdCancel); }, 3);

  dlg.showModal();
  progress.show();
  std::vector<int> done;
  for (int i = 1; i <= 5; ++i) {
    app.processEvents();
    if (progress.CancelUpdate) break;
    progress.ProgressBar1.setValue(i);
    done.push_back(i);
  }

  EXPECT_FALSE(dlg.ynCancel);
  EXPECT_EQ(done, (std::vector<int>{1, 2}));
  EXPECT_EQ(ui.processEventsCalls(), 3);
}

TEST_F(Loops, ActivationFiresOnShowAndAgainWhenAMessageBoxGoes) {
  Wizard w(app);
  int activations = 0;
  w.onActivate = [&] { ++activations; };

  w.show();
  EXPECT_EQ(activations, 1);
  w.show();  // already active
  EXPECT_EQ(activations, 1);

  bool activeDuringBox = true;
  w.Button1.onClick = [&] {
    app.messageBox("No contacts found that match your search", "", Buttons::Ok, Icon::Information);
    activeDuringBox = ui.messageBoxes().back().box.owner == &w;
  };
  ui.click(w.Button1);

  EXPECT_EQ(activations, 2);
  EXPECT_TRUE(activeDuringBox);
  EXPECT_EQ(ui.messageBoxes().back().box.caption, "Agewright");  // empty caption: the title
  EXPECT_EQ(app.activeForm(), &w);
}

TEST_F(Loops, TheFormUnderAModalFormIsActivatedAgainWhenItCloses) {
  Wizard w(app);
  OptionsDialog dlg(app);
  std::vector<std::string> activations;
  w.onActivate = [&] { activations.push_back("Form1"); };
  dlg.onActivate = [&] { activations.push_back("frmUpdateMain"); };
  w.show();
  ui.schedule([&] { ui.click(dlg.Command1); });

  dlg.showModal();

  EXPECT_EQ(activations, (std::vector<std::string>{"Form1", "frmUpdateMain", "Form1"}));
  EXPECT_EQ(app.activeForm(), &w);
}

TEST_F(Loops, HidingTheActiveFormActivatesTheOneBeforeIt) {
  Wizard w(app);
  ProgressDialog progress(app);
  int wizardActivations = 0;
  w.onActivate = [&] { ++wizardActivations; };
  w.show();
  progress.show();
  EXPECT_EQ(app.activeForm(), &progress);

  progress.hide();

  EXPECT_EQ(app.activeForm(), &w);
  EXPECT_EQ(wizardActivations, 2);
}

TEST_F(Loops, ClickingAFormThatIsNotActiveActivatesItFirst) {
  Wizard w(app);
  ProgressDialog progress(app);
  std::vector<std::string> order;
  w.onActivate = [&] { order.push_back("activate"); };
  w.Button2.onClick = [&] { order.push_back("click"); };
  w.show();
  progress.show();

  ui.click(w.Button2);

  EXPECT_EQ(order, (std::vector<std::string>{"activate", "activate", "click"}));
  EXPECT_EQ(w.focused(), &w.Button2);
}

TEST_F(Loops, TheCloseBoxOfAVbDialogUnloadsItAndEndsItsModalDisplay) {
  auto dlg = std::make_unique<OptionsDialog>(app);
  ui.schedule([&] { ui.select(dlg->Option1_0); });
  ui.schedule([&] { ui.closeBox(*dlg); });

  dlg->showModal();

  EXPECT_FALSE(dlg->loaded());
  EXPECT_FALSE(dlg->visible());
  EXPECT_FALSE(dlg->ynCancel);
  EXPECT_TRUE(dlg->Option1_0.value());  // the old objects stay readable
  EXPECT_EQ(ui.peers(), 0);
  EXPECT_THROW(dlg->show(), std::logic_error);
  EXPECT_THROW(dlg->showModal(), std::logic_error);
  dlg->unload();  // unloading an unloaded form does nothing

  // The program reads the form again: a fresh instance, with the initial choice.
  dlg = std::make_unique<OptionsDialog>(app);
  EXPECT_FALSE(dlg->Option1_0.value());
  EXPECT_TRUE(dlg->Option1_1.value());
}

TEST_F(Loops, UnloadingTheMainFormEndsTheRun) {
  Wizard w(app);
  w.Button2.onClick = [&] { w.unload(); };
  ui.schedule([&] { ui.click(w.Button2); });

  app.run(w);

  EXPECT_FALSE(w.loaded());
  EXPECT_TRUE(app.terminated());
}

}  // namespace
}  // namespace vel::forms
