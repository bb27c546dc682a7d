// Linux has no code page of its own for the programs' files: Windows-1252, as on a western
// Windows system, unless VELMORA_CODEPAGE says 65001 (UTF-8).

#include <cstdlib>
#include <string_view>

#include "platform/codepage.h"

namespace vel::platform {

const CodePage& systemCodePage() {
  static const Windows1252 kWestern;
  static const Utf8CodePage kUtf8;
  const char* named = std::getenv("VELMORA_CODEPAGE");
  return named && std::string_view(named) == "65001" ? static_cast<const CodePage&>(kUtf8)
                                                     : kWestern;
}

}  // namespace vel::platform
