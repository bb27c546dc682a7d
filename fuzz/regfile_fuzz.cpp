// The .reg reader on any bytes: the registry it makes, or RegFileError with a short message.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/regfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vel::platform::RegFileRegistry registry;
  try {
    registry.importText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg");
    // What a reader does next with whatever the file made.
    registry.keyExists(vel::platform::RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Install");
    if (auto key = registry.openReadOnly(vel::platform::RootKey::LocalMachine, "Software\\Vmr"))
      (void)key->readString("BinRoot");
  } catch (const vel::platform::RegFileError& e) {
    // The origin, the line number, the reason and an excerpt of the line.
    if (std::string_view(e.what()).size() > 400) __builtin_trap();
  } catch (const vel::platform::RegistryError&) {
  }
  return 0;
}
