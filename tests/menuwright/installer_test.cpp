// The installer's window and its one run: the order of its steps, what the registry and the
// host's folder feed into it, and how an error ends it.

#include "menuwright/locations.h"
#include "tests/menuwright/fixture.h"

namespace vel::menuwright {
namespace {

using host::Variant;
using standin::Rule;
using testing::Installer;
using testing::kBinRoot;

TEST_F(Installer, TheWindowIsSmallBorderlessAndHoldsTheEventControl) {
  makeHost();
  TForm1 f(app, *connector, registry, files);
  EXPECT_EQ(f.name(), "Form1");
  EXPECT_EQ(f.bounds(), (forms::Rect{1, 740, 115, 50}));
  EXPECT_TRUE(f.sizeIsClient());
  EXPECT_EQ(f.borderStyle(), forms::BorderStyle::None);
  EXPECT_FALSE(f.borderIcons().systemMenu);
  EXPECT_EQ(f.color(), forms::SysColor::ButtonFace);
  EXPECT_EQ(f.ActEvent1.name(), "ActEvent1");
  EXPECT_EQ(f.ActEvent1.bounds(), (forms::Rect{4, 4, 32, 32}));
  EXPECT_EQ(f.ActEvent1.clsid(), std::string(host::kActEventClsid));
  EXPECT_TRUE(aux().empty()) << "nothing is registered before the window is activated";
  for (const auto& c : host->calls())
    EXPECT_NE(c.object, "ActEvent") << "the installer calls none of the control's members";
}

TEST_F(Installer, BackupsAreMadeBeforeTheHostIsReached) {
  putFile("ActCmd.001");
  makeHost();
  // Stop the run at its first registration call, to see what was already done by then.
  rule({.kind = Rule::Kind::Fail,
        .member = "AuxSubMenuExists",
        .number = -2147352567,
        .description = "Exception occurred."});
  showForm();
  EXPECT_TRUE(hasFile("ActCmd.002"));
  EXPECT_TRUE(hasFile("ModMenu.001"));
  EXPECT_FALSE(hasFile("ActCmd.INI"));
  ASSERT_EQ(aux().size(), 1u);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].box.text, "Exception occurred.");
  EXPECT_EQ(boxes()[0].box.caption, kApplicationTitle);
  EXPECT_TRUE(form->visible());
}

TEST_F(Installer, AFailedCreationEndsTheRunBeforeAnyMemberCall) {
  makeHost();
  rule({.kind = Rule::Kind::Fail,
        .member = "CreateObject",
        .whenText = "ACTOLE.AUXCMDS",
        .number = -2147221005,
        .description = "Invalid class string"});
  showForm();
  EXPECT_TRUE(aux().empty());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].box.icon, forms::Icon::Error);
  EXPECT_TRUE(form->visible());
  EXPECT_TRUE(hasFile("ActCmd.001")) << "the backups stay";
}

// The window cannot be made without the host's event control: the error shows and the program
// ends before its run, with nothing read, moved aside or registered.
TEST_F(Installer, WithoutTheEventControlTheProgramEndsBeforeItsRun) {
  makeHost();
  rule({.kind = Rule::Kind::Fail,
        .member = "CreateControl",
        .number = -2147221164,
        .description = "Class not registered"});
  testing::RecordingRegistry recording(registry);
  EXPECT_EQ(runMenuwright(app, *connector, recording, files), 1);
  EXPECT_TRUE(app.terminated());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].box.icon, forms::Icon::Error);
  EXPECT_EQ(boxes()[0].box.text, "Class not registered");
  EXPECT_TRUE(recording.steps.empty());
  EXPECT_TRUE(files.probed.empty());
  EXPECT_TRUE(hasFile("ActCmd.INI"));
  EXPECT_TRUE(aux().empty());
}

TEST_F(Installer, WithoutTheInstallKeyTheBoxShowsAndTheRunGoesOn) {
  registry = platform::RegFileRegistry();
  registry.importText(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n"
      "\"Query File Type\"=\"Q:\\\\Queries\"\n");
  showForm();
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].box.text, kNotInstalledText);
  EXPECT_EQ(boxes()[0].box.icon, forms::Icon::Information);
  EXPECT_EQ(boxes()[0].box.buttons, forms::Buttons::Ok);
  EXPECT_EQ(form->Locations.QueryFolder, "Q:\\Queries");
  EXPECT_EQ(form->Locations.ActBinRoot, "");
  EXPECT_TRUE(hasFile("ActCmd.INI")) << "no host folder, no backup";
  EXPECT_EQ(count("AddAuxCommand"), 57) << "the box closing does not start a second run";
  EXPECT_EQ(count("AuxSubMenuExists"), 8);
  EXPECT_FALSE(form->visible());
}

TEST_F(Installer, WithoutTheHostFolderTheRunGoesOnWithoutBackups) {
  registry = platform::RegFileRegistry();
  registry.importText(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\n"
      "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n");
  platform::testing::writeFile(mapped.map("\\ModMenu.act"), "not the host's");
  showForm();
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(files.probed.empty());
  EXPECT_TRUE(files.renamed.empty());
  EXPECT_TRUE(mapped.exists("\\ModMenu.act"));
  EXPECT_EQ(count("AddAuxCommand"), 57);
  EXPECT_FALSE(form->visible());
}

// A missing folder value is not reported: the command lines are the backslash and the name.
TEST_F(Installer, MissingFoldersLeaveCommandLinesStartingWithTheBackslash) {
  registry = platform::RegFileRegistry();
  registry.importText(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\n"
      "\"BinRoot\"=\"C:\\\\Program Files\\\\ACT\"\n"
      "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n"
      "\"Document Template File Type\"=hex(2):25,54,50,4c,25,00\n");
  showForm();
  std::map<std::string, std::string> lines;
  for (const auto& c : aux("AddAuxCommand"))
    lines[c.args.at(0).value.asText()] = c.args.at(1).value.asText();
  EXPECT_EQ(lines["&January Query"], "\\Month01.QRY");
  EXPECT_EQ(lines["5160 to &Home Address"], "\\VMR L5160 Home.lbl");
  EXPECT_EQ(lines["&Work Information"], "\\VMR R17.rep");
  EXPECT_EQ(lines["AWP Letter to &Home Address"], "%TPL%\\VMR T02.tpl");
  EXPECT_EQ(lines["Contains Loo&kup"], "C:\\Program Files\\VMR\\Seekmark.exe");
  EXPECT_TRUE(boxes().empty());
}

// A failure before the first registration call: nothing reaches the host.
TEST_F(Installer, AnErrorWhileLocatingEndsTheRunBeforeRegistration) {
  struct Row {
    const char* name;
    std::function<void()> arrange;
  };
  const Row rows[] = {
      {"a value of another type",
       [&] {
         registry.importText(
             "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n"
             "\"Query File Type\"=dword:00000010\n");
       }},
      {"a failed rename", [&] { files.failRenameOf = platform::joinPath(kBinRoot, "ActCmd.INI"); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    registry = platform::RegFileRegistry();
    registry.importText(testing::kInstalledReg);
    files.failRenameOf.clear();
    r.arrange();
    makeHost();
    const size_t boxesBefore = boxes().size();
    showForm();
    ASSERT_EQ(boxes().size(), boxesBefore + 1);
    EXPECT_EQ(boxes().back().box.icon, forms::Icon::Error);
    EXPECT_TRUE(host->calls().size() == 1u && host->calls()[0].member == "CreateControl")
        << "only the window's event control was created";
    EXPECT_TRUE(hasFile("ActCmd.INI"));
    EXPECT_TRUE(hasFile("ModMenu.act")) << "not touched after the error";
    EXPECT_TRUE(catalogue().commands.empty());
    EXPECT_TRUE(form->visible()) << "the window stays open";
  }
}

TEST_F(Installer, AFailingCallEndsTheRunAndLaterActivationsDoNothing) {
  makeHost();
  rule({.kind = Rule::Kind::Fail,
        .member = "AddAuxCommand",
        .nth = 10,
        .number = -2147352567,
        .description = "The command catalogue is full"});
  showForm();

  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].box.text, "The command catalogue is full");
  EXPECT_EQ(boxes()[0].box.icon, forms::Icon::Error);
  EXPECT_TRUE(form->visible()) << "the window stays open";

  const auto last = aux().back();
  EXPECT_EQ(last.member, "AddAuxCommand") << "nothing after the failing call";
  EXPECT_EQ(captionOf(last), "&March Query");
  EXPECT_NE(last.error, 0);
  EXPECT_EQ(catalogue().commands.size(), 9u) << "what was registered stays";
  EXPECT_EQ(catalogue().toolbar.size(), 3u);
  EXPECT_EQ(count("AddAuxCommandToMenu"), 9);
  EXPECT_EQ(count("AddAuxSubMenu"), 2);

  // The box gave the window the activation back; neither that nor a later one runs again.
  const size_t calls = host->calls().size();
  form->hide();
  form->show();
  EXPECT_EQ(host->calls().size(), calls);
  EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(Installer, TheProgramRunsOnceAndEndsWithTheWindow) {
  makeHost();
  EXPECT_EQ(runMenuwright(app, *connector, registry, files), 0);
  EXPECT_TRUE(app.terminated());
  EXPECT_EQ(count("AddAuxCommand"), 57);
  EXPECT_TRUE(hasFile("ActCmd.001"));
  EXPECT_TRUE(hasFile("ModMenu.001"));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(Installer, AFailedRunLeavesTheProgramWaitingForTheUser) {
  makeHost();
  rule({.kind = Rule::Kind::Fail,
        .member = "AddAuxSubMenu",
        .nth = 3,
        .number = -2147352567,
        .description = "Exception occurred."});
  bool openWhileWaiting = false;
  // The run is over when the loop first waits; the user then closes the window.
  ui.schedule([&] {
    openWhileWaiting = app.mainForm() && app.mainForm()->visible();
    app.mainForm()->close();
  });
  EXPECT_EQ(runMenuwright(app, *connector, registry, files), kIncompleteRun)
      << "the installer must be able to tell that the menu is incomplete";
  EXPECT_TRUE(openWhileWaiting);
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(aux().back().member, "AddAuxSubMenu");
  EXPECT_EQ(captionOf(aux().back()), "&Labels");
}

}  // namespace
}  // namespace vel::menuwright
