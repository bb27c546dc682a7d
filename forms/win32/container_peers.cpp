#include "forms/frame.h"
#include "forms/panel.h"
#include "forms/win32/win32_peer.h"
#include "platform/win32/wide.h"

namespace vel::forms {

namespace {

UINT outerEdge(Bevel b) {
  return b == Bevel::Raised ? BDR_RAISEDOUTER : b == Bevel::Lowered ? BDR_SUNKENOUTER : 0;
}

UINT innerEdge(Bevel b) {
  return b == Bevel::Raised ? BDR_RAISEDINNER : b == Bevel::Lowered ? BDR_SUNKENINNER : 0;
}

// A window of our own class, so that its children's notifications reach us.
class PanelPeer : public Win32Peer {
 public:
  PanelPeer(Win32Backend& ui, Panel& p) : Win32Peer(ui, p), panel_(p) {
    createChild(kContainerClass, "", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  }

  bool message(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT r;
    GetClientRect(hwnd(), &r);
    // The outer bevel, the border inside it, then the inner bevel.
    for (int i = 0; i < panel_.bevelWidth(); ++i)
      if (UINT e = outerEdge(panel_.bevelOuter())) DrawEdge(dc, &r, e, BF_RECT | BF_ADJUST);
    int border = ui().scale(panel_.borderWidth());
    InflateRect(&r, -border, -border);
    for (int i = 0; i < panel_.bevelWidth(); ++i)
      if (UINT e = innerEdge(panel_.bevelInner())) DrawEdge(dc, &r, e, BF_RECT | BF_ADJUST);
    EndPaint(hwnd(), &ps);
    result = 0;
    return true;
  }

 private:
  Panel& panel_;
};

// A window of our own class holding a group box across its whole area, and the frame's option
// buttons above the box. A group box leaves its inside unpainted, so this window must not clip
// its children: its own erase is what fills the inside.
class FramePeer : public Win32Peer {
 public:
  FramePeer(Win32Backend& ui, Frame& f) : Win32Peer(ui, f) {
    createChild(kContainerClass, f.caption(), 0, WS_EX_CONTROLPARENT);
    RECT r;
    GetClientRect(hwnd(), &r);
    box_.reset(CreateWindowExW(0, L"BUTTON", win32::widen(f.caption()).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, r.right,
                               r.bottom, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (font()) SendMessageW(box_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
  }

  void childCreated() override {
    SetWindowPos(box_.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

 private:
  OwnedWindow box_;  // a child of ours: goes before our window does
};

}  // namespace

std::unique_ptr<Peer> createContainerPeer(Win32Backend& ui, Control& c) {
  if (c.kind() == Kind::Panel) return std::make_unique<PanelPeer>(ui, static_cast<Panel&>(c));
  return std::make_unique<FramePeer>(ui, static_cast<Frame&>(c));
}

}  // namespace vel::forms
