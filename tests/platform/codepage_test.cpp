// The code page of plain text files: Windows-1252 both ways, and what it refuses.

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/fixtures.h"

namespace vel::platform {
namespace {

std::string allBytes(int from, int to) {
  std::string s;
  for (int b = from; b <= to; ++b) s += static_cast<char>(b);
  return s;
}

TEST(Windows1252, EveryByteReadsAndWritesBackUnchanged) {
  Windows1252 cp;
  std::string bytes = allBytes(0, 255);
  std::string text = cp.toUtf8(bytes);
  EXPECT_EQ(cp.fromUtf8(text), bytes);
}

TEST(Windows1252, BytesReadAsWindowsReadsThem) {
  struct Case {
    unsigned char byte;
    const char* utf8;
  };
  const Case cases[] = {
      {0x41, "A"},      {0x80, "\u20AC"},  // euro sign
      {0x81, "\u0081"},  // undefined: the control character of that number, as Windows has it
      {0x8D, "\u008D"}, {0x8F, "\u008F"}, {0x90, "\u0090"}, {0x9D, "\u009D"},
      {0x8A, "\u0160"},  // S with caron
      {0x92, "\u2019"},  // right single quotation mark
      {0x9F, "\u0178"},  // Y with diaeresis
      {0xA0, "\u00A0"}, {0xC2, "\u00C2"}, {0xE9, "\u00E9"}, {0xFF, "\u00FF"},
  };
  Windows1252 cp;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(cp.toUtf8(byte), c.utf8);
    EXPECT_EQ(cp.fromUtf8(c.utf8), byte);
  }
}

TEST(Windows1252, RefusesWhatItCannotWriteBack) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"Greek capital omega", "\u03A9"},
      {"check mark", "\u2713"},
      {"a control character 1252 gives a letter (U+0080)", "\u0080"},
      {"outside the basic plane", "\U0001F600"},
      {"a lone continuation byte", "\x80"},
      {"a cut sequence", "\xC3"},
      {"an overlong slash", "\xC0\xAF"},
      {"a surrogate", "\xED\xA0\x80"},
  };
  Windows1252 cp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(cp.fromUtf8("ok " + c.text), CodePageError);
  }
}

TEST(Utf8CodePage, PassesUtf8AndRefusesOtherBytes) {
  Utf8CodePage cp;
  EXPECT_EQ(cp.toUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(cp.fromUtf8("\u20AC"), "\u20AC");
  EXPECT_THROW(cp.toUtf8("\xE9t\xE9"), CodePageError);
  EXPECT_THROW(cp.fromUtf8("\xFF"), CodePageError);
}

TEST(SystemCodePage, IsWindows1252UnlessToldOtherwise) {
  {
    testing::ScopedEnv unset("VELMORA_CODEPAGE", std::nullopt);
    EXPECT_EQ(systemCodePage().number(), 1252u);
  }
  testing::ScopedEnv utf8("VELMORA_CODEPAGE", "65001");
  EXPECT_EQ(systemCodePage().number(), 65001u);
}

}  // namespace
}  // namespace vel::platform
