#include "standin/objects.h"

#include <functional>
#include <string>
#include <vector>

#include "host/connector.h"
#include "host/convert.h"

namespace vel::standin {

using host::Arg;
using host::AutomationError;
using host::CallKind;
using host::DispatchPtr;
using host::Variant;
using host::VarType;
namespace hr = host::hr;

namespace {

AutomationError hostError(std::string description) {
  return AutomationError(hr::kFail, std::move(description), {}, std::string(kErrorSource));
}

// The base of every stand-in object: a table of members, looked up by name in any case.
class Object : public host::Dispatch {
 public:
  using Body = std::function<Variant(std::span<const Arg>)>;

  bool has(std::string_view member) const {
    for (const Member& m : members_)
      if (host::sameName(m.name, member)) return true;
    return false;
  }

  Variant invoke(std::string_view member, CallKind kind, std::span<const Arg> args) override {
    for (const Member& m : members_) {
      if (!host::sameName(m.name, member)) continue;
      if (static_cast<int>(args.size()) < m.minArgs || static_cast<int>(args.size()) > m.maxArgs)
        throw AutomationError(hr::kBadParamCount, "Invalid number of parameters.",
                              std::string(member), std::string(kErrorSource));
      return host_->call(name_, m.name, member, kind, args, [&] { return m.body(args); });
    }
    throw AutomationError(hr::kUnknownName, "Unknown name.", std::string(member),
                          std::string(kErrorSource));
  }

 protected:
  Object(std::shared_ptr<Host> host, std::string_view name) : host_(std::move(host)), name_(name) {}

  void member(std::string_view name, int minArgs, int maxArgs, Body body) {
    members_.push_back(Member{name, minArgs, maxArgs, std::move(body)});
  }

  HostState& state() { return host_->state(); }

  std::shared_ptr<Host> host_;

 private:
  struct Member {
    std::string_view name;
    int minArgs, maxArgs;
    Body body;
  };
  std::string_view name_;
  std::vector<Member> members_;
};

// Arguments converted as a server converts them; a value that does not convert is a type
// mismatch naming the argument.
template <class F>
auto convertArg(std::span<const Arg> args, size_t i, F f) {
  try {
    return f(args[i].value());
  } catch (const AutomationError& e) {
    throw AutomationError(hr::kTypeMismatch, "Type mismatch.", {}, std::string(kErrorSource),
                          static_cast<int>(i));
  }
}
int32_t intArg(std::span<const Arg> args, size_t i) {
  return convertArg(args, i, [](const Variant& v) { return host::toInt32(v); });
}
int16_t shortArg(std::span<const Arg> args, size_t i) {
  return convertArg(args, i, [](const Variant& v) { return host::toInt16(v); });
}
std::string textArg(std::span<const Arg> args, size_t i) {
  return convertArg(args, i,
                    [](const Variant& v) { return host::toText(v, host::NullRule::Strict); });
}

// A field named by number, by numeric text, or by its label.
const FieldDef& fieldArg(const Database& db, std::span<const Arg> args, size_t i) {
  Variant v = args[i].value();
  const FieldDef* f = nullptr;
  if (v.type() == VarType::Text) {
    try {
      f = db.field(host::toInt32(v));
    } catch (const AutomationError&) {
      for (const FieldDef& d : db.fields)
        if (host::sameName(d.label, v.asText())) f = &d;
    }
  } else {
    f = db.field(intArg(args, i));
  }
  if (!f)
    throw AutomationError(hr::kFail,
                          "Unknown field " + host::toText(v, host::NullRule::Lenient) + ".", {},
                          std::string(kErrorSource), static_cast<int>(i));
  return *f;
}

// A value as the field stores it.
Variant inFieldForm(const FieldDef& f, const Variant& v) {
  if (v.isEmpty() || v.isNull()) return v;
  switch (f.type) {
    case fieldtype::kNumeric:
    case fieldtype::kCurrency: {
      double d = host::toDouble(v);
      if (d == static_cast<double>(static_cast<int32_t>(d))) return static_cast<int32_t>(d);
      return d;
    }
    case fieldtype::kDate:
      if (host::isDate(v)) return Variant::date(host::toDate(v));
      return host::toText(v, host::NullRule::Strict);
    case fieldtype::kYesNo:
      return host::toBool(v);
    default:
      return host::toText(v, host::NullRule::Strict);
  }
}

Database& openDatabaseOrFail(HostState& s) {
  Database* db = s.openDatabase();
  if (!db) throw hostError("No database is open.");
  return *db;
}

std::vector<std::string> splitUids(const std::string& joined) {
  if (joined.size() % kUidWidth != 0)
    throw hostError("The unique identifiers do not split into identifiers of " +
                    std::to_string(kUidWidth) + " characters.");
  std::vector<std::string> uids;
  for (size_t i = 0; i < joined.size(); i += kUidWidth) uids.push_back(joined.substr(i, kUidWidth));
  return uids;
}

class PopUpList : public Object {
 public:
  PopUpList(std::shared_ptr<Host> h, std::vector<std::string> entries)
      : Object(std::move(h), "PopUpList"), entries_(std::move(entries)) {
    member("PopUpCount", 0, 0,
           [this](auto) { return Variant(static_cast<int32_t>(entries_.size())); });
    member("Value", 1, 1, [this](std::span<const Arg> a) {
      int32_t i = intArg(a, 0);
      if (i < 0 || static_cast<size_t>(i) >= entries_.size())
        throw AutomationError(hr::kBadIndex, "Invalid index.", {}, std::string(kErrorSource), 0);
      return Variant(entries_[static_cast<size_t>(i)]);
    });
  }

 private:
  std::vector<std::string> entries_;
};

class Fields : public Object {
 public:
  Fields(std::shared_ptr<Host> h, Database* db) : Object(std::move(h), "Fields"), db_(db) {
    member("HasPopUpList", 1, 1, [this](std::span<const Arg> a) {
      return Variant(fieldArg(*db_, a, 0).popup.has_value());
    });
    member("PopUpInfo", 2, 2, [this](std::span<const Arg> a) {
      const FieldDef& f = fieldArg(*db_, a, 0);
      intArg(a, 1);
      if (!f.popup) throw hostError("Field " + std::to_string(f.id) + " has no pop-up list.");
      return Variant(DispatchPtr(std::make_shared<PopUpList>(host_, *f.popup)));
    });
    member("Label", 1, 1,
           [this](std::span<const Arg> a) { return Variant(fieldArg(*db_, a, 0).label); });
    member("Type", 1, 1,
           [this](std::span<const Arg> a) { return Variant(fieldArg(*db_, a, 0).type); });
  }

 private:
  Database* db_;
};

class ContactTable : public Object {
 public:
  ContactTable(std::shared_ptr<Host> h, Database* db)
      : Object(std::move(h), "ContactTable"), db_(db) {
    rows_.resize(db_->contacts.size());
    for (size_t i = 0; i < rows_.size(); ++i) rows_[i] = i;

    member("MoveFirst", 0, 0, [this](auto) {
      live();
      pos_ = 0;
      editing_ = false;
      return Variant();
    });
    member("MoveNext", 0, 0, [this](auto) {
      live();
      if (pos_ < rows_.size()) ++pos_;
      editing_ = false;
      return Variant();
    });
    member("RecordCount", 0, 0, [this](auto) {
      live();
      return Variant(static_cast<int32_t>(rows_.size()));
    });
    member("Data", 1, 2,
           [this](std::span<const Arg> a) { return a.size() == 1 ? read(a) : write(a); });
    member("edit", 0, 0, [this](auto) {
      current();
      editing_ = true;
      buffer_.clear();
      return Variant();
    });
    member("Update", 0, 0, [this](auto) {
      Contact& c = current();
      if (!editing_) throw hostError("Update without edit.");
      for (auto& [id, v] : buffer_) c.set(id, v);
      editing_ = false;
      buffer_.clear();
      host_->commitContact(*db_, rows_[pos_]);
      return Variant();
    });
    member("loadlookupquery", 1, 1, [this](std::span<const Arg> a) {
      live();
      std::string path = textArg(a, 0);
      auto text = host_->files().readAll(path);
      if (!text) throw hostError("The lookup file " + path + " does not exist.");
      rows_.clear();
      for (const std::string& uid : parseLookupFile(*text))
        if (auto i = db_->indexOf(uid)) rows_.push_back(*i);
      pos_ = 0;
      editing_ = false;
      return Variant(true);
    });
    member("Fields", 0, 0, [this](auto) {
      live();
      return Variant(DispatchPtr(std::make_shared<Fields>(host_, db_)));
    });
    member("Close", 0, 0, [this](auto) {
      closed_ = true;
      return Variant();
    });
  }

 private:
  void live() {
    if (closed_) throw hostError("The contact table is closed.");
  }
  Contact& current() {
    live();
    if (pos_ >= rows_.size()) throw hostError("No current record.");
    return db_->contacts[rows_[pos_]];
  }
  Variant read(std::span<const Arg> a) {
    const FieldDef& f = fieldArg(*db_, a, 0);
    const Contact& c = current();
    const Variant* v = c.find(f.id);
    return v ? *v : Variant();
  }
  Variant write(std::span<const Arg> a) {
    const FieldDef& f = fieldArg(*db_, a, 0);
    current();
    if (!editing_) throw hostError("Data written without edit.");
    if (f.id == kUniqueIdField) throw hostError("The unique identifier cannot be written.");
    Variant v = convertArg(a, 1, [&](const Variant& x) { return inFieldForm(f, x); });
    buffer_.emplace_back(f.id, std::move(v));
    return Variant();
  }

  Database* db_;
  std::vector<size_t> rows_;  // positions in the database: all contacts, or a loaded lookup
  size_t pos_ = 0;
  bool editing_ = false;
  bool closed_ = false;
  std::vector<std::pair<int32_t, Variant>> buffer_;
};

class DatabaseObject : public Object {
 public:
  explicit DatabaseObject(std::shared_ptr<Host> h) : Object(std::move(h), "Database") {
    member("OpenEx", 1, 1, [this](std::span<const Arg> a) {
      std::string name = textArg(a, 0);
      table_.reset();
      db_ = nullptr;
      if (name.empty()) {
        db_ = state().openDatabase();
      } else {
        for (auto& [n, d] : state().databases)
          if (host::sameName(n, name)) db_ = &d;
        if (!db_) throw hostError("There is no database " + name + ".");
      }
      return Variant(db_ != nullptr);
    });
    member("isOpen", 0, 0, [this](auto) { return Variant(db_ != nullptr); });
    member("Close", 0, 0, [this](auto) {
      db_ = nullptr;
      table_.reset();
      return Variant();
    });
    member("CONTACT", 0, 0, [this](auto) {
      if (!db_) throw hostError("The database is not open.");
      if (!table_) table_ = std::make_shared<ContactTable>(host_, db_);
      return Variant(DispatchPtr(table_));
    });
  }

 private:
  Database* db_ = nullptr;
  std::shared_ptr<ContactTable> table_;  // one per opening, so its cursor persists
};

class ContactView : public Object {
 public:
  explicit ContactView(std::shared_ptr<Host> h) : Object(std::move(h), "ContactView") {
    member("CurrentFieldID", 0, 0, [this](auto) { return Variant(state().ui.focusedField); });
    member("CreateLookup", 1, 1, [this](std::span<const Arg> a) {
      Database& db = openDatabaseOrFail(state());
      std::vector<std::string> uids = splitUids(textArg(a, 0));
      for (const std::string& uid : uids)
        if (!db.indexOf(uid)) throw hostError("There is no contact " + uid + ".");
      state().ui.lookup = std::move(uids);
      host_->commitLookup();
      return Variant(true);
    });
  }
};

class Views : public Object {
 public:
  explicit Views(std::shared_ptr<Host> h) : Object(std::move(h), "Views") {
    member("Create", 2, 2, [this](std::span<const Arg> a) {
      int32_t kind = intArg(a, 0);
      std::string name = textArg(a, 1);
      if (kind != 1 || !host::sameName(name, "CV"))
        throw hostError("Unknown view " + std::to_string(kind) + ", " + name + ".");
      return Variant(DispatchPtr(std::make_shared<ContactView>(host_)));
    });
  }
};

class AppObject : public Object {
 public:
  explicit AppObject(std::shared_ptr<Host> h) : Object(std::move(h), "AppObject") {
    member("IsDBOpen", 0, 0, [this](auto) { return Variant(state().openDatabase() != nullptr); });
    member("GetOpenDBName", 0, 0, [this](auto) {
      return Variant(state().openDatabase() ? state().ui.openDatabase : std::string());
    });
    member("Views", 0, 0,
           [this](auto) { return Variant(DispatchPtr(std::make_shared<Views>(host_))); });
    member("Command", 1, 1, [](std::span<const Arg> a) {
      shortArg(a, 0);  // any command number is accepted; the call log records it
      return Variant();
    });
    member("savecurrentlookup", 1, 1, [this](std::span<const Arg> a) {
      std::string path = textArg(a, 0);
      Database& db = openDatabaseOrFail(state());
      std::vector<std::string> uids;
      if (state().ui.lookup) {
        uids = *state().ui.lookup;
      } else {
        for (const Contact& c : db.contacts) uids.push_back(c.uid());
      }
      try {
        host_->files().writeAll(path, lookupFileText(uids));
      } catch (const platform::FileError& e) {
        throw hostError(e.what());
      }
      return Variant(true);
    });
  }
};

class EventControl : public Object, public HostedControl {
 public:
  explicit EventControl(std::shared_ptr<Host> h) : Object(std::move(h), kName) {
    member("IsReady", 0, 0, [this](auto) { return Variant(ready()); });
  }
  Variant invokeId(int32_t dispid, CallKind kind, std::span<const Arg> args) override {
    if (dispid == host::kIsReadyDispId) return invoke("IsReady", kind, args);
    return Object::invokeId(dispid, kind, args);
  }

  Variant containerCall(std::string_view member, std::span<const Arg> args,
                        const std::function<Variant()>& body) override {
    return host_->call(kName, member, member, CallKind::Method, args, body);
  }
  void setSited(bool sited) override { sited_ = sited; }
  void setInPlaceActive(bool active) override { active_ = active; }
  bool invisibleAtRunTime() const override { return host_->state().ui.control.invisible; }

 private:
  static constexpr std::string_view kName = "ActEvent";

  bool ready() {
    const UiState& ui = state().ui;
    if (!ui.control.readyWhenSited) return ui.ready;
    return ui.ready && sited_ && (active_ || ui.control.invisible);
  }

  bool sited_ = false;
  bool active_ = false;
};

class AuxCmds : public Object {
 public:
  explicit AuxCmds(std::shared_ptr<Host> h) : Object(std::move(h), "AuxCmds") {
    member("AuxSubMenuExists", 4, 4, [this](std::span<const Arg> a) {
      int32_t set = intArg(a, 0);
      const auto& subs = cat().submenus;
      const SubMenu* s = cat().submenu(set, textArg(a, 1), textArg(a, 2));
      a[3].assign(Variant(s ? static_cast<int32_t>(s - subs.data()) + 1 : 0));
      return Variant(s != nullptr);
    });
    member("AddAuxSubMenu", 5, 5, [this](std::span<const Arg> a) {
      SubMenu s{intArg(a, 0), textArg(a, 1), textArg(a, 4), intArg(a, 2), intArg(a, 3)};
      if (!menuExists(s.menuSet, s.parent)) return status(kNoSuchMenu);
      if (cat().submenu(s.menuSet, s.parent, s.caption)) return status(kAlreadyThere);
      cat().submenus.push_back(s);
      host_->commitSubMenu(s);
      return status(kOk);
    });
    member("AuxCommandExists", 1, 1, [this](std::span<const Arg> a) {
      return Variant(cat().command(textArg(a, 0)) != nullptr);
    });
    member("AuxCommandExistsInMenus", 2, 2, [this](std::span<const Arg> a) {
      return Variant(cat().inMenus(intArg(a, 0), textArg(a, 1)));
    });
    member("AddAuxCommand", 8, 8, [this](std::span<const Arg> a) {
      CommandDef c{textArg(a, 0), textArg(a, 1), textArg(a, 2), textArg(a, 3),
                   textArg(a, 4), textArg(a, 5), textArg(a, 6), intArg(a, 7)};
      if (cat().command(c.caption)) return status(kAlreadyThere);
      cat().commands.push_back(c);
      host_->commitCommand(c);
      return status(kOk);
    });
    member("AddAuxCommandToMenu", 5, 5, [this](std::span<const Arg> a) {
      MenuEntry e{intArg(a, 0), textArg(a, 1), textArg(a, 4), intArg(a, 2), intArg(a, 3)};
      if (!cat().command(e.caption)) return status(kNotDefined);
      if (!menuExists(e.menuSet, e.path) || e.path.empty()) return status(kNoSuchMenu);
      for (const MenuEntry& m : cat().menuEntries)
        if (m.menuSet == e.menuSet && m.path == e.path && m.caption == e.caption)
          return status(kAlreadyThere);
      cat().menuEntries.push_back(e);
      host_->commitMenuEntry(e);
      return status(kOk);
    });
    member("AddAuxCommandToToolbar", 2, 2, [this](std::span<const Arg> a) {
      ToolbarButton b{intArg(a, 0), textArg(a, 1)};
      if (!cat().command(b.caption)) return status(kNotDefined);
      for (const ToolbarButton& t : cat().toolbar)
        if (t.menuSet == b.menuSet && t.caption == b.caption) return status(kAlreadyThere);
      cat().toolbar.push_back(b);
      host_->commitToolbar(b);
      return status(kOk);
    });
  }

 private:
  // The stand-in's statuses: 0 is success, as the installer relies on.
  static constexpr int32_t kOk = 0, kAlreadyThere = 1, kNoSuchMenu = 2, kNotDefined = 3;
  static Variant status(int32_t s) { return Variant(s); }

  Catalogue& cat() { return state().catalogue; }

  // "" is the menu bar; "A\B" is submenu B of submenu A of the menu bar.
  bool menuExists(int32_t set, const std::string& path) {
    if (path.empty()) return true;
    size_t cut = path.rfind('\\');
    std::string parent = cut == std::string::npos ? std::string() : path.substr(0, cut);
    std::string caption = cut == std::string::npos ? path : path.substr(cut + 1);
    return cat().submenu(set, parent, caption) != nullptr && menuExists(set, parent);
  }
};

}  // namespace

DispatchPtr createAppObject(std::shared_ptr<Host> host) {
  return std::make_shared<AppObject>(std::move(host));
}
DispatchPtr createDatabase(std::shared_ptr<Host> host) {
  return std::make_shared<DatabaseObject>(std::move(host));
}
DispatchPtr createAuxCmds(std::shared_ptr<Host> host) {
  return std::make_shared<AuxCmds>(std::move(host));
}
DispatchPtr createEventControl(std::shared_ptr<Host> host) {
  return std::make_shared<EventControl>(std::move(host));
}

std::shared_ptr<HostedControl> hostedControl(const DispatchPtr& object) {
  return std::dynamic_pointer_cast<HostedControl>(object);
}

bool hasMember(const host::Dispatch& object, std::string_view member) {
  auto* o = dynamic_cast<const Object*>(&object);
  return o && o->has(member);
}

DispatchPtr createByProgId(std::shared_ptr<Host> host, std::string_view progId) {
  if (host::sameName(progId, host::progid::kAppObject)) return createAppObject(std::move(host));
  if (host::sameName(progId, host::progid::kDatabase)) return createDatabase(std::move(host));
  if (host::sameName(progId, host::progid::kAuxCmds)) return createAuxCmds(std::move(host));
  return nullptr;
}

DispatchPtr createByClsid(std::shared_ptr<Host> host, std::string_view clsid) {
  if (host::sameName(clsid, host::kActEventClsid)) return createEventControl(std::move(host));
  return nullptr;
}

std::string lookupFileText(const std::vector<std::string>& uids) {
  std::string s;
  for (const std::string& u : uids) s += u + "\r\n";
  return s;
}

std::vector<std::string> parseLookupFile(std::string_view text) {
  std::vector<std::string> uids;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) uids.emplace_back(line);
    start = end + 1;
  }
  return uids;
}

}  // namespace vel::standin
