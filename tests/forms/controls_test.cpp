// The controls' own rules, and what they tell their peers.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "forms/activexhost.h"
#include "tests/forms/fixtures.h"

namespace vel::forms {
namespace {

using testing::OptionsDialog;
using testing::ProgressDialog;
using testing::Recorder;
using testing::Wizard;
using Strings = std::vector<std::string>;

class Controls : public ::testing::Test {
 protected:
  Recorder ui;
  Application app{ui, {.title = "Velmora Contain Search"}};
};

TEST(Twips, FifteenTwipsToThePixelRoundedToTheNearest) {
  struct Row {
    int twips;
    int pixels;
  };
  for (Row row : {Row{0, 0}, Row{15, 1}, Row{7, 0}, Row{8, 1}, Row{22, 1}, Row{23, 2},
                  Row{2175, 145}, Row{4215, 281}, Row{-8, -1}, Row{-7, 0}}) {
    EXPECT_EQ(twips(row.twips), row.pixels) << row.twips << " twips";
  }
  EXPECT_EQ(twipsRect(240, 240, 2175, 1215), (Rect{16, 16, 145, 81}));
}

TEST_F(Controls, TypingFiresOnChangeButSettingTheTextFromCodeDoesNot) {
  Wizard w(app);
  w.show();
  w.Panel1.setVisible(false);
  w.Panel2.setVisible(true);
  Strings seen;
  w.ComboBox1.onChange = [&] { seen.push_back(w.ComboBox1.text()); };

  w.ComboBox1.setText("from code");
  ui.type(w.ComboBox1, "IBM");
  ui.type(w.ComboBox1, "IBM");  // the same text: nothing changed
  ui.type(w.ComboBox1, "");

  EXPECT_EQ(seen, (Strings{"IBM", ""}));
  EXPECT_EQ(w.focused(), &w.ComboBox1);
  // Only the change from code reached the peer: typed text is on screen already.
  EXPECT_EQ(ui.entries("Text "), (Strings{"Text Form1.ComboBox1"}));
}

TEST_F(Controls, PickingAListEntryTakesItsTextAndFiresOnChange) {
  Wizard w(app);
  w.show();
  w.Panel1.setVisible(false);
  w.Panel2.setVisible(true);
  w.ComboBox1.addItem("Atlanta");
  w.ComboBox1.addItem("Boston");
  Strings seen;
  w.ComboBox1.onChange = [&] { seen.push_back(w.ComboBox1.text()); };

  ui.pick(w.ComboBox1, 1);
  ui.pick(w.ComboBox1, 0);

  EXPECT_EQ(seen, (Strings{"Boston", "Atlanta"}));
  EXPECT_THROW(ui.pick(w.ComboBox1, 2), DriverError);
  EXPECT_THROW(w.ComboBox1.pick(-1), std::out_of_range);
  EXPECT_EQ(w.ComboBox1.text(), "Atlanta");
}

TEST_F(Controls, TheStyleChangesAtRunTimeAndKeepsTextAndList) {
  Wizard w(app);
  w.ComboBox1.addItem("x");
  w.ComboBox1.setText("typed");
  ui.log.clear();

  w.ComboBox1.setStyle(ComboStyle::Simple);
  w.ComboBox1.setStyle(ComboStyle::Simple);

  EXPECT_EQ(w.ComboBox1.style(), ComboStyle::Simple);
  EXPECT_EQ(w.ComboBox1.text(), "typed");
  EXPECT_EQ(w.ComboBox1.items(), Strings{"x"});
  EXPECT_EQ(ui.log, Strings{"Style Form1.ComboBox1"});
}

TEST_F(Controls, TypingIntoASimpleBoxStillFiresOnChange) {
  Wizard w(app);
  w.show();
  w.Panel1.setVisible(false);
  w.Panel2.setVisible(true);
  w.ComboBox1.setStyle(ComboStyle::Simple);
  int changes = 0;
  w.ComboBox1.onChange = [&] { ++changes; };

  ui.type(w.ComboBox1, "T");

  EXPECT_EQ(changes, 1);
}

TEST_F(Controls, OptionButtonsOfOneContainerExcludeEachOther) {
  OptionsDialog dlg(app);
  EXPECT_FALSE(dlg.Option1_0.value());
  EXPECT_TRUE(dlg.Option1_1.value());  // as created
  ui.log.clear();

  dlg.Option1_0.setValue(true);
  EXPECT_TRUE(dlg.Option1_0.value());
  EXPECT_FALSE(dlg.Option1_1.value());
  EXPECT_EQ(ui.log, (Strings{"Value frmUpdateMain.Option1(1)", "Value frmUpdateMain.Option1(0)"}));

  dlg.show();
  ui.select(dlg.Option1_1);
  EXPECT_FALSE(dlg.Option1_0.value());
  EXPECT_TRUE(dlg.Option1_1.value());
  EXPECT_EQ(dlg.focused(), &dlg.Option1_1);

  dlg.Option1_1.setValue(false);  // clearing one selects no other
  EXPECT_FALSE(dlg.Option1_0.value());
  EXPECT_FALSE(dlg.Option1_1.value());
}

TEST_F(Controls, OptionButtonsOfDifferentContainersAreSeparateGroups) {
  OptionsDialog dlg(app);
  OptionButton& loose = dlg.add<OptionButton>(
      {.name = "Option2", .bounds = {0, 0, 10, 10}, .caption = "Loose", .value = true});

  EXPECT_TRUE(dlg.Option1_1.value());
  dlg.Option1_0.setValue(true);
  EXPECT_TRUE(loose.value());
}

TEST_F(Controls, TheProgressValueStaysWithinTheRange) {
  struct Row {
    const char* name;
    int minimum, maximum, value;
    int expectedValue;
  };
  const Row rows[] = {
      {"inside", 0, 100, 40, 40},  {"above", 0, 100, 150, 100},
      {"below", 10, 100, 3, 10},   {"at the maximum", 0, 7, 7, 7},
      {"empty range", 0, 0, 1, 0}, {"negative range", -10, -5, 0, -5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ProgressDialog p(app);
    ProgressBar& bar = p.ProgressBar1;
    bar.setMinimum(row.minimum);  // every row's minimum lies within the preset range
    bar.setMaximum(row.maximum);
    bar.setValue(row.value);
    EXPECT_EQ(bar.value(), row.expectedValue);
  }
}

TEST_F(Controls, MovingTheRangePastTheValueMovesTheValue) {
  ProgressDialog p(app);
  ProgressBar& bar = p.ProgressBar1;
  bar.setValue(80);
  ui.log.clear();

  bar.setMaximum(50);
  EXPECT_EQ(bar.value(), 50);
  EXPECT_EQ(ui.log, (Strings{"Range frmProgress.ProgressBar1", "Value frmProgress.ProgressBar1"}));

  bar.setMaximum(70);
  bar.setMinimum(60);
  EXPECT_EQ(bar.value(), 60);
}

TEST_F(Controls, ARangeBelowItsMinimumIsRefusedAndChangesNothing) {
  ProgressDialog p(app);
  ProgressBar& bar = p.ProgressBar1;
  bar.setValue(30);

  EXPECT_THROW(bar.setMaximum(-1), std::invalid_argument);
  EXPECT_THROW(bar.setMinimum(101), std::invalid_argument);

  EXPECT_EQ(bar.minimum(), 0);
  EXPECT_EQ(bar.maximum(), 100);
  EXPECT_EQ(bar.value(), 30);
}

TEST_F(Controls, RefreshRepaintsOnRequestInTheOrderAsked) {
  ProgressDialog p(app);
  p.show();
  for (int i = 1; i <= 2; ++i) {
    p.ProgressBar1.setValue(i);
    p.refresh();
    p.ProgressBar1.refresh();
  }

  EXPECT_EQ(ui.repaints(), (Strings{"frmProgress", "frmProgress.ProgressBar1", "frmProgress",
                                    "frmProgress.ProgressBar1"}));
  EXPECT_EQ(ui.repaintCount(p.ProgressBar1), 2);
}

TEST_F(Controls, FocusNeedsAControlThatCanTakeIt) {
  Wizard w(app);
  EXPECT_EQ(w.focused(), &w.Button1);  // set before the form showed
  w.focus(w.ComboBox1);                // on a hidden page: allowed before the form shows
  EXPECT_EQ(w.focused(), &w.ComboBox1);
  w.show();

  EXPECT_THROW(w.focus(w.ComboBox1), std::runtime_error);
  w.Button2.setEnabled(false);
  EXPECT_THROW(w.focus(w.Button2), std::runtime_error);
  EXPECT_THROW(w.focus(w.Label1), std::invalid_argument);
  Wizard other(app);
  EXPECT_THROW(w.focus(other.Button1), std::invalid_argument);
  EXPECT_EQ(w.focused(), &w.ComboBox1);

  ui.log.clear();
  w.focus(w.Button1);
  EXPECT_EQ(w.focused(), &w.Button1);
  EXPECT_EQ(ui.log, Strings{"Focus Form1"});
}

TEST_F(Controls, PeersFollowTheControlsFromCreationToUnload) {
  {
    OptionsDialog dlg(app);
    EXPECT_EQ(ui.entries("create "),
              (Strings{"create frmUpdateMain", "create frmUpdateMain.Frame1",
                       "create frmUpdateMain.Option1(0)", "create frmUpdateMain.Option1(1)",
                       "create frmUpdateMain.Command1", "create frmUpdateMain.Command2"}));
    EXPECT_EQ(ui.peers(), 6);
    dlg.show();
    ui.log.clear();

    dlg.unload();

    EXPECT_EQ(ui.log, (Strings{"Visible frmUpdateMain", "destroy frmUpdateMain.Command2",
                               "destroy frmUpdateMain.Command1", "destroy frmUpdateMain.Option1(1)",
                               "destroy frmUpdateMain.Option1(0)", "destroy frmUpdateMain.Frame1",
                               "destroy frmUpdateMain"}));
    ui.log.clear();
    dlg.Command1.setCaption("later");  // no peer to tell
    EXPECT_TRUE(ui.log.empty());
    EXPECT_EQ(dlg.Command1.caption(), "later");
  }
  // A form that goes out of scope loaded frees its peers too.
  {
    ProgressDialog p(app);
    EXPECT_EQ(ui.peers(), 4);
  }
  EXPECT_EQ(ui.peers(), 0);
}

TEST_F(Controls, ChangesReachThePeerOnlyWhenTheValueChanges) {
  Wizard w(app);
  ui.log.clear();

  w.Label1.setCaption(" Click Finish when ready or Cancel to exit");
  w.Label1.setCaption(" Click Finish when ready or Cancel to exit");
  w.Button1.setCaption("&Finish");
  w.Button1.setEnabled(false);
  w.Button1.setEnabled(false);
  w.StatusBar1.setSimpleText("Waiting for your input");
  w.setCaption("Velmora Contains Lookup Wizard");  // unchanged

  EXPECT_EQ(ui.log, (Strings{"Caption Form1.Label1", "Caption Form1.Button1",
                             "Enabled Form1.Button1", "Text Form1.StatusBar1"}));
}

TEST_F(Controls, ControlsAreFoundByNameAndIndexAndNamedByTheirPath) {
  OptionsDialog dlg(app);

  EXPECT_EQ(dlg.find("Option1", 0), &dlg.Option1_0);
  EXPECT_EQ(dlg.find("Option1", 1), &dlg.Option1_1);
  EXPECT_EQ(dlg.find("Command2"), &dlg.Command2);
  EXPECT_EQ(dlg.find("Option1"), nullptr);
  EXPECT_EQ(dlg.Option1_1.path(), "frmUpdateMain.Option1(1)");
  EXPECT_EQ(&dlg.Option1_1.form(), &dlg);
  EXPECT_EQ(dlg.Option1_1.parent(), &dlg.Frame1);
}

TEST_F(Controls, TheFormKeepsItsTableSettings) {
  OptionsDialog dlg(app);
  EXPECT_EQ(dlg.bounds(), (Rect{0, 0, 178, 138}));
  EXPECT_TRUE(dlg.sizeIsClient());
  EXPECT_TRUE(dlg.hasCloseBox());
  EXPECT_FALSE(dlg.borderIcons().minimize);
  EXPECT_EQ(dlg.Command2.bounds(), (Rect{96, 104, 65, 25}));

  ProgressDialog p(app);
  EXPECT_FALSE(p.hasCloseBox());
  EXPECT_EQ(p.caption(), "Age Update  Progress");

  Wizard w(app);
  EXPECT_FALSE(w.sizeIsClient());
  EXPECT_EQ(w.Label4.font().size, 10);
  EXPECT_EQ(w.Label4.font().name, "MS Sans Serif");
  EXPECT_FALSE(w.Label4.showAccelChar());
  EXPECT_EQ(w.Label4.color(), SysColor::ButtonFace);
}

class FakeControl : public host::Dispatch {
 public:
  host::Variant invoke(std::string_view member, host::CallKind,
                       std::span<const host::Arg>) override {
    return host::Variant(std::string(member));
  }
};

TEST_F(Controls, AnActiveXSiteHoldsTheControlItWasGiven) {
  Wizard w(app);
  auto object = std::make_shared<FakeControl>();
  ActiveXHost& site = w.add<ActiveXHost>({.name = "ActEvent1",
                                          .bounds = {0, 304, 32, 32},
                                          .clsid = "{7A769383-0D93-11D1-B268-444553540000}",
                                          .object = object});

  EXPECT_EQ(site.objectPtr(), object);
  EXPECT_EQ(site.object().call("IsReady"), host::Variant("IsReady"));
  EXPECT_THROW(w.add<ActiveXHost>({.name = "ActEvent2", .bounds = {}}), std::invalid_argument);
}

}  // namespace
}  // namespace vel::forms
