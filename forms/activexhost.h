#pragma once
// The site of an ActiveX control placed on a form (the host's event control). The program
// creates the control through its connector and hands it over; the site keeps it as long as
// the form keeps the site.

#include <string>

#include "forms/control.h"
#include "host/dispatch.h"

namespace vel::forms {

class ActiveXHost : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    std::string clsid;  // the control's class, for a backend that embeds it in a window
    host::DispatchPtr object;
    bool visible = true;
  };

  const std::string& clsid() const { return clsid_; }
  host::Dispatch& object() const { return *object_; }
  const host::DispatchPtr& objectPtr() const { return object_; }

 private:
  friend class Container;
  explicit ActiveXHost(Args a);

  std::string clsid_;
  host::DispatchPtr object_;
};

}  // namespace vel::forms
