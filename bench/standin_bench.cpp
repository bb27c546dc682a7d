// The stand-in host's Data read rate and commit rate, in memory and kept in a host folder.
// Commit cost must stay flat as the database grows: compare the 1,000 and 100,000 rows.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "host/convert.h"
#include "standin/inprocess/inprocess_connector.h"
#include "standin/sample.h"
#include "standin/store.h"

namespace {

using namespace vel;

constexpr int32_t kNameField = 1003;
constexpr int32_t kAgeField = 1081;

struct Fixture {
  std::filesystem::path dir;
  std::shared_ptr<standin::Host> host;
  host::DispatchPtr table;

  Fixture(size_t contacts, bool persisted) {
    standin::HostState state = standin::makeSampleHost({.seed = 1, .contacts = contacts});
    state.logCalls = false;
    if (persisted) {
      dir = std::filesystem::temp_directory_path() /
            ("velmora-bench-" + std::to_string(::getpid()) + "-" + std::to_string(contacts));
      std::filesystem::remove_all(dir);
      standin::Store::create(dir, state);
      host = standin::Host::openFolder(dir);
    } else {
      host = standin::Host::inMemory(std::move(state));
    }
    standin::InProcessConnector connector(host);
    host::DispatchPtr db = connector.create("ACTOLE.DATABASE");
    db->call("OpenEx", {""});
    table = host::objectOf(db->call("CONTACT"), "CONTACT");
    table->call("MoveFirst");
  }
  ~Fixture() {
    table.reset();
    host.reset();
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }
};

void DataRead(benchmark::State& st) {
  Fixture f(static_cast<size_t>(st.range(0)), st.range(1) != 0);
  int32_t n = host::toInt32(f.table->call("RecordCount"));
  int32_t k = 0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(f.table->call("Data", {kNameField}));
    if (++k == n) {
      f.table->call("MoveFirst");
      k = 0;
    } else {
      f.table->call("MoveNext");
    }
  }
  st.counters["reads/s"] =
      benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}

void Commit(benchmark::State& st) {
  Fixture f(static_cast<size_t>(st.range(0)), st.range(1) != 0);
  int32_t n = host::toInt32(f.table->call("RecordCount"));
  int32_t k = 0;
  int16_t age = 30;
  for (auto _ : st) {
    f.table->call("edit");
    f.table->call("Data", {kAgeField, host::Arg::ref(age)});
    f.table->call("Update");
    age = static_cast<int16_t>(30 + (k % 50));
    if (++k == n) {
      f.table->call("MoveFirst");
      k = 0;
    } else {
      f.table->call("MoveNext");
    }
  }
  st.counters["commits/s"] =
      benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}

// Arguments: contacts, persisted (0 in memory, 1 host folder).
BENCHMARK(DataRead)->ArgNames({"contacts", "folder"})->Args({100000, 0})->Args({100000, 1});
BENCHMARK(Commit)
    ->ArgNames({"contacts", "folder"})
    ->Args({1000, 0})
    ->Args({100000, 0})
    ->Args({1000, 1})
    ->Args({100000, 1});

}  // namespace

BENCHMARK_MAIN();
