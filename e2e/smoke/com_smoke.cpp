// Through real COM, against the registered stand-in: every host object is created by program
// identifier, a member with a by-reference argument is called, and the event control answers
// IsReady by its dispatch identifier. Prints one line per check and exits non-zero on a failure.

#include <cstdio>
#include <string>

#include "host/com/com_connector.h"
#include "host/convert.h"

using namespace vel;

int failures = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

int main() {
  com::ComSession session;
  com::ComConnector c;
  try {
    host::DispatchPtr app = c.create(host::progid::kAppObject);
    check(host::toBool(app->call("IsDBOpen")), "ACTOLE.APPOBJECT IsDBOpen");
    host::DispatchPtr db = c.create("actole.database");
    db->call("OpenEx", {""});
    check(host::toBool(db->call("isOpen")), "ACTOLE.DATABASE OpenEx(\"\") attaches");
    host::DispatchPtr table = host::objectOf(db->call("CONTACT"), "CONTACT");
    check(host::toInt32(table->call("RecordCount")) > 0, "CONTACT RecordCount");

    host::DispatchPtr aux = c.create(host::progid::kAuxCmds);
    int32_t set = 1, ref = 0;
    std::string top = "Vel&mora";
    aux->call("AddAuxSubMenu", {host::Arg::ref(set), "", 8, 0, host::Arg::ref(top)});
    host::Variant exists = aux->call(
        "AuxSubMenuExists", {host::Arg::ref(set), "", host::Arg::ref(top), host::Arg::ref(ref)});
    check(exists == host::Variant(true), "ACTOLE.AUXCMDS AuxSubMenuExists");
    check(ref != 0, "the host wrote into the by-reference argument (" + std::to_string(ref) + ")");

    // Each name is looked up once per object, in whatever case the caller spells it.
    auto* comTable = dynamic_cast<com::ComDispatch*>(table.get());
    int before = comTable->nameLookups();
    for (const char* spelling : {"MoveFirst", "movefirst", "MOVEFIRST", "MoveNext", "movenext"})
      table->call(spelling);
    check(comTable->nameLookups() - before == 2,
          "two member names, five calls: " + std::to_string(comTable->nameLookups() - before) +
              " name lookups");

    host::DispatchPtr ev = c.createControl(host::kActEventClsid);
    check(host::toBool(ev->callId(host::kIsReadyDispId)), "event control IsReady by DISPID 3");
    check(dynamic_cast<com::ComDispatch*>(ev.get())->nameLookups() == 0,
          "IsReady needs no name lookup");

    try {
      table->call("NoSuchMember");
      check(false, "an unknown member fails");
    } catch (const host::AutomationError& e) {
      check(e.number() == host::hr::kUnknownName,
            std::string("an unknown member fails: ") + e.what());
    }
    try {
      table->call("Data", {4711});
      check(false, "a host exception carries its description");
    } catch (const host::AutomationError& e) {
      check(e.description().find("4711") != std::string::npos,
            std::string("a host exception carries its description: ") + e.what());
    }
  } catch (const std::exception& e) {
    check(false, std::string("unexpected error: ") + e.what());
  }
  return failures ? 1 : 0;
}
