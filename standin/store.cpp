#include "standin/store.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <system_error>

#include "standin/durable.h"

namespace vel::standin {

namespace fs = std::filesystem;
using json = nlohmann::json;
using host::VarType;

namespace {

constexpr std::string_view kFormat = "velmora-standin-host";
constexpr int kFormatVersion = 1;
constexpr const char* kSnapshotName = "host.json";
constexpr const char* kSnapshotTemp = "host.json.tmp";
constexpr const char* kCallLogName = "calls.jsonl";

// A record that does not decode; the caller adds where it was found.
class BadRecord : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The host's documents nest six levels at most. Deeper input is refused before it is parsed:
// printing a value (as error messages do) recurses once per level.
constexpr size_t kMaxNesting = 64;
// How much of an offending value an error message shows.
constexpr size_t kMaxShown = 120;

void checkNesting(std::string_view text) {
  size_t depth = 0;
  bool inText = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inText) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inText = false;
    } else if (c == '"') {
      inText = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting)
        throw BadRecord("nested deeper than " + std::to_string(kMaxNesting) + " levels");
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
}

// A message cut to kMaxShown characters (the parser's own quote the token it stopped at).
std::string cut(std::string text) {
  if (text.size() > kMaxShown) text.replace(kMaxShown, std::string::npos, "...");
  return text;
}

// A value as an error message shows it. A name cut short may end inside a character: the
// replacement character stands for it.
std::string shown(const json& j) {
  return cut(j.dump(-1, ' ', false, json::error_handler_t::replace));
}
std::string shownName(std::string_view name) {
  return shown(json(std::string(name.substr(0, kMaxShown + 1))));
}

std::string journalName(uint64_t generation) {
  return "journal-" + std::to_string(generation) + ".jsonl";
}

std::optional<uint64_t> journalGeneration(const std::string& fileName) {
  constexpr std::string_view prefix = "journal-", suffix = ".jsonl";
  std::string_view s(fileName);
  if (s.size() <= prefix.size() + suffix.size() || !s.starts_with(prefix) || !s.ends_with(suffix))
    return std::nullopt;
  s = s.substr(prefix.size(), s.size() - prefix.size() - suffix.size());
  uint64_t n = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return n;
}

std::string systemMessage(int err) {
  return std::generic_category().message(err);
}

// --- Files -------------------------------------------------------------------------------------

std::optional<std::string> readWholeFile(const fs::path& path) {
  std::FILE* f = openFile(path, "rb");
  if (!f) {
    if (errno == ENOENT) return std::nullopt;
    throw StoreError("cannot read " + path.string() + ": " + systemMessage(errno));
  }
  std::string text;
  std::array<char, 1 << 16> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) text.append(buf.data(), n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw StoreError("cannot read " + path.string());
  return text;
}

// --- Checksums of journal lines ----------------------------------------------------------------

uint32_t crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// A journal line: {"sum":"<crc32 of the record's text, 8 hex digits>","rec":<record>}. The
// record's text sits at a fixed offset, so the sum is checked on the bytes as written.
constexpr std::string_view kSumHead = "{\"sum\":\"";
constexpr std::string_view kRecHead = "\",\"rec\":";
constexpr size_t kRecordOffset = 8 + 8 + 8;

std::string journalLine(const json& record) {
  std::string text = record.dump();
  char sum[9];
  std::snprintf(sum, sizeof sum, "%08x", crc32(text));
  std::string line;
  line.reserve(text.size() + kRecordOffset + 2);
  line.append(kSumHead).append(sum).append(kRecHead).append(text).append("}\n");
  return line;
}

json parseJournalLine(std::string_view line) {
  if (line.size() < kRecordOffset + 3 || line.substr(0, 8) != kSumHead ||
      line.substr(16, 8) != kRecHead || line.back() != '}')
    throw BadRecord("not a journal record");
  uint32_t sum = 0;
  auto [end, ec] = std::from_chars(line.data() + 8, line.data() + 16, sum, 16);
  if (ec != std::errc() || end != line.data() + 16) throw BadRecord("malformed checksum");
  std::string_view text = line.substr(kRecordOffset, line.size() - kRecordOffset - 1);
  if (crc32(text) != sum) throw BadRecord("checksum mismatch");
  checkNesting(text);
  json record = json::parse(text, nullptr, false);
  if (record.is_discarded() || !record.is_object()) throw BadRecord("record is not a JSON object");
  return record;
}

// --- Values ------------------------------------------------------------------------------------

json encodeNumber(double d) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
  return d;
}

double decodeNumber(const json& j) {
  if (j.is_number()) return j.get<double>();
  if (j == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (j == "Infinity") return std::numeric_limits<double>::infinity();
  if (j == "-Infinity") return -std::numeric_limits<double>::infinity();
  throw BadRecord("not a number: " + shown(j));
}

json encodeValue(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return json{{"empty", true}};
    case VarType::Null:
      return nullptr;
    case VarType::Boolean:
      return v.asBool();
    case VarType::Int16:
      return json{{"i2", v.asInt16()}};
    case VarType::Int32:
      return v.asInt32();
    case VarType::Double:
      return json{{"r8", encodeNumber(v.asDouble())}};
    case VarType::Date:
      return json{{"date", encodeNumber(v.asDate())}};
    case VarType::Text:
      return v.asText();
    case VarType::Error:
      return json{{"err", v.asError()}};
    case VarType::Object:
      break;
  }
  throw StoreError("an object value cannot be stored");
}

template <class T>
T integerIn(const json& j, std::string_view what) {
  if (j.is_number_integer()) {
    int64_t n = j.get<int64_t>();
    if (j.is_number_unsigned() && j.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX))
      n = INT64_MAX;
    if (n >= std::numeric_limits<T>::min() && n <= std::numeric_limits<T>::max())
      return static_cast<T>(n);
  }
  throw BadRecord(std::string(what) + " is not a " + std::to_string(sizeof(T) * 8) +
                  "-bit integer: " + shown(j));
}

Variant decodeValue(const json& j) {
  switch (j.type()) {
    case json::value_t::null:
      return Variant::null();
    case json::value_t::boolean:
      return j.get<bool>();
    case json::value_t::string:
      return j.get_ref<const std::string&>();
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
      return integerIn<int32_t>(j, "a value");
    case json::value_t::object: {
      if (j.size() == 1) {
        auto it = j.begin();
        const std::string& tag = it.key();
        const json& inner = it.value();
        if (tag == "i2") return integerIn<int16_t>(inner, "an i2 value");
        if (tag == "r8") return decodeNumber(inner);
        if (tag == "date") return Variant::date(decodeNumber(inner));
        if (tag == "err") return Variant::error(integerIn<int32_t>(inner, "an err value"));
        if (tag == "empty" && inner == true) return Variant();
      }
      break;
    }
    default:
      break;
  }
  throw BadRecord("not a stored value: " + shown(j));
}

const json& member(const json& j, std::string_view name) {
  if (!j.is_object()) throw BadRecord("expected an object, found " + shown(j));
  auto it = j.find(name);
  if (it == j.end()) throw BadRecord("missing \"" + std::string(name) + "\"");
  return *it;
}

std::string textOf(const json& j, std::string_view name) {
  const json& v = member(j, name);
  if (!v.is_string()) throw BadRecord("\"" + std::string(name) + "\" is not a text");
  return v.get<std::string>();
}

int32_t intOf(const json& j, std::string_view name) {
  return integerIn<int32_t>(member(j, name), "\"" + std::string(name) + "\"");
}

bool boolOf(const json& j, std::string_view name) {
  const json& v = member(j, name);
  if (!v.is_boolean()) throw BadRecord("\"" + std::string(name) + "\" is not true or false");
  return v.get<bool>();
}

std::vector<std::string> textList(const json& j) {
  if (!j.is_array()) throw BadRecord("expected a list of texts, found " + shown(j));
  std::vector<std::string> out;
  out.reserve(j.size());
  for (const json& e : j) {
    if (!e.is_string()) throw BadRecord("expected a text, found " + shown(e));
    out.push_back(e.get<std::string>());
  }
  return out;
}

const json& listOf(const json& j, std::string_view name) {
  const json& v = member(j, name);
  if (!v.is_array()) throw BadRecord("\"" + std::string(name) + "\" is not a list");
  return v;
}

// --- Contacts ----------------------------------------------------------------------------------

void appendContact(std::string& out, const Contact& c) {
  out += '{';
  bool first = true;
  for (const auto& [id, value] : c.values) {
    if (value.isEmpty()) continue;
    if (!first) out += ',';
    first = false;
    out += '"';
    out += std::to_string(id);
    out += "\":";
    out += encodeValue(value).dump();
  }
  out += '}';
}

json encodeContact(const Contact& c) {
  json j = json::object();
  for (const auto& [id, value] : c.values)
    if (!value.isEmpty()) j[std::to_string(id)] = encodeValue(value);
  return j;
}

Contact decodeContact(const json& j) {
  if (!j.is_object()) throw BadRecord("a contact is not an object: " + shown(j));
  Contact c;
  c.values.reserve(j.size());
  for (const auto& [key, value] : j.items()) {
    int32_t id = 0;
    auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), id);
    if (ec != std::errc() || end != key.data() + key.size())
      throw BadRecord("a contact's key is not a field identifier: " + shownName(key));
    Variant v = decodeValue(value);
    if (!v.isEmpty()) c.values.emplace_back(id, std::move(v));
  }
  // Keys come in text order ("1", "1002", "999"): put them in field order.
  auto byId = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (!std::is_sorted(c.values.begin(), c.values.end(), byId))
    std::sort(c.values.begin(), c.values.end(), byId);
  return c;
}

// --- The rest of the state ---------------------------------------------------------------------

json encodeLookup(const std::optional<std::vector<std::string>>& lookup) {
  if (!lookup) return nullptr;
  return *lookup;
}

std::optional<std::vector<std::string>> decodeLookup(const json& j) {
  if (j.is_null()) return std::nullopt;
  return textList(j);
}

json encodeUi(const UiState& ui) {
  return json{
      {"ready", ui.ready},
      {"control",
       {{"invisible", ui.control.invisible}, {"readyWhenSited", ui.control.readyWhenSited}}},
      {"openDatabase", ui.openDatabase},
      {"focusedField", ui.focusedField},
      {"lookup", encodeLookup(ui.lookup)}};
}

UiState decodeUi(const json& j) {
  UiState ui;
  ui.ready = boolOf(j, "ready");
  // Folders written before the control options had none: the defaults.
  if (auto it = j.find("control"); it != j.end()) {
    ui.control.invisible = boolOf(*it, "invisible");
    ui.control.readyWhenSited = boolOf(*it, "readyWhenSited");
  }
  ui.openDatabase = textOf(j, "openDatabase");
  ui.focusedField = intOf(j, "focusedField");
  ui.lookup = decodeLookup(member(j, "lookup"));
  return ui;
}

json encodeField(const FieldDef& f) {
  json j{{"id", f.id}, {"label", f.label}, {"type", f.type}};
  if (f.popup) j["popup"] = *f.popup;
  return j;
}

FieldDef decodeField(const json& j) {
  FieldDef f;
  f.id = intOf(j, "id");
  f.label = textOf(j, "label");
  f.type = intOf(j, "type");
  if (auto it = j.find("popup"); it != j.end() && !it->is_null()) f.popup = textList(*it);
  return f;
}

json encodeCommand(const CommandDef& c) {
  return json{{"caption", c.caption},
              {"commandLine", c.commandLine},
              {"startFolder", c.startFolder},
              {"title", c.title},
              {"description", c.description},
              {"icon", c.icon},
              {"icon2", c.icon2},
              {"last", c.last}};
}

CommandDef decodeCommand(const json& j) {
  CommandDef c;
  c.caption = textOf(j, "caption");
  c.commandLine = textOf(j, "commandLine");
  c.startFolder = textOf(j, "startFolder");
  c.title = textOf(j, "title");
  c.description = textOf(j, "description");
  c.icon = textOf(j, "icon");
  c.icon2 = textOf(j, "icon2");
  c.last = intOf(j, "last");
  return c;
}

json encodeSubMenu(const SubMenu& s) {
  return json{{"menuSet", s.menuSet},
              {"parent", s.parent},
              {"caption", s.caption},
              {"position", s.position},
              {"flag", s.flag}};
}

SubMenu decodeSubMenu(const json& j) {
  return SubMenu{intOf(j, "menuSet"), textOf(j, "parent"), textOf(j, "caption"),
                 intOf(j, "position"), intOf(j, "flag")};
}

json encodeMenuEntry(const MenuEntry& e) {
  return json{{"menuSet", e.menuSet},
              {"path", e.path},
              {"caption", e.caption},
              {"position", e.position},
              {"flag", e.flag}};
}

MenuEntry decodeMenuEntry(const json& j) {
  return MenuEntry{intOf(j, "menuSet"), textOf(j, "path"), textOf(j, "caption"),
                   intOf(j, "position"), intOf(j, "flag")};
}

json encodeButton(const ToolbarButton& b) {
  return json{{"menuSet", b.menuSet}, {"caption", b.caption}};
}

ToolbarButton decodeButton(const json& j) {
  return ToolbarButton{intOf(j, "menuSet"), textOf(j, "caption")};
}

json encodeCatalogue(const Catalogue& c) {
  json j{{"commands", json::array()},
         {"submenus", json::array()},
         {"menuEntries", json::array()},
         {"toolbar", json::array()}};
  for (const auto& x : c.commands) j["commands"].push_back(encodeCommand(x));
  for (const auto& x : c.submenus) j["submenus"].push_back(encodeSubMenu(x));
  for (const auto& x : c.menuEntries) j["menuEntries"].push_back(encodeMenuEntry(x));
  for (const auto& x : c.toolbar) j["toolbar"].push_back(encodeButton(x));
  return j;
}

Catalogue decodeCatalogue(const json& j) {
  Catalogue c;
  for (const json& x : listOf(j, "commands")) c.commands.push_back(decodeCommand(x));
  for (const json& x : listOf(j, "submenus")) c.submenus.push_back(decodeSubMenu(x));
  for (const json& x : listOf(j, "menuEntries")) c.menuEntries.push_back(decodeMenuEntry(x));
  for (const json& x : listOf(j, "toolbar")) c.toolbar.push_back(decodeButton(x));
  return c;
}

constexpr std::array<std::pair<Rule::Kind, std::string_view>, 3> kRuleKinds{{
    {Rule::Kind::Fail, "fail"},
    {Rule::Kind::Answer, "answer"},
    {Rule::Kind::WriteBack, "writeback"},
}};

json encodeRule(const Rule& r) {
  std::string_view kind;
  for (const auto& [k, name] : kRuleKinds)
    if (k == r.kind) kind = name;
  return json{{"kind", kind},
              {"member", r.member},
              {"nth", r.nth},
              {"when", r.whenText ? json(*r.whenText) : json(nullptr)},
              {"number", r.number},
              {"description", r.description},
              {"value", encodeValue(r.value)},
              {"arg", r.argIndex}};
}

Rule decodeRule(const json& j) {
  Rule r;
  std::string kind = textOf(j, "kind");
  auto it = std::find_if(kRuleKinds.begin(), kRuleKinds.end(),
                         [&](const auto& k) { return k.second == kind; });
  if (it == kRuleKinds.end()) throw BadRecord("unknown rule kind " + shownName(kind));
  r.kind = it->first;
  r.member = textOf(j, "member");
  r.nth = intOf(j, "nth");
  if (const json& when = member(j, "when"); !when.is_null()) r.whenText = textOf(j, "when");
  r.number = intOf(j, "number");
  r.description = textOf(j, "description");
  r.value = decodeValue(member(j, "value"));
  r.argIndex = intOf(j, "arg");
  return r;
}

json encodeRules(const std::vector<Rule>& rules) {
  json j = json::array();
  for (const Rule& r : rules) j.push_back(encodeRule(r));
  return j;
}

std::vector<Rule> decodeRules(const json& j) {
  if (!j.is_array()) throw BadRecord("the rules are not a list");
  std::vector<Rule> rules;
  for (const json& r : j) rules.push_back(decodeRule(r));
  return rules;
}

// --- Calls -------------------------------------------------------------------------------------

constexpr std::array<host::CallKind, 3> kCallKinds{
    host::CallKind::Method, host::CallKind::PropertyGet, host::CallKind::PropertyPut};
constexpr std::array<VarType, 10> kVarTypes{
    VarType::Empty,  VarType::Null, VarType::Boolean, VarType::Int16, VarType::Int32,
    VarType::Double, VarType::Date, VarType::Text,    VarType::Error, VarType::Object};

json encodeCall(const LoggedCall& c) {
  json args = json::array();
  for (const LoggedArg& a : c.args)
    args.push_back(json{{"value", encodeValue(a.value)},
                        {"byRef", a.byRef},
                        {"refType", host::typeName(a.refType)},
                        {"after", encodeValue(a.after)}});
  return json{{"object", c.object},
              {"member", c.member},
              {"kind", host::callKindName(c.kind)},
              {"args", std::move(args)},
              {"result", encodeValue(c.result)},
              {"error", c.error},
              {"errorText", c.errorText}};
}

LoggedCall decodeCall(const json& j) {
  LoggedCall c;
  c.object = textOf(j, "object");
  c.member = textOf(j, "member");
  std::string kind = textOf(j, "kind");
  auto k = std::find_if(kCallKinds.begin(), kCallKinds.end(),
                        [&](host::CallKind x) { return host::callKindName(x) == kind; });
  if (k == kCallKinds.end()) throw BadRecord("unknown call kind " + shownName(kind));
  c.kind = *k;
  for (const json& a : listOf(j, "args")) {
    LoggedArg arg;
    arg.value = decodeValue(member(a, "value"));
    arg.byRef = boolOf(a, "byRef");
    std::string type = textOf(a, "refType");
    auto t = std::find_if(kVarTypes.begin(), kVarTypes.end(),
                          [&](VarType x) { return host::typeName(x) == type; });
    if (t == kVarTypes.end()) throw BadRecord("unknown reference type " + shownName(type));
    arg.refType = *t;
    arg.after = decodeValue(member(a, "after"));
    c.args.push_back(std::move(arg));
  }
  c.result = decodeValue(member(j, "result"));
  c.error = intOf(j, "error");
  c.errorText = textOf(j, "errorText");
  return c;
}

// --- Snapshot ----------------------------------------------------------------------------------

// Streams the snapshot into a file, a buffer at a time, so a large database is never held twice.
class SnapshotWriter {
 public:
  explicit SnapshotWriter(const fs::path& path) : path_(path), file_(openFile(path, "wb")) {
    if (!file_) throw StoreError("cannot write " + path.string() + ": " + systemMessage(errno));
  }
  ~SnapshotWriter() {
    if (file_) std::fclose(file_);
  }

  std::string& buffer() { return buf_; }
  void drainIfFull() {
    if (buf_.size() >= (1u << 20)) drain();
  }
  // The bytes on the disk and the file closed; throws when any write failed.
  void finish() {
    drain();
    bool ok = syncToDisk(file_);
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) throw StoreError("cannot write " + path_.string() + ": " + systemMessage(errno));
  }

 private:
  void drain() {
    if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size())
      throw StoreError("cannot write " + path_.string() + ": " + systemMessage(errno));
    buf_.clear();
  }
  fs::path path_;
  std::FILE* file_;
  std::string buf_;
};

void writeSnapshotFile(const fs::path& path, const HostState& state, uint64_t generation) {
  SnapshotWriter w(path);
  std::string& out = w.buffer();
  // The header first, so a folder is recognised from the file's first bytes.
  out += "{\"format\":" + json(kFormat).dump() + ",\"version\":" + std::to_string(kFormatVersion) +
         ",\"generation\":" + std::to_string(generation) + ",\n";
  out += "\"logCalls\":" + json(state.logCalls).dump() + ",\n";
  out += "\"ui\":" + encodeUi(state.ui).dump() + ",\n";
  out += "\"catalogue\":" + encodeCatalogue(state.catalogue).dump() + ",\n";
  out += "\"rules\":" + encodeRules(state.rules).dump() + ",\n";
  out += "\"databases\":[";
  bool firstDb = true;
  for (const auto& [name, db] : state.databases) {
    out += firstDb ? "\n" : ",\n";
    firstDb = false;
    json fields = json::array();
    for (const FieldDef& f : db.fields) fields.push_back(encodeField(f));
    out += "{\"name\":" + json(name).dump() + ",\"fields\":" + fields.dump() + ",\"contacts\":[";
    for (size_t i = 0; i < db.contacts.size(); ++i) {
      out += i ? ",\n" : "\n";
      appendContact(out, db.contacts[i]);
      w.drainIfFull();
    }
    out += "]}";
  }
  out += "]}\n";
  w.finish();
}

// Writes the snapshot beside the old one and renames it into place: a reader sees the old file
// or the new one, never a part.
void replaceSnapshot(const fs::path& folder, const HostState& state, uint64_t generation) {
  fs::path temp = folder / kSnapshotTemp;
  try {
    writeSnapshotFile(temp, state, generation);
    replaceFile(temp, folder / kSnapshotName);
  } catch (const fs::filesystem_error& e) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw StoreError("cannot replace " + (folder / kSnapshotName).string() + ": " +
                     e.code().message());
  } catch (...) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw;
  }
}

struct Snapshot {
  uint64_t generation = 0;
  HostState state;
};

Snapshot loadSnapshot(const fs::path& path) {
  std::optional<std::string> text = readWholeFile(path);
  if (!text)
    throw StoreError(path.parent_path().string() + " is not a host folder: no " + kSnapshotName);

  // Contacts are taken out of the document as each one ends, so the parsed tree never holds a
  // whole table: one contact's object at a time.
  std::vector<std::vector<Contact>> tables;
  std::array<std::string, 4> keyAt;
  bool inContacts = false;
  auto onEvent = [&](int depth, json::parse_event_t event, json& parsed) {
    using E = json::parse_event_t;
    switch (event) {
      case E::key:
        if (depth < static_cast<int>(keyAt.size())) keyAt[depth] = parsed.get<std::string>();
        return true;
      case E::object_start:
        if (depth == 2 && keyAt[1] == "databases") tables.emplace_back();
        return true;
      case E::array_start:
        if (depth == 3 && keyAt[1] == "databases" && keyAt[3] == "contacts") inContacts = true;
        return true;
      case E::array_end:
        if (depth == 3) inContacts = false;
        return true;
      case E::object_end:
        if (depth == 4 && inContacts && !tables.empty()) {
          try {
            tables.back().push_back(decodeContact(parsed));
          } catch (const BadRecord& e) {
            throw StoreError(path.string() + ": contact " +
                             std::to_string(tables.back().size() + 1) + " of database " +
                             std::to_string(tables.size()) + ": " + e.what());
          }
          return false;
        }
        return true;
      case E::value:
        return true;
    }
    return true;
  };

  json root;
  try {
    checkNesting(*text);
  } catch (const BadRecord& e) {
    throw StoreError(path.string() + ": " + e.what());
  }
  try {
    root = json::parse(*text, onEvent);
  } catch (const json::exception& e) {
    throw StoreError(path.string() + " is not a valid snapshot: " + cut(e.what()));
  }
  if (!root.is_object() || root.value("format", json()) != kFormat)
    throw StoreError(path.string() + " is not a stand-in host snapshot");

  Snapshot snap;
  try {
    if (intOf(root, "version") != kFormatVersion)
      throw BadRecord("format version " + shown(member(root, "version")) + " is not " +
                      std::to_string(kFormatVersion));
    const json& gen = member(root, "generation");
    if (!gen.is_number_unsigned()) throw BadRecord("\"generation\" is not a generation number");
    snap.generation = gen.get<uint64_t>();
    snap.state.logCalls = boolOf(root, "logCalls");
    snap.state.ui = decodeUi(member(root, "ui"));
    snap.state.catalogue = decodeCatalogue(member(root, "catalogue"));
    snap.state.rules = decodeRules(member(root, "rules"));
    const json& dbs = listOf(root, "databases");
    if (dbs.size() != tables.size()) throw BadRecord("the databases are not a list of objects");
    for (size_t i = 0; i < dbs.size(); ++i) {
      Database db;
      db.name = textOf(dbs[i], "name");
      for (const json& f : listOf(dbs[i], "fields")) db.fields.push_back(decodeField(f));
      std::sort(db.fields.begin(), db.fields.end(),
                [](const FieldDef& a, const FieldDef& b) { return a.id < b.id; });
      listOf(dbs[i], "contacts");
      db.contacts = std::move(tables[i]);
      std::string name = db.name;
      if (!snap.state.databases.emplace(name, std::move(db)).second)
        throw BadRecord("database " + shownName(name) + " is there twice");
    }
  } catch (const BadRecord& e) {
    throw StoreError(path.string() + ": " + e.what());
  }
  return snap;
}

// --- Journal -----------------------------------------------------------------------------------

Database& databaseNamed(HostState& state, const std::string& name) {
  if (auto it = state.databases.find(name); it != state.databases.end()) return it->second;
  for (auto& [key, db] : state.databases)
    if (host::sameName(key, name)) return db;
  throw BadRecord("no database " + shownName(name));
}

void applyRecord(HostState& state, const json& rec) {
  std::string op = textOf(rec, "op");
  if (op == "contact") {
    Database& db = databaseNamed(state, textOf(rec, "db"));
    const json& index = member(rec, "index");
    if (!index.is_number_unsigned()) throw BadRecord("\"index\" is not a table position");
    size_t i = index.get<size_t>();
    Contact c = decodeContact(member(rec, "values"));
    if (i < db.contacts.size()) {
      db.contacts[i] = std::move(c);
    } else if (i == db.contacts.size()) {
      db.contacts.push_back(std::move(c));
    } else {
      throw BadRecord("contact " + std::to_string(i) + " lies beyond the table's " +
                      std::to_string(db.contacts.size()) + " contacts");
    }
  } else if (op == "lookup") {
    state.ui.lookup = decodeLookup(member(rec, "lookup"));
  } else if (op == "ui") {
    state.ui = decodeUi(member(rec, "ui"));
  } else if (op == "command") {
    state.catalogue.commands.push_back(decodeCommand(member(rec, "command")));
  } else if (op == "submenu") {
    state.catalogue.submenus.push_back(decodeSubMenu(member(rec, "submenu")));
  } else if (op == "menuEntry") {
    state.catalogue.menuEntries.push_back(decodeMenuEntry(member(rec, "entry")));
  } else if (op == "toolbar") {
    state.catalogue.toolbar.push_back(decodeButton(member(rec, "button")));
  } else if (op == "rules") {
    state.rules = decodeRules(member(rec, "rules"));
  } else {
    throw BadRecord("unknown operation " + shownName(op));
  }
}

// Reads a file of lines, each handed to `take`. A last line that is cut short or does not
// decode is what a crash inside a write leaves: it is dropped. Anywhere else a bad line means
// the file was damaged, and that is an error naming the line. Returns the length of the
// well-formed part.
template <class Take>
size_t readLines(const fs::path& path, const std::string& text, Take take) {
  size_t pos = 0, line = 1;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) break;
    bool last = nl + 1 == text.size();
    try {
      take(std::string_view(text).substr(pos, nl - pos));
    } catch (const BadRecord& e) {
      if (last) break;
      throw StoreError(path.string() + " line " + std::to_string(line) + ": " + e.what());
    } catch (const json::exception& e) {
      if (last) break;
      throw StoreError(path.string() + " line " + std::to_string(line) + ": " + cut(e.what()));
    }
    pos = nl + 1;
    ++line;
  }
  return pos;
}

// Replays a journal into the state and cuts a torn last line off, so later appends follow the
// last whole record.
void replayJournal(const fs::path& path, HostState& state) {
  std::optional<std::string> text = readWholeFile(path);
  if (!text) return;
  size_t line = 1;
  size_t good = readLines(path, *text, [&](std::string_view raw) {
    json rec = parseJournalLine(raw);
    try {
      applyRecord(state, rec);
    } catch (const BadRecord& e) {
      // A whole, checked record that does not apply is damage, wherever it stands.
      throw StoreError(path.string() + " line " + std::to_string(line) + ": " + e.what());
    }
    ++line;
  });
  if (good < text->size()) {
    std::error_code ec;
    fs::resize_file(path, good, ec);
    if (ec) throw StoreError("cannot repair " + path.string() + ": " + ec.message());
  }
}

// An append-only file of lines; each line reaches the system before append() returns.
class LineFile {
 public:
  LineFile() = default;
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;
  ~LineFile() { close(); }

  void open(const fs::path& path) {
    close();
    path_ = path;
    file_ = openFile(path, "ab");
    if (!file_) throw StoreError("cannot open " + path.string() + ": " + systemMessage(errno));
    std::error_code ec;
    size_ = fs::file_size(path, ec);
    if (ec) size_ = 0;
  }
  void close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }
  bool isOpen() const { return file_ != nullptr; }
  uintmax_t size() const { return size_; }

  void append(const std::string& line) {
    bool ok = std::fwrite(line.data(), 1, line.size(), file_) == line.size();
    ok = std::fflush(file_) == 0 && ok;
    if (!ok) {
      int err = errno;
      // Cut off whatever part of the line got out, so the next append is not glued to it.
      close();
      std::error_code ec;
      fs::resize_file(path_, size_, ec);
      file_ = openFile(path_, "ab");
      throw StoreError("cannot write " + path_.string() + ": " + systemMessage(err));
    }
    size_ += line.size();
  }

 private:
  fs::path path_;
  std::FILE* file_ = nullptr;
  uintmax_t size_ = 0;
};

void removeQuietly(const fs::path& p) {
  std::error_code ec;
  fs::remove(p, ec);
}

// Journals of other generations are left over from a compaction that stopped after its rename.
void removeStaleFiles(const fs::path& folder, std::optional<uint64_t> keep) {
  removeQuietly(folder / kSnapshotTemp);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    auto gen = journalGeneration(entry.path().filename().string());
    if (gen && gen != keep) removeQuietly(entry.path());
  }
}

void checkFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::exists(folder, ec)) throw StoreError("no host folder at " + folder.string());
  if (!fs::is_directory(folder, ec)) throw StoreError(folder.string() + " is not a folder");
  if (!fs::is_regular_file(folder / kSnapshotName, ec))
    throw StoreError(folder.string() + " is not a host folder: it holds no " + kSnapshotName);
}

}  // namespace

struct Store::Impl {
  uint64_t generation = 0;
  LineFile journal;
  LineFile calls;
};

Store::Store(fs::path folder, uint64_t generation)
    : folder_(std::move(folder)), impl_(std::make_unique<Impl>()) {
  impl_->generation = generation;
  impl_->journal.open(folder_ / journalName(generation));
}

Store::~Store() = default;

void Store::create(const fs::path& folder, const HostState& state) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw StoreError("cannot create " + folder.string() + ": " + ec.message());
  if (!fs::is_directory(folder, ec)) throw StoreError(folder.string() + " is not a folder");
  // The replaced host's journals would otherwise be replayed over the new snapshot.
  removeStaleFiles(folder, std::nullopt);
  replaceSnapshot(folder, state, 1);
  removeQuietly(folder / kCallLogName);
}

std::unique_ptr<Store> Store::open(const fs::path& folder, HostState& state) {
  checkFolder(folder);
  Snapshot snap = loadSnapshot(folder / kSnapshotName);
  removeStaleFiles(folder, snap.generation);
  replayJournal(folder / journalName(snap.generation), snap.state);
  for (auto& [name, db] : snap.state.databases) db.reindex();
  std::unique_ptr<Store> store(new Store(folder, snap.generation));
  state = std::move(snap.state);
  return store;
}

bool Store::isHostFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_regular_file(folder / kSnapshotName, ec)) return false;
  std::FILE* f = openFile(folder / kSnapshotName, "rb");
  if (!f) return false;
  std::string head = "{\"format\":" + json(kFormat).dump();
  std::string got(head.size(), '\0');
  size_t n = std::fread(got.data(), 1, got.size(), f);
  std::fclose(f);
  return n == head.size() && got == head;
}

void Store::commitContact(const Database& db, size_t index) {
  if (index >= db.contacts.size())
    throw StoreError("no contact " + std::to_string(index) + " in database \"" + db.name + "\"");
  impl_->journal.append(journalLine(json{{"op", "contact"},
                                         {"db", db.name},
                                         {"index", index},
                                         {"values", encodeContact(db.contacts[index])}}));
}

void Store::commitLookup(const UiState& ui) {
  impl_->journal.append(journalLine(json{{"op", "lookup"}, {"lookup", encodeLookup(ui.lookup)}}));
}

void Store::commitUi(const UiState& ui) {
  impl_->journal.append(journalLine(json{{"op", "ui"}, {"ui", encodeUi(ui)}}));
}

void Store::commitCommand(const CommandDef& c) {
  impl_->journal.append(journalLine(json{{"op", "command"}, {"command", encodeCommand(c)}}));
}

void Store::commitSubMenu(const SubMenu& s) {
  impl_->journal.append(journalLine(json{{"op", "submenu"}, {"submenu", encodeSubMenu(s)}}));
}

void Store::commitMenuEntry(const MenuEntry& e) {
  impl_->journal.append(journalLine(json{{"op", "menuEntry"}, {"entry", encodeMenuEntry(e)}}));
}

void Store::commitToolbar(const ToolbarButton& b) {
  impl_->journal.append(journalLine(json{{"op", "toolbar"}, {"button", encodeButton(b)}}));
}

void Store::commitRules(const std::vector<Rule>& rules) {
  impl_->journal.append(journalLine(json{{"op", "rules"}, {"rules", encodeRules(rules)}}));
}

void Store::logCall(const LoggedCall& call) {
  if (!impl_->calls.isOpen()) impl_->calls.open(folder_ / kCallLogName);
  impl_->calls.append(encodeCall(call).dump() + "\n");
}

std::vector<LoggedCall> Store::readCallLog(const fs::path& folder) {
  checkFolder(folder);
  fs::path path = folder / kCallLogName;
  std::optional<std::string> text = readWholeFile(path);
  std::vector<LoggedCall> calls;
  if (!text) return calls;
  readLines(path, *text, [&](std::string_view line) {
    checkNesting(line);
    json j = json::parse(line, nullptr, false);
    if (j.is_discarded()) throw BadRecord("not a JSON line");
    calls.push_back(decodeCall(j));
  });
  return calls;
}

void Store::clearCallLog(const fs::path& folder) {
  checkFolder(folder);
  // Emptied rather than removed: a host that has it open for appending keeps writing to it.
  std::error_code ec;
  if (fs::exists(folder / kCallLogName, ec)) fs::resize_file(folder / kCallLogName, 0, ec);
  if (ec)
    throw StoreError("cannot clear " + (folder / kCallLogName).string() + ": " + ec.message());
}

void Store::compact(const HostState& state) {
  uint64_t next = impl_->generation + 1;
  replaceSnapshot(folder_, state, next);
  // From the rename on, the old journal is stale; a crash before its removal leaves it to be
  // ignored at the next open.
  fs::path old = folder_ / journalName(impl_->generation);
  impl_->journal.close();
  removeQuietly(old);
  impl_->generation = next;
  impl_->journal.open(folder_ / journalName(next));
}

bool Store::journalEmpty() const {
  return impl_->journal.size() == 0;
}

}  // namespace vel::standin
