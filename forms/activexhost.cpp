#include "forms/activexhost.h"

#include <stdexcept>

namespace vel::forms {

ActiveXHost::ActiveXHost(Args a)
    : Control(init(Kind::ActiveXHost, a)),
      clsid_(std::move(a.clsid)),
      object_(std::move(a.object)) {
  if (!object_) throw std::invalid_argument(name() + ": no control object to place");
}

}  // namespace vel::forms
