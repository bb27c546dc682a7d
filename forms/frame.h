#pragma once

#include <string>

#include "forms/container.h"

namespace vel::forms {

// A captioned group box; the option buttons inside it form one group.
class Frame : public Container {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    std::string caption;
    bool visible = true;
    bool enabled = true;
    Font font;
  };

  const std::string& caption() const { return caption_; }

 private:
  friend class Container;
  explicit Frame(Args a);

  std::string caption_;
};

}  // namespace vel::forms
