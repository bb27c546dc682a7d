#include "standin/menutree.h"

#include <algorithm>
#include <set>
#include <vector>

namespace vel::standin {

namespace {

struct Item {
  int32_t position;
  int32_t flag;
  const std::string* caption;
  bool isMenu;
};

std::string childPath(const std::string& parent, const std::string& caption) {
  return parent.empty() ? caption : parent + "\\" + caption;
}

class TreePrinter {
 public:
  TreePrinter(const Catalogue& c, int32_t menuSet) : c_(c), set_(menuSet) {}

  std::string print() {
    out_ += "Menu set " + std::to_string(set_) + "\n";
    size_t before = out_.size();
    printMenu("", 1);
    if (out_.size() == before) out_ += "  (none)\n";
    printToolbar();
    printUnplaced();
    printUnreachable();
    return out_;
  }

 private:
  // A menu's items by position; at one position submenus come first, each kind in the order
  // it was added.
  std::vector<Item> itemsOf(const std::string& path) const {
    std::vector<Item> items;
    for (const SubMenu& s : c_.submenus)
      if (s.menuSet == set_ && s.parent == path)
        items.push_back({s.position, s.flag, &s.caption, true});
    for (const MenuEntry& e : c_.menuEntries)
      if (e.menuSet == set_ && e.path == path)
        items.push_back({e.position, e.flag, &e.caption, false});
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.position < b.position; });
    return items;
  }

  std::string commandText(const std::string& caption) const {
    const CommandDef* def = c_.command(caption);
    return def ? def->commandLine : "(not defined)";
  }

  void printMenu(const std::string& path, int depth) {
    shown_.insert(path);
    for (const Item& item : itemsOf(path)) {
      std::string indent(2 * depth, ' ');
      std::string line = indent + "[" + std::to_string(item.position) + "] " +
                         (item.isMenu ? "menu" : "command") + " \"" + *item.caption + "\" (flag " +
                         std::to_string(item.flag) + ")";
      if (!item.isMenu) {
        out_ += line + ": " + commandText(*item.caption) + "\n";
        continue;
      }
      std::string sub = childPath(path, *item.caption);
      // A submenu added twice under one parent shows its items once, under the first.
      if (shown_.count(sub)) {
        out_ += line + " (again)\n";
        continue;
      }
      out_ += line + "\n";
      printMenu(sub, depth + 1);
    }
  }

  void printToolbar() {
    out_ += "Toolbar\n";
    int n = 0;
    for (const ToolbarButton& b : c_.toolbar)
      if (b.menuSet == set_) out_ += "  " + std::to_string(++n) + ". \"" + b.caption + "\"\n";
    if (n == 0) out_ += "  (none)\n";
  }

  void printUnplaced() {
    out_ += "Commands in no menu\n";
    int n = 0;
    for (const CommandDef& cmd : c_.commands) {
      if (c_.inMenus(set_, cmd.caption)) continue;
      out_ += "  \"" + cmd.caption + "\": " + cmd.commandLine + "\n";
      ++n;
    }
    if (n == 0) out_ += "  (none)\n";
  }

  // Items whose parent path names no menu of the tree; listed only when there are some.
  void printUnreachable() {
    std::vector<std::string> lines;
    for (const SubMenu& s : c_.submenus)
      if (s.menuSet == set_ && !shown_.count(s.parent))
        lines.push_back("  \"" + s.parent + "\" [" + std::to_string(s.position) + "] menu \"" +
                        s.caption + "\" (flag " + std::to_string(s.flag) + ")\n");
    for (const MenuEntry& e : c_.menuEntries)
      if (e.menuSet == set_ && !shown_.count(e.path))
        lines.push_back("  \"" + e.path + "\" [" + std::to_string(e.position) + "] command \"" +
                        e.caption + "\" (flag " + std::to_string(e.flag) +
                        "): " + commandText(e.caption) + "\n");
    if (lines.empty()) return;
    out_ += "Under no menu of the tree\n";
    for (const std::string& l : lines) out_ += l;
  }

  const Catalogue& c_;
  int32_t set_;
  std::set<std::string> shown_;
  std::string out_;
};

}  // namespace

std::string menuTree(const Catalogue& catalogue, int32_t menuSet) {
  return TreePrinter(catalogue, menuSet).print();
}

}  // namespace vel::standin
