// How an error that escapes an event handler is reported, in both error modes.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "host/dispatch.h"
#include "host/error.h"
#include "tests/forms/fixtures.h"

namespace vel::forms {
namespace {

using testing::OptionsDialog;
using testing::Wizard;

class ErrorBoxMode : public ::testing::Test {
 protected:
  Headless ui;
  Application app{ui, {.title = "Velmora Contain Search", .errorMode = ErrorMode::ErrorBox}};
};

TEST_F(ErrorBoxMode, ErrorInAClickShowsOneErrorBoxAndTheWindowStaysOpen) {
  Wizard w(app);
  w.show();
  bool after = false;
  w.Button1.onClick = [&] {
    w.StatusBar1.setSimpleText("Gathering field information");
    throw host::AutomationError(host::hr::kFail, "No contact view", "CurrentFieldID");
    after = true;
  };

  ui.click(w.Button1);

  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  const MessageBoxArgs& box = ui.messageBoxes()[0].box;
  // The description alone, as the class library's box shows an automation exception; the
  // member stays readable in the error itself.
  EXPECT_EQ(box.text, "No contact view");
  EXPECT_EQ(box.caption, "Velmora Contain Search");
  EXPECT_EQ(box.buttons, Buttons::Ok);
  EXPECT_EQ(box.icon, Icon::Error);
  EXPECT_EQ(box.owner, &w);
  EXPECT_FALSE(after);
  EXPECT_TRUE(w.visible());
  EXPECT_TRUE(w.active());
  EXPECT_EQ(w.StatusBar1.simpleText(), "Gathering field information");  // nothing undone

  // The window goes on taking input.
  w.Button1.onClick = [&] { after = true; };
  ui.click(w.Button1);
  EXPECT_TRUE(after);
  EXPECT_EQ(ui.messageBoxes().size(), 1u);
}

TEST_F(ErrorBoxMode, ErrorInTheFirstActivationIsReportedOnceAndTheLaterActivationsDoNothing) {
  // The installer's shape: the whole job runs in the first activation; the error box's closing
  // activates the window again, which the program must ignore.
  Wizard w(app);
  int runs = 0;
  int activations = 0;
  bool ran = false;
  w.onActivate = [&] {
    ++activations;
    if (ran) return;
    ran = true;
    ++runs;
    throw std::runtime_error("Cannot rename \\ActCmd.INI");
  };

  w.show();

  EXPECT_EQ(runs, 1);
  EXPECT_EQ(activations, 2);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Cannot rename \\ActCmd.INI");
  EXPECT_TRUE(w.visible());
}

TEST_F(ErrorBoxMode, AnErrorBeforeTheLoopIsReportedAndEndsTheProgram) {
  bool reached = false;
  int code = app.execute([&] {
    throw host::AutomationError(host::hr::kClassNotRegistered, "Class not registered");
    reached = true;
  });

  EXPECT_EQ(code, 1);
  EXPECT_FALSE(reached);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Class not registered");
  EXPECT_EQ(ui.messageBoxes()[0].box.caption, "Velmora Contain Search");
}

TEST_F(ErrorBoxMode, ARunThatEndsNormallyReturnsZero) {
  Wizard w(app);
  w.Button2.onClick = [&] { w.close(); };
  ui.schedule([&] { ui.click(w.Button2); });

  EXPECT_EQ(app.execute([&] { app.run(w); }), 0);
  EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST_F(ErrorBoxMode, AFaultOfTheDriverIsNotTakenForAnErrorOfTheProgram) {
  Wizard w(app);
  w.show();
  w.Button2.setEnabled(false);
  w.Button1.onClick = [&] { ui.click(w.Button2); };

  EXPECT_THROW(ui.click(w.Button1), DriverError);
  EXPECT_TRUE(ui.messageBoxes().empty());
}

class RunTimeReportMode : public ::testing::Test {
 protected:
  Headless ui;
  Application app{ui, {.title = "Agewright", .errorMode = ErrorMode::RunTimeReport}};
};

TEST_F(RunTimeReportMode, ErrorInAHandlerReportsTheRunTimeErrorAndEndsTheProgram) {
  bool afterDialog = false;
  int code = app.execute([&] {
    OptionsDialog dlg(app);
    dlg.Command1.onClick = [] { throw host::typeMismatch(); };
    ui.schedule([&] { ui.click(dlg.Command1); });
    dlg.showModal();
    afterDialog = true;
  });

  EXPECT_NE(code, 0);
  EXPECT_FALSE(afterDialog);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Run-time error '13':\n\nType mismatch");
  EXPECT_EQ(ui.messageBoxes()[0].box.caption, "Agewright");
  EXPECT_EQ(ui.messageBoxes()[0].box.buttons, Buttons::Ok);
  EXPECT_TRUE(app.terminated());
}

TEST_F(RunTimeReportMode, ErrorInTheEntryProcedureIsReportedTheSameWay) {
  int code = app.execute(
      [] { throw host::AutomationError(host::hr::kInvalidClassString, "Invalid class string"); });

  EXPECT_NE(code, 0);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text,
            "Run-time error '429':\n\nActiveX component can't create object");
}

TEST_F(RunTimeReportMode, AnErrorDuringLettingEventsThroughEndsTheWholeProgram) {
  // A click handled inside processEvents, itself inside a handler: one report, and neither
  // the outer handler nor the entry procedure goes on.
  bool outerRest = false;
  bool entryRest = false;
  int code = app.execute([&] {
    testing::ProgressDialog progress(app);
    progress.show();
    progress.cmdCancel.onClick = [] { throw std::runtime_error("Disk full"); };
    testing::Wizard w(app);
    w.show();
    w.Button1.onClick = [&] {
      app.processEvents();
      outerRest = true;
    };
    ui.schedule([&] { ui.click(progress.cmdCancel); });
    ui.click(w.Button1);
    entryRest = true;
  });

  EXPECT_NE(code, 0);
  EXPECT_FALSE(outerRest);
  EXPECT_FALSE(entryRest);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Run-time error '5':\n\nDisk full");
}

TEST_F(RunTimeReportMode, NoWindowIsActivatedAgainAfterTheReport) {
  int activations = 0;
  app.execute([&] {
    Wizard w(app);
    w.onActivate = [&] { ++activations; };
    w.Button1.onClick = [] { throw host::overflowError(); };
    w.show();
    ui.click(w.Button1);
  });

  EXPECT_EQ(activations, 1);
  ASSERT_EQ(ui.messageBoxes().size(), 1u);
  EXPECT_EQ(ui.messageBoxes()[0].box.text, "Run-time error '6':\n\nOverflow");
}

struct ReportRow {
  const char* name;
  std::function<void()> raise;
  const char* text;
};

TEST(RunTimeReportText, NumberAndDescriptionOfEachKindOfError) {
  using host::AutomationError;
  namespace hr = host::hr;
  const ReportRow rows[] = {
      // Raised by the run time: its own text, whatever description came with it.
      {"run-time facility", [] { throw host::invalidUseOfNull(); },
       "Run-time error '94':\n\nInvalid use of Null"},
      {"member not found",
       [] { throw AutomationError(hr::kMemberNotFound, "Unknown name", "Fooz"); },
       "Run-time error '438':\n\nObject doesn't support this property or method"},
      {"unknown name", [] { throw AutomationError(hr::kUnknownName, "Unknown name.", "Fooz"); },
       "Run-time error '438':\n\nObject doesn't support this property or method"},
      {"class not registered",
       [] { throw AutomationError(hr::kClassNotRegistered, "Class not registered"); },
       "Run-time error '429':\n\nActiveX component can't create object"},
      {"argument of the wrong type",
       [] { throw AutomationError(hr::kTypeMismatch, "Type mismatch.", "Data", "ACT!", 0); },
       "Run-time error '13':\n\nType mismatch"},
      {"overflow", [] { throw AutomationError(hr::kOverflow, "Out of present range."); },
       "Run-time error '6':\n\nOverflow"},
      {"wrong argument count", [] { throw AutomationError(hr::kBadParamCount, ""); },
       "Run-time error '450':\n\nWrong number of arguments or invalid property assignment"},
      {"run-time error without description",
       [] { throw AutomationError(hr::kVbTypeMismatch, "", "Data"); },
       "Run-time error '13':\n\nType mismatch"},
      {"no object", [] { throw host::runTimeError(91, "Fields"); },
       "Run-time error '91':\n\nObject variable or With block variable not set"},
      {"not an object", [] { host::objectOf(host::Variant(3), "CONTACT"); },
       "Run-time error '424':\n\nObject required"},
      // Raised by the host: its description.
      {"host's own code", [] { throw AutomationError(hr::kFail, "Unspecified error"); },
       "Run-time error '-2147467259 (80004005)':\n\nUnspecified error"},
      {"host's run-time number with a source",
       [] { throw AutomationError(hr::runTime(13), "The field holds no date", "Data", "ACT!"); },
       "Run-time error '13':\n\nThe field holds no date"},
      {"host's error without description",
       [] { throw AutomationError(hr::kFail, "", "Update", "ACT!"); },
       "Run-time error '-2147467259 (80004005)':\n\nAutomation error"},
      {"host's unknown run-time number",
       [] { throw AutomationError(hr::runTime(31000), "", "Update", "ACT!"); },
       "Run-time error '31000':\n\nAutomation error"},
      {"other error", [] { throw std::out_of_range("index 7"); }, "Run-time error '5':\n\nindex 7"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      row.raise();
      ADD_FAILURE() << "nothing thrown";
    } catch (const std::exception& e) {
      EXPECT_EQ(runTimeReportText(runTimeErrorOf(e)), row.text);
    }
  }
}

TEST(ErrorBoxText, TheDescriptionAloneWithoutTheMember) {
  using host::AutomationError;
  struct Row {
    const char* name;
    std::function<void()> raise;
    const char* text;
  };
  const Row rows[] = {
      {"host exception",
       [] { throw AutomationError(host::hr::kFail, "Disk gone", "Data", "ACT!"); }, "Disk gone"},
      {"member named by the call",
       [] { throw AutomationError(host::hr::kFail, "Disk gone").withMember("Update"); },
       "Disk gone"},
      {"no description", [] { throw AutomationError(host::hr::kFail, "", "Update"); },
       "Automation error"},
      {"other error", [] { throw std::runtime_error("Cannot rename \\ActCmd.INI"); },
       "Cannot rename \\ActCmd.INI"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      row.raise();
      ADD_FAILURE() << "nothing thrown";
    } catch (const std::exception& e) {
      EXPECT_EQ(errorBoxText(e), row.text);
    }
  }
  // What debugging output reads still names the member.
  EXPECT_STREQ(AutomationError(host::hr::kFail, "Disk gone", "Update").what(), "Update: Disk gone");
}

}  // namespace
}  // namespace vel::forms
