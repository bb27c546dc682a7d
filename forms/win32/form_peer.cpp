#include <algorithm>
#include <stdexcept>
#include <vector>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/win32/win32_peer.h"
#include "platform/win32/wide.h"

namespace vel::forms {

namespace {

struct WindowStyle {
  DWORD style;
  DWORD exStyle;
};

WindowStyle styleOf(const Form& f) {
  DWORD style = WS_CLIPCHILDREN;
  DWORD ex = WS_EX_CONTROLPARENT;
  const BorderIcons icons = f.borderIcons();
  switch (f.borderStyle()) {
    case BorderStyle::None:
      style |= WS_POPUP;
      break;
    case BorderStyle::Sizeable:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
      break;
    case BorderStyle::Single:
      style |= WS_OVERLAPPED | WS_CAPTION;
      break;
    case BorderStyle::Dialog:
      style |= WS_OVERLAPPED | WS_CAPTION | DS_MODALFRAME;
      ex |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (f.borderStyle() != BorderStyle::None && icons.systemMenu) {
    style |= WS_SYSMENU;
    // A dialog frame has no minimize or maximize box, whatever the icons say.
    if (f.borderStyle() != BorderStyle::Dialog) {
      if (icons.minimize) style |= WS_MINIMIZEBOX;
      if (icons.maximize) style |= WS_MAXIMIZEBOX;
    }
  }
  if (f.stayOnTop()) ex |= WS_EX_TOPMOST;
  return {style, ex};
}

// A form takes input unless it is disabled or a modal form is over it. Whether it shows does
// not count here: a hidden window takes none anyway, and it must take input once it shows.
bool takesInput(const Form& f) {
  const Form* modal = f.app().modalForm();
  return f.enabled() && (!modal || modal == &f);
}

bool isContainer(const Control& c) {
  return c.kind() == Kind::Form || c.kind() == Kind::Panel || c.kind() == Kind::Frame;
}

// The Tab key follows the windows' z-order: the controls with a tab order take the places the
// tab-order controls hold in creation order, sorted by their tab order; the rest keep theirs.
void applyTabOrder(const Container& box) {
  std::vector<const Control*> order;
  std::vector<size_t> slots;
  std::vector<const Control*> tabbed;
  for (const auto& child : box.children()) {
    if (child->tabOrder() >= 0) {
      slots.push_back(order.size());
      tabbed.push_back(child.get());
    }
    order.push_back(child.get());
  }
  std::stable_sort(tabbed.begin(), tabbed.end(), [](const Control* a, const Control* b) {
    return a->tabOrder() < b->tabOrder();
  });
  for (size_t i = 0; i < slots.size(); ++i) order[slots[i]] = tabbed[i];
  HWND after = HWND_TOP;
  for (const Control* c : order) {
    HWND h = Win32Peer::windowOf(c);
    if (!h) continue;
    SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = h;
    if (isContainer(*c)) applyTabOrder(static_cast<const Container&>(*c));
  }
}

class FormPeer : public Win32Peer {
 public:
  FormPeer(Win32Backend& ui, Form& f) : Win32Peer(ui, f), form_(f) {
    auto [style, ex] = styleOf(f);
    Rect b = f.bounds();
    RECT r{0, 0, ui.scale(b.width), ui.scale(b.height)};
    if (f.sizeIsClient()) AdjustWindowRectEx(&r, style, FALSE, ex);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int left = b.left;
    int top = b.top;
    if (f.position() != Position::Explicit) {
      left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
      top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    } else {
      ui.placeOnScreen(left, top, width, height);
    }
    // Owned by the application window, every form stays out of the taskbar: the application
    // window stands for the program there, under its title.
    HWND owner = static_cast<HWND>(ui.applicationWindow());
    HWND h = CreateWindowExW(ex, kFormClass, win32::widen(f.caption()).c_str(), style, left, top,
                             width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!h)
      throw std::runtime_error("cannot create the window of \"" + f.name() +
                               "\": " + win32::systemMessage(GetLastError()));
    attach(h);
    if (!f.icon().empty()) {
      auto icon = LoadImageW(GetModuleHandleW(nullptr), win32::widen(f.icon()).c_str(), IMAGE_ICON,
                             0, 0, LR_DEFAULTSIZE | LR_SHARED);
      if (icon) {
        SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
      }
    }
    ui.formCreated(f);
  }

  ~FormPeer() override { ui().formDestroyed(form_); }

  bool message(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    switch (msg) {
      case WM_CLOSE:
        // The close box, the system menu and Alt+F4 alike; the core decides what closing does.
        form_.closeBox();
        result = 0;
        return true;
      case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) return false;
        ui().activatedWindow(hwnd());
        if (!HIWORD(wp)) focusControl();
        form_.app().activated(form_);
        result = 0;
        return true;
      default:
        return false;
    }
  }

 protected:
  void update(Prop p) override {
    switch (p) {
      case Prop::Visible:
        if (form_.visible()) {
          // Every control exists by the first showing.
          if (!tabOrdered_) applyTabOrder(form_);
          tabOrdered_ = true;
          EnableWindow(hwnd(), takesInput(form_));
        }
        // The button first: showing may activate the form, and its first activation may run
        // a whole job, message boxes and all.
        ui().formsChanged();
        ShowWindow(hwnd(), form_.visible() ? SW_SHOW : SW_HIDE);
        break;
      case Prop::Enabled:
        EnableWindow(hwnd(), takesInput(form_));
        break;
      case Prop::Caption:
        setWindowText(hwnd(), form_.caption());
        break;
      case Prop::Focus:
        if (form_.visible() && GetActiveWindow() == hwnd()) focusControl();
        break;
      default:
        break;
    }
  }

 private:
  // The program's focused control, else the first tab stop.
  void focusControl() {
    HWND target = windowOf(form_.focused());
    if (!target) target = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    SetFocus(target ? target : hwnd());
  }

  Form& form_;
  bool tabOrdered_ = false;
};

}  // namespace

std::unique_ptr<Peer> createFormPeer(Win32Backend& ui, Form& f) {
  return std::make_unique<FormPeer>(ui, f);
}

}  // namespace vel::forms
