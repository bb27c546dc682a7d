#pragma once
// What the Win32 peers share: the handles they own, the window of one control and the window
// procedure of our own classes (forms, panels, frames).

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "forms/control.h"
#include "forms/win32/win32_backend.h"

namespace vel::forms {

inline constexpr wchar_t kFormClass[] = L"VelmoraForm";
inline constexpr wchar_t kContainerClass[] = L"VelmoraContainer";
inline constexpr wchar_t kNameProp[] = L"VelmoraName";
inline constexpr wchar_t kPeerProp[] = L"VelmoraPeer";

LRESULT CALLBACK velmoraWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Destroys its window, taking our properties off first so that no message sent while it goes
// reaches a peer that is being destroyed.
class OwnedWindow {
 public:
  OwnedWindow() = default;
  explicit OwnedWindow(HWND h) : h_(h) {}
  ~OwnedWindow() { reset(); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  HWND get() const { return h_; }
  void reset(HWND h = nullptr);

 private:
  HWND h_ = nullptr;
};

class OwnedFont {
 public:
  OwnedFont() = default;
  explicit OwnedFont(HFONT f) : f_(f) {}
  ~OwnedFont() {
    if (f_) DeleteObject(f_);
  }
  OwnedFont(const OwnedFont&) = delete;
  OwnedFont& operator=(const OwnedFont&) = delete;
  HFONT get() const { return f_; }

 private:
  HFONT f_ = nullptr;
};

class OwnedBitmap {
 public:
  OwnedBitmap() = default;
  explicit OwnedBitmap(HBITMAP b) : b_(b) {}
  ~OwnedBitmap() {
    if (b_) DeleteObject(b_);
  }
  OwnedBitmap(const OwnedBitmap&) = delete;
  OwnedBitmap& operator=(const OwnedBitmap&) = delete;
  HBITMAP get() const { return b_; }

 private:
  HBITMAP b_ = nullptr;
};

class GlobalAtom {
 public:
  explicit GlobalAtom(std::string_view name);
  ~GlobalAtom() {
    if (atom_) GlobalDeleteAtom(atom_);
  }
  GlobalAtom(const GlobalAtom&) = delete;
  GlobalAtom& operator=(const GlobalAtom&) = delete;
  ATOM get() const { return atom_; }

 private:
  ATOM atom_ = 0;
};

std::string windowText(HWND h);
void setWindowText(HWND h, std::string_view text);

class Win32Peer : public Peer {
 public:
  Win32Peer(Win32Backend& ui, Control& control);
  ~Win32Peer() override;

  // The peer of one of our windows, or null.
  static Win32Peer* of(HWND h);
  // The window of a control that has a peer, or null.
  static HWND windowOf(const Control* c);

  HWND hwnd() const { return window_.get(); }
  Control& control() const { return control_; }
  Win32Backend& ui() const { return ui_; }

  void changed(Prop p) final;
  void repaint() override;

  // A notification (BN_CLICKED, CBN_SELCHANGE) from the control's window to its container.
  // Ignored while the peer itself changes the window.
  void notify(int code);
  // The brush the control's background is drawn with: its colour, else its container's.
  HBRUSH background() const;
  // A control was created inside this container.
  virtual void childCreated() {}
  // A message to one of our own windows; true when handled, with its result.
  virtual bool message(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

 protected:
  virtual void update(Prop p);
  virtual void command(int) {}
  // Creates the control's window inside its container's, at its bounds (a height of 0: the
  // bounds' height), with its name, font and peer attached.
  void createChild(const wchar_t* cls, std::string_view text, DWORD style, DWORD exStyle = 0,
                   int height = 0);
  // Takes the window over: name, peer and font go onto it.
  void attach(HWND h);
  HFONT font() const { return font_.get(); }

 private:
  Win32Backend& ui_;
  Control& control_;  // owns us
  OwnedFont font_;
  GlobalAtom name_;
  OwnedWindow window_;  // last, so it goes before the font and the atom
  bool updating_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once we are gone
};

std::unique_ptr<Peer> createFormPeer(Win32Backend& ui, Form& f);
std::unique_ptr<Peer> createContainerPeer(Win32Backend& ui, Control& c);  // panel, frame
std::unique_ptr<Peer> createControlPeer(Win32Backend& ui, Control& c);

}  // namespace vel::forms
