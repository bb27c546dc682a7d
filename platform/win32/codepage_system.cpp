// The system's ANSI code page (CP_ACP), through the system's own conversions.

#include <windows.h>

#include "platform/codepage.h"
#include "platform/win32/wide.h"

namespace vel::platform {
namespace {

class AnsiCodePage : public CodePage {
 public:
  unsigned number() const override { return GetACP(); }
  std::string toUtf8(std::string_view bytes) const override {
    if (bytes.empty()) return {};
    int len = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), len, nullptr, 0);
    if (n <= 0) throw CodePageError("bytes that are not text in the ANSI code page");
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), len, w.data(), n);
    return win32::narrow(w);
  }
  std::string fromUtf8(std::string_view text) const override {
    if (text.empty()) return {};
    int len = static_cast<int>(text.size());
    int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), len, nullptr, 0);
    if (wn <= 0) throw CodePageError("text that is not UTF-8");
    std::wstring w(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), len, w.data(), wn);
    // No best fit: a character without a byte of its own is refused rather than written as a
    // look-alike or "?" that reads back as something else.
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wn, nullptr, 0, nullptr,
                                &usedDefault);
    if (n <= 0 || usedDefault)
      throw CodePageError("a character that code page " + std::to_string(GetACP()) +
                          " cannot hold");
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wn, out.data(), n, nullptr,
                        nullptr);
    return out;
  }
};

}  // namespace

const CodePage& systemCodePage() {
  static const AnsiCodePage r;
  return r;
}

}  // namespace vel::platform
