#include "standin/model.h"

#include <algorithm>

namespace vel::standin {

namespace {

bool sameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

auto valueSlot(const std::vector<std::pair<int32_t, Variant>>& values, int32_t field) {
  return std::lower_bound(values.begin(), values.end(), field,
                          [](const auto& entry, int32_t id) { return entry.first < id; });
}

}  // namespace

const Variant* Contact::find(int32_t field) const {
  auto it = valueSlot(values, field);
  return it != values.end() && it->first == field ? &it->second : nullptr;
}

void Contact::set(int32_t field, Variant v) {
  auto it = values.begin() + (valueSlot(values, field) - values.cbegin());
  bool present = it != values.end() && it->first == field;
  if (v.isEmpty()) {
    if (present) values.erase(it);
  } else if (present) {
    it->second = std::move(v);
  } else {
    values.emplace(it, field, std::move(v));
  }
}

std::string Contact::uid() const {
  const Variant* v = find(kUniqueIdField);
  if (!v) return {};
  switch (v->type()) {
    case host::VarType::Text:
      return v->asText();
    case host::VarType::Int32:
      return std::to_string(v->asInt32());
    case host::VarType::Int16:
      return std::to_string(v->asInt16());
    default:
      return {};
  }
}

const FieldDef* Database::field(int32_t id) const {
  auto it = std::lower_bound(fields.begin(), fields.end(), id,
                             [](const FieldDef& f, int32_t want) { return f.id < want; });
  return it != fields.end() && it->id == id ? &*it : nullptr;
}

std::optional<size_t> Database::indexOf(std::string_view uid) const {
  // The index may be stale (contacts added or re-identified since reindex()): a hit is checked
  // against the contact, and a miss falls back to a walk of the table.
  if (auto it = uidIndex_.find(std::string(uid)); it != uidIndex_.end()) {
    if (it->second < contacts.size() && contacts[it->second].uid() == uid) return it->second;
  }
  for (size_t i = 0; i < contacts.size(); ++i)
    if (contacts[i].uid() == uid) return i;
  return std::nullopt;
}

void Database::reindex() {
  uidIndex_.clear();
  uidIndex_.reserve(contacts.size());
  for (size_t i = 0; i < contacts.size(); ++i) uidIndex_.emplace(contacts[i].uid(), i);
}

const CommandDef* Catalogue::command(std::string_view caption) const {
  for (const CommandDef& c : commands)
    if (c.caption == caption) return &c;
  return nullptr;
}

const SubMenu* Catalogue::submenu(int32_t menuSet, std::string_view parent,
                                  std::string_view caption) const {
  for (const SubMenu& s : submenus)
    if (s.menuSet == menuSet && s.parent == parent && s.caption == caption) return &s;
  return nullptr;
}

bool Catalogue::inMenus(int32_t menuSet, std::string_view caption) const {
  return std::any_of(menuEntries.begin(), menuEntries.end(), [&](const MenuEntry& e) {
    return e.menuSet == menuSet && e.caption == caption;
  });
}

Database* HostState::openDatabase() {
  if (ui.openDatabase.empty()) return nullptr;
  if (auto it = databases.find(ui.openDatabase); it != databases.end()) return &it->second;
  for (auto& [name, db] : databases)
    if (sameNameNoCase(name, ui.openDatabase)) return &db;
  return nullptr;
}

}  // namespace vel::standin
