// The headless driver: it refuses what no user could do, and scripts and records the rest.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/forms/fixtures.h"

namespace vel::forms {
namespace {

using testing::OptionsDialog;
using testing::ProgressDialog;
using testing::Wizard;

class Driver : public ::testing::Test {
 protected:
  Headless ui;
  Application app{ui, {.title = "Agewright"}};
};

TEST_F(Driver, InputNoUserCouldGiveIsRefusedAndRunsNoHandler) {
  struct Row {
    const char* name;
    std::function<void(Wizard&)> arrange;
    const char* reason;
  };
  const Row rows[] = {
      {"button disabled", [](Wizard& w) { w.Button1.setEnabled(false); }, "it is disabled"},
      {"button hidden", [](Wizard& w) { w.Button1.setVisible(false); }, "it is hidden"},
      {"form hidden", [](Wizard& w) { w.hide(); }, "its form is hidden"},
      {"form disabled", [](Wizard& w) { w.setEnabled(false); }, "its form is disabled"},
      {"form unloaded", [](Wizard& w) { w.unload(); }, "its form is unloaded"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Wizard w(app);
    w.show();
    bool clicked = false;
    w.Button1.onClick = [&] { clicked = true; };
    row.arrange(w);
    try {
      ui.click(w.Button1);
      ADD_FAILURE() << "the click was taken";
    } catch (const DriverError& e) {
      EXPECT_EQ(std::string(e.what()),
                std::string("headless: cannot click \"Form1.Button1\": ") + row.reason);
    }
    EXPECT_FALSE(clicked);
  }
}

TEST_F(Driver, InputToAControlOnAHiddenOrDisabledContainerIsRefused) {
  Wizard w(app);
  w.show();
  EXPECT_THROW(ui.type(w.ComboBox1, "x"), DriverError);  // page two hidden
  w.Panel1.setVisible(false);
  w.Panel2.setVisible(true);
  w.Panel2.setEnabled(false);
  try {
    ui.pick(w.ComboBox1, 0);
    ADD_FAILURE() << "the pick was taken";
  } catch (const DriverError& e) {
    EXPECT_EQ(std::string(e.what()),
              "headless: cannot pick from \"Form1.ComboBox1\": its container \"Panel2\" is "
              "disabled");
  }
  EXPECT_EQ(w.ComboBox1.text(), "");
}

TEST_F(Driver, AFormWithoutACloseBoxCannotBeClosedByIt) {
  ProgressDialog p(app);
  p.show();
  EXPECT_THROW(ui.closeBox(p), DriverError);
  EXPECT_TRUE(p.visible());
  EXPECT_TRUE(p.loaded());
}

TEST_F(Driver, AMessageBoxGetsItsFirstButtonUnlessAnswered) {
  struct Row {
    Buttons buttons;
    Result first;
  };
  for (Row row :
       {Row{Buttons::Ok, Result::Ok}, Row{Buttons::OkCancel, Result::Ok},
        Row{Buttons::YesNo, Result::Yes}, Row{Buttons::YesNoCancel, Result::Yes},
        Row{Buttons::RetryCancel, Result::Retry}, Row{Buttons::AbortRetryIgnore, Result::Abort}}) {
    Result got = app.messageBox("text", "", row.buttons);
    EXPECT_EQ(got, row.first) << "expected " << resultName(row.first) << ", got "
                              << resultName(got);
  }
}

TEST_F(Driver, ScriptedAnswersAreTakenInOrderAndLogged) {
  ui.answer(Result::No);
  ui.answer(Result::Cancel);

  EXPECT_EQ(app.messageBox("Replace?", "Menuwright", Buttons::YesNo, Icon::Question), Result::No);
  EXPECT_EQ(app.messageBox("Go on?", "", Buttons::OkCancel), Result::Cancel);
  EXPECT_EQ(app.messageBox("No Age Data Found"), Result::Ok);

  ASSERT_EQ(ui.messageBoxes().size(), 3u);
  const auto& first = ui.messageBoxes()[0];
  EXPECT_EQ(first.box.text, "Replace?");
  EXPECT_EQ(first.box.caption, "Menuwright");
  EXPECT_EQ(first.box.buttons, Buttons::YesNo);
  EXPECT_EQ(first.box.icon, Icon::Question);
  EXPECT_EQ(first.answer, Result::No);
  EXPECT_EQ(ui.messageBoxes()[2].box.caption, "Agewright");
  EXPECT_EQ(ui.messageBoxes()[2].box.icon, Icon::None);
}

TEST_F(Driver, AnAnswerThatIsNotAButtonOfTheBoxIsRefused) {
  ui.answer(Result::Yes);
  EXPECT_THROW(app.messageBox("No contacts found that match your search"), DriverError);
}

TEST_F(Driver, ScheduleRefusesAnEarlierMomentThanTheNextCall) {
  EXPECT_THROW(ui.schedule([] {}, 0), DriverError);
  EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(Driver, CursorAndBringToFrontAreRecorded) {
  EXPECT_EQ(app.cursor(), Cursor::Default);
  Cursor saved = app.cursor();
  app.setCursor(Cursor::HourGlass);
  EXPECT_EQ(ui.cursor(), Cursor::HourGlass);
  EXPECT_EQ(app.cursor(), Cursor::HourGlass);
  app.setCursor(saved);
  EXPECT_EQ(ui.cursor(), Cursor::Default);

  app.bringToFront();
  app.bringToFront();
  EXPECT_EQ(ui.bringToFrontCalls(), 2);
}

}  // namespace
}  // namespace vel::forms
