#include "host/com/com_connector.h"

#include <windows.h>

#include <oleauto.h>

#include <vector>

#include "platform/win32/wide.h"

namespace vel::com {

using host::Arg;
using host::AutomationError;
using host::CallKind;
using host::Variant;
using host::VarType;

namespace {

long g_nameLookups = 0;
long g_calls = 0;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string fromBstr(BSTR b) {
  return b ? win32::narrow(std::wstring_view(b, SysStringLen(b))) : "";
}

BSTR toBstr(const std::string& s) {
  std::wstring w = win32::widen(s);
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

// Frees a BSTR when it goes out of scope.
struct BstrHolder {
  BSTR b = nullptr;
  ~BstrHolder() {
    if (b) SysFreeString(b);
  }
};

// The storage behind one by-reference argument during a call.
struct RefSlot {
  VARTYPE vt = VT_EMPTY;
  SHORT i2 = 0;
  LONG i4 = 0;
  VARIANT_BOOL b = VARIANT_FALSE;
  BSTR s = nullptr;
  VARIANT v;
  RefSlot() { VariantInit(&v); }
  ~RefSlot() {
    if (s) SysFreeString(s);
    VariantClear(&v);
  }
  RefSlot(const RefSlot&) = delete;
  RefSlot& operator=(const RefSlot&) = delete;
};

void bindRef(const Arg& a, RefSlot& slot, VARIANT& out) {
  Variant cur = a.value();
  switch (a.refType()) {
    case VarType::Int16:
      slot.i2 = cur.asInt16();
      V_VT(&out) = VT_BYREF | VT_I2;
      V_I2REF(&out) = &slot.i2;
      break;
    case VarType::Int32:
      slot.i4 = cur.asInt32();
      V_VT(&out) = VT_BYREF | VT_I4;
      V_I4REF(&out) = &slot.i4;
      break;
    case VarType::Boolean:
      slot.b = cur.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
      V_VT(&out) = VT_BYREF | VT_BOOL;
      V_BOOLREF(&out) = &slot.b;
      break;
    case VarType::Text:
      slot.s = toBstr(cur.asText());
      V_VT(&out) = VT_BYREF | VT_BSTR;
      V_BSTRREF(&out) = &slot.s;
      break;
    default:
      toVariant(cur, slot.v);
      V_VT(&out) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&out) = &slot.v;
      break;
  }
}

Variant readRef(const RefSlot& slot, VarType t) {
  switch (t) {
    case VarType::Int16:
      return Variant(static_cast<int16_t>(slot.i2));
    case VarType::Int32:
      return Variant(static_cast<int32_t>(slot.i4));
    case VarType::Boolean:
      return Variant(slot.b != VARIANT_FALSE);
    case VarType::Text:
      return Variant(fromBstr(slot.s));
    default:
      return fromVariant(slot.v);
  }
}

}  // namespace

long totalNameLookups() {
  return g_nameLookups;
}

long totalCalls() {
  return g_calls;
}

ComSession::ComSession() {
  initialised_ = SUCCEEDED(CoInitialize(nullptr));
}
ComSession::~ComSession() {
  if (initialised_) CoUninitialize();
}

Variant fromVariant(const VARIANT& in) {
  const VARIANT* v = &in;
  if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  VARTYPE vt = V_VT(v);
  bool ref = (vt & VT_BYREF) != 0;
  switch (vt & ~VT_BYREF) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::null();
    case VT_BOOL:
      return Variant((ref ? *V_BOOLREF(v) : V_BOOL(v)) != VARIANT_FALSE);
    case VT_I2:
      return Variant(static_cast<int16_t>(ref ? *V_I2REF(v) : V_I2(v)));
    case VT_I4:
      return Variant(static_cast<int32_t>(ref ? *V_I4REF(v) : V_I4(v)));
    case VT_INT:
      return Variant(static_cast<int32_t>(ref ? *V_INTREF(v) : V_INT(v)));
    case VT_UI1:
      return Variant(static_cast<int16_t>(ref ? *V_UI1REF(v) : V_UI1(v)));
    case VT_I1:
      return Variant(static_cast<int16_t>(ref ? *V_I1REF(v) : V_I1(v)));
    case VT_UI2:
      return Variant(static_cast<int32_t>(ref ? *V_UI2REF(v) : V_UI2(v)));
    case VT_R8:
      return Variant(ref ? *V_R8REF(v) : V_R8(v));
    case VT_R4:
      return Variant(static_cast<double>(ref ? *V_R4REF(v) : V_R4(v)));
    case VT_DATE:
      return Variant::date(ref ? *V_DATEREF(v) : V_DATE(v));
    case VT_BSTR:
      return Variant(fromBstr(ref ? *V_BSTRREF(v) : V_BSTR(v)));
    case VT_ERROR:
      return Variant::error(static_cast<int32_t>(ref ? *V_ERRORREF(v) : V_ERROR(v)));
    case VT_DISPATCH: {
      IDispatch* d = ref ? *V_DISPATCHREF(v) : V_DISPATCH(v);
      if (!d) return Variant(host::DispatchPtr());
      return Variant(host::DispatchPtr(std::make_shared<ComDispatch>(ComPtr<IDispatch>::share(d))));
    }
    case VT_UNKNOWN: {
      IUnknown* u = ref ? *V_UNKNOWNREF(v) : V_UNKNOWN(v);
      ComPtr<IDispatch> d;
      if (u && SUCCEEDED(u->QueryInterface(IID_IDispatch, d.outVoid())))
        return Variant(host::DispatchPtr(std::make_shared<ComDispatch>(std::move(d))));
      throw AutomationError(host::hr::kVbTypeMismatch, "Type mismatch");
    }
    default: {
      // Everything else numeric (currency, decimal, unsigned) the system converts to a double.
      VARIANT d;
      VariantInit(&d);
      HRESULT hr = VariantChangeType(&d, const_cast<VARIANT*>(v), 0, VT_R8);
      if (FAILED(hr)) throw errorFrom(hr, nullptr, {});
      return Variant(V_R8(&d));
    }
  }
}

void toVariant(const Variant& in, VARIANT& out) {
  switch (in.type()) {
    case VarType::Empty:
      V_VT(&out) = VT_EMPTY;
      break;
    case VarType::Null:
      V_VT(&out) = VT_NULL;
      break;
    case VarType::Boolean:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = in.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VarType::Int16:
      V_VT(&out) = VT_I2;
      V_I2(&out) = in.asInt16();
      break;
    case VarType::Int32:
      V_VT(&out) = VT_I4;
      V_I4(&out) = in.asInt32();
      break;
    case VarType::Double:
      V_VT(&out) = VT_R8;
      V_R8(&out) = in.asDouble();
      break;
    case VarType::Date:
      V_VT(&out) = VT_DATE;
      V_DATE(&out) = in.asDate();
      break;
    case VarType::Text:
      V_VT(&out) = VT_BSTR;
      V_BSTR(&out) = toBstr(in.asText());
      break;
    case VarType::Error:
      V_VT(&out) = VT_ERROR;
      V_ERROR(&out) = in.asError();
      break;
    case VarType::Object: {
      auto* com = dynamic_cast<ComDispatch*>(in.asObject().get());
      if (in.asObject() && !com) throw AutomationError(host::hr::kVbTypeMismatch, "Type mismatch");
      V_VT(&out) = VT_DISPATCH;
      V_DISPATCH(&out) = com ? com->get() : nullptr;
      if (com) com->get()->AddRef();
      break;
    }
  }
}

AutomationError errorFrom(HRESULT hr, const EXCEPINFO* info, const std::string& member,
                          int argIndex) {
  if (hr == DISP_E_EXCEPTION && info) {
    EXCEPINFO e = *info;
    if (e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
    int32_t number = e.scode ? static_cast<int32_t>(e.scode)
                             : (e.wCode ? host::hr::runTime(e.wCode) : static_cast<int32_t>(hr));
    std::string description = fromBstr(e.bstrDescription);
    std::string source = fromBstr(e.bstrSource);
    if (e.bstrDescription) SysFreeString(e.bstrDescription);
    if (e.bstrSource) SysFreeString(e.bstrSource);
    if (e.bstrHelpFile) SysFreeString(e.bstrHelpFile);
    // An exception without a description stays without one: reports say "Automation error".
    return AutomationError(number, description, member, source, argIndex);
  }
  std::string text = win32::systemMessage(static_cast<DWORD>(hr));
  if (text.empty()) text = host::kAutomationErrorText;
  return AutomationError(static_cast<int32_t>(hr), text, member, {}, argIndex);
}

Variant ComDispatch::invoke(std::string_view member, CallKind kind, std::span<const Arg> args) {
  std::string key = lower(member);
  auto it = ids_.find(key);
  DISPID id;
  if (it != ids_.end()) {
    id = it->second;
  } else {
    std::wstring w = win32::widen(member);
    LPOLESTR names[1] = {w.data()};
    ++nameLookups_;
    ++g_nameLookups;
    HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw errorFrom(hr, nullptr, std::string(member));
    ids_.emplace(std::move(key), id);
  }
  return call(id, std::string(member), kind, args);
}

Variant ComDispatch::invokeId(int32_t dispid, CallKind kind, std::span<const Arg> args) {
  return call(dispid, "DISPID " + std::to_string(dispid), kind, args);
}

Variant ComDispatch::call(DISPID id, const std::string& member, CallKind kind,
                          std::span<const Arg> args) {
  ++g_calls;
  const size_t n = args.size();
  std::vector<VARIANT> slots(n);
  std::vector<std::unique_ptr<RefSlot>> refs(n);
  struct Clear {
    std::vector<VARIANT>& s;
    std::vector<std::unique_ptr<RefSlot>>& r;
    ~Clear() {
      // Slot j holds argument n - 1 - j; a reference's storage belongs to its RefSlot.
      const size_t n = s.size();
      for (size_t j = 0; j < n; ++j)
        if (!r[n - 1 - j]) VariantClear(&s[j]);
    }
  } clear{slots, refs};
  for (VARIANT& v : slots) VariantInit(&v);

  // Arguments travel in reverse order.
  for (size_t i = 0; i < n; ++i) {
    VARIANT& slot = slots[n - 1 - i];
    if (args[i].byRef()) {
      refs[i] = std::make_unique<RefSlot>();
      bindRef(args[i], *refs[i], slot);
    } else {
      toVariant(args[i].value(), slot);
    }
  }

  DISPPARAMS params{slots.data(), nullptr, static_cast<UINT>(n), 0};
  DISPID putId = DISPID_PROPERTYPUT;
  WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  if (kind == CallKind::PropertyGet) flags = DISPATCH_PROPERTYGET;
  if (kind == CallKind::PropertyPut) {
    flags = DISPATCH_PROPERTYPUT;
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }

  VARIANT result;
  VariantInit(&result);
  EXCEPINFO info{};
  UINT argErr = 0;
  HRESULT hr = p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                          kind == CallKind::PropertyPut ? nullptr : &result, &info, &argErr);
  if (FAILED(hr)) {
    int argIndex = -1;
    if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argErr < n)
      argIndex = static_cast<int>(n - 1 - argErr);
    VariantClear(&result);
    throw errorFrom(hr, &info, member, argIndex);
  }

  // What the server left in the references goes back into the caller's variables.
  for (size_t i = 0; i < n; ++i)
    if (refs[i]) args[i].assign(readRef(*refs[i], args[i].refType()));

  Variant out;
  try {
    out = fromVariant(result);
  } catch (...) {
    VariantClear(&result);
    throw;
  }
  VariantClear(&result);
  return out;
}

host::DispatchPtr ComConnector::create(std::string_view progId) {
  std::wstring w = win32::widen(progId);
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(w.c_str(), &clsid);
  if (FAILED(hr)) throw errorFrom(hr, nullptr, "CreateObject(" + std::string(progId) + ")");
  ComPtr<IDispatch> d;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        d.outVoid());
  if (FAILED(hr)) throw errorFrom(hr, nullptr, "CreateObject(" + std::string(progId) + ")");
  return std::make_shared<ComDispatch>(std::move(d));
}

host::DispatchPtr ComConnector::createControl(std::string_view clsidText) {
  std::wstring w = win32::widen(clsidText);
  CLSID clsid;
  HRESULT hr = CLSIDFromString(w.c_str(), &clsid);
  if (FAILED(hr)) throw errorFrom(hr, nullptr, "CreateControl(" + std::string(clsidText) + ")");
  ComPtr<IDispatch> d;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        d.outVoid());
  if (FAILED(hr)) throw errorFrom(hr, nullptr, "CreateControl(" + std::string(clsidText) + ")");
  return std::make_shared<ComDispatch>(std::move(d));
}

}  // namespace vel::com
