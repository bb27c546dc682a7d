#pragma once
// The installer against an in-process stand-in: the host's folder under a temporary drive root,
// a registry from .reg text, a headless user interface, and readers for the AUXCMDS calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forms/headless/headless.h"
#include "menuwright/installer.h"
#include "platform/files.h"
#include "platform/regfile.h"
#include "standin/host.h"
#include "standin/inprocess/inprocess_connector.h"
#include "tests/platform/fixtures.h"

namespace vel::menuwright::testing {

constexpr std::string_view kBinRoot = "C:\\Program Files\\ACT";
constexpr std::string_view kQueryFolder = "D:\\Act Data\\Queries";
constexpr std::string_view kReportFolder = "D:\\Act Data\\Reports";
constexpr std::string_view kTemplateFolder = "D:\\Act Data\\Templates";

// A machine with ACT! installed: the install key and the user's three document folders.
inline const std::string kInstalledReg = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Symantec\ACT!\Install]
"BinRoot"="C:\\Program Files\\ACT"

[HKEY_CURRENT_USER\Software\Symantec\ACT!]
"Query File Type"="D:\\Act Data\\Queries"
"Report, Label, Envelope File Type"="D:\\Act Data\\Reports"
"Document Template File Type"="D:\\Act Data\\Templates"
)";

// Passes everything through to another file system and records what was asked; a rename of
// `failRenameOf` fails as a locked file does.
class RecordingFiles : public platform::FileSystem {
 public:
  explicit RecordingFiles(platform::FileSystem& inner) : inner_(inner) {}

  bool exists(std::string_view path) const override {
    probed.emplace_back(path);
    return inner_.exists(path);
  }
  void rename(std::string_view from, std::string_view to) override {
    renamed.push_back(std::string(from) + " -> " + std::string(to));
    if (from == failRenameOf)
      throw platform::FileError(32, "The process cannot access the file '" + std::string(from) +
                                        "' because it is being used by another process");
    inner_.rename(from, to);
  }
  std::optional<std::string> readAll(std::string_view path) const override {
    return inner_.readAll(path);
  }
  void writeAll(std::string_view path, std::string_view bytes) override {
    inner_.writeAll(path, bytes);
  }

  mutable std::vector<std::string> probed;
  std::vector<std::string> renamed;
  std::string failRenameOf;

 private:
  platform::FileSystem& inner_;
};

// Passes everything through to another registry and records each step of the reads, as
// "keyExists HKLM\\KEY", "open HKCU\\KEY", "read NAME", "close"; a key listed in `refuseOpen`
// exists but does not open.
class RecordingRegistry : public platform::Registry {
 public:
  explicit RecordingRegistry(const platform::Registry& inner) : inner_(inner) {}

  bool keyExists(platform::RootKey root, std::string_view path) const override {
    steps.push_back("keyExists " + name(root, path));
    return inner_.keyExists(root, path);
  }
  std::unique_ptr<platform::RegistryKey> openReadOnly(platform::RootKey root,
                                                      std::string_view path) const override {
    steps.push_back("open " + name(root, path));
    if (refuseOpen.count(name(root, path))) return nullptr;
    auto key = inner_.openReadOnly(root, path);
    if (!key) return nullptr;
    return std::make_unique<Key>(std::move(key), steps);
  }

  mutable std::vector<std::string> steps;
  std::set<std::string> refuseOpen;

 private:
  class Key : public platform::RegistryKey {
   public:
    Key(std::unique_ptr<platform::RegistryKey> inner, std::vector<std::string>& steps)
        : inner_(std::move(inner)), steps_(steps) {}
    ~Key() override { steps_.push_back("close"); }
    std::string readString(std::string_view valueName) const override {
      steps_.push_back("read " + std::string(valueName));
      return inner_->readString(valueName);
    }

   private:
    std::unique_ptr<platform::RegistryKey> inner_;
    std::vector<std::string>& steps_;
  };
  static std::string name(platform::RootKey root, std::string_view path) {
    return (root == platform::RootKey::LocalMachine ? "HKLM\\" : "HKCU\\") + std::string(path);
  }
  const platform::Registry& inner_;
};

// A logged call as `standin calls` prints it (without its number), so that one expected list
// serves the tests here and the run under Wine.
inline std::string describeCall(const standin::LoggedCall& c) {
  std::string s =
      c.object + "." + c.member + " [" + std::string(host::callKindName(c.kind)) + "] (";
  for (size_t i = 0; i < c.args.size(); ++i) {
    const standin::LoggedArg& a = c.args[i];
    if (i) s += ", ";
    if (a.byRef) {
      s += "ref";
      if (a.refType != host::VarType::Empty)
        s += "<" + std::string(host::typeName(a.refType)) + ">";
      s += " " + host::describe(a.value) + " -> " + host::describe(a.after);
    } else {
      s += host::describe(a.value);
    }
  }
  s += ")";
  if (c.error) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<uint32_t>(c.error));
    return s + " !! " + number + " " + c.errorText;
  }
  return s + " -> " + host::describe(c.result);
}

// A file next to the tests, split into lines.
inline std::vector<std::string> readLines(const std::string& name) {
  std::ifstream in(std::string(VELMORA_MENUWRIGHT_TESTDATA) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The first line where two lists differ, with both sides; nothing when they agree.
inline ::testing::AssertionResult sameLines(const std::vector<std::string>& expected,
                                            const std::vector<std::string>& got) {
  for (size_t i = 0; i < std::max(expected.size(), got.size()); ++i) {
    const std::string e = i < expected.size() ? expected[i] : "(nothing)";
    const std::string g = i < got.size() ? got[i] : "(nothing)";
    if (e != g)
      return ::testing::AssertionFailure()
             << "line " << i + 1 << " of " << expected.size() << " expected:\n  " << e
             << "\ngot:\n  " << g << "\n(" << got.size() << " lines in all)";
  }
  return ::testing::AssertionSuccess();
}

class Installer : public ::testing::Test {
 protected:
  Installer() {
    registry.importText(kInstalledReg);
    putFile("ActCmd.INI", "[Commands]\n");
    putFile("ModMenu.act", "menu");
  }

  // A file in the host's folder (kBinRoot).
  void putFile(const std::string& name, const std::string& bytes = "x") {
    platform::testing::writeFile(mapped.map(platform::joinPath(kBinRoot, name)), bytes);
  }
  bool hasFile(const std::string& name) const {
    return mapped.exists(platform::joinPath(kBinRoot, name));
  }

  void makeHost(standin::HostState state = {}) {
    form.reset();
    host = standin::Host::inMemory(std::move(state));
    connector = std::make_unique<standin::InProcessConnector>(host);
  }

  // Shows a new window; its first activation is the run.
  void showForm() {
    if (!host) makeHost();
    form.reset();
    form = std::make_unique<TForm1>(app, *connector, registry, files);
    form->show();
  }
  void rule(standin::Rule r) { host->state().rules.push_back(std::move(r)); }

  // The calls made of the AUXCMDS object, in order.
  std::vector<standin::LoggedCall> aux() const {
    std::vector<standin::LoggedCall> out;
    for (const auto& c : host->calls())
      if (c.object == "AuxCmds") out.push_back(c);
    return out;
  }
  std::vector<standin::LoggedCall> aux(const std::string& member) const {
    std::vector<standin::LoggedCall> out;
    for (const auto& c : aux())
      if (c.member == member) out.push_back(c);
    return out;
  }
  int count(const std::string& member) const { return static_cast<int>(aux(member).size()); }
  // The caption each call of the member names: its only text argument that is a caption.
  std::vector<std::string> captions(const std::string& member) const {
    std::vector<std::string> out;
    for (const auto& c : aux(member)) out.push_back(captionOf(c));
    return out;
  }
  static std::string captionOf(const standin::LoggedCall& c) {
    if (c.member == "AuxSubMenuExists") return c.args.at(2).value.asText();
    if (c.member == "AddAuxSubMenu" || c.member == "AddAuxCommandToMenu")
      return c.args.at(4).value.asText();
    if (c.member == "AuxCommandExists" || c.member == "AddAuxCommand")
      return c.args.at(0).value.asText();
    return c.args.at(1).value.asText();  // AuxCommandExistsInMenus, AddAuxCommandToToolbar
  }
  int toMenuCount(const std::string& caption) const {
    int n = 0;
    for (const auto& c : aux("AddAuxCommandToMenu")) n += captionOf(c) == caption;
    return n;
  }
  // The menu path of the command's AddAuxCommandToMenu call.
  std::string toMenuPath(const std::string& caption) const {
    for (const auto& c : aux("AddAuxCommandToMenu"))
      if (captionOf(c) == caption) return c.args.at(1).value.asText();
    return "(not placed)";
  }
  // Every caption the calls name, of any member.
  std::set<std::string> touched() const {
    std::set<std::string> out;
    for (const auto& c : aux()) out.insert(captionOf(c));
    return out;
  }

  std::vector<forms::Headless::ShownBox> boxes() const { return ui.messageBoxes(); }
  const standin::Catalogue& catalogue() const { return host->state().catalogue; }

  platform::testing::TempFolder drives;
  platform::MappedFileSystem mapped{drives.path()};
  RecordingFiles files{mapped};
  platform::RegFileRegistry registry;
  forms::Headless ui;
  forms::Application app{ui, {.title = std::string(kApplicationTitle)}};
  std::shared_ptr<standin::Host> host;
  std::unique_ptr<standin::InProcessConnector> connector;
  std::unique_ptr<TForm1> form;
};

}  // namespace vel::menuwright::testing
