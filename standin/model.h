#pragma once
// The stand-in host's data: contact databases, the user-interface state, the command catalogue
// and the scripted answers and faults. Plain data; the objects that the programs call sit on top.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/dispatch.h"
#include "host/variant.h"

namespace vel::standin {

using host::Variant;

// Field type numbers the stand-in reports through Fields.Type.
namespace fieldtype {
constexpr int32_t kCharacter = 1;
constexpr int32_t kDate = 2;
constexpr int32_t kNumeric = 3;
constexpr int32_t kCurrency = 4;
constexpr int32_t kPhone = 5;
constexpr int32_t kYesNo = 6;
}  // namespace fieldtype

constexpr int32_t kUniqueIdField = 1;
// Unique identifiers all have this width, so identifiers run together split without ambiguity.
constexpr size_t kUidWidth = 12;

struct FieldDef {
  int32_t id = 0;
  std::string label;
  int32_t type = fieldtype::kCharacter;
  std::optional<std::vector<std::string>> popup;  // nothing: the field has no pop-up list
};

struct Contact {
  // Values by field identifier, sorted; a field that is not here is Empty.
  std::vector<std::pair<int32_t, Variant>> values;

  const Variant* find(int32_t field) const;
  void set(int32_t field, Variant v);  // an Empty value removes the field
  std::string uid() const;             // field 1 as text, "" when missing
};

struct Database {
  std::string name;
  std::vector<FieldDef> fields;   // sorted by id
  std::vector<Contact> contacts;  // in table order

  const FieldDef* field(int32_t id) const;
  // Position of the contact with this unique identifier. The index is rebuilt on demand after
  // contacts were added (reindex()).
  std::optional<size_t> indexOf(std::string_view uid) const;
  void reindex();

 private:
  std::unordered_map<std::string, size_t> uidIndex_;
};

// How the event control behaves when a container hosts it as a control.
struct ControlOptions {
  bool invisible = false;       // says it is invisible at run time: sited, never shown
  bool readyWhenSited = false;  // IsReady is true only once sited (and, shown, in place)
};

struct UiState {
  bool ready = true;  // what the event control's IsReady answers
  ControlOptions control;
  std::string openDatabase;  // the database the host's window has open; "" for none
  int32_t focusedField = 0;  // the field that has the focus: CurrentFieldID
  std::optional<std::vector<std::string>> lookup;  // current lookup; nothing: all contacts
};

// One auxiliary command: the eight values of AddAuxCommand.
struct CommandDef {
  std::string caption, commandLine, startFolder, title, description, icon, icon2;
  int32_t last = 1;
};

struct SubMenu {
  int32_t menuSet = 1;
  std::string parent;  // menu path: "" is the menu bar, "A" a submenu of it, "A\B" one below
  std::string caption;
  int32_t position = 0;
  int32_t flag = 0;
};

struct MenuEntry {
  int32_t menuSet = 1;
  std::string path;  // the menu that holds the command
  std::string caption;
  int32_t position = 0;
  int32_t flag = 0;
};

struct ToolbarButton {
  int32_t menuSet = 1;
  std::string caption;
};

struct Catalogue {
  std::vector<CommandDef> commands;  // in the order they were added
  std::vector<SubMenu> submenus;
  std::vector<MenuEntry> menuEntries;
  std::vector<ToolbarButton> toolbar;  // in order

  const CommandDef* command(std::string_view caption) const;
  const SubMenu* submenu(int32_t menuSet, std::string_view parent, std::string_view caption) const;
  bool inMenus(int32_t menuSet, std::string_view caption) const;
};

// A rule for this member stands for every member: its n-th call is the n-th call of the run,
// whatever it calls (fault sweeps fail each call in turn).
constexpr std::string_view kAnyMember = "*";

// A scripted answer or fault for calls of one member (any case), or of any member.
struct Rule {
  enum class Kind : uint8_t { Fail, Answer, WriteBack };
  Kind kind = Kind::Fail;
  std::string member;
  int32_t nth = 0;  // only the n-th call of the member in this run (from 1); 0: every call
  std::optional<std::string> whenText;  // only calls with a text argument equal to this
  int32_t number = 0;                   // Fail: the error number (HRESULT-style)
  std::string description;              // Fail: its description
  Variant value;                        // Answer: the result; WriteBack: what is written
  int32_t argIndex = 0;                 // WriteBack: which argument (from 0)
};

struct HostState {
  std::map<std::string, Database> databases;  // by name
  UiState ui;
  Catalogue catalogue;
  std::vector<Rule> rules;
  bool logCalls = true;  // keep a call log (in memory, and in the folder for a folder host)

  Database* openDatabase();  // the database the UI has open, or nullptr
};

// One argument of a logged call: as passed, and for a reference what the host left in it.
struct LoggedArg {
  Variant value;
  bool byRef = false;
  host::VarType refType = host::VarType::Empty;
  Variant after;
};

struct LoggedCall {
  std::string object;  // "AppObject", "Views", "ContactView", "Database", "ContactTable",
                       // "Fields", "PopUpList", "AuxCmds", "ActEvent"
  std::string member;  // as the caller spelt it
  host::CallKind kind = host::CallKind::Method;
  std::vector<LoggedArg> args;
  Variant result;     // an object result is logged as its object name (Text)
  int32_t error = 0;  // the error number when the call failed, else 0
  std::string errorText;
};

}  // namespace vel::standin
