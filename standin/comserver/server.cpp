// The stand-in ACT! host as a COM server: its objects exposed as IDispatch under the host's program
// identifiers, reading and writing the same host folder as the standin tool. Built into an
// in-process server (dll_main.cpp) and a local one (exe_main.cpp). For tests under Wine only;
// nothing that users install contains it.

#include <windows.h>

#include <oaidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/com/com_connector.h"
#include "platform/win32/wide.h"
#include "standin/comserver/classes.h"
#include "standin/comserver/control.h"
#include "standin/comserver/dispatch_server.h"
#include "standin/comserver/registration.h"
#include "standin/comserver/server.h"
#include "standin/host.h"
#include "standin/objects.h"

namespace vel::standin::com {
namespace {

using host::Arg;
using host::AutomationError;
using host::Variant;
using host::VarType;

std::atomic<long> g_liveObjects{0};
// Calls this process has served, for benchmarks: written whenever the last object goes.
std::atomic<long> g_invokes{0};
std::atomic<long> g_nameLookups{0};
std::atomic<long> g_locks{0};
void (*g_hold)() = nullptr;
void (*g_release)() = nullptr;

void holdProcess() {
  if (g_hold) g_hold();
}
void releaseProcess() {
  if (g_release) g_release();
}

// One host per process while any object lives; the last release closes (compacts) it.
std::mutex g_hostMutex;
std::weak_ptr<Host> g_host;

std::wstring hostFolderSetting() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"VELMORA_STANDIN_HOST", buf, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) return std::wstring(buf, n);
  return readSetting(std::wstring(kSettingsKey), std::wstring(kHostFolderValue));
}

std::shared_ptr<Host> sharedHost() {
  std::lock_guard<std::mutex> lock(g_hostMutex);
  if (auto h = g_host.lock()) return h;
  std::wstring folder = hostFolderSetting();
  if (folder.empty())
    throw AutomationError(E_FAIL, "No stand-in host folder: set VELMORA_STANDIN_HOST.", {},
                          std::string(kErrorSource));
  auto h = Host::openFolder(std::filesystem::path(folder));
  g_host = h;
  return h;
}

BSTR bstr(const std::string& s) {
  std::wstring w = win32::widen(s);
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

class Server;
void resultToVariant(const Variant& v, VARIANT& out);

// The storage behind one by-reference argument while the stand-in runs the call.
struct RefHolder {
  VARIANT* target = nullptr;  // the caller's VT_BYREF variant
  int16_t i2 = 0;
  int32_t i4 = 0;
  bool b = false;
  std::string s;
  Variant v;
};

Arg bindRef(VARIANT& in, RefHolder& h) {
  h.target = &in;
  switch (V_VT(&in) & ~VT_BYREF) {
    case VT_I2:
      h.i2 = *V_I2REF(&in);
      return Arg::ref(h.i2);
    case VT_I4:
      h.i4 = *V_I4REF(&in);
      return Arg::ref(h.i4);
    case VT_BOOL:
      h.b = *V_BOOLREF(&in) != VARIANT_FALSE;
      return Arg::ref(h.b);
    case VT_BSTR:
      h.s = vel::com::fromVariant(in).asText();
      return Arg::ref(h.s);
    default:
      h.v = vel::com::fromVariant(in);
      return Arg::ref(h.v);
  }
}

void writeBack(const RefHolder& h) {
  VARIANT& t = *h.target;
  switch (V_VT(&t) & ~VT_BYREF) {
    case VT_I2:
      *V_I2REF(&t) = h.i2;
      break;
    case VT_I4:
      *V_I4REF(&t) = h.i4;
      break;
    case VT_BOOL:
      *V_BOOLREF(&t) = h.b ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(&t));
      *V_BSTRREF(&t) = bstr(h.s);
      break;
    case VT_VARIANT:
      VariantClear(V_VARIANTREF(&t));
      resultToVariant(h.v, *V_VARIANTREF(&t));
      break;
    default: {
      // Another typed reference: written as that type, if the value converts to it.
      VARIANT tmp;
      VariantInit(&tmp);
      resultToVariant(h.v, tmp);
      VARIANT conv;
      VariantInit(&conv);
      if (SUCCEEDED(VariantChangeType(&conv, &tmp, 0, V_VT(&t) & ~VT_BYREF))) {
        VARIANT direct = t;
        V_VT(&direct) = V_VT(&t) & ~VT_BYREF;
        VariantCopyInd(&direct, &conv);
      }
      VariantClear(&tmp);
      VariantClear(&conv);
      break;
    }
  }
}

class Server : public IDispatch {
 public:
  Server(host::DispatchPtr object, bool eventControl)
      : object_(std::move(object)), eventControl_(eventControl) {
    objectMade();
  }
  virtual ~Server() { objectGone(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || isDefaultIid(riid)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    if (t) *t = nullptr;
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ++g_nameLookups;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      std::string name = win32::narrow(names[i]);
      ids[i] = DISPID_UNKNOWN;
      if (i > 0) {
        hr = DISP_E_UNKNOWNNAME;  // the stand-in's members take no named arguments
        continue;
      }
      if (eventControl_ && host::sameName(name, "IsReady")) {
        ids[i] = host::kIsReadyDispId;
      } else if (hasMember(*object_, name)) {
        ids[i] = idOf(name);
      } else {
        hr = DISP_E_UNKNOWNNAME;
      }
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT* argErr) override {
    ++g_invokes;
    if (!params) return E_INVALIDARG;
    host::CallKind kind = host::CallKind::Method;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
      kind = host::CallKind::PropertyPut;
    else if (flags == DISPATCH_PROPERTYGET)
      kind = host::CallKind::PropertyGet;

    const UINT n = params->cArgs;
    std::vector<RefHolder> holders(n);
    std::vector<Arg> args;
    args.reserve(n);
    try {
      // They arrive in reverse order; a put's named value sits first and so ends up last.
      for (UINT i = 0; i < n; ++i) {
        VARIANT& v = params->rgvarg[n - 1 - i];
        if ((V_VT(&v) & VT_BYREF) != 0)
          args.push_back(bindRef(v, holders[i]));
        else
          args.emplace_back(vel::com::fromVariant(v));
      }
      Variant out;
      if (id == host::kIsReadyDispId && eventControl_) {
        out = object_->invokeId(id, kind, args);
      } else {
        const std::string* name = nameOf(id);
        if (!name) return DISP_E_MEMBERNOTFOUND;
        out = object_->invoke(*name, kind, args);
      }
      for (UINT i = 0; i < n; ++i)
        if (holders[i].target) writeBack(holders[i]);
      if (result) {
        VariantInit(result);
        resultToVariant(out, *result);
      }
      return S_OK;
    } catch (const AutomationError& e) {
      HRESULT code = static_cast<HRESULT>(e.number());
      if (code == DISP_E_BADPARAMCOUNT || code == DISP_E_TYPEMISMATCH ||
          code == DISP_E_MEMBERNOTFOUND || code == DISP_E_UNKNOWNNAME || code == DISP_E_OVERFLOW ||
          code == DISP_E_PARAMNOTOPTIONAL) {
        if (argErr && e.argIndex() >= 0 && static_cast<UINT>(e.argIndex()) < n)
          *argErr = n - 1 - static_cast<UINT>(e.argIndex());
        return code;
      }
      if (info) {
        *info = EXCEPINFO{};
        info->scode = code;
        info->bstrSource = bstr(e.source().empty() ? std::string(kErrorSource) : e.source());
        info->bstrDescription = bstr(e.description());
      }
      return DISP_E_EXCEPTION;
    } catch (const std::exception& e) {
      if (info) {
        *info = EXCEPINFO{};
        info->scode = E_FAIL;
        info->bstrSource = bstr(std::string(kErrorSource));
        info->bstrDescription = bstr(e.what());
      }
      return DISP_E_EXCEPTION;
    }
  }

 private:
  bool isDefaultIid(REFIID riid) const {
    if (!eventControl_) return false;
    IID iid;
    std::wstring w = win32::widen(host::kActEventIid);
    return SUCCEEDED(IIDFromString(w.c_str(), &iid)) && IsEqualIID(riid, iid);
  }
  // Member identifiers start well above the event control's fixed ones.
  static constexpr DISPID kFirstId = 100;
  DISPID idOf(const std::string& name) {
    for (size_t i = 0; i < names_.size(); ++i)
      if (host::sameName(names_[i], name)) return kFirstId + static_cast<DISPID>(i);
    names_.push_back(name);
    return kFirstId + static_cast<DISPID>(names_.size() - 1);
  }
  const std::string* nameOf(DISPID id) const {
    if (id < kFirstId || static_cast<size_t>(id - kFirstId) >= names_.size()) return nullptr;
    return &names_[static_cast<size_t>(id - kFirstId)];
  }

  std::atomic<ULONG> refs_{1};
  host::DispatchPtr object_;
  bool eventControl_;
  std::vector<std::string> names_;
};

void resultToVariant(const Variant& v, VARIANT& out) {
  if (v.type() == VarType::Object && v.asObject()) {
    V_VT(&out) = VT_DISPATCH;
    V_DISPATCH(&out) = new Server(v.asObject(), false);  // the caller owns the one reference
    return;
  }
  vel::com::toVariant(v, out);
}

class Factory : public IClassFactory {
 public:
  explicit Factory(const ServedClass& c) : class_(c) {}
  virtual ~Factory() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      std::shared_ptr<Host> h = sharedHost();
      host::DispatchPtr object =
          class_.progId.empty() ? createByClsid(h, class_.clsid) : createByProgId(h, class_.progId);
      IUnknown* s = class_.progId.empty() ? newEventControl(std::move(object))
                                          : new Server(std::move(object), false);
      HRESULT hr = s->QueryInterface(riid, out);
      s->Release();
      return hr;
    } catch (const std::exception& e) {
      OutputDebugStringA(e.what());
      return E_FAIL;
    }
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++g_locks;
      holdProcess();
    } else {
      --g_locks;
      releaseProcess();
    }
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  const ServedClass& class_;
};

}  // namespace

IDispatch* newDispatchServer(host::DispatchPtr object, bool eventControl) {
  return new Server(std::move(object), eventControl);
}

HRESULT classObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ServedClass& c : kServedClasses) {
    CLSID id;
    std::wstring w = win32::widen(c.clsid);
    if (FAILED(CLSIDFromString(w.c_str(), &id)) || !IsEqualCLSID(id, clsid)) continue;
    auto* f = new Factory(c);
    HRESULT hr = f->QueryInterface(riid, out);
    f->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

void objectMade() {
  ++g_liveObjects;
  holdProcess();
}

// The totals so far, over the file named by VELMORA_STANDIN_COUNTS or, for a local server that
// COM starts with an environment of its own, by the setting CountsFile: "invokes N" and
// "getidsofnames N" lines. Neither set: nothing is written.
void writeCounts() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"VELMORA_STANDIN_COUNTS", buf, MAX_PATH * 2);
  std::wstring path = n > 0 && n < MAX_PATH * 2
                          ? std::wstring(buf, n)
                          : readSetting(std::wstring(kSettingsKey), L"CountsFile");
  if (path.empty()) return;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = "invokes " + std::to_string(g_invokes.load()) + "\ngetidsofnames " +
                     std::to_string(g_nameLookups.load()) + "\n";
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

void objectGone() {
  if (--g_liveObjects == 0) writeCounts();
  releaseProcess();
}

bool canUnload() {
  return g_liveObjects == 0 && g_locks == 0;
}

void setProcessHold(void (*hold)(), void (*release)()) {
  g_hold = hold;
  g_release = release;
}

}  // namespace vel::standin::com
