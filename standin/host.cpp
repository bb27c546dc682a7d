#include "standin/host.h"

#include <algorithm>

#include "platform/system.h"

namespace vel::standin {

using host::Arg;
using host::AutomationError;
using host::Variant;

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// `nth` counts the calls of the member, `nthOfAll` every call of the run.
bool ruleMatches(const Rule& r, std::string_view member, int32_t nth, int32_t nthOfAll,
                 std::span<const Arg> args) {
  bool any = r.member == kAnyMember;
  if (!any && !host::sameName(r.member, member)) return false;
  if (r.nth != 0 && r.nth != (any ? nthOfAll : nth)) return false;
  if (r.whenText) {
    bool found = std::any_of(args.begin(), args.end(), [&](const Arg& a) {
      Variant v = a.value();
      return v.type() == host::VarType::Text && v.asText() == *r.whenText;
    });
    if (!found) return false;
  }
  return true;
}

Variant loggable(const Variant& v) {
  // Objects are logged by presence only: their identity means nothing in a log.
  if (v.type() == host::VarType::Object) return Variant(std::string("<object>"));
  return v;
}

}  // namespace

Host::Host(HostState state, std::unique_ptr<Store> store)
    : state_(std::move(state)), store_(std::move(store)) {
  for (auto& [name, db] : state_.databases) db.reindex();
}

Host::~Host() {
  if (store_ && !store_->journalEmpty()) {
    try {
      store_->compact(state_);
    } catch (...) {
      // The journal still holds every commit; the next open replays it.
    }
  }
}

std::shared_ptr<Host> Host::inMemory(HostState state) {
  return std::shared_ptr<Host>(new Host(std::move(state), nullptr));
}

std::shared_ptr<Host> Host::openFolder(const std::filesystem::path& folder) {
  HostState state;
  auto store = Store::open(folder, state);
  return std::shared_ptr<Host>(new Host(std::move(state), std::move(store)));
}

platform::FileSystem& Host::files() {
  if (!files_) files_ = platform::systemFiles();
  return *files_;
}

void Host::commitContact(const Database& db, size_t index) {
  if (store_) store_->commitContact(db, index);
}
void Host::commitLookup() {
  if (store_) store_->commitLookup(state_.ui);
}
void Host::commitUi() {
  if (store_) store_->commitUi(state_.ui);
}
void Host::commitCommand(const CommandDef& c) {
  if (store_) store_->commitCommand(c);
}
void Host::commitSubMenu(const SubMenu& s) {
  if (store_) store_->commitSubMenu(s);
}
void Host::commitMenuEntry(const MenuEntry& e) {
  if (store_) store_->commitMenuEntry(e);
}
void Host::commitToolbar(const ToolbarButton& b) {
  if (store_) store_->commitToolbar(b);
}
void Host::commitRules() {
  if (store_) store_->commitRules(state_.rules);
}

int32_t Host::callCount(std::string_view member) const {
  if (member == kAnyMember) return callsInRun_;
  auto it = counts_.find(lower(member));
  return it == counts_.end() ? 0 : it->second;
}

void Host::log(LoggedCall&& c) {
  if (store_) store_->logCall(c);
  calls_.push_back(std::move(c));
}

Variant Host::call(std::string_view object, std::string_view canonical, std::string_view asCalled,
                   host::CallKind kind, std::span<const Arg> args,
                   const std::function<Variant()>& body) {
  int32_t nth = ++counts_[lower(canonical)];
  int32_t nthOfAll = ++callsInRun_;
  struct AfterCall {
    const std::function<void()>& f;
    ~AfterCall() {
      if (f) f();
    }
  } afterCall{afterCall_};

  LoggedCall entry;
  if (state_.logCalls) {
    entry.object = std::string(object);
    entry.member = std::string(asCalled);
    entry.kind = kind;
    entry.args.reserve(args.size());
    for (const Arg& a : args)
      entry.args.push_back(LoggedArg{loggable(a.value()), a.byRef(), a.refType(), Variant()});
  }
  auto finish = [&](const Variant& result, const AutomationError* error) {
    if (!state_.logCalls) return;
    for (size_t i = 0; i < args.size(); ++i)
      if (args[i].byRef()) entry.args[i].after = loggable(args[i].value());
    entry.result = loggable(result);
    if (error) {
      entry.error = error->number();
      entry.errorText = error->description();
    }
    log(std::move(entry));
  };

  const Rule* answer = nullptr;
  for (const Rule& r : state_.rules) {
    if (!ruleMatches(r, canonical, nth, nthOfAll, args)) continue;
    if (r.kind == Rule::Kind::Fail) {
      AutomationError e(r.number, r.description, std::string(asCalled), std::string(kErrorSource));
      finish(Variant(), &e);
      throw e;
    }
    if (r.kind == Rule::Kind::Answer && !answer) answer = &r;
  }

  Variant result;
  try {
    result = answer ? answer->value : body();
    for (const Rule& r : state_.rules) {
      if (r.kind != Rule::Kind::WriteBack || !ruleMatches(r, canonical, nth, nthOfAll, args))
        continue;
      if (r.argIndex >= 0 && static_cast<size_t>(r.argIndex) < args.size())
        args[r.argIndex].assign(r.value);
    }
  } catch (const AutomationError& e) {
    AutomationError named = e.withMember(std::string(asCalled));
    finish(Variant(), &named);
    throw named;
  }
  finish(result, nullptr);
  return result;
}

}  // namespace vel::standin
