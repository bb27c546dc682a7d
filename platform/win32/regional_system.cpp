// On Windows dates read and print, and numbers print, as the user's regional settings say,
// through the system's own automation functions.

#include <windows.h>

#include <oleauto.h>

#include "platform/regional.h"
#include "platform/win32/wide.h"

namespace vel::platform {
namespace {

class Win32Regional : public Regional {
 public:
  std::optional<double> parseDate(std::string_view text) const override {
    std::wstring w = win32::widen(text);
    DATE d = 0;
    if (FAILED(VarDateFromStr(w.data(), LOCALE_USER_DEFAULT, 0, &d))) return std::nullopt;
    return d;
  }
  std::string formatDate(double serial) const override {
    BSTR b = nullptr;
    if (FAILED(VarBstrFromDate(serial, LOCALE_USER_DEFAULT, 0, &b))) return {};
    std::string s = win32::narrow(std::wstring_view(b, SysStringLen(b)));
    SysFreeString(b);
    return s;
  }
  std::string formatNumber(double d) const override {
    VARIANT in, out;
    VariantInit(&in);
    VariantInit(&out);
    in.vt = VT_R8;
    in.dblVal = d;
    if (FAILED(VariantChangeTypeEx(&out, &in, LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, VT_BSTR)))
      return {};
    std::string s = win32::narrow(std::wstring_view(out.bstrVal, SysStringLen(out.bstrVal)));
    VariantClear(&out);
    return s;
  }
};

}  // namespace

const Regional& systemRegional() {
  static const Win32Regional r;
  return r;
}

}  // namespace vel::platform
