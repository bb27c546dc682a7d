#include "forms/win32/win32_backend.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/win32/win32_peer.h"
#include "platform/win32/wide.h"

namespace vel::forms {

namespace {

void registerClass(const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = velmoraWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The program's own icon, for every form that names none.
  wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = name;
  // No class brush: each window erases with its own colour.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("cannot register the window class: " +
                             win32::systemMessage(GetLastError()));
}

UINT flagsOf(const MessageBoxArgs& box) {
  UINT flags = 0;
  switch (box.buttons) {
    case Buttons::Ok:
      flags = MB_OK;
      break;
    case Buttons::OkCancel:
      flags = MB_OKCANCEL;
      break;
    case Buttons::YesNo:
      flags = MB_YESNO;
      break;
    case Buttons::YesNoCancel:
      flags = MB_YESNOCANCEL;
      break;
    case Buttons::RetryCancel:
      flags = MB_RETRYCANCEL;
      break;
    case Buttons::AbortRetryIgnore:
      flags = MB_ABORTRETRYIGNORE;
      break;
  }
  switch (box.icon) {
    case Icon::None:
      break;
    case Icon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case Icon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case Icon::Error:
      flags |= MB_ICONERROR;
      break;
    case Icon::Question:
      flags |= MB_ICONQUESTION;
      break;
  }
  return flags;
}

Result resultOf(int id) {
  switch (id) {
    case IDOK:
      return Result::Ok;
    case IDYES:
      return Result::Yes;
    case IDNO:
      return Result::No;
    case IDRETRY:
      return Result::Retry;
    case IDABORT:
      return Result::Abort;
    case IDIGNORE:
      return Result::Ignore;
    default:
      return Result::Cancel;  // IDCANCEL, and Escape or the close box on an OK-only box
  }
}

constexpr wchar_t kApplicationClass[] = L"VelmoraApplication";

// The application window hands what reaches it to the program's forms: activation (from its
// taskbar button or the task switcher) to the form last active, closing to that form.
LRESULT CALLBACK applicationWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* ui = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && ui)
        if (HWND form = static_cast<HWND>(ui->lastActiveForm())) SetActiveWindow(form);
      return 0;
    case WM_CLOSE:
      if (ui)
        if (HWND form = static_cast<HWND>(ui->lastActiveForm())) PostMessageW(form, WM_CLOSE, 0, 0);
      return 0;  // the window itself goes with the backend
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

Win32Backend::Win32Backend() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (HDC screen = GetDC(nullptr)) {
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  registerClass(kFormClass);
  registerClass(kContainerClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = applicationWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kApplicationClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("cannot register the application window's class: " +
                             win32::systemMessage(GetLastError()));
  // A caption and a system menu make it a window the taskbar and the task switcher list; at
  // no size in the middle of the screen, nothing of it is seen.
  appWindow_ = CreateWindowExW(0, kApplicationClass, L"",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                               0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!appWindow_)
    throw std::runtime_error("cannot create the application window: " +
                             win32::systemMessage(GetLastError()));
}

Win32Backend::~Win32Backend() {
  DestroyWindow(static_cast<HWND>(appWindow_));
}

void Win32Backend::setTitle(std::string_view title) {
  SetWindowTextW(static_cast<HWND>(appWindow_), win32::widen(title).c_str());
}

void Win32Backend::formsChanged() {
  bool wanted = false;
  for (Form* f : forms_)
    if (f->showInTaskbar() && f->visible()) wanted = true;
  if (wanted == appWindowShown_) return;
  appWindowShown_ = wanted;
  ShowWindow(static_cast<HWND>(appWindow_), wanted ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void* Win32Backend::lastActiveForm() const {
  HWND h = static_cast<HWND>(lastActive_);
  return h && IsWindow(h) && IsWindowVisible(h) && IsWindowEnabled(h) ? h : nullptr;
}

void Win32Backend::placeOnScreen(int& left, int& top, int width, int height) const {
  left = scale(left);
  top = scale(top);
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT want{left, top, left + width, top + height};
  if (HMONITOR m = MonitorFromRect(&want, MONITOR_DEFAULTTONEAREST)) {
    MONITORINFO mi{sizeof mi};
    if (GetMonitorInfoW(m, &mi)) area = mi.rcWork;
  }
  // The far edges first, so that a window larger than the area keeps its top left corner on it.
  if (left + width > area.right) left = area.right - width;
  if (top + height > area.bottom) top = area.bottom - height;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
}

int Win32Backend::scale(int px) const {
  return MulDiv(px, dpi_, 96);
}

std::unique_ptr<Peer> Win32Backend::createPeer(Control& control) {
  switch (control.kind()) {
    case Kind::Form:
      return createFormPeer(*this, static_cast<Form&>(control));
    case Kind::Panel:
    case Kind::Frame:
      return createContainerPeer(*this, control);
    default:
      return createControlPeer(*this, control);
  }
}

void Win32Backend::keep(std::exception_ptr e) {
  // The first error wins: what follows it happened while it was on its way out.
  if (!pending_) pending_ = std::move(e);
}

void Win32Backend::rethrowPending() {
  if (!pending_) return;
  std::exception_ptr e = std::move(pending_);
  pending_ = nullptr;
  std::rethrow_exception(e);
}

void Win32Backend::formCreated(Form& f) {
  forms_.push_back(&f);
}

void Win32Backend::formDestroyed(Form& f) {
  std::erase(forms_, &f);
  formsChanged();
}

void Win32Backend::deliver(void* m) {
  MSG& msg = *static_cast<MSG*>(m);
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && Win32Peer::of(root) && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Win32Backend::runLoop(std::string_view waiting, const std::function<bool()>& done) {
  rethrowPending();
  while (!done()) {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1)
      throw std::runtime_error(std::string(waiting) +
                               " stopped waiting: " + win32::systemMessage(GetLastError()));
    // Told to quit (by the session ending, or by another program): unwind to the program's
    // entry, so that its forms close and its references are released on the way.
    if (got == 0) throw ProgramEnded(static_cast<int>(msg.wParam));
    deliver(&msg);
    rethrowPending();
  }
}

void Win32Backend::processEvents() {
  rethrowPending();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) throw ProgramEnded(static_cast<int>(msg.wParam));
    deliver(&msg);
    rethrowPending();
  }
}

Result Win32Backend::messageBox(const MessageBoxArgs& box) {
  HWND owner = box.owner && box.owner->loaded() ? Win32Peer::windowOf(box.owner) : nullptr;
  UINT flags = flagsOf(box) | (owner ? MB_APPLMODAL : MB_TASKMODAL);
  int id =
      MessageBoxW(owner, win32::widen(box.text).c_str(), win32::widen(box.caption).c_str(), flags);
  if (id == 0)
    throw std::runtime_error("cannot show the message box \"" + box.text +
                             "\": " + win32::systemMessage(GetLastError()));
  rethrowPending();
  return resultOf(id);
}

void Win32Backend::setCursor(Cursor c) {
  cursor_ = c;
  SetCursor(LoadCursorW(nullptr, c == Cursor::HourGlass ? IDC_WAIT : IDC_ARROW));
}

void Win32Backend::bringToFront() {
  HWND target = nullptr;
  if (!forms_.empty())
    if (Form* active = forms_.front()->app().activeForm()) target = Win32Peer::windowOf(active);
  if (!target && lastActive_ && IsWindow(static_cast<HWND>(lastActive_)))
    target = static_cast<HWND>(lastActive_);
  if (target) SetForegroundWindow(target);
}

}  // namespace vel::forms
