#pragma once
// The wizard against an in-process stand-in: a small contact table whose fields cover every
// field group, a headless user interface, and readers for the host's call log.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/headless/headless.h"
#include "seekmark/ContSearch.h"
#include "seekmark/uAct6Defs.h"
#include "standin/host.h"
#include "standin/inprocess/inprocess_connector.h"

namespace vel::seekmark::testing {

inline std::string uid(int n) {
  std::string digits = std::to_string(n);
  return "S" + std::string(standin::kUidWidth - 1 - digits.size(), '0') + digits;
}

inline std::vector<int32_t> range(int32_t first, int32_t last) {
  std::vector<int32_t> v;
  for (int32_t f = first; f <= last; ++f) v.push_back(f);
  return v;
}
inline std::vector<int32_t> concat(std::vector<int32_t> a, const std::vector<int32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The nth call of a member (from 1) fails with the description.
inline standin::Rule failing(std::string member, int32_t nth, std::string description) {
  return {.kind = standin::Rule::Kind::Fail,
          .member = std::move(member),
          .nth = nth,
          .number = static_cast<int32_t>(0x80040001),
          .description = std::move(description)};
}

// A database with a field for every identifier the groups name (and 1050, in none), labelled
// "Field <id>", and the given contacts: each a list of (field, value).
inline standin::HostState hostWith(
    const std::vector<std::vector<std::pair<int32_t, host::Variant>>>& contacts) {
  standin::Database db;
  db.name = "Client Book";
  db.fields.push_back({1, "Unique ID", standin::fieldtype::kCharacter, std::nullopt});
  for (int32_t id = 1000; id <= 1400; ++id)
    db.fields.push_back(
        {id, "Field " + std::to_string(id), standin::fieldtype::kCharacter, std::nullopt});
  int n = 0;
  for (const auto& values : contacts) {
    standin::Contact c;
    c.set(1, uid(++n));
    for (const auto& [f, v] : values) c.set(f, v);
    db.contacts.push_back(std::move(c));
  }
  standin::HostState s;
  s.databases.emplace(db.name, std::move(db));
  s.ui.openDatabase = "Client Book";
  s.ui.focusedField = 1050;
  return s;
}

class Wizard : public ::testing::Test {
 protected:
  void start(standin::HostState state) {
    form.reset();
    host = standin::Host::inMemory(std::move(state));
    connector = std::make_unique<standin::InProcessConnector>(host);
    form = std::make_unique<TForm1>(app, *connector);
    form->show();
    host->clearCalls();
    boxesAtStart_ = ui.messageBoxes().size();
  }

  void next() { ui.click(form->Button1); }
  void type(const std::string& text) { ui.type(form->ComboBox1, text); }
  void finish() { ui.click(form->Button1); }
  // Next, a value, Finish.
  void search(const std::string& value) {
    next();
    type(value);
    finish();
  }

  standin::HostState& state() { return host->state(); }
  standin::Database& db() { return state().databases.at("Client Book"); }

  // "Object.Member" of every logged call, in order.
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    for (const auto& c : host->calls()) out.push_back(c.object + "." + c.member);
    return out;
  }
  int count(const std::string& objectMember) const {
    int n = 0;
    for (const auto& c : calls()) n += c == objectMember;
    return n;
  }
  // The fields read with Data, in order (the unique identifier reads included, as 1).
  std::vector<int32_t> dataReads() const {
    std::vector<int32_t> out;
    for (const auto& c : host->calls())
      if (c.member == "Data") out.push_back(c.args.at(0).value.asInt32());
    return out;
  }
  // The message boxes shown since start(), so that a table's rows each see their own.
  std::vector<forms::MessageBoxArgs> boxes() const {
    std::vector<forms::MessageBoxArgs> out;
    for (size_t i = boxesAtStart_; i < ui.messageBoxes().size(); ++i)
      out.push_back(ui.messageBoxes()[i].box);
    return out;
  }
  std::vector<std::string> boxTexts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes()) out.push_back(b.text);
    return out;
  }

  forms::Headless ui;
  forms::Application app{ui, {.title = std::string(kApplicationTitle)}};
  std::shared_ptr<standin::Host> host;
  std::unique_ptr<standin::InProcessConnector> connector;
  std::unique_ptr<TForm1> form;

 private:
  size_t boxesAtStart_ = 0;
};

}  // namespace vel::seekmark::testing
