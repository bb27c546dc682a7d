#include "forms/image.h"

namespace vel::forms {

Image::Image(Args a)
    : Control(init(Kind::Image, a)), picture_(std::move(a.picture)), pictureSize_(a.pictureSize) {}

}  // namespace vel::forms
