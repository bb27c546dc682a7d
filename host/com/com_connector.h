#pragma once
// Reaches the real host through COM: objects by program identifier, members by name through
// IDispatch. Windows only; the build compiles this folder for Windows targets alone.

#include <oaidl.h>

#include <string>
#include <unordered_map>

#include "host/com/com_ptr.h"
#include "host/connector.h"

namespace vel::com {

// One CoInitialize for the program, released at its end.
class ComSession {
 public:
  ComSession();
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

 private:
  bool initialised_ = false;
};

// An IDispatch called late-bound. The DISPID of each member name is looked up once per object.
class ComDispatch : public host::Dispatch {
 public:
  explicit ComDispatch(ComPtr<IDispatch> p) : p_(std::move(p)) {}

  host::Variant invoke(std::string_view member, host::CallKind kind,
                       std::span<const host::Arg> args) override;
  host::Variant invokeId(int32_t dispid, host::CallKind kind,
                         std::span<const host::Arg> args) override;

  IDispatch* get() const { return p_.get(); }
  // How many GetIDsOfNames calls this object has made (the cache's misses).
  int nameLookups() const { return nameLookups_; }

 private:
  host::Variant call(DISPID id, const std::string& member, host::CallKind kind,
                     std::span<const host::Arg> args);
  ComPtr<IDispatch> p_;
  std::unordered_map<std::string, DISPID> ids_;  // by lower-cased name
  int nameLookups_ = 0;
};

class ComConnector : public host::Connector {
 public:
  host::DispatchPtr create(std::string_view progId) override;
  host::DispatchPtr createControl(std::string_view clsid) override;
};

// Conversions at the boundary, shared with the stand-in's COM server. toVariant copies (it adds
// references and allocates strings of its own); fromVariant reads through VT_BYREF.
host::Variant fromVariant(const VARIANT& v);
void toVariant(const host::Variant& in, VARIANT& out);  // `out` must be cleared by the caller

// An AutomationError from a failed HRESULT, with EXCEPINFO when the call raised an exception.
host::AutomationError errorFrom(HRESULT hr, const EXCEPINFO* info, const std::string& member,
                                int argIndex = -1);

// Total GetIDsOfNames calls made by every ComDispatch of this process.
long totalNameLookups();
// Total members called (Invoke) by every ComDispatch of this process.
long totalCalls();

}  // namespace vel::com
