#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>

#include "forms/activexhost.h"
#include "forms/button.h"
#include "forms/combobox.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/optionbutton.h"
#include "forms/progressbar.h"
#include "forms/statusbar.h"
#include "forms/win32/olesite.h"
#include "forms/win32/win32_peer.h"
#include "host/com/com_connector.h"
#include "platform/win32/wide.h"

namespace vel::forms {

namespace {

class LabelPeer : public Win32Peer {
 public:
  LabelPeer(Win32Backend& ui, Label& l) : Win32Peer(ui, l), label_(l) {
    DWORD style = l.wordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP;
    if (!l.showAccelChar()) style |= SS_NOPREFIX;
    createChild(L"STATIC", l.caption(), style);
  }

 protected:
  void update(Prop p) override {
    if (p == Prop::Caption)
      setWindowText(hwnd(), label_.caption());
    else
      Win32Peer::update(p);
  }

 private:
  Label& label_;
};

class ButtonPeer : public Win32Peer {
 public:
  ButtonPeer(Win32Backend& ui, Button& b) : Win32Peer(ui, b), button_(b) {
    createChild(L"BUTTON", b.caption(), BS_PUSHBUTTON);
  }

 protected:
  void update(Prop p) override {
    if (p == Prop::Caption)
      setWindowText(hwnd(), button_.caption());
    else
      Win32Peer::update(p);
  }
  void command(int code) override {
    if (code == BN_CLICKED) button_.click();
  }

 private:
  Button& button_;
};

class OptionButtonPeer : public Win32Peer {
 public:
  OptionButtonPeer(Win32Backend& ui, OptionButton& o) : Win32Peer(ui, o), option_(o) {
    createChild(L"BUTTON", o.caption(), BS_AUTORADIOBUTTON);
    check();
  }

 protected:
  void update(Prop p) override {
    if (p == Prop::Value)
      check();
    else
      Win32Peer::update(p);
  }
  void command(int code) override {
    // The button has checked itself and cleared the others of its group.
    if (code == BN_CLICKED && SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED)
      option_.select();
  }

 private:
  void check() {
    SendMessageW(hwnd(), BM_SETCHECK, option_.value() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  OptionButton& option_;
};

class ComboBoxPeer : public Win32Peer {
 public:
  ComboBoxPeer(Win32Backend& ui, ComboBox& b) : Win32Peer(ui, b), box_(b) { create(); }

 protected:
  void update(Prop p) override {
    switch (p) {
      case Prop::Style:
        create();
        break;
      case Prop::Items:
        fill();
        break;
      case Prop::Text:
        setWindowText(hwnd(), box_.text());
        break;
      default:
        Win32Peer::update(p);
        break;
    }
  }
  void command(int code) override {
    if (code == CBN_EDITCHANGE) {
      box_.type(windowText(hwnd()));
    } else if (code == CBN_SELCHANGE) {
      auto i = SendMessageW(hwnd(), CB_GETCURSEL, 0, 0);
      if (i != CB_ERR) box_.pick(static_cast<int>(i));
    }
  }

 private:
  // A window for the style: it replaces the old one, which takes its list with it.
  void create() {
    bool dropDown = box_.style() == ComboStyle::DropDown;
    // A drop-down combo box's window height includes its open list.
    int height = dropDown ? box_.bounds().height + 8 * box_.itemHeight() : 0;
    createChild(L"COMBOBOX", "",
                (dropDown ? CBS_DROPDOWN : CBS_SIMPLE) | CBS_AUTOHSCROLL | WS_VSCROLL, 0, height);
    shown_ = 0;
    fill();
  }

  // The list only grows at its end or empties: a longer list adds just its new entries, so
  // that n entries added one by one cost n additions, not n * n / 2. Emptying the list empties
  // the edit field too: the text is set again after a refill.
  void fill() {
    const auto& items = box_.items();
    if (items.size() < shown_) {
      SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
      shown_ = 0;
    }
    const bool refill = shown_ == 0;
    for (; shown_ < items.size(); ++shown_)
      SendMessageW(hwnd(), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(win32::widen(items[shown_]).c_str()));
    if (refill) setWindowText(hwnd(), box_.text());
  }

  ComboBox& box_;
  size_t shown_ = 0;  // entries in the window's list: the first ones of the box's
};

class StatusBarPeer : public Win32Peer {
 public:
  StatusBarPeer(Win32Backend& ui, StatusBar& s) : Win32Peer(ui, s), bar_(s) {
    createChild(STATUSCLASSNAMEW, "", 0);
    SendMessageW(hwnd(), SB_SIMPLE, s.simplePanel() ? TRUE : FALSE, 0);
    showText();
  }

 protected:
  void update(Prop p) override {
    if (p == Prop::Text)
      showText();
    else
      Win32Peer::update(p);
  }

 private:
  // The simple part is 255; the window text as well, so that a reader of the window gets it.
  // A new text paints the bar at once (about 1 ms under Wine), and a search names every contact
  // here, faster than anyone reads: the window always holds the current text, but paints it at
  // once only when the last such paint is kPaintEvery old; otherwise it is painted with the
  // next messages handled.
  void showText() {
    std::wstring text = win32::widen(bar_.simpleText());
    const DWORD now = GetTickCount();
    const bool paint = now - paintedAt_ >= kPaintEvery || !IsWindowVisible(hwnd());
    if (!paint) SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(hwnd(), SB_SETTEXTW, bar_.simplePanel() ? SB_SIMPLEID : 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
    if (paint) {
      paintedAt_ = now;
    } else {
      SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
      InvalidateRect(hwnd(), nullptr, FALSE);
    }
  }

  static constexpr DWORD kPaintEvery = 40;  // ms
  StatusBar& bar_;
  DWORD paintedAt_ = GetTickCount() - kPaintEvery;
};

class ProgressBarPeer : public Win32Peer {
 public:
  ProgressBarPeer(Win32Backend& ui, ProgressBar& p) : Win32Peer(ui, p), bar_(p) {
    createChild(PROGRESS_CLASSW, "", 0);
    setRange();
    setPos();
  }

 protected:
  void update(Prop p) override {
    if (p == Prop::Range) {
      setRange();
      setPos();
    } else if (p == Prop::Value) {
      setPos();
    } else {
      Win32Peer::update(p);
    }
  }

 private:
  void setRange() {
    SendMessageW(hwnd(), PBM_SETRANGE32, bar_.minimum(), bar_.maximum());
    shownColumn_ = -1;
  }
  // A new position paints the bar at once (about 1 ms under Wine), and a bar a few hundred
  // pixels wide over thousands of steps draws the same picture for most of them: the window
  // hears of a value when the filled part ends in another pixel column, or at either end.
  void setPos() {
    const int v = bar_.value();
    const int column = columnOf(v);
    if (column == shownColumn_ && v != bar_.minimum() && v != bar_.maximum()) return;
    SendMessageW(hwnd(), PBM_SETPOS, v, 0);
    shownColumn_ = column;
  }
  int columnOf(int v) const {
    RECT r{};
    GetClientRect(hwnd(), &r);
    const long long span = static_cast<long long>(bar_.maximum()) - bar_.minimum();
    if (span <= 0) return 0;
    return static_cast<int>((static_cast<long long>(v) - bar_.minimum()) * (r.right - r.left) /
                            span);
  }

  ProgressBar& bar_;
  int shownColumn_ = -1;  // where the window's filled part ends; -1: not known
};

// The picture from the resources; an etched frame where the program has none by that name.
// The picture is a JPEG (or any format the system's picture loader reads) in an RCDATA
// resource; a BITMAP resource of that name serves as well.
HBITMAP loadPicture(const std::string& name) {
  std::wstring w = win32::widen(name);
  HMODULE module = GetModuleHandleW(nullptr);
  if (HRSRC res = FindResourceW(module, w.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */)) {
    DWORD size = SizeofResource(module, res);
    const void* bytes = LockResource(LoadResource(module, res));
    // The stream takes the memory and frees it with itself.
    HGLOBAL copy = bytes && size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    if (!copy) return nullptr;
    std::memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
      GlobalFree(copy);
      return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return nullptr;
    OLE_HANDLE handle = 0;
    HBITMAP own = nullptr;
    // The picture owns its bitmap: we keep a copy that outlives it.
    if (SUCCEEDED(picture->get_Handle(&handle)) && handle)
      own = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    picture->Release();
    return own;
  }
  return static_cast<HBITMAP>(LoadImageW(module, w.c_str(), IMAGE_BITMAP, 0, 0, 0));
}

class ImagePeer : public Win32Peer {
 public:
  ImagePeer(Win32Backend& ui, Image& i)
      : Win32Peer(ui, i), bitmap_(i.picture().empty() ? nullptr : loadPicture(i.picture())) {
    if (bitmap_.get()) {
      createChild(L"STATIC", "", SS_BITMAP);
      SendMessageW(hwnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
    } else {
      createChild(L"STATIC", "", SS_ETCHEDFRAME);
    }
  }

 private:
  OwnedBitmap bitmap_;  // outlives the window that shows it
};

// A static keeps the control's place and name; the control, hosted by our container, draws
// itself inside it. An object that is no control (a host reached other than through COM, or a
// plain automation object) leaves the box empty.
class ActiveXHostPeer : public Win32Peer {
 public:
  ActiveXHostPeer(Win32Backend& ui, ActiveXHost& a) : Win32Peer(ui, a) {
    createChild(L"STATIC", "", SS_LEFT | WS_CLIPCHILDREN);
    if (auto* com = dynamic_cast<vel::com::ComDispatch*>(a.objectPtr().get()))
      site_ = OleSite::host(com->get(), hwnd(), a.path());
  }

 private:
  std::unique_ptr<OleSite> site_;  // taken down before the window it sits in
};

}  // namespace

std::unique_ptr<Peer> createControlPeer(Win32Backend& ui, Control& c) {
  switch (c.kind()) {
    case Kind::Label:
      return std::make_unique<LabelPeer>(ui, static_cast<Label&>(c));
    case Kind::Button:
      return std::make_unique<ButtonPeer>(ui, static_cast<Button&>(c));
    case Kind::OptionButton:
      return std::make_unique<OptionButtonPeer>(ui, static_cast<OptionButton&>(c));
    case Kind::ComboBox:
      return std::make_unique<ComboBoxPeer>(ui, static_cast<ComboBox&>(c));
    case Kind::StatusBar:
      return std::make_unique<StatusBarPeer>(ui, static_cast<StatusBar&>(c));
    case Kind::ProgressBar:
      return std::make_unique<ProgressBarPeer>(ui, static_cast<ProgressBar&>(c));
    case Kind::Image:
      return std::make_unique<ImagePeer>(ui, static_cast<Image&>(c));
    case Kind::ActiveXHost:
      return std::make_unique<ActiveXHostPeer>(ui, static_cast<ActiveXHost&>(c));
    default:
      break;
  }
  throw std::logic_error("no window for " + c.path());
}

}  // namespace vel::forms
