// An age update over 100,000 sample contacts with two settings rows (the contact's and the
// spouse's birth date and age) and half the computable ages stale: time and host calls per
// contact, and the whole update against the bare host calls it makes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "agewright/clsUpdateDates.h"
#include "bench/memory_files.h"
#include "forms/headless/headless.h"
#include "host/convert.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/sample.h"

namespace {

using namespace vel;
using Clock = std::chrono::steady_clock;
using host::Variant;
namespace field = standin::samplefield;

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

using bench::MemoryFiles;

constexpr const char* kFolder = "C:\\Program Files\\VMR";
constexpr int32_t kRows[2][2] = {{field::kBirthDate, field::kAge},
                                 {field::kSpouseBirthDate, field::kSpouseAge}};

// One age field of one contact that the update can compute.
struct Slot {
  size_t contact;
  int32_t ageField;
  std::string age;  // the right text
  bool stale;
};

}  // namespace

int main(int argc, char** argv) {
  size_t contacts = argc > 1 ? std::stoul(argv[1]) : 100000;
  standin::HostState state = standin::makeSampleHost({.seed = 1, .contacts = contacts});
  state.logCalls = false;
  auto host = standin::Host::inMemory(std::move(state));
  standin::InProcessConnector connector(host);

  MemoryFiles files;
  files.writeAll(platform::joinPath(kFolder, agewright::kSettingsFileName),
                 "\"Contact\",\"Birth Date\",2,1080,\"Age\",1081,\"\",\"\"\r\n"
                 "\"Spouse\",\"Spouse Birth Date\",2,1082,\"Spouse Age\",1083,\"\",\"\"\r\n");
  platform::FixedClock clock({2025, 6, 15});
  agewright::Environment env{connector, files, clock, kFolder};
  forms::Headless ui;
  forms::Application app(ui, {.title = "Agewright"});

  // Every computable age, every other one of them stale.
  std::vector<Slot> slots;
  {
    agewright::frmProgress progress(app);
    agewright::clsUpdateDates ages(env, app, progress);
    const standin::Database& db = *host->state().openDatabase();
    for (size_t i = 0; i < db.contacts.size(); ++i) {
      for (const auto& row : kRows) {
        const Variant* birth = db.contacts[i].find(row[0]);
        int16_t age = ages.CalculateAge(birth ? *birth : Variant());
        if (age == agewright::kNoAge) continue;
        slots.push_back({i, row[1], std::to_string(age), slots.size() % 2 == 1});
      }
    }
  }
  auto makeHalfStale = [&] {
    standin::Database& db = *host->state().openDatabase();
    for (const Slot& s : slots) db.contacts[s.contact].set(s.ageField, s.stale ? "stale" : s.age);
  };
  size_t staleCount =
      std::count_if(slots.begin(), slots.end(), [](const Slot& s) { return s.stale; });

  auto callsNow = [&] {
    int32_t n = 0;
    for (const char* m : {"CreateObject", "OpenEx", "isOpen", "Close", "MoveFirst", "RecordCount",
                          "Data", "edit", "Update", "MoveNext"})
      n += host->callCount(m);
    return n;
  };

  // The same host calls, made directly: what the update cannot do without.
  struct Plan {
    bool computable[2] = {false, false};
    bool stale[2] = {false, false};
  };
  std::vector<Plan> plan(contacts);
  for (const Slot& s : slots) {
    int r = s.ageField == kRows[0][1] ? 0 : 1;
    plan[s.contact].computable[r] = true;
    plan[s.contact].stale[r] = s.stale;
  }
  int32_t n = 0, bareCount = 0;
  auto bareCalls = [&] {
    makeHalfStale();
    int32_t before = callsNow();
    auto t = Clock::now();
    host::DispatchPtr db = connector.create("actole.database");
    db->call("openex", {""});
    db->call("isopen");
    db->call("Close");
    db = connector.create("actole.database");
    db->call("openex", {""});
    host::DispatchPtr table = host::objectOf(db->call("contact"), "contact");
    table->call("recordcount");
    table->call("movefirst");
    n = host::toInt32(table->call("recordcount"));
    for (int32_t k = 0; k < n; ++k) {
      table->call("recordcount");
      for (int r = 0; r < 2; ++r) {
        Variant date(kRows[r][0]), age(kRows[r][1]);
        table->call("Data", {host::Arg::ref(date)});
        if (!plan[k].computable[r]) continue;
        table->call("Data", {host::Arg::ref(age)});
        if (!plan[k].stale[r]) continue;
        int16_t value = 0;
        table->call("edit");
        table->call("Data", {host::Arg::ref(age), host::Arg::ref(value)});
        table->call("Update");
      }
      table->call("movenext");
    }
    db->call("Close");
    double s = seconds(t, Clock::now());
    bareCount = callsNow() - before;
    return s;
  };
  int32_t updateCalls = 0, tableLookups = 0;
  auto wholeUpdate = [&] {
    makeHalfStale();
    agewright::frmProgress progress(app);
    agewright::clsUpdateDates engine(env, app, progress);
    engine.UpdateScope = "All";
    int32_t before = callsNow(), lookupsBefore = host->callCount("CONTACT");
    auto t = Clock::now();
    engine.UpdateOpenFile();
    double s = seconds(t, Clock::now());
    updateCalls = callsNow() - before;
    tableLookups = host->callCount("CONTACT") - lookupsBefore;
    return s;
  };
  // Alternating rounds, the best of each, so neither gains from running second.
  double update = 1e9, bare = 1e9;
  for (int round = 0; round < 5; ++round) {
    bare = std::min(bare, bareCalls());
    update = std::min(update, wholeUpdate());
  }
  std::printf("contacts                  %d\n", n);
  std::printf("computable ages           %zu (%zu stale)\n", slots.size(), staleCount);
  std::printf("update                    %.3f s (%.0f ns per contact)\n", update, update * 1e9 / n);
  std::printf("host calls per contact    %.2f (bare: %.2f), contact table look-ups in all %d\n",
              static_cast<double>(updateCalls) / n, static_cast<double>(bareCount) / n,
              tableLookups);
  std::printf("bare host calls           %.3f s (%.0f ns per contact)\n", bare, bare * 1e9 / n);
  std::printf("overhead ratio            %.2f (update / bare host calls)\n", update / bare);
  return 0;
}
