// Through real COM, against the registered stand-in: every host object is created by program
// identifier, a member with a by-reference argument is called, and the event control answers
// IsReady by its dispatch identifier. Prints one line per check and exits non-zero on a failure.
//
//   com_smoke inproc|local    the server the prefix has registered, which the checks expect
//   com_smoke --second        a second client: adds a submenu and ends
//
// The caller scripts the host first: AuxSubMenuExists writes "written back" into its second
// argument, the first Data call writes 1327 into its first, and GetOpenDBName fails with
// 0x80040200 "The database is locked".

#include <windows.h>

#include <chrono>
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

const char* const kSecondMenu = "Second &Client";

// Another client process of the same kind as this one: the local server serves both from its
// one host, the in-process server gives each its own.
int runSecondClient() {
  wchar_t self[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring cmd = L"\"" + std::wstring(self, n) + L"\" --second";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD rc = 1;
  GetExitCodeProcess(pi.hProcess, &rc);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(rc);
}

int second() {
  com::ComSession session;
  com::ComConnector c;
  try {
    auto t0 = std::chrono::steady_clock::now();
    host::DispatchPtr aux = c.create(host::progid::kAuxCmds);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("second client: created ACTOLE.AUXCMDS in %.1f ms\n", ms);
    int32_t set = 1;
    std::string name = kSecondMenu;
    aux->call("AddAuxSubMenu", {host::Arg::ref(set), "", 8, 0, host::Arg::ref(name)});
    return 0;
  } catch (const std::exception& e) {
    std::printf("second client: %s\n", e.what());
    return 1;
  }
}

// Whether `object` is a proxy to another process (only proxies answer IClientSecurity).
bool isProxy(const host::DispatchPtr& object) {
  IUnknown* security = nullptr;
  auto* d = dynamic_cast<com::ComDispatch*>(object.get());
  if (!d ||
      FAILED(d->get()->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(&security))))
    return false;
  security->Release();
  return true;
}

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "inproc";
  if (mode == "--second") return second();
  const bool local = mode == "local";
  com::ComSession session;
  com::ComConnector c;
  try {
    auto t0 = std::chrono::steady_clock::now();
    host::DispatchPtr app = c.create(host::progid::kAppObject);
    std::printf(
        "first creation: %.1f ms\n",
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    check(isProxy(app) == local, local ? "the host lives in the local server's process"
                                       : "the host lives in this process");
    check(host::toBool(app->call("IsDBOpen")), "ACTOLE.APPOBJECT IsDBOpen");
    host::DispatchPtr db = c.create("actole.database");
    db->call("OpenEx", {""});
    check(host::toBool(db->call("isOpen")), "ACTOLE.DATABASE OpenEx(\"\") attaches");
    host::DispatchPtr table = host::objectOf(db->call("CONTACT"), "CONTACT");
    check(host::toInt32(table->call("RecordCount")) > 0, "CONTACT RecordCount");
    check(isProxy(table) == local, "an object reference crosses as the object did");

    // Objects returned by objects: the views collection, the contact view it creates.
    host::DispatchPtr view = host::objectOf(
        host::objectOf(app->call("Views"), "Views")->call("Create", {1, "CV"}), "Create");
    check(host::toInt32(view->call("CurrentFieldID")) > 0,
          "Views.Create(1, \"CV\") CurrentFieldID");

    // A Variant by reference, written back by the host (the first Data call's rule).
    host::Variant field(int32_t{1});
    host::Variant uid = table->call("Data", {host::Arg::ref(field)});
    check(!host::toText(uid, host::NullRule::Strict).empty(),
          "Data(ref Variant) returns the unique identifier");
    check(field == host::Variant(int32_t{1327}),
          "the host wrote into the Variant by reference: " + host::describe(field));

    host::DispatchPtr aux = c.create(host::progid::kAuxCmds);
    int32_t set = 1, ref = 0;
    std::string top = "Vel&mora", parent;
    aux->call("AddAuxSubMenu", {host::Arg::ref(set), "", 8, 0, host::Arg::ref(top)});
    host::Variant exists = aux->call(
        "AuxSubMenuExists",
        {host::Arg::ref(set), host::Arg::ref(parent), host::Arg::ref(top), host::Arg::ref(ref)});
    check(exists == host::Variant(true), "ACTOLE.AUXCMDS AuxSubMenuExists");
    check(ref != 0, "the host wrote into the by-reference argument (" + std::to_string(ref) + ")");
    check(parent == "written back", "the host wrote into the text by reference: " + parent);

    // A second client: with the local server it reaches the same running host, and what it
    // adds is there for this client at once; in process, each client has a host of its own.
    check(runSecondClient() == 0, "a second client ran");
    int32_t secondRef = 0;
    std::string secondName = kSecondMenu, none;
    bool seen = host::toBool(aux->call(
        "AuxSubMenuExists",
        {host::Arg::ref(set), none, host::Arg::ref(secondName), host::Arg::ref(secondRef)}));
    check(seen == local, local ? "the second client attached to the same host"
                               : "the second client had a host of its own");

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
      app->call("GetOpenDBName");
      check(false, "a scripted host exception arrives");
    } catch (const host::AutomationError& e) {
      check(e.number() == static_cast<int32_t>(0x80040200) &&
                e.description() == "The database is locked",
            std::string("a scripted host exception arrives with its number and description: ") +
                e.what());
    }
    try {
      table->call("Data", {4711});
      check(false, "a host exception carries its description");
    } catch (const host::AutomationError& e) {
      check(e.description().find("4711") != std::string::npos,
            std::string("a host exception carries its description: ") + e.what());
    }

    // What one call costs: a member whose identifier is known, so each call is one Invoke.
    const int kCalls = 2000;
    table->call("RecordCount");
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) table->call("RecordCount");
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count() /
                kCalls;
    std::printf("per call (%s server): %.2f us over %d calls\n", mode.c_str(), us, kCalls);
  } catch (const std::exception& e) {
    check(false, std::string("unexpected error: ") + e.what());
  }
  return failures ? 1 : 0;
}
