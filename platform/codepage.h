#pragma once
// The system's code page: the byte form of plain text files (the settings file). Inside, text is
// UTF-8; files are converted at their boundary. On Windows it is the ANSI code page (CP_ACP);
// the portable backend takes Windows-1252 unless VELMORA_CODEPAGE names another it knows.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vel::platform {

// A character the code page has no byte for, or bytes that are not text in it.
class CodePageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual unsigned number() const = 0;
  // Bytes of a file to UTF-8; throws CodePageError on bytes the code page cannot read.
  virtual std::string toUtf8(std::string_view bytes) const = 0;
  // UTF-8 to the file's bytes; throws CodePageError on a character without a byte of its own
  // (no "?" and no best-fit look-alike: what is written must read back the same).
  virtual std::string fromUtf8(std::string_view text) const = 0;
};

// Windows-1252, every byte readable: the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) read as the control characters of the same number, as Windows reads them,
// so every file of bytes reads and writes back unchanged.
class Windows1252 : public CodePage {
 public:
  unsigned number() const override { return 1252; }
  std::string toUtf8(std::string_view bytes) const override;
  std::string fromUtf8(std::string_view text) const override;
};

// UTF-8 itself (code page 65001): invalid sequences are refused both ways.
class Utf8CodePage : public CodePage {
 public:
  unsigned number() const override { return 65001; }
  std::string toUtf8(std::string_view bytes) const override;
  std::string fromUtf8(std::string_view text) const override;
};

// The code page of plain text files on this system.
const CodePage& systemCodePage();

}  // namespace vel::platform
