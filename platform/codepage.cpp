#include "platform/codepage.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace vel::platform {
namespace {

// 0x80-0x9F; the rest of the high half is Latin-1, byte for code point.
constexpr char32_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at p (advanced past it), or nothing for an ill-formed sequence: overlong forms,
// surrogates and values beyond U+10FFFF are refused, as Windows refuses them.
std::optional<char32_t> nextUtf8(std::string_view s, size_t& p) {
  auto b = static_cast<unsigned char>(s[p]);
  if (b < 0x80) {
    ++p;
    return b;
  }
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0 || b > 0xF4 || p + static_cast<size_t>(extra) >= s.size()) return std::nullopt;
  char32_t c = b & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    auto t = static_cast<unsigned char>(s[p + i]);
    if ((t & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (t & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  p += extra + 1;
  return c;
}

std::string hexByte(unsigned b) {
  const char* d = "0123456789ABCDEF";
  return std::string("0x") + d[(b >> 4) & 15] + d[b & 15];
}

}  // namespace

std::string Windows1252::toUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    appendUtf8(out, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : char32_t{b});
  }
  return out;
}

std::string Windows1252::fromUtf8(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  for (size_t p = 0; p < text.size();) {
    std::optional<char32_t> c = nextUtf8(text, p);
    if (!c) throw CodePageError("text that is not UTF-8");
    if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF)) {
      out += static_cast<char>(*c);
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHigh1252[i] == *c) found = i;
    if (found < 0) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(*c));
      throw CodePageError("a character that code page 1252 cannot hold (" + std::string(buf) + ")");
    }
    out += static_cast<char>(0x80 + found);
  }
  return out;
}

std::string Utf8CodePage::toUtf8(std::string_view bytes) const {
  for (size_t p = 0; p < bytes.size();) {
    size_t at = p;
    if (!nextUtf8(bytes, p))
      throw CodePageError("bytes that are not UTF-8 (" +
                          hexByte(static_cast<unsigned char>(bytes[at])) + " at offset " +
                          std::to_string(at) + ")");
  }
  return std::string(bytes);
}

std::string Utf8CodePage::fromUtf8(std::string_view text) const {
  for (size_t p = 0; p < text.size();)
    if (!nextUtf8(text, p)) throw CodePageError("text that is not UTF-8");
  return std::string(text);
}

}  // namespace vel::platform
