#include "standin/comserver/control.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "host/com/com_ptr.h"
#include "host/connector.h"
#include "platform/win32/wide.h"
#include "standin/comserver/dispatch_server.h"
#include "standin/objects.h"

namespace vel::standin::com {
namespace {

using host::Arg;
using host::AutomationError;
using host::Variant;
using vel::com::ComPtr;

constexpr wchar_t kWindowClass[] = L"VelmoraStandInEventControl";
constexpr int kHimetricPerInch = 2540;

// The module this code lives in (the DLL, or the local server's executable): the window class
// belongs to it.
HINSTANCE thisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&thisModule), &m);
  return m;
}

// A framed yellow box with "ACT!" in it: plain to see on a screenshot.
LRESULT CALLBACK controlWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      HBRUSH face = CreateSolidBrush(RGB(255, 221, 0));
      FillRect(dc, &r, face);
      DeleteObject(face);
      FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 0));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, L"ACT!", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

bool registerWindowClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = controlWindowProc;
  wc.hInstance = thisModule();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HRESULT hresultOf(const AutomationError& e) {
  HRESULT hr = static_cast<HRESULT>(e.number());
  return FAILED(hr) ? hr : E_FAIL;
}

class EventControlObject : public IDispatch,
                           public IOleObject,
                           public IOleInPlaceObject,
                           public IPersistStreamInit,
                           public IOleControl,
                           public ISupportErrorInfo {
 public:
  EventControlObject(host::DispatchPtr object, std::shared_ptr<HostedControl> hosted)
      : automation_(ComPtr<IDispatch>::adopt(newDispatchServer(std::move(object), true))),
        hosted_(std::move(hosted)) {
    std::wstring w = win32::widen(host::kActEventClsid);
    CLSIDFromString(w.c_str(), &clsid_);
    // 32 × 32 pixels at 96 dpi until the container says otherwise.
    extent_ = {MulDiv(32, kHimetricPerInch, 96), MulDiv(32, kHimetricPerInch, 96)};
  }
  virtual ~EventControlObject() { destroyWindow(); }

  // --- IUnknown -------------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || isDefaultIid(riid))
      *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IOleObject))
      *out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceObject) || IsEqualIID(riid, IID_IOleWindow))
      *out = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(riid, IID_IPersistStreamInit) || IsEqualIID(riid, IID_IPersist))
      *out = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
      *out = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_ISupportErrorInfo))
      *out = static_cast<ISupportErrorInfo*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  // --- IDispatch: the host's event control, through the server's dispatch -------------------
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return automation_->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** t) override {
    return automation_->GetTypeInfo(i, lcid, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return automation_->GetIDsOfNames(riid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                   UINT* argErr) override {
    return automation_->Invoke(id, riid, lcid, flags, params, result, info, argErr);
  }

  // --- IOleObject -----------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    HRESULT hr = step("SetClientSite", {Variant(site != nullptr)}, [&] {
      site_ = ComPtr<IOleClientSite>::share(site);
      hosted_->setSited(site != nullptr);
      return S_OK;
    });
    // A control learns from its container whether it runs or is being designed.
    if (SUCCEEDED(hr) && site)
      step(
          "AmbientUserMode", {}, [&] { return S_OK; }, userMode());
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override {
    return step("Close", {Variant(static_cast<int32_t>(saveOption))}, [&] {
      if (window_) deactivate();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    if (m) *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** d) override {
    if (d) *d = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                   LPCRECT) override {
    return step("DoVerb", {Variant(static_cast<int32_t>(verb))}, [&]() -> HRESULT {
      switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
          return activate();
        case OLEIVERB_HIDE:
          if (window_) ShowWindow(window_, SW_HIDE);
          return S_OK;
        default:
          return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
      }
    });
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = clsid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* name) override {
    if (name) *name = nullptr;
    return OLE_S_USEREG;
  }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* cookie) override {
    if (cookie) *cookie = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** e) override {
    if (e) *e = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = 0;
    DWORD misc = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                 OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    if (hosted_->invisibleAtRunTime()) misc |= OLEMISC_INVISIBLEATRUNTIME;
    HRESULT hr = step(
        "GetMiscStatus", {Variant(static_cast<int32_t>(aspect))},
        [&] { return aspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT; },
        Variant(static_cast<int32_t>(misc)));
    if (hr == S_OK) *status = misc;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // --- IOleWindow, IOleInPlaceObject ------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = window_;
    return window_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
    return step("InPlaceDeactivate", {}, [&] {
      deactivate();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT) override {
    if (!pos) return E_POINTER;
    if (window_)
      SetWindowPos(window_, nullptr, pos->left, pos->top, pos->right - pos->left,
                   pos->bottom - pos->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

  // --- IPersist, IPersistStreamInit: nothing to keep ---------------------------------------------
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override { return GetUserClassID(id); }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InitNew() override {
    return step("InitNew", {}, [&] { return S_OK; });
  }

  // --- IOleControl ------------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
    if (!info) return E_POINTER;
    info->cb = sizeof *info;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

  // --- ISupportErrorInfo ------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualIID(riid, IID_IOleObject) || IsEqualIID(riid, IID_IPersistStreamInit) ||
                   IsEqualIID(riid, IID_IOleInPlaceObject)
               ? S_OK
               : S_FALSE;
  }

 private:
  // One container call, logged with the host's calls: `body` gives the HRESULT, `logged` is the
  // result the log shows. A scripted fault fails the call instead.
  HRESULT step(std::string_view member, std::vector<Variant> args,
               const std::function<HRESULT()>& body, Variant logged = Variant()) {
    std::vector<Arg> a(args.begin(), args.end());
    HRESULT hr = S_OK;
    try {
      hosted_->containerCall(member, a, [&]() -> Variant {
        hr = body();
        if (FAILED(hr))
          throw AutomationError(hr, "The control refused " + std::string(member) + ".",
                                std::string(member), std::string(kErrorSource));
        return logged;
      });
    } catch (const AutomationError& e) {
      giveErrorInfo(e.description());
      return hresultOf(e);
    } catch (const std::exception& e) {
      giveErrorInfo(e.what());
      return E_FAIL;
    }
    return hr;
  }

  // What went wrong, in words, for the container to show (it asks ISupportErrorInfo first).
  static void giveErrorInfo(const std::string& description) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.out()))) return;
    std::wstring d = win32::widen(description), s = win32::widen(kErrorSource);
    create->SetDescription(d.data());
    create->SetSource(s.data());
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.outVoid())))
      SetErrorInfo(0, info.get());
  }

  Variant userMode() {
    ComPtr<IDispatch> ambient;
    if (!site_ || FAILED(site_->QueryInterface(IID_IDispatch, ambient.outVoid()))) return Variant();
    DISPPARAMS none{};
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
    Variant out;
    if (SUCCEEDED(hr) && V_VT(&v) == VT_BOOL) out = Variant(V_BOOL(&v) != VARIANT_FALSE);
    VariantClear(&v);
    return out;
  }

  // The in-place activation a control does for its container: asks the site, takes its window
  // and place, and shows its own window there.
  HRESULT activate() {
    if (hosted_->invisibleAtRunTime()) return S_OK;  // nothing to show, ever
    if (window_) {
      ShowWindow(window_, SW_SHOWNA);
      return S_OK;
    }
    if (!site_) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> site;
    HRESULT hr = site_->QueryInterface(IID_IOleInPlaceSite, site.outVoid());
    if (FAILED(hr)) return hr;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    if (FAILED(hr = site->OnInPlaceActivate())) return hr;
    HWND parent = nullptr;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    if (FAILED(hr = site->GetWindow(&parent)) ||
        FAILED(hr = site->GetWindowContext(frame.out(), document.out(), &pos, &clip, &frameInfo))) {
      site->OnInPlaceDeactivate();
      return hr;
    }
    if (!registerWindowClass()) {
      site->OnInPlaceDeactivate();
      return HRESULT_FROM_WIN32(GetLastError());
    }
    // No WM_PARENTNOTIFY: across processes it would be sent to a thread that waits on our call.
    window_ = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kWindowClass, L"ACT!",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pos.left, pos.top,
                              pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                              thisModule(), nullptr);
    if (!window_) {
      hr = HRESULT_FROM_WIN32(GetLastError());
      site->OnInPlaceDeactivate();
      return hr;
    }
    inPlaceSite_ = site;
    hosted_->setInPlaceActive(true);
    return S_OK;
  }

  void deactivate() {
    destroyWindow();
    hosted_->setInPlaceActive(false);
    if (ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_)) site->OnInPlaceDeactivate();
  }

  void destroyWindow() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
  }

  bool isDefaultIid(REFIID riid) const {
    IID iid;
    std::wstring w = win32::widen(host::kActEventIid);
    return SUCCEEDED(IIDFromString(w.c_str(), &iid)) && IsEqualIID(riid, iid);
  }

  std::atomic<ULONG> refs_{1};
  ComPtr<IDispatch> automation_;
  std::shared_ptr<HostedControl> hosted_;
  CLSID clsid_{};
  SIZEL extent_{};
  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;  // while in-place active
  HWND window_ = nullptr;
};

}  // namespace

IUnknown* newEventControl(host::DispatchPtr object) {
  std::shared_ptr<HostedControl> hosted = hostedControl(object);
  if (!hosted) return newDispatchServer(std::move(object), true);  // not ours to show
  return static_cast<IDispatch*>(new EventControlObject(std::move(object), std::move(hosted)));
}

}  // namespace vel::standin::com
