#include "forms/win32/win32_peer.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <stdexcept>

#include "forms/container.h"
#include "forms/label.h"
#include "platform/win32/wide.h"

namespace vel::forms {

namespace {

std::string nameOf(const Control& c) {
  return c.index() >= 0 ? c.name() + "_" + std::to_string(c.index()) : c.name();
}

// Option buttons next to each other in one container form one group of the auto radio
// buttons: every other control starts a group, so that a group never runs past its members.
bool startsGroup(const Control& c) {
  if (c.kind() != Kind::OptionButton || !c.parent()) return true;
  const auto& siblings = c.parent()->children();
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == &c) return i == 0 || siblings[i - 1]->kind() != Kind::OptionButton;
  return true;
}

int colourIndex(SysColor c) {
  switch (c) {
    case SysColor::ButtonFace:
      return COLOR_BTNFACE;
    case SysColor::ButtonHighlight:
      return COLOR_BTNHIGHLIGHT;
    case SysColor::Window:
      return COLOR_WINDOW;
    case SysColor::Default:
      break;
  }
  return -1;
}

}  // namespace

void OwnedWindow::reset(HWND h) {
  if (h_) {
    RemovePropW(h_, kPeerProp);
    RemovePropW(h_, kNameProp);
    DestroyWindow(h_);
  }
  h_ = h;
}

GlobalAtom::GlobalAtom(std::string_view name) : atom_(GlobalAddAtomW(win32::widen(name).c_str())) {
  if (!atom_)
    throw std::runtime_error("cannot name the window \"" + std::string(name) +
                             "\": " + win32::systemMessage(GetLastError()));
}

std::string windowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, w.data(), n + 1);
  w.resize(static_cast<size_t>(n));
  return win32::narrow(w);
}

void setWindowText(HWND h, std::string_view text) {
  SetWindowTextW(h, win32::widen(text).c_str());
}

Win32Peer::Win32Peer(Win32Backend& ui, Control& control)
    : ui_(ui),
      control_(control),
      font_(CreateFontW(-MulDiv(control.font().size, ui.dpi(), 72), 0, 0, 0,
                        control.font().bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, win32::widen(control.font().name).c_str())),
      name_(nameOf(control)) {}

Win32Peer::~Win32Peer() {
  *alive_ = false;
}

Win32Peer* Win32Peer::of(HWND h) {
  return h ? static_cast<Win32Peer*>(GetPropW(h, kPeerProp)) : nullptr;
}

HWND Win32Peer::windowOf(const Control* c) {
  auto* p = c ? dynamic_cast<Win32Peer*>(c->peer()) : nullptr;
  return p ? p->hwnd() : nullptr;
}

void Win32Peer::changed(Prop p) {
  // Showing a form activates it, and its onActivate may unload the form and this peer with it.
  Win32Backend& ui = ui_;
  std::shared_ptr<bool> alive = alive_;
  updating_ = true;
  try {
    update(p);
  } catch (...) {
    if (*alive) updating_ = false;
    throw;
  }
  if (*alive) updating_ = false;
  ui.rethrowPending();
}

void Win32Peer::update(Prop p) {
  switch (p) {
    case Prop::Visible:
      ShowWindow(hwnd(), control_.visible() ? SW_SHOW : SW_HIDE);
      break;
    case Prop::Enabled:
      EnableWindow(hwnd(), control_.enabled());
      break;
    default:
      break;
  }
}

// Every change through a peer invalidates what it changes, so painting what is invalid now,
// here and in the children, shows all of it; invalidating the whole window as well costs a
// full repaint of every child for pixels that did not change.
void Win32Peer::repaint() {
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32Peer::notify(int code) {
  if (!updating_) command(code);
}

HBRUSH Win32Peer::background() const {
  for (const Control* c = &control_; c; c = c->parent()) {
    if (c->kind() == Kind::Label && static_cast<const Label*>(c)->transparent()) continue;
    if (int i = colourIndex(c->color()); i >= 0) return GetSysColorBrush(i);
  }
  return GetSysColorBrush(COLOR_BTNFACE);
}

void Win32Peer::createChild(const wchar_t* cls, std::string_view text, DWORD style, DWORD exStyle,
                            int height) {
  static int nextId = 100;  // clear of IDOK and IDCANCEL, which the dialog keys send
  HWND parent = windowOf(control_.parent());
  Rect b = control_.bounds();
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (control_.visible()) style |= WS_VISIBLE;
  if (!control_.enabled()) style |= WS_DISABLED;
  if (control_.tabOrder() >= 0) style |= WS_TABSTOP;
  if (startsGroup(control_)) style |= WS_GROUP;
  HWND h = CreateWindowExW(
      exStyle, cls, win32::widen(text).c_str(), style, ui_.scale(b.left), ui_.scale(b.top),
      ui_.scale(b.width), ui_.scale(height > 0 ? height : b.height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), GetModuleHandleW(nullptr), nullptr);
  if (!h)
    throw std::runtime_error("cannot create the window of " + control_.path() + ": " +
                             win32::systemMessage(GetLastError()));
  attach(h);
  if (Win32Peer* container = of(parent)) container->childCreated();
}

void Win32Peer::attach(HWND h) {
  window_.reset(h);
  SetPropW(h, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(name_.get())));
  SetPropW(h, kPeerProp, this);
  if (font_.get()) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

LRESULT CALLBACK velmoraWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32Peer* self = Win32Peer::of(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  Win32Backend& ui = self->ui();  // outlives us; the handler may destroy this window
  try {
    switch (msg) {
      case WM_COMMAND:
        if (Win32Peer* child = Win32Peer::of(reinterpret_cast<HWND>(lp))) {
          child->notify(HIWORD(wp));
          return 0;
        }
        break;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: {
        Win32Peer* child = Win32Peer::of(reinterpret_cast<HWND>(lp));
        HBRUSH brush = child ? child->background() : self->background();
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        SetBkColor(reinterpret_cast<HDC>(wp), lb.lbColor);
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(brush);
      }
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, self->background());
        return 1;
      }
      case WM_SIZE:
        // A status bar places itself along the bottom when its parent tells it the new size.
        for (HWND bar = FindWindowExW(hwnd, nullptr, STATUSCLASSNAMEW, nullptr); bar;
             bar = FindWindowExW(hwnd, bar, STATUSCLASSNAMEW, nullptr))
          SendMessageW(bar, WM_SIZE, 0, 0);
        break;
      case WM_SETCURSOR:
        if (ui.waitCursor()) {
          SetCursor(LoadCursorW(nullptr, IDC_WAIT));
          return TRUE;
        }
        break;
      default:
        break;
    }
    LRESULT result = 0;
    if (self->message(msg, wp, lp, result)) return result;
  } catch (...) {
    ui.keep(std::current_exception());
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vel::forms
