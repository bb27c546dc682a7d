#include "platform/regional.h"

namespace vel::platform {

const Regional& systemRegional() {
  static const PortableRegional kPortable;
  return kPortable;
}

}  // namespace vel::platform
