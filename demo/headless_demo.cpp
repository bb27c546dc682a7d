// The suite's three jobs on a stand-in host folder, each program run as it is built, through
// the headless forms backend, with the clicks a user would make: Menuwright registers the menu,
// Seekmark makes a Contains Lookup, Agewright updates the ages of every contact.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "agewright/clsUpdateDates.h"
#include "agewright/frmUpdateMain.h"
#include "forms/headless/headless.h"
#include "host/convert.h"
#include "menuwright/installer.h"
#include "platform/regfile.h"
#include "seekmark/ContSearch.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/menutree.h"
#include "standin/sample.h"

namespace {

using namespace vel;
namespace fs = std::filesystem;

void say(const std::string& s) {
  std::cout << "\n== " << s << "\n";
}

std::string text(const standin::Contact& c, int32_t field) {
  const host::Variant* v = c.find(field);
  return v ? host::toText(*v, host::NullRule::Lenient) : "";
}

int install(const fs::path& drives, const std::shared_ptr<standin::Host>& host) {
  say("Menuwright: backing up ACT!'s command files and registering the Vel&mora menu");
  fs::create_directories(drives / "c" / "Program Files" / "ACT");
  std::ofstream(drives / "c" / "Program Files" / "ACT" / "ActCmd.INI") << "[Commands]\r\n";
  std::ofstream(drives / "c" / "Program Files" / "ACT" / "ModMenu.act") << "menu\r\n";
  platform::RegFileRegistry registry;
  registry.importText(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Symantec\ACT!\Install]
"BinRoot"="C:\\Program Files\\ACT"

[HKEY_CURRENT_USER\Software\Symantec\ACT!]
"Query File Type"="C:\\Program Files\\ACT\\Query"
"Report, Label, Envelope File Type"="C:\\Program Files\\ACT\\Report"
"Document Template File Type"="C:\\Program Files\\ACT\\Template"
)",
                      "demo registry");
  platform::MappedFileSystem files(drives);
  forms::Headless ui;
  forms::Application app(ui);
  standin::InProcessConnector connector(host);
  int rc = menuwright::runMenuwright(app, connector, registry, files);
  for (const auto& e : fs::directory_iterator(drives / "c" / "Program Files" / "ACT"))
    if (e.is_regular_file())
      std::cout << "ACT! folder holds " << e.path().filename().string() << "\n";
  std::cout << standin::menuTree(host->state().catalogue);
  return rc;
}

int lookup(const std::shared_ptr<standin::Host>& host) {
  say("Seekmark: the user stands on Stocks Held, presses Next, types ,T, and Finish");
  host->state().ui.focusedField = standin::samplefield::kStocksFirst;
  forms::Headless ui;
  forms::Application app(ui);
  standin::InProcessConnector connector(host);
  ui.schedule([&] {
    auto* w = dynamic_cast<seekmark::TForm1*>(app.activeForm());
    ui.click(w->Button1);
    std::cout << w->Label6.caption() << "\n";
    ui.type(w->ComboBox1, ",T,");
    ui.click(w->Button1);
    std::cout << "status bar: " << w->StatusBar1.simpleText() << "\n";
  });
  int rc = seekmark::runSeekmark(app, connector);
  const auto& db = *host->state().openDatabase();
  const auto& found = host->state().ui.lookup;
  std::cout << "ACT!'s current lookup: " << (found ? found->size() : 0) << " contacts\n";
  if (found)
    for (const std::string& uid : *found) {
      const standin::Contact& c = db.contacts[*db.indexOf(uid)];
      std::string stocks;
      for (int32_t f = standin::samplefield::kStocksFirst; f <= standin::samplefield::kStocksLast;
           ++f)
        if (!text(c, f).empty()) stocks += (stocks.empty() ? "" : " ") + text(c, f);
      std::cout << "  " << uid << "  " << text(c, standin::samplefield::kContact) << "  " << stocks
                << "\n";
    }
  return rc;
}

int ages(const fs::path& drives, const std::shared_ptr<standin::Host>& host, const fs::path& dws) {
  say("Agewright: Global Age Update over all contacts");
  fs::path folder = drives / "c" / "Program Files" / "VMR";
  fs::create_directories(folder);
  fs::copy_file(dws, folder / "Ledger.dws", fs::copy_options::overwrite_existing);
  const int32_t ageFields[] = {standin::samplefield::kAge,       standin::samplefield::kSpouseAge,
                               standin::samplefield::kChild1Age, standin::samplefield::kChild2Age,
                               standin::samplefield::kChild3Age, standin::samplefield::kChild4Age};
  std::map<std::pair<size_t, int32_t>, std::string> before;
  auto& db = *host->state().openDatabase();
  for (size_t i = 0; i < db.contacts.size(); ++i)
    for (int32_t f : ageFields) before[{i, f}] = text(db.contacts[i], f);

  platform::MappedFileSystem files(drives);
  host->setFiles(std::make_unique<platform::MappedFileSystem>(drives));
  platform::SystemClock clock;
  standin::InProcessConnector connector(host);
  forms::Headless ui;
  forms::Application app(ui);
  ui.schedule([&] {
    auto* options = dynamic_cast<agewright::frmUpdateMain*>(app.activeForm());
    std::cout << "options: " << (options->Option1(1).value() ? "All Contacts" : "Current Lookup")
              << ", Update\n";
    ui.click(options->Command1);
  });
  agewright::Environment env{connector, files, clock, "C:\\Program Files\\VMR"};
  int rc = agewright::runAgewright(app, env);

  int changed = 0;
  std::cout << "contact       field  before  after\n";
  for (size_t i = 0; i < db.contacts.size(); ++i)
    for (int32_t f : ageFields) {
      std::string now = text(db.contacts[i], f);
      if (now == before[{i, f}]) continue;
      if (++changed <= 25)
        std::cout << db.contacts[i].uid() << "  " << f << "   " << before[{i, f}] << "  ->  " << now
                  << "\n";
    }
  std::cout << changed << " ages changed" << (changed > 25 ? " (first 25 shown)" : "") << "\n";
  for (const auto& b : ui.messageBoxes()) std::cout << "message: " << b.box.text << "\n";
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: headless_demo HOST_FOLDER DRIVES_FOLDER LEDGER.DWS\n";
    return 2;
  }
  try {
    auto host = standin::Host::openFolder(argv[1]);
    fs::path drives = argv[2];
    int rc = install(drives, host);
    rc |= lookup(host);
    rc |= ages(drives, host, argv[3]);
    return rc;
  } catch (const std::exception& e) {
    std::cerr << "headless_demo: " << e.what() << "\n";
    return 1;
  }
}
