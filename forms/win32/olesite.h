#pragma once
// Our small control container: hosts an ActiveX control on a form the way a form designer's
// container does. It sites the control, initialises it, activates it in place inside the window
// it is given (unless the control is invisible at run time) and takes it down again.

#include <windows.h>

#include <ole2.h>

#include <memory>
#include <string>

#include "host/com/com_ptr.h"

namespace vel::forms {

class OleSiteImpl;

class OleSite {
 public:
  // Hosts the control behind `object` in `window`, filling its client area, or gives nothing
  // when the object is no control (no IOleObject): the caller keeps its place empty. A control
  // that fails a step throws, naming `name`.
  static std::unique_ptr<OleSite> host(IUnknown* object, HWND window, const std::string& name);

  // In-place deactivates, closes without saving, takes the site back and releases the control.
  ~OleSite();
  OleSite(const OleSite&) = delete;
  OleSite& operator=(const OleSite&) = delete;

  bool inPlaceActive() const;

 private:
  OleSite(com::ComPtr<IOleObject> control, OleSiteImpl* site, bool oleInitialised);

  com::ComPtr<IOleObject> control_;
  OleSiteImpl* site_;  // one reference of ours; the control may hold others
  bool oleInitialised_;
};

}  // namespace vel::forms
