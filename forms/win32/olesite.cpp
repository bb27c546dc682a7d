#include "forms/win32/olesite.h"

#include <ocidl.h>
#include <olectl.h>

#include <atomic>

#include "host/com/com_connector.h"
#include "platform/win32/wide.h"

namespace vel::forms {

using com::ComPtr;

namespace {

constexpr int kHimetricPerInch = 2540;

// The form as the control's in-place frame. The suite's forms have no menus, toolbars or status
// texts to share, so the frame offers the control none of them.
class Frame : public IOleInPlaceFrame {
 public:
  explicit Frame(HWND window) : window_(window) {}
  virtual ~Frame() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
      *out = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths) override {
    if (widths)
      for (LONG& w : widths->width) w = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  std::atomic<ULONG> refs_{1};
  HWND window_;
};

BSTR bstr(const std::wstring& w) {
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

}  // namespace

// The control's site: what a control may call on its container. It knows the window the control
// sits in, and the control itself only between hosting and teardown.
class OleSiteImpl : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleControlSite,
                    public IDispatch {
 public:
  OleSiteImpl(HWND window, std::wstring name) : window_(window), name_(std::move(name)) {}
  virtual ~OleSiteImpl() = default;

  void attach(ComPtr<IOleObject> control) { control_ = std::move(control); }
  // The control is going: no further call reaches it through us, and we hold nothing of it.
  void detach() {
    control_.reset();
    window_ = nullptr;
  }
  bool active() const { return active_; }

  // --- IUnknown -------------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
      *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow))
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(riid, IID_IOleControlSite))
      *out = static_cast<IOleControlSite*>(this);
    else if (IsEqualIID(riid, IID_IDispatch))
      *out = static_cast<IDispatch*>(this);
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

  // --- IOleClientSite: nothing to save, no document around the form ---------------------------
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    if (m) *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // --- IOleWindow, IOleInPlaceSite --------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = window_;
    return window_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    active_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    if (frame) *frame = nullptr;
    if (doc) *doc = nullptr;  // the frame is the document window too
    if (!frame || !pos || !clip || !info || !window_) return E_INVALIDARG;
    HWND top = GetAncestor(window_, GA_ROOT);
    *frame = new Frame(top ? top : window_);
    GetClientRect(window_, pos);
    *clip = *pos;
    // Across processes the caller's cb does not come along: it is ours to fill.
    info->cb = sizeof *info;
    info->fMDIApp = FALSE;
    info->hwndFrame = top;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    active_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  // The form decides where its controls sit: the control is told its place again.
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override {
    ComPtr<IOleInPlaceObject> inPlace;
    if (!control_ || !window_ ||
        FAILED(control_->QueryInterface(IID_IOleInPlaceObject, inPlace.outVoid())))
      return E_UNEXPECTED;
    RECT r;
    GetClientRect(window_, &r);
    return inPlace->SetObjectRects(&r, &r);
  }

  // --- IOleControlSite --------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** d) override {
    if (d) *d = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container,
                                            DWORD flags) override {
    if (!himetric || !container) return E_POINTER;
    // The container's coordinates are pixels of the screen.
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
      dpi = GetDeviceCaps(screen, LOGPIXELSX);
      ReleaseDC(nullptr, screen);
    }
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
      container->x = static_cast<float>(himetric->x) * dpi / kHimetricPerInch;
      container->y = static_cast<float>(himetric->y) * dpi / kHimetricPerInch;
    } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
      himetric->x = static_cast<LONG>(container->x * kHimetricPerInch / dpi);
      himetric->y = static_cast<LONG>(container->y * kHimetricPerInch / dpi);
    } else {
      return E_INVALIDARG;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

  // --- IDispatch: the ambient properties --------------------------------------------------------
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    if (t) *t = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                          DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_INVALIDARG;
    VariantInit(result);
    switch (id) {
      case DISPID_AMBIENT_USERMODE:  // running, not being designed
        return boolean(result, true);
      case DISPID_AMBIENT_UIDEAD:
      case DISPID_AMBIENT_SHOWHATCHING:
      case DISPID_AMBIENT_SHOWGRABHANDLES:
      case DISPID_AMBIENT_MESSAGEREFLECT:
        return boolean(result, false);
      case DISPID_AMBIENT_DISPLAYNAME:
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = bstr(name_);
        return S_OK;
      case DISPID_AMBIENT_LOCALEID:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  static HRESULT boolean(VARIANT* out, bool b) {
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  std::atomic<ULONG> refs_{1};
  HWND window_;
  std::wstring name_;
  ComPtr<IOleObject> control_;  // between attach and detach
  bool active_ = false;
};

namespace {

// A failed step is an error in the control's own words when it says it gives them (its error
// object, as automation objects do), and in the system's words otherwise.
void check(HRESULT hr, IUnknown* control, REFIID iid, const std::string& name, const char* step) {
  if (SUCCEEDED(hr)) return;
  host::AutomationError e = com::errorFrom(hr, nullptr, name + " (" + step + ")");
  ComPtr<ISupportErrorInfo> supports;
  ComPtr<IErrorInfo> info;
  BSTR text = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_ISupportErrorInfo, supports.outVoid())) &&
      supports->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, info.out()) == S_OK &&
      SUCCEEDED(info->GetDescription(&text)) && text) {
    std::string description = win32::narrow(std::wstring_view(text, SysStringLen(text)));
    SysFreeString(text);
    if (!description.empty())
      e = host::AutomationError(e.number(), description, e.member(), e.source(), e.argIndex());
  }
  throw e;
}

}  // namespace

OleSite::OleSite(ComPtr<IOleObject> control, OleSiteImpl* site, bool oleInitialised)
    : control_(std::move(control)), site_(site), oleInitialised_(oleInitialised) {}

std::unique_ptr<OleSite> OleSite::host(IUnknown* object, HWND window, const std::string& name) {
  ComPtr<IOleObject> control;
  if (!object || FAILED(object->QueryInterface(IID_IOleObject, control.outVoid()))) return nullptr;
  // In-place activation is OLE's, not only COM's.
  bool ole = SUCCEEDED(OleInitialize(nullptr));
  auto* site = new OleSiteImpl(window, win32::widen(name));
  site->attach(control);
  // From here on the destructor takes down whatever a failing step leaves.
  std::unique_ptr<OleSite> s(new OleSite(control, site, ole));

  DWORD misc = 0;
  if (FAILED(control->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst)
    check(control->SetClientSite(site), control.get(), IID_IOleObject, name, "SetClientSite");
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, persist.outVoid())))
    check(persist->InitNew(), control.get(), IID_IPersistStreamInit, name, "InitNew");
  if (!siteFirst)
    check(control->SetClientSite(site), control.get(), IID_IOleObject, name, "SetClientSite");
  control->SetHostNames(L"Velmora", win32::widen(name).c_str());

  if (misc & OLEMISC_INVISIBLEATRUNTIME) return s;  // sited and initialised; nothing to show
  RECT r;
  GetClientRect(window, &r);
  int dpi = 96;
  if (HDC dc = GetDC(window)) {
    dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
  }
  SIZEL extent{MulDiv(r.right, kHimetricPerInch, dpi), MulDiv(r.bottom, kHimetricPerInch, dpi)};
  control->SetExtent(DVASPECT_CONTENT, &extent);  // a control may keep its own size
  HRESULT hr = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window, &r);
  if (FAILED(hr)) hr = control->DoVerb(OLEIVERB_SHOW, nullptr, site, 0, window, &r);
  check(hr, control.get(), IID_IOleObject, name, "DoVerb");
  return s;
}

OleSite::~OleSite() {
  if (site_->active()) {
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, inPlace.outVoid())))
      inPlace->InPlaceDeactivate();
  }
  control_->Close(OLECLOSE_NOSAVE);
  control_->SetClientSite(nullptr);
  site_->detach();
  site_->Release();
  control_.reset();
  if (oleInitialised_) OleUninitialize();
}

bool OleSite::inPlaceActive() const {
  return site_->active();
}

}  // namespace vel::forms
