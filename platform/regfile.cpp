#include "platform/regfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>

namespace vel::platform {
namespace {

// Registry names compare without case. Only ASCII letters fold: the names the suite reads are
// ASCII, and folding the rest would need the Windows case tables.
char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

// Windows' own bounds: a key name has at most 255 characters, a path at most 512 levels. A
// file beyond them is refused rather than held.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxKeyDepth = 512;
// How much of a failing line an error message quotes, in characters.
constexpr size_t kMaxQuotedLine = 80;

// A line as an error message quotes it: its first kMaxQuotedLine characters, with bytes other
// than printable ASCII shown as \xNN.
std::string excerpt(std::string_view line) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  size_t i = 0;
  for (; i < line.size() && out.size() < kMaxQuotedLine; ++i) {
    auto c = static_cast<unsigned char>(line[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (i < line.size()) out += "...";
  return out;
}

struct RootName {
  std::string_view name;  // also the prefix of the key's entries
  std::string_view shortName;
};

constexpr RootName kRoots[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKEY_CURRENT_USER", "HKCU"},   {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_USERS", "HKU"},          {"HKEY_CURRENT_CONFIG", "HKCC"},
};

std::string_view rootName(RootKey root) {
  return root == RootKey::LocalMachine ? kRoots[0].name : kRoots[1].name;
}

// "ROOT\lower\case\path" for a path below a root. A trailing backslash is allowed; an empty
// component (a doubled or leading backslash) names no key.
std::optional<std::string> keyName(std::string_view root, std::string_view path) {
  std::string name(root);
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return name;
  for (size_t start = 0;;) {
    size_t end = path.find('\\', start);
    std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) return std::nullopt;
    name += '\\';
    name += lowered(part);
    if (end == std::string_view::npos) return name;
    start = end + 1;
  }
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Nothing when the bytes are not UTF-16LE: an odd count or an unpaired surrogate.
std::optional<std::string> utf16leToUtf8(const uint8_t* p, size_t size) {
  if (size % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(size / 2);
  for (size_t i = 0; i < size; i += 2) {
    uint32_t unit = p[i] | (p[i + 1] << 8);
    if (unit >= 0xD800 && unit < 0xDC00) {
      if (i + 3 >= size) return std::nullopt;
      uint32_t low = p[i + 2] | (p[i + 3] << 8);
      if (low < 0xDC00 || low >= 0xE000) return std::nullopt;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      return std::nullopt;
    }
    appendUtf8(out, unit);
  }
  return out;
}

// One change a file makes, in file order. A file is parsed whole before any change is applied,
// so a file that fails to parse leaves the registry as it was.
struct Edit {
  enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
  // "ROOT\lower\case\path", shared by the values of one section: a long path is held once.
  std::shared_ptr<const std::string> key;
  std::string valueName;  // lower-cased; "" is the default value
  RegValue value;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the lines of one .reg file (REGEDIT4 or version 5.00) as regedit imports them.
class Parser {
 public:
  Parser(std::string_view text, std::string_view origin) : text_(text), origin_(origin) {}

  std::vector<Edit> run() {
    readHeader();
    while (nextLine()) {
      std::string_view line = trimmed(line_);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        readKey(line);
      } else if (line.front() == '"' || line.front() == '@') {
        readValue(line);
      } else {
        fail("expected a [KEY] or a \"name\"= line");
      }
    }
    return std::move(edits_);
  }

 private:
  enum class Section { None, Key, Deleted };

  bool nextLine() {
    if (pos_ > text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line_ = text_.substr(pos_, end - pos_);
    if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
    pos_ = end + 1;
    ++lineNumber_;
    return true;
  }

  [[noreturn]] void fail(const std::string& what) const {
    std::string message = origin_ + ":" + std::to_string(lineNumber_) + ": " + what;
    if (!trimmed(line_).empty()) message += ": " + excerpt(trimmed(line_));
    throw RegFileError(message);
  }

  void readHeader() {
    while (nextLine()) {
      std::string_view line = trimmed(line_);
      if (line.empty()) continue;
      if (line == "REGEDIT4") return;
      if (line == "Windows Registry Editor Version 5.00") {
        version5_ = true;
        return;
      }
      break;
    }
    fail(
        "not a registry file: the first line must be \"REGEDIT4\" or "
        "\"Windows Registry Editor Version 5.00\"");
  }

  void readKey(std::string_view line) {
    if (line.back() != ']') fail("expected \"]\" at the end of the key");
    std::string_view path = line.substr(1, line.size() - 2);
    bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);
    std::string_view rootText = path.substr(0, path.find('\\'));
    path.remove_prefix(rootText.size());
    if (!path.empty()) path.remove_prefix(1);
    auto root = std::find_if(std::begin(kRoots), std::end(kRoots), [&](const RootName& r) {
      return equalsIgnoringCase(rootText, r.name) || equalsIgnoringCase(rootText, r.shortName);
    });
    if (root == std::end(kRoots)) fail("unknown root key \"" + excerpt(rootText) + "\"");
    size_t depth = 1, partLength = 0;
    for (char c : path) {
      if (c == '\\') {
        ++depth;
        partLength = 0;
      } else if (++partLength > kMaxKeyNameLength) {
        fail("a key name longer than " + std::to_string(kMaxKeyNameLength) + " characters");
      }
    }
    if (depth > kMaxKeyDepth)
      fail("a key more than " + std::to_string(kMaxKeyDepth) + " levels deep");
    std::optional<std::string> name = keyName(root->name, path);
    if (!name) fail("empty name in the key path");
    if (remove && *name == root->name) fail("a root key cannot be deleted");
    currentKey_ = std::make_shared<const std::string>(std::move(*name));
    edits_.push_back({remove ? Edit::DeleteKey : Edit::CreateKey, currentKey_, {}, {}});
    section_ = remove ? Section::Deleted : Section::Key;
  }

  void readValue(std::string_view line) {
    if (section_ == Section::None) fail("value before the first [KEY]");
    if (section_ == Section::Deleted) fail("value under a deleted [-KEY]");
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      name = readQuoted(line);
    }
    line = trimmed(line);
    if (line.empty() || line.front() != '=') fail("expected \"=\" after the value name");
    line = trimmed(line.substr(1));

    Edit edit{Edit::SetValue, currentKey_, lowered(name), {}};
    if (line == "-") {
      edit.kind = Edit::DeleteValue;
    } else if (!line.empty() && line.front() == '"') {
      std::string text = readQuoted(line);
      if (!trimmed(line).empty()) fail("unexpected text after the closing quote");
      edit.value = {RegType::String, std::vector<uint8_t>(text.begin(), text.end())};
    } else if (line.starts_with("dword:")) {
      edit.value = {RegType::Dword, readDword(line.substr(6))};
    } else if (line.starts_with("hex:")) {
      edit.value = {RegType::Binary, readHexList(line.substr(4))};
    } else if (line.starts_with("hex(")) {
      size_t close = line.find("):");
      if (close == std::string_view::npos) fail("expected \"hex(TYPE):\"");
      uint32_t type = readHexNumber(line.substr(4, close - 4), "the type in hex(TYPE)");
      edit.value = {static_cast<RegType>(type), readHexList(line.substr(close + 2))};
      // Version 5 files hold string data as UTF-16LE; inside, strings are UTF-8.
      bool stringData = type == 1 || type == 2 || type == 7;
      if (version5_ && stringData) {
        std::vector<uint8_t>& data = edit.value.data;
        std::optional<std::string> text = utf16leToUtf8(data.data(), data.size());
        if (!text) fail("string data that is not UTF-16LE");
        data.assign(text->begin(), text->end());
      }
    } else {
      fail("expected a quoted text, dword:, hex: or hex(TYPE): after \"=\"");
    }
    edits_.push_back(std::move(edit));
  }

  // A quoted text at the front of `rest`, unescaped; `rest` is left after the closing quote.
  std::string readQuoted(std::string_view& rest) {
    std::string out;
    for (size_t i = 1; i < rest.size(); ++i) {
      char c = rest[i];
      if (c == '"') {
        rest.remove_prefix(i + 1);
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i == rest.size()) break;
      char e = rest[i];
      if (e == '\\' || e == '"') {
        out += e;
      } else if (version5_ && e == 'n') {
        out += '\n';
      } else if (version5_ && e == 'r') {
        out += '\r';
      } else if (version5_ && e == '0') {
        out += '\0';
      } else {
        fail(std::string("unknown escape \"\\") + e + "\" (a backslash is written \"\\\\\")");
      }
    }
    fail("missing closing quote");
  }

  uint32_t readHexNumber(std::string_view digits, const std::string& what) {
    if (digits.empty() || digits.size() > 8) fail(what + " needs 1 to 8 hex digits");
    uint32_t n = 0;
    for (char c : digits) {
      int d = hexDigit(c);
      if (d < 0) fail(what + " needs 1 to 8 hex digits");
      n = n << 4 | static_cast<uint32_t>(d);
    }
    return n;
  }

  std::vector<uint8_t> readDword(std::string_view digits) {
    uint32_t n = readHexNumber(trimmed(digits), "dword:");
    return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
            static_cast<uint8_t>(n >> 24)};
  }

  // Comma-separated byte pairs; a line that ends in "\" goes on in the next line.
  std::vector<uint8_t> readHexList(std::string_view rest) {
    std::vector<uint8_t> bytes;
    bool afterComma = false;
    for (;;) {
      rest = trimmed(rest);
      bool continued = !rest.empty() && rest.back() == '\\';
      if (continued) rest = trimmed(rest.substr(0, rest.size() - 1));
      for (size_t i = 0; i < rest.size();) {
        if (isBlank(rest[i])) {
          ++i;
        } else if (rest[i] == ',') {
          if (bytes.empty() || afterComma) fail("expected a hex byte before \",\"");
          afterComma = true;
          ++i;
        } else {
          int high = hexDigit(rest[i]);
          int low = i + 1 < rest.size() ? hexDigit(rest[i + 1]) : -1;
          if (high < 0 || low < 0) fail("expected a hex byte of two digits");
          if (!bytes.empty() && !afterComma) fail("expected \",\" between hex bytes");
          bytes.push_back(static_cast<uint8_t>(high << 4 | low));
          afterComma = false;
          i += 2;
        }
      }
      if (!continued) break;
      if (!bytes.empty() && !afterComma) fail("expected \",\" before the line continuation");
      if (!nextLine()) fail("the file ends inside a continued hex value");
      if (trimmed(line_).empty()) fail("expected more hex bytes after the line continuation");
      rest = line_;
    }
    if (afterComma) fail("hex bytes end with \",\"");
    return bytes;
  }

  std::string_view text_;
  std::string origin_;
  size_t pos_ = 0;
  int lineNumber_ = 0;
  std::string_view line_;
  bool version5_ = false;
  Section section_ = Section::None;
  std::shared_ptr<const std::string> currentKey_;
  std::vector<Edit> edits_;
};

// A file's text: UTF-16LE with its byte-order mark becomes UTF-8; a UTF-8 mark is dropped;
// anything else (REGEDIT4's ANSI text) is kept as its bytes.
std::string decodeText(std::string_view bytes, std::string_view origin) {
  if (bytes.starts_with("\xFF\xFE")) {
    bytes.remove_prefix(2);
    std::optional<std::string> text =
        utf16leToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!text) throw RegFileError(std::string(origin) + ": not valid UTF-16LE text");
    return std::move(*text);
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

class RegFileKey : public RegistryKey {
 public:
  // The registry outlives the keys it opens; reads see later imports, as an open key does.
  RegFileKey(const RegFileRegistry& registry, RootKey root, std::string path)
      : registry_(registry), root_(root), path_(std::move(path)) {}

  std::string readString(std::string_view valueName) const override {
    if (!registry_.keyExists(root_, path_))
      throw RegistryError("The key '" + path_ + "' has been deleted");
    const RegValue* value = registry_.find(root_, path_, valueName);
    if (!value) return {};
    if (value->type != RegType::String && value->type != RegType::ExpandString)
      throw RegistryError("Invalid data type for '" + std::string(valueName) + "'");
    auto end = std::find(value->data.begin(), value->data.end(), uint8_t{0});
    return std::string(value->data.begin(), end);
  }

 private:
  const RegFileRegistry& registry_;
  RootKey root_;
  std::string path_;
};

}  // namespace

void RegFileRegistry::import(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw RegFileError(file.string() + ": cannot be read: " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw RegFileError(file.string() + ": cannot be read");
  importText(bytes, file.string());
}

void RegFileRegistry::importText(std::string_view text, std::string_view origin) {
  std::vector<Edit> edits;
  try {
    const std::string decoded = decodeText(text, origin);
    edits = Parser(decoded, origin).run();
  } catch (const std::bad_alloc&) {
    throw RegFileError(std::string(origin) + ": too large to be read");
  }
  for (Edit& edit : edits) {
    switch (edit.kind) {
      case Edit::CreateKey:
        // Its ancestors exist through it (see exists()): storing each of them whole would take
        // memory growing with the square of the path's length.
        keys_.try_emplace(*edit.key);
        break;
      case Edit::DeleteKey: {
        // The parent stays, even where it existed only through this key.
        const std::string& key = *edit.key;
        if (exists(key)) keys_.try_emplace(key.substr(0, key.rfind('\\')));
        // The key and its subkeys: the entries that begin with "key\" sort right after it.
        keys_.erase(key);
        const std::string below = key + '\\';
        auto first = keys_.lower_bound(below);
        auto last = first;
        while (last != keys_.end() && last->first.starts_with(below)) ++last;
        keys_.erase(first, last);
        break;
      }
      case Edit::SetValue:
        keys_[*edit.key].values[edit.valueName] = std::move(edit.value);
        break;
      case Edit::DeleteValue:
        keys_[*edit.key].values.erase(edit.valueName);
        break;
    }
  }
}

bool RegFileRegistry::exists(const std::string& name) const {
  if (keys_.count(name)) return true;
  // A key also exists when a subkey was made: "name\..." sorts right after "name\".
  auto below = keys_.lower_bound(name + '\\');
  return below != keys_.end() && below->first.starts_with(name + '\\');
}

bool RegFileRegistry::keyExists(RootKey root, std::string_view path) const {
  std::optional<std::string> name = keyName(rootName(root), path);
  if (!name) return false;
  return *name == rootName(root) || exists(*name);
}

std::unique_ptr<RegistryKey> RegFileRegistry::openReadOnly(RootKey root,
                                                           std::string_view path) const {
  if (!keyExists(root, path)) return nullptr;
  return std::make_unique<RegFileKey>(*this, root, std::string(path));
}

const RegValue* RegFileRegistry::find(RootKey root, std::string_view path,
                                      std::string_view valueName) const {
  std::optional<std::string> name = keyName(rootName(root), path);
  if (!name) return nullptr;
  auto key = keys_.find(*name);
  if (key == keys_.end()) return nullptr;
  auto value = key->second.values.find(lowered(valueName));
  return value == key->second.values.end() ? nullptr : &value->second;
}

}  // namespace vel::platform
