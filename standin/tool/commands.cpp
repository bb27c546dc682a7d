#include "standin/tool/commands.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>

#include "host/convert.h"
#include "host/error.h"
#include "standin/menutree.h"
#include "standin/model.h"
#include "standin/sample.h"
#include "standin/store.h"

namespace vel::standin {

namespace fs = std::filesystem;
using host::VarType;

namespace {

// Wrong use: exit 2, with the command's usage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Right use, but it cannot be done: exit 1.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// --- Arguments ----------------------------------------------------------------------------------

// A command's arguments: positional ones in order, and "--name value" or "--flag" options.
struct Parsed {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  std::optional<std::string> value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  std::string required(const std::string& name) const {
    auto v = value(name);
    if (!v) throw UsageError("missing " + name);
    return *v;
  }
  bool flag(const std::string& name) const { return flags.count(name) > 0; }
};

struct OptionSpec {
  std::vector<std::string> withValue;
  std::vector<std::string> flags;
};

Parsed parseArgs(const std::vector<std::string>& args, size_t from, const OptionSpec& accepted) {
  Parsed p;
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      p.positional.push_back(a);
      continue;
    }
    auto has = [&](const std::vector<std::string>& names) {
      return std::find(names.begin(), names.end(), a) != names.end();
    };
    if (has(accepted.withValue)) {
      if (i + 1 >= args.size()) throw UsageError("missing value after " + a);
      if (!p.values.emplace(a, args[++i]).second) throw UsageError(a + " given twice");
    } else if (has(accepted.flags)) {
      p.flags.insert(a);
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  return p;
}

template <class T>
T parseNumber(const std::string& text, const std::string& what) {
  T n{};
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, n);
  if (text.empty() || ec != std::errc() || ptr != end)
    throw UsageError("bad number for " + what + ": '" + text + "'");
  return n;
}

// An error number: decimal (negative allowed) or 0x and up to eight hex digits, as HRESULTs
// are written.
int32_t parseErrorNumber(const std::string& text) {
  if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) {
    uint32_t n = 0;
    const char* begin = text.data() + 2;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, n, 16);
    if (ec != std::errc() || ptr != end)
      throw UsageError("bad number for --number: '" + text + "'");
    return static_cast<int32_t>(n);
  }
  return parseNumber<int32_t>(text, "--number");
}

// true | false | empty | null | int:N | i2:N | text:S
Variant parseValue(const std::string& text) {
  if (text == "true") return true;
  if (text == "false") return false;
  if (text == "empty") return Variant();
  if (text == "null") return Variant::null();
  if (text.rfind("int:", 0) == 0) return parseNumber<int32_t>(text.substr(4), "int:");
  if (text.rfind("i2:", 0) == 0) return parseNumber<int16_t>(text.substr(3), "i2:");
  if (text.rfind("text:", 0) == 0) return text.substr(5);
  throw UsageError("bad value '" + text + "' (true, false, empty, null, int:N, i2:N or text:S)");
}

std::vector<int32_t> parseFieldList(const std::string& text) {
  std::vector<int32_t> ids;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    ids.push_back(parseNumber<int32_t>(text.substr(pos, comma - pos), "--fields"));
    pos = comma + 1;
  }
  return ids;
}

// --- Output -------------------------------------------------------------------------------------

std::string display(const Variant& v) {
  switch (v.type()) {
    case VarType::Null:
      return "Null";
    case VarType::Error:
      return "Error " + std::to_string(v.asError());
    case VarType::Object:
      return "<object>";
    default:
      return host::toText(v, host::NullRule::Lenient);
  }
}

std::string hex(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(n));
  return buf;
}

// Columns padded to their widest cell, two blanks apart, no trailing blanks.
void printTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) {
      if (widths.size() <= i) widths.push_back(0);
      widths[i] = std::max(widths[i], row[i].size());
    }
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
}

std::string typeLabel(int32_t type) {
  switch (type) {
    case fieldtype::kCharacter:
      return "character";
    case fieldtype::kDate:
      return "date";
    case fieldtype::kNumeric:
      return "numeric";
    case fieldtype::kCurrency:
      return "currency";
    case fieldtype::kPhone:
      return "phone";
    case fieldtype::kYesNo:
      return "yes/no";
  }
  return "type " + std::to_string(type);
}

std::string describeRule(const Rule& r) {
  bool any = r.member == kAnyMember;
  std::string when = r.nth ? "call " + std::to_string(r.nth) : "every call";
  if (any) when += " of the run";
  if (r.whenText) when += ", when text \"" + *r.whenText + "\"";
  const std::string who = any ? "any member" : r.member;
  std::string s;
  switch (r.kind) {
    case Rule::Kind::Fail:
      s = "fail " + who + " (" + when + "): " + hex(r.number) + " \"" + r.description + "\"";
      break;
    case Rule::Kind::Answer:
      s = "answer " + who + " (" + when + "): " + host::describe(r.value);
      break;
    case Rule::Kind::WriteBack:
      s = "writeback " + who + " (" + when + "): argument " + std::to_string(r.argIndex) +
          " := " + host::describe(r.value);
      break;
  }
  return s;
}

std::string describeCall(const LoggedCall& c) {
  std::string s =
      c.object + "." + c.member + " [" + std::string(host::callKindName(c.kind)) + "] (";
  for (size_t i = 0; i < c.args.size(); ++i) {
    const LoggedArg& a = c.args[i];
    if (i) s += ", ";
    if (a.byRef) {
      s += "ref";
      if (a.refType != VarType::Empty) s += "<" + std::string(host::typeName(a.refType)) + ">";
      s += " " + host::describe(a.value) + " -> " + host::describe(a.after);
    } else {
      s += host::describe(a.value);
    }
  }
  s += ")";
  if (c.error) return s + " !! " + hex(c.error) + " " + c.errorText;
  return s + " -> " + host::describe(c.result);
}

// --- The host folder ----------------------------------------------------------------------------

// One command's hold on a host folder: loaded through the store, and written back whole by
// save(), which leaves a fresh snapshot and an empty journal.
struct Session {
  explicit Session(const std::string& dir) : folder(dir) { store = Store::open(folder, state); }
  void save() { store->compact(state); }

  Database& openDb() {
    Database* db = state.openDatabase();
    if (!db) {
      if (state.ui.openDatabase.empty()) throw Failure("the host has no database open");
      throw Failure("the open database \"" + state.ui.openDatabase + "\" is not in the host");
    }
    return *db;
  }
  size_t contactIndex(Database& db, const std::string& uid) {
    auto i = db.indexOf(uid);
    if (!i) throw Failure("no contact with unique identifier " + uid + " in " + db.name);
    return *i;
  }

  fs::path folder;
  HostState state;
  std::unique_ptr<Store> store;
};

// --- Commands -----------------------------------------------------------------------------------

struct Command {
  const char* name;
  const char* usage;  // after "standin "
  const char* summary;
  OptionSpec options;
  size_t minArgs, maxArgs;  // positional arguments after DIR
  std::function<void(const std::string& dir, const Parsed&, std::ostream&)> run;
};

void cmdCreate(const std::string& dir, const Parsed& p, std::ostream& out) {
  HostState state;
  if (p.flag("--empty")) {
    if (p.value("--contacts") || p.value("--seed") || p.value("--name"))
      throw UsageError("--empty takes no --contacts, --seed or --name");
  } else {
    SampleOptions o;
    if (auto v = p.value("--contacts")) o.contacts = parseNumber<size_t>(*v, "--contacts");
    if (auto v = p.value("--seed")) o.seed = parseNumber<uint32_t>(*v, "--seed");
    if (auto v = p.value("--name")) {
      if (v->empty()) throw UsageError("the database needs a name");
      o.name = *v;
    }
    state = makeSampleHost(o);
  }
  Store::create(dir, state);
  if (state.databases.empty()) {
    out << "created an empty host in " << dir << "\n";
  } else {
    const Database& db = state.databases.begin()->second;
    out << "created host in " << dir << ": " << db.name << ", " << db.contacts.size()
        << " contacts\n";
  }
}

std::string describeControl(const ControlOptions& c) {
  return std::string(c.invisible ? "invisible at run time" : "visible") +
         (c.readyWhenSited ? ", ready only when sited" : ", ready whether sited or not");
}

void cmdShow(const std::string& dir, const Parsed&, std::ostream& out) {
  Session s(dir);
  const HostState& st = s.state;
  Database* db = s.state.openDatabase();
  out << "ready: " << (st.ui.ready ? "yes" : "no") << "\n";
  out << "event control: " << describeControl(st.ui.control) << "\n";
  if (st.ui.openDatabase.empty())
    out << "open database: none\n";
  else if (!db)
    out << "open database: " << st.ui.openDatabase << " (not in the host)\n";
  else
    out << "open database: " << db->name << " (" << db->contacts.size() << " contacts)\n";
  out << "focused field: " << st.ui.focusedField;
  if (db) {
    const FieldDef* f = db->field(st.ui.focusedField);
    out << (f ? " " + f->label : std::string(" (no such field)"));
  }
  out << "\n";
  if (st.ui.lookup)
    out << "lookup: " << st.ui.lookup->size() << " contacts\n";
  else
    out << "lookup: all contacts\n";
  std::string list;
  for (const auto& [name, d] : st.databases)
    list += (list.empty() ? "" : ", ") + name + " (" + std::to_string(d.contacts.size()) +
            " contacts, " + std::to_string(d.fields.size()) + " fields)";
  out << "databases: " << (list.empty() ? "none" : list) << "\n";
  const Catalogue& c = st.catalogue;
  out << "catalogue: " << c.commands.size() << " commands, " << c.submenus.size() << " submenus, "
      << c.menuEntries.size() << " menu entries, " << c.toolbar.size() << " toolbar buttons\n";
  out << "rules: " << st.rules.size() << "\n";
  out << "call log: " << (st.logCalls ? "on" : "off") << "\n";
}

bool parseYesNo(const std::string& text, const char* what) {
  if (text == "yes") return true;
  if (text == "no") return false;
  throw UsageError(std::string(what) + " must be yes or no, not '" + text + "'");
}

void cmdReady(const std::string& dir, const Parsed& p, std::ostream& out) {
  bool ready = parseYesNo(p.positional[0], "readiness");
  Session s(dir);
  s.state.ui.ready = ready;
  s.save();
  out << "ready: " << (ready ? "yes" : "no") << "\n";
}

void cmdControl(const std::string& dir, const Parsed& p, std::ostream& out) {
  if (p.flag("--visible") && p.flag("--invisible"))
    throw UsageError("--visible and --invisible exclude each other");
  if (p.flag("--ready-when-sited") && p.flag("--ready-always"))
    throw UsageError("--ready-when-sited and --ready-always exclude each other");
  Session s(dir);
  ControlOptions& c = s.state.ui.control;
  bool changed = false;
  auto apply = [&](const char* flag, bool& option, bool value) {
    if (!p.flag(flag)) return;
    option = value;
    changed = true;
  };
  apply("--visible", c.invisible, false);
  apply("--invisible", c.invisible, true);
  apply("--ready-when-sited", c.readyWhenSited, true);
  apply("--ready-always", c.readyWhenSited, false);
  if (changed) s.save();
  out << "event control: " << describeControl(c) << "\n";
}

void cmdOpen(const std::string& dir, const Parsed& p, std::ostream& out) {
  bool none = p.flag("--none");
  if (none == !p.positional.empty()) throw UsageError("give a database name or --none");
  Session s(dir);
  if (none) {
    s.state.ui.openDatabase.clear();
    out << "open database: none\n";
  } else {
    s.state.ui.openDatabase = p.positional[0];
    Database* db = s.state.openDatabase();
    if (!db) throw Failure("no database \"" + p.positional[0] + "\" in the host");
    s.state.ui.openDatabase = db->name;
    out << "open database: " << db->name << "\n";
  }
  // A lookup belongs to the database it was made in.
  s.state.ui.lookup.reset();
  s.save();
}

void cmdFocus(const std::string& dir, const Parsed& p, std::ostream& out) {
  int32_t field = parseNumber<int32_t>(p.positional[0], "FIELD");
  Session s(dir);
  s.state.ui.focusedField = field;
  s.save();
  out << "focused field: " << field << "\n";
}

void cmdLookup(const std::string& dir, const Parsed&, std::ostream& out) {
  Session s(dir);
  if (!s.state.ui.lookup) {
    out << "all contacts\n";
    return;
  }
  if (s.state.ui.lookup->empty()) out << "(no contacts)\n";
  for (const std::string& uid : *s.state.ui.lookup) out << uid << "\n";
}

void cmdSetLookup(const std::string& dir, const Parsed& p, std::ostream& out) {
  bool all = p.flag("--all");
  if (all == !p.positional.empty()) throw UsageError("give unique identifiers or --all");
  Session s(dir);
  if (all) {
    s.state.ui.lookup.reset();
    out << "lookup: all contacts\n";
  } else {
    Database& db = s.openDb();
    for (const std::string& uid : p.positional) s.contactIndex(db, uid);
    s.state.ui.lookup = p.positional;
    out << "lookup: " << p.positional.size() << " contacts\n";
  }
  s.save();
}

void cmdContacts(const std::string& dir, const Parsed& p, std::ostream& out) {
  std::vector<int32_t> fields = {kUniqueIdField, 1002, 1003};
  if (auto v = p.value("--fields")) fields = parseFieldList(*v);
  std::optional<size_t> limit;
  if (auto v = p.value("--limit")) limit = parseNumber<size_t>(*v, "--limit");
  Session s(dir);
  Database& db = s.openDb();

  std::vector<size_t> which;
  if (auto uid = p.value("--uid")) {
    which.push_back(s.contactIndex(db, *uid));
  } else if (p.flag("--lookup") && s.state.ui.lookup) {
    for (const std::string& id : *s.state.ui.lookup)
      if (auto i = db.indexOf(id)) which.push_back(*i);
  } else {
    for (size_t i = 0; i < db.contacts.size(); ++i) which.push_back(i);
  }
  if (limit && which.size() > *limit) which.resize(*limit);

  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> header;
  for (int32_t id : fields) {
    const FieldDef* f = db.field(id);
    header.push_back(f ? f->label : std::to_string(id));
  }
  rows.push_back(std::move(header));
  for (size_t i : which) {
    std::vector<std::string> row;
    for (int32_t id : fields) {
      const Variant* v = db.contacts[i].find(id);
      row.push_back(v ? display(*v) : std::string());
    }
    rows.push_back(std::move(row));
  }
  printTable(out, rows);
}

void cmdFields(const std::string& dir, const Parsed&, std::ostream& out) {
  Session s(dir);
  Database& db = s.openDb();
  std::vector<std::vector<std::string>> rows{{"id", "type", "label", "pop-up"}};
  for (const FieldDef& f : db.fields) {
    std::string popup;
    if (f.popup) {
      popup = std::to_string(f.popup->size()) + (f.popup->size() == 1 ? " entry" : " entries");
      for (size_t i = 0; i < f.popup->size(); ++i) popup += (i ? ", " : ": ") + (*f.popup)[i];
    }
    rows.push_back({std::to_string(f.id), typeLabel(f.type), f.label, popup});
  }
  printTable(out, rows);
}

void cmdSet(const std::string& dir, const Parsed& p, std::ostream& out) {
  const std::string& uid = p.positional[0];
  int32_t field = parseNumber<int32_t>(p.positional[1], "FIELD");
  Session s(dir);
  Database& db = s.openDb();
  if (!db.field(field)) throw Failure("no field " + std::to_string(field) + " in " + db.name);
  size_t i = s.contactIndex(db, uid);
  db.contacts[i].set(field, Variant(p.positional[2]));
  if (field == kUniqueIdField) db.reindex();
  s.save();
  out << uid << " " << field << " = \"" << p.positional[2] << "\"\n";
}

void cmdMenu(const std::string& dir, const Parsed& p, std::ostream& out) {
  int32_t set = 1;
  if (auto v = p.value("--set")) set = parseNumber<int32_t>(*v, "--set");
  Session s(dir);
  out << menuTree(s.state.catalogue, set);
}

void cmdCalls(const std::string& dir, const Parsed& p, std::ostream& out) {
  if (p.flag("--clear")) {
    Store::clearCallLog(dir);
    out << "call log cleared\n";
    return;
  }
  std::vector<LoggedCall> calls = Store::readCallLog(dir);
  if (calls.empty()) out << "(no calls)\n";
  for (size_t i = 0; i < calls.size(); ++i) out << i + 1 << ". " << describeCall(calls[i]) << "\n";
}

void cmdFault(const std::string& dir, const Parsed& p, std::ostream& out) {
  const std::string& action = p.positional[0];
  if (action == "list" || action == "clear") {
    if (p.positional.size() != 1 || !p.values.empty())
      throw UsageError("fault " + action + " takes nothing more");
    Session s(dir);
    if (action == "clear") {
      s.state.rules.clear();
      s.save();
      out << "rules cleared\n";
      return;
    }
    if (s.state.rules.empty()) out << "(no rules)\n";
    for (size_t i = 0; i < s.state.rules.size(); ++i)
      out << i + 1 << ". " << describeRule(s.state.rules[i]) << "\n";
    return;
  }
  if (action != "add") throw UsageError("unknown fault action '" + action + "'");
  bool any = p.flag("--any-member");
  if (p.positional.size() != (any ? 2u : 3u))
    throw UsageError(any ? "fault add --any-member takes a kind and no member"
                         : "fault add takes a kind and a member");
  const std::string& kind = p.positional[1];
  Rule r;
  r.member = any ? std::string(kAnyMember) : p.positional[2];
  if (auto v = p.value("--nth")) {
    r.nth = parseNumber<int32_t>(*v, "--nth");
    if (r.nth < 1) throw UsageError("--nth counts calls from 1");
  }
  r.whenText = p.value("--when");
  auto refuse = [&](const char* option) {
    if (p.value(option)) throw UsageError(std::string(option) + " does not go with " + kind);
  };
  if (kind == "fail") {
    refuse("--value");
    refuse("--arg");
    r.kind = Rule::Kind::Fail;
    r.number = parseErrorNumber(p.required("--number"));
    r.description = p.value("--description").value_or("");
  } else if (kind == "answer") {
    refuse("--number");
    refuse("--description");
    refuse("--arg");
    r.kind = Rule::Kind::Answer;
    r.value = parseValue(p.required("--value"));
  } else if (kind == "writeback") {
    refuse("--number");
    refuse("--description");
    r.kind = Rule::Kind::WriteBack;
    r.argIndex = parseNumber<int32_t>(p.required("--arg"), "--arg");
    if (r.argIndex < 0) throw UsageError("--arg counts arguments from 0");
    r.value = parseValue(p.required("--value"));
  } else {
    throw UsageError("unknown rule kind '" + kind + "' (fail, answer or writeback)");
  }
  Session s(dir);
  s.state.rules.push_back(r);
  s.save();
  out << s.state.rules.size() << ". " << describeRule(r) << "\n";
}

void cmdLog(const std::string& dir, const Parsed& p, std::ostream& out) {
  const std::string& v = p.positional[0];
  if (v != "on" && v != "off") throw UsageError("log takes on or off, not '" + v + "'");
  Session s(dir);
  s.state.logCalls = v == "on";
  s.save();
  out << "call log: " << v << "\n";
}

constexpr size_t kMany = std::numeric_limits<size_t>::max();

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"create",
       "create DIR [--contacts N] [--seed S] [--name NAME] [--empty]",
       "a new host with a sample database (or, with --empty, with nothing)",
       {{"--contacts", "--seed", "--name"}, {"--empty"}},
       0,
       0,
       cmdCreate},
      {"show", "show DIR", "readiness, open database, focus, lookup and counts", {}, 0, 0, cmdShow},
      {"ready", "ready DIR yes|no", "what the event control's IsReady answers", {}, 1, 1, cmdReady},
      {"control",
       "control DIR [--visible|--invisible] [--ready-when-sited|--ready-always]",
       "how the event control behaves on a form (no option: shows it)",
       {{}, {"--visible", "--invisible", "--ready-when-sited", "--ready-always"}},
       0,
       0,
       cmdControl},
      {"open",
       "open DIR NAME|--none",
       "the database the host has open",
       {{}, {"--none"}},
       0,
       1,
       cmdOpen},
      {"focus", "focus DIR FIELD", "the field that has the focus", {}, 1, 1, cmdFocus},
      {"lookup", "lookup DIR", "the current lookup's unique identifiers", {}, 0, 0, cmdLookup},
      {"set-lookup",
       "set-lookup DIR UID...|--all",
       "makes these contacts the current lookup",
       {{}, {"--all"}},
       0,
       kMany,
       cmdSetLookup},
      {"contacts",
       "contacts DIR [--fields 1,1003,1080] [--limit N] [--uid UID] [--lookup]",
       "the open database's contacts as a table",
       {{"--fields", "--limit", "--uid"}, {"--lookup"}},
       0,
       0,
       cmdContacts},
      {"fields", "fields DIR", "the open database's fields and pop-up lists", {}, 0, 0, cmdFields},
      {"set", "set DIR UID FIELD VALUE", "writes a text into a contact's field", {}, 3, 3, cmdSet},
      {"menu",
       "menu DIR [--set N]",
       "the command catalogue as a tree",
       {{"--set"}, {}},
       0,
       0,
       cmdMenu},
      {"calls",
       "calls DIR [--clear]",
       "the calls logged in the folder",
       {{}, {"--clear"}},
       0,
       0,
       cmdCalls},
      {"fault",
       "fault DIR add fail MEMBER [--nth N] [--when TEXT] --number X [--description TEXT]\n"
       "       standin fault DIR add fail --any-member --nth N --number X [--description TEXT]\n"
       "       standin fault DIR add answer MEMBER [--nth N] [--when TEXT] --value V\n"
       "       standin fault DIR add writeback MEMBER --arg I --value V [--nth N] [--when TEXT]\n"
       "       standin fault DIR list|clear\n"
       "         V: true, false, empty, null, int:N, i2:N or text:S; X: decimal or 0x...",
       "scripted faults and answers",
       {{"--nth", "--when", "--number", "--description", "--value", "--arg"}, {"--any-member"}},
       1,
       3,
       cmdFault},
      {"log", "log DIR on|off", "whether calls are logged", {}, 1, 1, cmdLog},
  };
  return table;
}

void printHelp(std::ostream& out) {
  out << "usage: standin COMMAND DIR ...\n"
         "Sets up and inspects a stand-in host folder.\n\n";
  for (const Command& c : commands())
    out << "  standin " << c.usage << "\n      " << c.summary << "\n";
}

}  // namespace

int runTool(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "standin: no command given\n";
    printHelp(err);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(out);
    return 0;
  }
  const auto& table = commands();
  auto it =
      std::find_if(table.begin(), table.end(), [&](const Command& c) { return args[0] == c.name; });
  if (it == table.end()) {
    err << "standin: unknown command '" << args[0] << "' (standin --help lists them)\n";
    return 2;
  }
  const Command& cmd = *it;
  try {
    if (std::find(args.begin() + 1, args.end(), "--help") != args.end()) {
      out << "usage: standin " << cmd.usage << "\n";
      return 0;
    }
    if (args.size() < 2 || args[1].rfind("--", 0) == 0) throw UsageError("missing DIR");
    Parsed p = parseArgs(args, 2, cmd.options);
    if (p.positional.size() < cmd.minArgs) throw UsageError("missing argument");
    if (p.positional.size() > cmd.maxArgs)
      throw UsageError("unexpected argument '" + p.positional[cmd.maxArgs] + "'");
    cmd.run(args[1], p, out);
    return 0;
  } catch (const UsageError& e) {
    err << "standin " << cmd.name << ": " << e.what() << "\nusage: standin " << cmd.usage << "\n";
    return 2;
  } catch (const std::exception& e) {
    err << "standin " << cmd.name << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vel::standin
