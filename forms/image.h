#pragma once

#include <string>

#include "forms/control.h"

namespace vel::forms {

// A picture from the program's resources, drawn at its own size in the top left corner.
class Image : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    std::string picture;  // resource name
    Size pictureSize;
    bool visible = true;
  };

  const std::string& picture() const { return picture_; }
  Size pictureSize() const { return pictureSize_; }

 private:
  friend class Container;
  explicit Image(Args a);

  std::string picture_;
  Size pictureSize_;
};

}  // namespace vel::forms
