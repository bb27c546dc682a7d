#pragma once
// The stand-in ACT! host: its state, where it is kept, and the pipeline every member call goes
// through (count, scripted rules, log). The objects the programs call live in objects.h.

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/dispatch.h"
#include "platform/files.h"
#include "standin/model.h"
#include "standin/store.h"

namespace vel::standin {

// What the stand-in reports as the source of its errors.
constexpr std::string_view kErrorSource = "ACT! stand-in";

class Host {
 public:
  // A host that lives in this process only (unit tests, benchmarks).
  static std::shared_ptr<Host> inMemory(HostState state = {});
  // A host kept in a folder: every commit is journalled before the call returns.
  static std::shared_ptr<Host> openFolder(const std::filesystem::path& folder);

  ~Host();  // compacts a folder host
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HostState& state() { return state_; }
  const HostState& state() const { return state_; }
  Store* store() { return store_.get(); }

  // The calls made in this process, in order (when state().logCalls).
  const std::vector<LoggedCall>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }

  // Where lookup files are read and written (Windows-form paths). The machine's own by default.
  platform::FileSystem& files();
  void setFiles(std::unique_ptr<platform::FileSystem> files) { files_ = std::move(files); }

  // Commits: applied to the state already; journalled for a folder host.
  void commitContact(const Database& db, size_t index);
  void commitLookup();
  void commitUi();
  void commitCommand(const CommandDef& c);
  void commitSubMenu(const SubMenu& s);
  void commitMenuEntry(const MenuEntry& e);
  void commitToolbar(const ToolbarButton& b);
  void commitRules();

  // Runs one member call of `object`: counts it, applies the scripted rules (a fault instead of
  // the call, an answer instead of its result, values written into reference arguments after
  // it), and logs it. `canonical` is the member's own spelling, used for counting and rules.
  host::Variant call(std::string_view object, std::string_view canonical, std::string_view asCalled,
                     host::CallKind kind, std::span<const host::Arg> args,
                     const std::function<host::Variant()>& body);

  // Runs after each member call, however it ended: a fault sweep takes the committed state
  // after a given call there. It must not throw.
  void setAfterCall(std::function<void()> f) { afterCall_ = std::move(f); }

  // How many times a member has been called in this run; for kAnyMember, all calls.
  int32_t callCount(std::string_view member) const;

 private:
  Host(HostState state, std::unique_ptr<Store> store);
  void log(LoggedCall&& c);

  HostState state_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<platform::FileSystem> files_;
  std::vector<LoggedCall> calls_;
  std::unordered_map<std::string, int32_t> counts_;  // by lower-cased member name
  int32_t callsInRun_ = 0;
  std::function<void()> afterCall_;
};

}  // namespace vel::standin
