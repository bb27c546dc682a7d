// The stand-in's host-folder loader on any bytes: the state, or StoreError with a short message.
// The first byte picks the file: 'J' a journal (each further line a record, checksummed here
// so that the records themselves are explored), 'C' a call log, anything else host.json.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "standin/store.h"

namespace {

namespace fs = std::filesystem;

const fs::path& folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("velmora-fuzz-host-" + std::to_string(::getpid()));
    vel::standin::HostState empty;
    empty.databases["Ledger"].name = "Ledger";
    empty.ui.openDatabase = "Ledger";
    vel::standin::Store::create(d, empty);
    // Removed at exit through a path that outlives every static.
    static const auto* leftover = new fs::path(d);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(*leftover, ec);
    });
    return d;
  }();
  return dir;
}

void write(const fs::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint32_t crc32(std::string_view bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return c ^ 0xFFFFFFFFu;
}

std::string journal(std::string_view records) {
  std::string out;
  size_t pos = 0;
  while (pos <= records.size()) {
    size_t nl = records.find('\n', pos);
    if (nl == std::string_view::npos) nl = records.size();
    std::string_view rec = records.substr(pos, nl - pos);
    char sum[9];
    std::snprintf(sum, sizeof sum, "%08x", crc32(rec));
    out.append("{\"sum\":\"").append(sum).append("\",\"rec\":").append(rec).append("}\n");
    pos = nl + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  const fs::path& dir = folder();
  static const std::string snapshot = [&] {
    std::ifstream f(dir / "host.json", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }();
  char mode = in.empty() ? 0 : in[0];
  std::string_view rest = in.empty() ? in : in.substr(1);
  write(dir / "host.json", mode == 'J' || mode == 'C' ? std::string_view(snapshot) : in);
  write(dir / "journal-1.jsonl", mode == 'J' ? journal(rest) : std::string());
  write(dir / "calls.jsonl", mode == 'C' ? rest : std::string_view());
  try {
    if (mode == 'C') {
      vel::standin::Store::readCallLog(dir);
    } else {
      vel::standin::HostState state;
      vel::standin::Store::open(dir, state);
    }
  } catch (const vel::standin::StoreError& e) {
    // The folder's path, the line, the reason and a bounded excerpt.
    if (std::string_view(e.what()).size() > dir.string().size() + 400) __builtin_trap();
  }
  return 0;
}
