// The settings reader on any bytes: a table or nothing, never an exception.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "agewright/clsTextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto table =
      vel::agewright::parseRecords(std::string_view(reinterpret_cast<const char*>(data), size));
  if (table && (table->rowCount() < 1 || table->rowCount() > vel::agewright::kMaxSettingsRecords))
    __builtin_trap();
  return 0;
}
