#pragma once
// Whole-state comparisons for the store and sample tests: each mismatch names where it is.

#include <gtest/gtest.h>

#include <string>

#include "standin/model.h"

namespace vel::standin::testing {

inline ::testing::AssertionResult sameDatabase(const Database& a, const Database& b) {
  if (a.name != b.name)
    return ::testing::AssertionFailure() << "name " << a.name << " vs " << b.name;
  if (a.fields.size() != b.fields.size())
    return ::testing::AssertionFailure() << a.fields.size() << " fields vs " << b.fields.size();
  for (size_t i = 0; i < a.fields.size(); ++i) {
    const FieldDef &x = a.fields[i], &y = b.fields[i];
    if (x.id != y.id || x.label != y.label || x.type != y.type || x.popup != y.popup)
      return ::testing::AssertionFailure()
             << "field " << x.id << " (" << x.label << ") vs " << y.id << " (" << y.label << ")";
  }
  if (a.contacts.size() != b.contacts.size())
    return ::testing::AssertionFailure()
           << a.contacts.size() << " contacts vs " << b.contacts.size();
  for (size_t i = 0; i < a.contacts.size(); ++i) {
    const auto &x = a.contacts[i].values, &y = b.contacts[i].values;
    if (x.size() != y.size())
      return ::testing::AssertionFailure()
             << "contact " << i << ": " << x.size() << " values vs " << y.size();
    for (size_t k = 0; k < x.size(); ++k)
      if (x[k].first != y[k].first || !(x[k].second == y[k].second))
        return ::testing::AssertionFailure()
               << "contact " << i << ": field " << x[k].first << " = " << x[k].second
               << " vs field " << y[k].first << " = " << y[k].second;
  }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult sameState(const HostState& a, const HostState& b) {
  if (a.logCalls != b.logCalls) return ::testing::AssertionFailure() << "logCalls differs";
  const UiState &u = a.ui, &v = b.ui;
  if (u.ready != v.ready || u.openDatabase != v.openDatabase || u.focusedField != v.focusedField ||
      u.lookup != v.lookup || u.control.invisible != v.control.invisible ||
      u.control.readyWhenSited != v.control.readyWhenSited)
    return ::testing::AssertionFailure() << "ui differs";
  const Catalogue &c = a.catalogue, &d = b.catalogue;
  if (c.commands.size() != d.commands.size()) return ::testing::AssertionFailure() << "commands";
  for (size_t i = 0; i < c.commands.size(); ++i) {
    const CommandDef &x = c.commands[i], &y = d.commands[i];
    if (x.caption != y.caption || x.commandLine != y.commandLine ||
        x.startFolder != y.startFolder || x.title != y.title || x.description != y.description ||
        x.icon != y.icon || x.icon2 != y.icon2 || x.last != y.last)
      return ::testing::AssertionFailure() << "command " << i << " (" << x.caption << ")";
  }
  if (c.submenus.size() != d.submenus.size()) return ::testing::AssertionFailure() << "submenus";
  for (size_t i = 0; i < c.submenus.size(); ++i) {
    const SubMenu &x = c.submenus[i], &y = d.submenus[i];
    if (x.menuSet != y.menuSet || x.parent != y.parent || x.caption != y.caption ||
        x.position != y.position || x.flag != y.flag)
      return ::testing::AssertionFailure() << "submenu " << i << " (" << x.caption << ")";
  }
  if (c.menuEntries.size() != d.menuEntries.size())
    return ::testing::AssertionFailure() << "menu entries";
  for (size_t i = 0; i < c.menuEntries.size(); ++i) {
    const MenuEntry &x = c.menuEntries[i], &y = d.menuEntries[i];
    if (x.menuSet != y.menuSet || x.path != y.path || x.caption != y.caption ||
        x.position != y.position || x.flag != y.flag)
      return ::testing::AssertionFailure() << "menu entry " << i << " (" << x.caption << ")";
  }
  if (c.toolbar.size() != d.toolbar.size()) return ::testing::AssertionFailure() << "toolbar";
  for (size_t i = 0; i < c.toolbar.size(); ++i)
    if (c.toolbar[i].menuSet != d.toolbar[i].menuSet ||
        c.toolbar[i].caption != d.toolbar[i].caption)
      return ::testing::AssertionFailure() << "toolbar button " << i;
  if (a.rules.size() != b.rules.size()) return ::testing::AssertionFailure() << "rules";
  for (size_t i = 0; i < a.rules.size(); ++i) {
    const Rule &x = a.rules[i], &y = b.rules[i];
    if (x.kind != y.kind || x.member != y.member || x.nth != y.nth || x.whenText != y.whenText ||
        x.number != y.number || x.description != y.description || !(x.value == y.value) ||
        x.argIndex != y.argIndex)
      return ::testing::AssertionFailure() << "rule " << i << " (" << x.member << ")";
  }
  if (a.databases.size() != b.databases.size()) return ::testing::AssertionFailure() << "databases";
  for (auto ia = a.databases.begin(), ib = b.databases.begin(); ia != a.databases.end();
       ++ia, ++ib) {
    if (ia->first != ib->first) return ::testing::AssertionFailure() << "database " << ia->first;
    if (auto r = sameDatabase(ia->second, ib->second); !r) return r;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace vel::standin::testing
