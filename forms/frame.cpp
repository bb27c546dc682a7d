#include "forms/frame.h"

namespace vel::forms {

Frame::Frame(Args a) : Container(init(Kind::Frame, a)), caption_(std::move(a.caption)) {}

}  // namespace vel::forms
