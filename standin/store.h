#pragma once
// A host folder on disk: a snapshot (host.json), written whole only at compaction through a
// temporary file and a rename, and an append-only journal of commits that is replayed at open.
// A commit is one journal line written before the call returns, so it survives the process
// being killed right after; its cost does not grow with the database. A torn last line (a crash
// inside the write) is ignored at replay.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "standin/model.h"

namespace vel::standin {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Store {
 public:
  // Writes a new host folder holding `state` (the folder is created; an existing host in it
  // is replaced).
  static void create(const std::filesystem::path& folder, const HostState& state);
  // Opens a host folder and loads its state: the snapshot, then the journal replayed in order.
  static std::unique_ptr<Store> open(const std::filesystem::path& folder, HostState& state);
  static bool isHostFolder(const std::filesystem::path& folder);

  ~Store();

  // Commits, each one journal line.
  void commitContact(const Database& db, size_t index);  // the contact's whole values
  void commitLookup(const UiState& ui);
  void commitUi(const UiState& ui);  // readiness, open database, focus and lookup
  void commitCommand(const CommandDef& c);
  void commitSubMenu(const SubMenu& s);
  void commitMenuEntry(const MenuEntry& e);
  void commitToolbar(const ToolbarButton& b);
  void commitRules(const std::vector<Rule>& rules);  // the whole list, replacing the old one

  // Appends a call to the folder's call log (calls.jsonl), when the state asks for one.
  void logCall(const LoggedCall& call);
  static std::vector<LoggedCall> readCallLog(const std::filesystem::path& folder);
  static void clearCallLog(const std::filesystem::path& folder);

  // Writes the whole state as a new snapshot and starts an empty journal.
  void compact(const HostState& state);
  bool journalEmpty() const;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  Store(std::filesystem::path folder, uint64_t generation);
  struct Impl;
  std::filesystem::path folder_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vel::standin
