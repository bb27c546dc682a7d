// The UI driver for the Wine tests: finds the suite's windows by caption and their controls by
// the form's own names, reads texts and states, clicks, types as a user would, answers message
// boxes and saves screenshots. It reads one command a line on standard input and answers each
// with one line: "ok[ result]" or "error message".
//
// Controls carry their form name in the window property "VelmoraName" (set by the forms layer's
// Win32 backend), so a test names Button1 or ComboBox1 as the program does.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace {

using vel::win32::narrow;
using vel::win32::widen;

std::string windowText(HWND h) {
  wchar_t buf[4096];
  // WM_GETTEXT crosses processes (the system marshals it); GetWindowText would not for controls.
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                           2000, &n))
    return {};
  return narrow(std::wstring(buf, static_cast<size_t>(n)));
}

std::string className(HWND h) {
  wchar_t buf[256];
  int n = GetClassNameW(h, buf, 256);
  return narrow(std::wstring(buf, static_cast<size_t>(n)));
}

std::string controlName(HWND h) {
  // The forms backend stores the name as a global atom in the property.
  HANDLE atom = GetPropW(h, L"VelmoraName");
  if (!atom) return {};
  wchar_t buf[256];
  UINT n = GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)), buf, 256);
  return narrow(std::wstring(buf, n));
}

struct Found {
  std::string caption;
  std::vector<HWND> hits;
};

// A window without a caption answers to its form name instead.
BOOL CALLBACK collectTop(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<Found*>(p);
  if (!IsWindowVisible(h)) return TRUE;
  std::string text = windowText(h);
  if (text == f->caption || (text.empty() && controlName(h) == f->caption)) f->hits.push_back(h);
  return TRUE;
}

HWND findTop(const std::string& caption) {
  Found f{caption, {}};
  EnumWindows(collectTop, reinterpret_cast<LPARAM>(&f));
  return f.hits.empty() ? nullptr : f.hits.front();
}

HWND findNamedTop(const std::string& name) {
  struct Search {
    std::string name;
    HWND hit = nullptr;
    static BOOL CALLBACK next(HWND h, LPARAM p) {
      auto* s = reinterpret_cast<Search*>(p);
      if (!IsWindowVisible(h) || controlName(h) != s->name) return TRUE;
      s->hit = h;
      return FALSE;
    }
  } search{name};
  EnumWindows(Search::next, reinterpret_cast<LPARAM>(&search));
  return search.hit;
}

HWND waitTop(const std::string& caption, double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    if (HWND h = findTop(caption)) return h;
    if (GetTickCount() > end) return nullptr;
    Sleep(50);
  }
}

struct ByName {
  std::string name;
  HWND hit = nullptr;
};

BOOL CALLBACK matchChild(HWND h, LPARAM p) {
  auto* b = reinterpret_cast<ByName*>(p);
  if (controlName(h) == b->name) {
    b->hit = h;
    return FALSE;
  }
  return TRUE;
}

HWND findControl(HWND top, const std::string& name) {
  ByName b{name};
  EnumChildWindows(top, matchChild, reinterpret_cast<LPARAM>(&b));
  return b.hit;
}

// A message box or other dialog of the system's class, owned by any process.
BOOL CALLBACK collectDialogs(HWND h, LPARAM p) {
  auto* v = reinterpret_cast<std::vector<HWND>*>(p);
  if (IsWindowVisible(h) && className(h) == "#32770") v->push_back(h);
  return TRUE;
}

HWND waitDialog(double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    std::vector<HWND> v;
    EnumWindows(collectDialogs, reinterpret_cast<LPARAM>(&v));
    if (!v.empty()) return v.front();
    if (GetTickCount() > end) return nullptr;
    Sleep(50);
  }
}

BOOL CALLBACK collectChildren(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> children(HWND h) {
  std::vector<HWND> v;
  EnumChildWindows(h, collectChildren, reinterpret_cast<LPARAM>(&v));
  return v;
}

bool saveScreenshot(HWND h, const std::string& file) {
  RECT r;
  if (!GetWindowRect(h, &r)) return false;
  int w = r.right - r.left, ht = r.bottom - r.top;
  // PrintWindow draws black under Wine; copy from the screen instead.
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = ht;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  // Wine copies nothing when the source runs off the screen: only the part on it is copied, and
  // the rest stays black.
  RECT on;
  RECT desk{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (IntersectRect(&on, &r, &desk))
    BitBlt(mem, on.left - r.left, on.top - r.top, on.right - on.left, on.bottom - on.top, screen,
           on.left, on.top, SRCCOPY);
  SelectObject(mem, old);
  GdiFlush();
  DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  DWORD size = stride * static_cast<DWORD>(ht);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + size;
  bool ok = false;
  if (FILE* f = _wfopen(widen(file).c_str(), L"wb")) {
    ok = fwrite(&fh, sizeof fh, 1, f) == 1 &&
         fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 && fwrite(bits, 1, size, f) == size;
    fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Arguments are separated by tabs, so captions and texts may hold blanks.
std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : line) {
    if (c == '\t') {
      out.push_back(cur);
      cur.clear();
    } else if (c != '\r') {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out;
}

std::string stateOf(HWND c) {
  std::ostringstream o;
  o << "visible=" << (IsWindowVisible(c) ? 1 : 0) << " enabled=" << (IsWindowEnabled(c) ? 1 : 0);
  std::string cls = className(c);
  if (cls == "Button")
    o << " checked=" << (SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  if (cls == PROGRESS_CLASSA) {
    o << " pos=" << SendMessageW(c, PBM_GETPOS, 0, 0)
      << " min=" << SendMessageW(c, PBM_GETRANGE, TRUE, 0)
      << " max=" << SendMessageW(c, PBM_GETRANGE, FALSE, 0);
  }
  if (cls == "ComboBox") {
    LONG style = GetWindowLongW(c, GWL_STYLE);
    o << " style="
      << ((style & 3) == CBS_SIMPLE     ? "simple"
          : (style & 3) == CBS_DROPDOWN ? "dropdown"
                                        : "list")
      << " count=" << SendMessageW(c, CB_GETCOUNT, 0, 0);
  }
  // GetFocus answers for our own thread only: ask the program's thread what has its focus
  // (a combo box's edit field counts as the box).
  GUITHREADINFO gui{sizeof gui};
  if (GetGUIThreadInfo(GetWindowThreadProcessId(c, nullptr), &gui) && gui.hwndFocus &&
      (gui.hwndFocus == c || IsChild(c, gui.hwndFocus)))
    o << " focused=1";
  return o.str();
}

void setReadable(const std::string& key, bool readable) {
  size_t cut = key.find('\\');
  std::string rootName = key.substr(0, cut);
  HKEY root = rootName == "HKLM" || rootName == "HKEY_LOCAL_MACHINE" ? HKEY_LOCAL_MACHINE
                                                                     : HKEY_CURRENT_USER;
  HKEY h;
  if (RegOpenKeyExW(root, widen(key.substr(cut + 1)).c_str(), 0,
                    WRITE_DAC | READ_CONTROL | KEY_WOW64_32KEY, &h) != ERROR_SUCCESS)
    throw std::runtime_error("no key " + key);
  // Everyone may do anything with the key, but for reading it unless `readable`.
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  DWORD sidSize = GetLengthSid(everyone);
  std::vector<BYTE> aclBuf(sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + sidSize));
  auto* acl = reinterpret_cast<PACL>(aclBuf.data());
  InitializeAcl(acl, static_cast<DWORD>(aclBuf.size()), ACL_REVISION);
  if (!readable) AddAccessDeniedAce(acl, ACL_REVISION, KEY_QUERY_VALUE, everyone);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  LONG r = RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd);
  FreeSid(everyone);
  RegCloseKey(h);
  if (r != ERROR_SUCCESS) throw std::runtime_error("RegSetKeySecurity: " + std::to_string(r));
}

std::string run(const std::vector<std::string>& a) {
  const std::string& cmd = a[0];
  auto need = [&](size_t n) {
    if (a.size() < n)
      throw std::runtime_error(cmd + ": needs " + std::to_string(n - 1) + " arguments");
  };
  auto top = [&](size_t i) {
    // "@Form1" names a window by its form name, for a window without a caption.
    HWND h = a[i].starts_with("@") ? findNamedTop(a[i].substr(1)) : findTop(a[i]);
    if (!h) throw std::runtime_error("no window \"" + a[i] + "\"");
    return h;
  };
  auto control = [&](size_t i) {
    HWND h = top(i);
    HWND c = findControl(h, a[i + 1]);
    if (!c) throw std::runtime_error("no control " + a[i + 1] + " in \"" + a[i] + "\"");
    return c;
  };
  auto seconds = [&](size_t i) { return a.size() > i ? std::stod(a[i]) : 10.0; };

  if (cmd == "wait") {
    need(2);
    if (!waitTop(a[1], seconds(2)))
      throw std::runtime_error("timed out waiting for \"" + a[1] + "\"");
    return {};
  }
  if (cmd == "gone") {
    need(2);
    DWORD end = GetTickCount() + static_cast<DWORD>(seconds(2) * 1000);
    while (findTop(a[1])) {
      if (GetTickCount() > end) throw std::runtime_error("\"" + a[1] + "\" is still there");
      Sleep(50);
    }
    return {};
  }
  if (cmd == "text") {
    need(3);
    return escape(windowText(control(1)));
  }
  if (cmd == "state") {
    need(3);
    return stateOf(control(1));
  }
  if (cmd == "items") {
    need(3);
    HWND c = control(1);
    LRESULT n = SendMessageW(c, CB_GETCOUNT, 0, 0);
    std::string out;
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t buf[1024];
      LRESULT len =
          SendMessageW(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      if (i) out += "\t";
      out += escape(narrow(std::wstring(buf, len > 0 ? static_cast<size_t>(len) : 0)));
    }
    return out;
  }
  if (cmd == "click") {
    need(3);
    // Posted, so a modal box the click opens does not block the driver.
    PostMessageW(control(1), BM_CLICK, 0, 0);
    return {};
  }
  if (cmd == "type") {
    need(4);
    HWND c = control(1);
    HWND edit = FindWindowExW(c, nullptr, L"Edit", nullptr);
    if (!edit) edit = c;
    for (wchar_t ch : widen(a[3])) {
      PostMessageW(edit, WM_CHAR, ch, 1);
    }
    return {};
  }
  if (cmd == "key") {  // a virtual key to a control: "key CAPTION CONTROL back"
    need(4);
    HWND c = control(1);
    HWND edit = FindWindowExW(c, nullptr, L"Edit", nullptr);
    if (!edit) edit = c;
    UINT vk = a[3] == "back"     ? VK_BACK
              : a[3] == "down"   ? VK_DOWN
              : a[3] == "return" ? VK_RETURN
              : a[3] == "tab"    ? VK_TAB
                                 : 0;
    if (!vk) throw std::runtime_error("unknown key " + a[3]);
    if (vk == VK_BACK) {
      PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    } else {
      PostMessageW(edit, WM_KEYDOWN, vk, 1);
      PostMessageW(edit, WM_KEYUP, vk, 0xC0000001);
    }
    return {};
  }
  if (cmd == "pick") {  // choose a list entry as a user would: select it and notify the form
    need(4);
    HWND c = control(1);
    int i = std::stoi(a[3]);
    SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    HWND parent = GetParent(c);
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(c));
    return {};
  }
  if (cmd == "close") {  // the title-bar close box
    need(2);
    PostMessageW(top(1), WM_SYSCOMMAND, SC_CLOSE, 0);
    return {};
  }
  if (cmd == "altf4") {  // Alt+F4 on a form found by its form name, for a window without caption
    need(2);
    struct Top {
      static BOOL CALLBACK named(HWND h, LPARAM p) {
        auto* b = reinterpret_cast<ByName*>(p);
        if (!IsWindowVisible(h) || controlName(h) != b->name) return TRUE;
        b->hit = h;
        return FALSE;
      }
    };
    ByName form{a[1]};
    EnumWindows(Top::named, reinterpret_cast<LPARAM>(&form));
    if (!form.hit) throw std::runtime_error("no window of the form " + a[1]);
    // The keys as the keyboard sends them: F4 as a system key with Alt held (bit 29).
    const LPARAM f4 = 1 | (MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC) << 16) | (1 << 29);
    PostMessageW(form.hit, WM_SYSKEYDOWN, VK_F4, f4);
    PostMessageW(form.hit, WM_SYSKEYUP, VK_F4, f4 | (3u << 30));
    return {};
  }
  if (cmd == "dialog") {  // waits for a message box: its caption and text
    HWND d = waitDialog(seconds(1));
    if (!d) throw std::runtime_error("no message box");
    std::string text;
    for (HWND c : children(d))
      if (className(c) == "Static" && !windowText(c).empty()) text = windowText(c);
    return escape(windowText(d)) + "\t" + escape(text);
  }
  if (cmd == "nodialog") {  // fails when a message box is showing
    if (HWND d = waitDialog(a.size() > 1 ? std::stod(a[1]) : 0.0))
      throw std::runtime_error("a message box is showing: \"" + windowText(d) + "\"");
    return {};
  }
  if (cmd == "answer") {  // presses a message box's button by its text
    need(2);
    HWND d = waitDialog(seconds(2));
    if (!d) throw std::runtime_error("no message box");
    for (HWND c : children(d)) {
      if (className(c) == "Button" && windowText(c) == a[1]) {
        PostMessageW(c, BM_CLICK, 0, 0);
        return {};
      }
    }
    throw std::runtime_error("no button \"" + a[1] + "\" on the message box");
  }
  if (cmd == "shot") {  // a window (or the message box: caption "#dialog") to a BMP file
    need(3);
    HWND h = a[1] == "#dialog" ? waitDialog(2) : top(1);
    if (!h) throw std::runtime_error("no message box");
    Sleep(200);  // let it finish painting
    if (!saveScreenshot(h, a[2])) throw std::runtime_error("could not save " + a[2]);
    return {};
  }
  if (cmd == "controls") {  // every named control of a window with its class and text
    need(2);
    std::string out;
    for (HWND c : children(top(1))) {
      std::string n = controlName(c);
      if (n.empty()) continue;
      if (!out.empty()) out += "\t";
      out += n + "=" + className(c) + ":" + escape(windowText(c));
    }
    return out;
  }
  if (cmd == "rect") {  // a window's size, or a control's place in its window's client area
    need(2);
    HWND h = a.size() > 2 ? control(1) : top(1);
    RECT r;
    GetWindowRect(h, &r);
    if (a.size() > 2) MapWindowPoints(nullptr, top(1), reinterpret_cast<POINT*>(&r), 2);
    std::ostringstream o;
    o << r.left << " " << r.top << " " << r.right - r.left << " " << r.bottom - r.top;
    return o.str();
  }
  if (cmd == "inside") {  // a control, then its own child windows: class, place, visibility
    need(3);
    HWND h = top(1);
    RECT frame;
    GetWindowRect(h, &frame);
    std::vector<HWND> windows{control(1)};
    for (HWND k = GetWindow(windows[0], GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT))
      windows.push_back(k);
    std::string out;
    for (HWND w : windows) {
      RECT r;
      GetWindowRect(w, &r);
      std::ostringstream o;
      // Relative to the window's outer corner, where a screenshot of it starts.
      o << className(w) << " " << r.left - frame.left << " " << r.top - frame.top << " "
        << r.right - r.left << " " << r.bottom - r.top
        << " visible=" << (IsWindowVisible(w) ? 1 : 0);
      if (!out.empty()) out += "\t";
      out += o.str();
    }
    return out;
  }
  if (cmd == "style") {  // a window's frame: its title-bar boxes, taskbar entry, client size
    need(2);
    HWND h = top(1);
    LONG style = GetWindowLongW(h, GWL_STYLE), ex = GetWindowLongW(h, GWL_EXSTYLE);
    // An unowned window is in the taskbar unless it is a tool window; WS_EX_APPWINDOW forces it.
    bool taskbar = (ex & WS_EX_APPWINDOW) || (!GetWindow(h, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW));
    RECT r;
    GetClientRect(h, &r);
    std::ostringstream o;
    o << "caption=" << ((style & WS_CAPTION) == WS_CAPTION ? 1 : 0)
      << " sysmenu=" << ((style & WS_SYSMENU) ? 1 : 0)
      << " minbox=" << ((style & WS_MINIMIZEBOX) ? 1 : 0)
      << " maxbox=" << ((style & WS_MAXIMIZEBOX) ? 1 : 0)
      << " sizable=" << ((style & WS_THICKFRAME) ? 1 : 0)
      << " modalframe=" << ((ex & WS_EX_DLGMODALFRAME) ? 1 : 0) << " taskbar=" << (taskbar ? 1 : 0)
      << " client=" << r.right - r.left << "x" << r.bottom - r.top;
    return o.str();
  }
  if (cmd == "postquit") {  // the quit message to a window's thread: "postquit CAPTION CODE"
    need(3);
    DWORD thread = GetWindowThreadProcessId(top(1), nullptr);
    if (!PostThreadMessageW(thread, WM_QUIT, static_cast<WPARAM>(std::stoi(a[2])), 0))
      throw std::runtime_error("PostThreadMessage failed");
    return {};
  }
  if (cmd == "denyread" || cmd == "allowread") {
    // "denyread HKLM\\KEY": the key (in ACT!'s 32-bit view) stays but refuses to be read, as a
    // key locked down by an administrator does; "allowread" gives everyone everything again.
    need(2);
    setReadable(a[1], cmd == "allowread");
    return {};
  }
  if (cmd == "screen") {  // the screen's size
    std::ostringstream o;
    o << GetSystemMetrics(SM_CXSCREEN) << " " << GetSystemMetrics(SM_CYSCREEN);
    return o.str();
  }
  if (cmd == "taskbar") {  // the title the taskbar button and the task switcher show for a window
    need(2);
    HWND h = top(1);
    // An unowned window is listed unless it is a tool window; WS_EX_APPWINDOW lists any. An
    // owned window has no button of its own: its root owner's stands for it.
    auto listed = [](HWND w) {
      LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
      return IsWindowVisible(w) &&
             ((ex & WS_EX_APPWINDOW) || (!GetWindow(w, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW)));
    };
    // GA_ROOTOWNER follows GetParent, which skips the owner of a window without WS_POPUP.
    HWND root = h;
    while (HWND owner = GetWindow(root, GW_OWNER)) root = owner;
    HWND button = listed(h) ? h : (root && listed(root)) ? root : nullptr;
    if (!button)
      throw std::runtime_error("no taskbar button stands for \"" + a[1] + "\" (root owner \"" +
                               (root ? windowText(root) : std::string("none")) + "\", visible " +
                               std::to_string(root && IsWindowVisible(root)) + ")");
    return escape(windowText(button));
  }
  if (cmd == "sleep") {
    need(2);
    Sleep(static_cast<DWORD>(std::stod(a[1]) * 1000));
    return {};
  }
  throw std::runtime_error("unknown command " + cmd);
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.empty() || line == "\r") continue;
    auto a = split(line);
    if (a[0] == "quit") break;
    try {
      std::string r = run(a);
      std::cout << (r.empty() ? "ok" : "ok " + r) << std::endl;
    } catch (const std::exception& e) {
      std::cout << "error " << e.what() << std::endl;
    }
  }
  return 0;
}
