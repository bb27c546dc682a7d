#include "platform/regfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system.h"
#include "tests/platform/fixtures.h"

namespace vel::platform {
namespace {

using testing::ScopedEnv;
using testing::TempFolder;
using testing::writeFile;

const std::string kRegedit4 = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vmr]\n";
const std::string kVersion5 =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Vmr]\n";

std::string bytesOf(const RegValue& v) {
  return std::string(v.data.begin(), v.data.end());
}

// ---------------------------------------------------------------------------------------------
// Parsing: one value per row, read back raw from HKEY_LOCAL_MACHINE\Software\Vmr.

struct ParseCase {
  const char* name;
  std::string file;
  std::string valueName;
  RegType type;
  std::string data;
};

const ParseCase kParseCases[] = {
    {"regedit4 string", kRegedit4 + R"("BinRoot"="C:\\ACT")", "BinRoot", RegType::String,
     R"(C:\ACT)"},
    {"escaped quotes", kRegedit4 + R"("Q"="say \"hi\"")", "Q", RegType::String, R"(say "hi")"},
    {"default value", kRegedit4 + R"(@="standard")", "", RegType::String, "standard"},
    {"blanks around =", kRegedit4 + R"(  "A" = "b"  )", "A", RegType::String, "b"},
    {"empty text", kRegedit4 + R"("A"="")", "A", RegType::String, ""},
    {"ANSI bytes kept", kRegedit4 + "\"A\"=\"caf\xE9\"", "A", RegType::String, "caf\xE9"},
    {"version 5 escapes", kVersion5 + R"("T"="a\nb\r\\")", "T", RegType::String, "a\nb\r\\"},
    {"version 5 NUL escape", kVersion5 + R"("T"="a\0b")", "T", RegType::String,
     std::string("a\0b", 3)},
    {"dword", kRegedit4 + R"("N"=dword:0000002a)", "N", RegType::Dword,
     std::string("\x2a\0\0\0", 4)},
    {"dword little-endian", kRegedit4 + R"("N"=dword:12345678)", "N", RegType::Dword,
     "\x78\x56\x34\x12"},
    {"dword short and upper case", kRegedit4 + R"("N"=dword:2A)", "N", RegType::Dword,
     std::string("\x2a\0\0\0", 4)},
    {"binary", kRegedit4 + R"("B"=hex:01,02,ff)", "B", RegType::Binary, "\x01\x02\xff"},
    {"binary empty", kRegedit4 + R"("B"=hex:)", "B", RegType::Binary, ""},
    {"regedit4 hex(2) is ANSI", kRegedit4 + R"("P"=hex(2):25,50,41,54,48,25,00)", "P",
     RegType::ExpandString, std::string("%PATH%\0", 7)},
    {"version 5 hex(2) is UTF-16",
     kVersion5 + R"("P"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00)", "P",
     RegType::ExpandString, std::string("%PATH%\0", 7)},
    {"version 5 hex(1) non-ASCII", kVersion5 + R"("S"=hex(1):e9,00,ac,20,00,00)", "S",
     RegType::String, std::string("\xC3\xA9\xE2\x82\xAC\0", 6)},
    {"version 5 surrogate pair", kVersion5 + R"("S"=hex(1):3d,d8,00,de)", "S", RegType::String,
     "\xF0\x9F\x98\x80"},
    {"version 5 hex(7)", kVersion5 + R"("M"=hex(7):61,00,00,00,62,00,00,00,00,00)", "M",
     RegType::MultiString, std::string("a\0b\0\0", 5)},
    {"version 5 binary stays bytes", kVersion5 + R"("B"=hex:41,00)", "B", RegType::Binary,
     std::string("A\0", 2)},
    {"qword", kRegedit4 + R"("W"=hex(b):01,02,00,00,00,00,00,00)", "W", RegType::Qword,
     std::string("\x01\x02\0\0\0\0\0\0", 8)},
    {"any type number", kRegedit4 + R"("X"=hex(100):07)", "X", static_cast<RegType>(0x100), "\x07"},
    {"continued hex", kRegedit4 + "\"B\"=hex:01,02,\\\n  03,04", "B", RegType::Binary,
     "\x01\x02\x03\x04"},
    {"continued hex with CRLF", kRegedit4 + "\"B\"=hex:01,\\\r\n  02,\\\r\n  03\r\n", "B",
     RegType::Binary, "\x01\x02\x03"},
    {"continued UTF-16", kVersion5 + "\"P\"=hex(2):41,00,\\\n  42,00,00,00", "P",
     RegType::ExpandString, std::string("AB\0", 3)},
    {"short root name", "REGEDIT4\n[HKLM\\Software\\Vmr]\n\"A\"=\"b\"", "A", RegType::String, "b"},
    {"root and path in any case", "REGEDIT4\n[hkey_local_machine\\SOFTWARE\\vmr]\n\"A\"=\"b\"", "A",
     RegType::String, "b"},
    {"comments and blank lines", kRegedit4 + "; one\n\n   ; two\n\t\n\"A\"=\"b\"\n", "A",
     RegType::String, "b"},
    {"CRLF lines", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vmr]\r\n\"A\"=\"b\"\r\n", "A",
     RegType::String, "b"},
    {"value name without case", kRegedit4 + R"("BINROOT"="x")", "binroot", RegType::String, "x"},
    {"later line wins", kRegedit4 + "\"A\"=\"1\"\n\"a\"=dword:00000002", "A", RegType::Dword,
     std::string("\x02\0\0\0", 4)},
};

TEST(RegFileParse, EachValueForm) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(c.name);
    RegFileRegistry registry;
    registry.importText(c.file, c.name);
    const RegValue* value = registry.find(RootKey::LocalMachine, "Software\\Vmr", c.valueName);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(value->type), static_cast<uint32_t>(c.type));
    EXPECT_EQ(bytesOf(*value), c.data);
  }
}

std::string utf16le(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(RegFileParse, FileEncodings) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\r\n"
      "\"Query File Type\"=\"C:\\\\ACT\\\\Query\"\r\n";
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"UTF-8", text}, {"UTF-8 with mark", "\xEF\xBB\xBF" + text}, {"UTF-16LE", utf16le(text)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegFileRegistry registry;
    registry.importText(row.bytes, row.name);
    auto key = registry.openReadOnly(RootKey::CurrentUser, "Software\\Symantec\\ACT!");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->readString("Query File Type"), "C:\\ACT\\Query");
  }
}

// ---------------------------------------------------------------------------------------------
// Malformed files: the error names the file and the line.

std::string repeated(const std::string& part, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += part;
  return out;
}

struct MalformedCase {
  const char* name;
  std::string file;
  int line;
  const char* says;
};

const MalformedCase kMalformedCases[] = {
    {"empty file", "", 1, "first line must be"},
    {"no header", "[HKEY_LOCAL_MACHINE\\Software]\n", 1, "first line must be"},
    {"wrong header", "\nREGEDIT5\n", 2, "first line must be"},
    {"unknown root", kRegedit4 + "[HKEY_NOWHERE\\Software]", 4,
     "unknown root key \"HKEY_NOWHERE\""},
    {"key without ]", kRegedit4 + "[HKEY_LOCAL_MACHINE\\Software", 4, "\"]\""},
    {"empty key name", kRegedit4 + "[HKEY_LOCAL_MACHINE\\a\\\\b]", 4, "empty name"},
    {"root deleted", kRegedit4 + "[-HKEY_CURRENT_USER]", 4, "root key cannot be deleted"},
    {"value before any key", "REGEDIT4\n\"A\"=\"b\"", 2, "before the first [KEY]"},
    {"value under deleted key", kRegedit4 + "[-HKLM\\Software\\Old]\n\"A\"=\"b\"", 5,
     "deleted [-KEY]"},
    {"missing =", kRegedit4 + R"("A" "b")", 4, "expected \"=\""},
    {"missing closing quote", kRegedit4 + R"("A"="b)", 4, "missing closing quote"},
    {"unterminated name", kRegedit4 + R"("A=)", 4, "missing closing quote"},
    {"text after the quote", kRegedit4 + R"("A"="b" c)", 4, "after the closing quote"},
    {"regedit4 has no \\n", kRegedit4 + R"("A"="a\nb")", 4, "unknown escape \"\\n\""},
    {"single backslash", kRegedit4 + R"("A"="C:\ACT")", 4, "unknown escape \"\\A\""},
    {"dword not hex", kRegedit4 + R"("N"=dword:xyz)", 4, "dword: needs 1 to 8 hex digits"},
    {"dword too long", kRegedit4 + R"("N"=dword:123456789)", 4, "dword: needs 1 to 8"},
    {"dword empty", kRegedit4 + R"("N"=dword:)", 4, "dword: needs 1 to 8"},
    {"hex byte not hex", kRegedit4 + R"("B"=hex:01,zz)", 4, "two digits"},
    {"hex byte of one digit", kRegedit4 + R"("B"=hex:1,02)", 4, "two digits"},
    {"hex bytes without comma", kRegedit4 + R"("B"=hex:01 02)", 4, "\",\" between"},
    {"hex ends with comma", kRegedit4 + R"("B"=hex:01,02,)", 4, "end with \",\""},
    {"hex starts with comma", kRegedit4 + R"("B"=hex:,01)", 4, "before \",\""},
    {"hex type not hex", kRegedit4 + R"("B"=hex(zz):01)", 4, "hex(TYPE)"},
    {"hex( without ):", kRegedit4 + R"("B"=hex(2:01)", 4, "hex(TYPE):"},
    {"continuation without comma", kRegedit4 + "\"B\"=hex:01\\\n  02", 4, "before the line"},
    {"continuation at end of file", kRegedit4 + "\"B\"=hex:01,\\", 4, "ends inside"},
    {"continuation into a blank line", kRegedit4 + "\"B\"=hex:01,\\\n\n", 5, "more hex bytes"},
    {"bad byte on a continued line", kRegedit4 + "\"B\"=hex:01,\\\n  02,\\\n  0g", 6, "two digits"},
    {"odd UTF-16", kVersion5 + R"("S"=hex(1):41)", 4, "not UTF-16LE"},
    {"lone surrogate", kVersion5 + R"("S"=hex(1):00,d8)", 4, "not UTF-16LE"},
    {"unknown data", kRegedit4 + R"("A"=str:"x")", 4, "expected a quoted text"},
    {"stray line", kRegedit4 + "\"A\"=\"b\"\nBinRoot=C:\\ACT", 5, "expected a [KEY]"},
    {"key name of 256 characters", "REGEDIT4\n[HKLM\\Software\\" + std::string(256, 'k') + "]", 2,
     "key name longer than 255 characters"},
    {"key 513 levels deep", "REGEDIT4\n[HKLM" + repeated("\\k", 513) + "]", 2,
     "more than 512 levels deep"},
};

TEST(RegFileParse, MalformedLinesNameFileAndLine) {
  for (const MalformedCase& c : kMalformedCases) {
    SCOPED_TRACE(c.name);
    RegFileRegistry registry;
    try {
      registry.importText(c.file, "bad.reg");
      ADD_FAILURE() << "expected RegFileError";
    } catch (const RegFileError& e) {
      const std::string message = e.what();
      EXPECT_TRUE(message.starts_with("bad.reg:" + std::to_string(c.line) + ": "))
          << "got: " << message;
      EXPECT_NE(message.find(c.says), std::string::npos)
          << "expected it to say: " << c.says << "\ngot: " << message;
    }
  }
}

TEST(RegFileParse, ErrorsQuoteABoundedExcerptOfTheLine) {
  struct Row {
    const char* name;
    std::string line;
    std::string quoted;
  } rows[] = {
      {"a line of a megabyte", "\"A\"=" + std::string(1 << 20, 'x'),
       ": \"A\"=" + std::string(76, 'x') + "..."},
      {"binary bytes", std::string("\"A\"=\x01\xFF\0z", 8), ": \"A\"=\\x01\\xFF\\x00z"},
      {"a line of binary bytes", "\"A\"=" + std::string(1000, '\x19'),
       ": \"A\"=" +
           [] {
             std::string shown;
             for (int i = 0; i < 19; ++i) shown += "\\x19";
             return shown + "...";
           }()},
      {"an unknown root of a megabyte", "[" + std::string(1 << 20, 'R') + "]",
       ": unknown root key \"RRRRRRRRRR"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegFileRegistry registry;
    try {
      registry.importText(kRegedit4 + row.line + "\n", "bad.reg");
      ADD_FAILURE() << "expected RegFileError";
    } catch (const RegFileError& e) {
      const std::string message = e.what();
      EXPECT_LT(message.size(), 300u) << message.substr(0, 400);
      EXPECT_NE(message.find(row.quoted), std::string::npos) << message;
    }
  }
}

TEST(RegFileImport, TheDeepestLongestKeyIsHeldAndItsAncestorsExist) {
  // 512 levels of 255 characters: a line of 130 KB, held once rather than once per ancestor.
  const std::string part(255, 'n');
  RegFileRegistry registry;
  registry.importText("REGEDIT4\n[HKLM" + repeated("\\" + part, 512) + "]\n\"V\"=\"deep\"\n");
  EXPECT_TRUE(registry.keyExists(RootKey::LocalMachine, part));
  EXPECT_TRUE(registry.keyExists(RootKey::LocalMachine, repeated(part + "\\", 300)));
  EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, part + "\\other"));
  auto deepest = registry.openReadOnly(RootKey::LocalMachine, repeated(part + "\\", 512));
  ASSERT_NE(deepest, nullptr);
  EXPECT_EQ(deepest->readString("V"), "deep");
}

TEST(RegFileImport, DeletingAKeyMadeOnlyByItsSubkeyKeepsTheParent) {
  RegFileRegistry registry;
  registry.importText("REGEDIT4\n[HKLM\\A\\B\\C]\n");
  registry.importText("REGEDIT4\n[-HKLM\\A\\B]\n[-HKLM\\X\\Y]\n");
  EXPECT_TRUE(registry.keyExists(RootKey::LocalMachine, "A"));
  EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, "A\\B"));
  EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, "A\\B\\C"));
  EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, "X"))
      << "deleting a missing key makes none";
}

TEST(RegFileParse, FailedImportChangesNothing) {
  RegFileRegistry registry;
  registry.importText("REGEDIT4\n[HKLM\\Software\\Old]\n\"A\"=\"kept\"\n");
  EXPECT_THROW(registry.importText("REGEDIT4\n"
                                   "[HKLM\\Software\\New]\n"
                                   "\"A\"=\"b\"\n"
                                   "[-HKLM\\Software\\Old]\n"
                                   "[HKLM\\Software\\Other]\n"
                                   "\"B\"=dword:nothex\n"),
               RegFileError);
  EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, "Software\\New"));
  auto old = registry.openReadOnly(RootKey::LocalMachine, "Software\\Old");
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->readString("A"), "kept");
}

// ---------------------------------------------------------------------------------------------
// Imports merge as regedit does.

TEST(RegFileImport, DeletingAKeyTakesItsSubkeysAndNoNeighbours) {
  RegFileRegistry registry;
  registry.importText(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Vmr]
"A"="1"
[HKEY_LOCAL_MACHINE\Software\Vmr\Sub\Deeper]
[HKEY_LOCAL_MACHINE\Software\VmrX]
[HKEY_LOCAL_MACHINE\Software\Vmr-]
[HKEY_CURRENT_USER\Software\Vmr]
)");
  registry.importText("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\software\\VMR]\n");

  struct Row {
    const char* name;
    RootKey root;
    const char* path;
    bool exists;
  } rows[] = {
      {"deleted key", RootKey::LocalMachine, "Software\\Vmr", false},
      {"its subkey", RootKey::LocalMachine, "Software\\Vmr\\Sub", false},
      {"its deeper subkey", RootKey::LocalMachine, "Software\\Vmr\\Sub\\Deeper", false},
      {"parent", RootKey::LocalMachine, "Software", true},
      {"longer name", RootKey::LocalMachine, "Software\\VmrX", true},
      {"name with a sign that sorts before \\", RootKey::LocalMachine, "Software\\Vmr-", true},
      {"same path under the other root", RootKey::CurrentUser, "Software\\Vmr", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(registry.keyExists(row.root, row.path), row.exists) << row.name;
  }
  EXPECT_EQ(registry.find(RootKey::LocalMachine, "Software\\Vmr", "A"), nullptr);
}

TEST(RegFileImport, LaterImportsWinAndDeleteValues) {
  RegFileRegistry registry;
  registry.importText(kRegedit4 + "\"A\"=\"first\"\n\"B\"=\"gone soon\"\n\"C\"=\"stays\"\n");
  registry.importText(kVersion5 + "\"a\"=\"second\"\n\"b\"=-\n");
  auto key = registry.openReadOnly(RootKey::LocalMachine, "Software\\Vmr");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->readString("A"), "second");
  EXPECT_EQ(registry.find(RootKey::LocalMachine, "Software\\Vmr", "B"), nullptr);
  EXPECT_EQ(key->readString("C"), "stays");
}

TEST(RegFileImport, DeletedKeyCanBeCreatedAgainInTheSameFile) {
  RegFileRegistry registry;
  registry.importText(kRegedit4 + "\"Old\"=\"x\"\n");
  registry.importText(
      "REGEDIT4\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Vmr]\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\NeverThere]\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Vmr]\n"
      "\"New\"=\"y\"\n");
  auto key = registry.openReadOnly(RootKey::LocalMachine, "Software\\Vmr");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->readString("New"), "y");
  EXPECT_EQ(registry.find(RootKey::LocalMachine, "Software\\Vmr", "Old"), nullptr);
}

TEST(RegFileImport, ReadsFilesFromDiskAndNamesThemInErrors) {
  TempFolder temp;
  const auto good = temp.path() / "act.reg";
  const auto bad = temp.path() / "bad.reg";
  writeFile(good,
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\r\n"
            "\"BinRoot\"=\"C:\\\\ACT\"\r\n");
  writeFile(bad, "REGEDIT4\n\n[HKLM\\Software]\n\"A\"=dword:zz\n");

  RegFileRegistry registry;
  registry.import(good);
  EXPECT_EQ(registry.openReadOnly(RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Install")
                ->readString("BinRoot"),
            "C:\\ACT");

  try {
    registry.import(bad);
    ADD_FAILURE() << "expected RegFileError";
  } catch (const RegFileError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with(bad.string() + ":4: ")) << e.what();
  }
  try {
    registry.import(temp.path() / "missing.reg");
    ADD_FAILURE() << "expected RegFileError";
  } catch (const RegFileError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.reg"), std::string::npos) << e.what();
  }
}

// ---------------------------------------------------------------------------------------------
// The rules the installer reads by.

class RegistryRules : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importText(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Symantec\ACT!\Install]
"BinRoot"="C:\\Program Files\\ACT"
"Count"=dword:00000003
"Blob"=hex:43,3a,5c
"Multi"=hex(7):43,3a,5c,00,00
"Expand"=hex(2):25,50,72,6f,67,72,61,6d,46,69,6c,65,73,25,5c,41,43,54,00
"Cut"=hex(1):43,3a,5c,41,00,5a,5a,00
@="the default"

[HKEY_CURRENT_USER\Software\Symantec\ACT!]
"Query File Type"="C:\\ACT\\Query"
)",
                         "act.reg");
  }

  std::unique_ptr<RegistryKey> install() const {
    return registry_.openReadOnly(RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Install");
  }

  RegFileRegistry registry_;
};

TEST_F(RegistryRules, KeyExists) {
  struct Row {
    const char* name;
    RootKey root;
    const char* path;
    bool exists;
  } rows[] = {
      {"install key", RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Install", true},
      {"other case", RootKey::LocalMachine, "software\\SYMANTEC\\act!\\INSTALL", true},
      {"ancestor made by the file", RootKey::LocalMachine, "SOFTWARE\\Symantec", true},
      {"trailing backslash", RootKey::LocalMachine, "SOFTWARE\\Symantec\\", true},
      {"the root itself", RootKey::CurrentUser, "", true},
      {"user key", RootKey::CurrentUser, "Software\\Symantec\\ACT!", true},
      {"missing key", RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Missing", false},
      {"start of a name only", RootKey::LocalMachine, "SOFTWARE\\Syman", false},
      {"under the other root", RootKey::CurrentUser, "SOFTWARE\\Symantec\\ACT!\\Install", false},
      {"doubled backslash", RootKey::LocalMachine, "SOFTWARE\\\\Symantec", false},
      {"leading backslash", RootKey::LocalMachine, "\\SOFTWARE", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(registry_.keyExists(row.root, row.path), row.exists) << row.name;
    EXPECT_EQ(registry_.openReadOnly(row.root, row.path) != nullptr, row.exists) << row.name;
  }
}

TEST_F(RegistryRules, ReadString) {
  auto key = install();
  ASSERT_NE(key, nullptr);
  struct Row {
    const char* value;
    const char* expected;
  } rows[] = {
      {"BinRoot", "C:\\Program Files\\ACT"},
      {"BINROOT", "C:\\Program Files\\ACT"},
      {"Expand", "%ProgramFiles%\\ACT"},  // kept unexpanded
      {"Cut", "C:\\A"},                   // up to the first NUL
      {"", "the default"},
      {"Missing", ""},
      {"Query File Type", ""},  // a value of another key
  };
  for (const Row& row : rows) {
    EXPECT_EQ(key->readString(row.value), row.expected) << "value '" << row.value << "'";
  }
}

TEST_F(RegistryRules, OtherTypesAreErrorsNamingTheValue) {
  auto key = install();
  ASSERT_NE(key, nullptr);
  for (const char* name : {"Count", "Blob", "Multi"}) {
    try {
      key->readString(name);
      ADD_FAILURE() << name << ": expected RegistryError";
    } catch (const RegistryError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid data type for '" + std::string(name) + "'");
    }
  }
}

TEST_F(RegistryRules, OpenKeyReadsLaterImportsAndFailsOnceDeleted) {
  auto key = install();
  ASSERT_NE(key, nullptr);
  registry_.importText(
      "REGEDIT4\n[HKLM\\SOFTWARE\\Symantec\\ACT!\\Install]\n\"BinRoot\"=\"D:\\\\ACT\"\n");
  EXPECT_EQ(key->readString("BinRoot"), "D:\\ACT");
  registry_.importText("REGEDIT4\n[-HKLM\\SOFTWARE\\Symantec]\n");
  EXPECT_THROW(key->readString("BinRoot"), RegistryError);
}

// ---------------------------------------------------------------------------------------------
// The machine's registry on this platform: the files named by VELMORA_REGISTRY.

TEST(SystemRegistry, ImportsTheNamedFilesInOrder) {
  TempFolder temp;
  const auto first = temp.path() / "first.reg";
  const auto second = temp.path() / "second.reg";
  writeFile(first, kRegedit4 + "\"A\"=\"first\"\n\"B\"=\"only in first\"\n");
  writeFile(second, kRegedit4 + "\"A\"=\"second\"\n");

  ScopedEnv env("VELMORA_REGISTRY", first.string() + "::" + second.string());
  auto registry = systemRegistry();
  auto key = registry->openReadOnly(RootKey::LocalMachine, "Software\\Vmr");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->readString("A"), "second");
  EXPECT_EQ(key->readString("B"), "only in first");
}

TEST(SystemRegistry, EmptyWhenUnset) {
  ScopedEnv env("VELMORA_REGISTRY", std::nullopt);
  auto registry = systemRegistry();
  EXPECT_FALSE(registry->keyExists(RootKey::LocalMachine, "SOFTWARE\\Symantec\\ACT!\\Install"));
  EXPECT_TRUE(registry->keyExists(RootKey::LocalMachine, ""));
}

TEST(SystemRegistry, FileThatFailsToParseThrows) {
  TempFolder temp;
  const auto bad = temp.path() / "bad.reg";
  writeFile(bad, "not a registry file\n");
  ScopedEnv env("VELMORA_REGISTRY", bad.string());
  EXPECT_THROW(systemRegistry(), RegFileError);
}

}  // namespace
}  // namespace vel::platform
