// The walks a user waits for, through real COM and the registered stand-in server, headless:
//
//   walk_bench seekmark program   the Contains Lookup's Finish (the value matches nothing, so
//                                 every field of the active field's group is read)
//   walk_bench seekmark bare      the same host calls from a minimal client: raw IDispatch, each
//                                 member's DISPID looked up once, no forms, no conversions kept
//   walk_bench agewright program  the age update of all contacts, without a screen
//   walk_bench agewright bare     its host calls, the same way (with the same arguments by
//                                 reference: they travel both ways across processes)
//
// Prints "contacts N", "calls N" (host calls of the walk), "lookups N" (GetIDsOfNames of the
// whole run), "seconds S" (the walk alone) and "total N" (host calls of the whole run). Each run is
// its own process, so that the server's counters cover one run.

#include <windows.h>

#include <oaidl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "agewright/clsUpdateDates.h"
#include "bench/memory_files.h"
#include "forms/headless/headless.h"
#include "host/com/com_connector.h"
#include "host/convert.h"
#include "platform/win32/wide.h"
#include "seekmark/ContSearch.h"

namespace {

using namespace vel;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

void report(long contacts, long calls, long lookups, double seconds) {
  std::printf("contacts %ld\ncalls %ld\nlookups %ld\nseconds %.6f\n", contacts, calls, lookups,
              seconds);
}

// The minimal client: one object, DISPIDs cached by name, arguments as plain VARIANTs.
class Bare {
 public:
  explicit Bare(IDispatch* p) : p_(p) {}
  Bare(const Bare&) = delete;
  ~Bare() {
    if (p_) p_->Release();
  }
  static Bare create(const wchar_t* progId) {
    CLSID clsid;
    IDispatch* p = nullptr;
    if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&p))))
      throw std::runtime_error("cannot create " + win32::narrow(progId));
    return Bare(p);
  }
  Bare(Bare&& o) noexcept : p_(o.p_), ids_(std::move(o.ids_)) { o.p_ = nullptr; }

  // Arguments in call order; the result is the caller's to clear.
  VARIANT call(const wchar_t* member, std::vector<VARIANT> args = {},
               WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
    DISPID id;
    auto it = ids_.find(member);
    if (it != ids_.end()) {
      id = it->second;
    } else {
      LPOLESTR names[1] = {const_cast<LPOLESTR>(member)};
      ++lookups;
      if (FAILED(p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        throw std::runtime_error("no member " + win32::narrow(member));
      ids_.emplace(member, id);
    }
    std::vector<VARIANT> rev(args.rbegin(), args.rend());
    DISPPARAMS dp{rev.data(), nullptr, static_cast<UINT>(rev.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
      dp.rgdispidNamedArgs = &put;
      dp.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    ++calls;
    HRESULT hr =
        p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, &result, nullptr, nullptr);
    for (VARIANT& v : args) VariantClear(&v);
    if (FAILED(hr)) throw std::runtime_error("call failed: " + win32::narrow(member));
    return result;
  }
  Bare object(const wchar_t* member, std::vector<VARIANT> args = {}) {
    VARIANT v = call(member, std::move(args));
    if (V_VT(&v) != VT_DISPATCH) throw std::runtime_error("no object: " + win32::narrow(member));
    return Bare(V_DISPATCH(&v));  // takes the reference
  }
  long number(const wchar_t* member) {
    VARIANT v = call(member);
    VARIANT n;
    VariantInit(&n);
    VariantChangeType(&n, &v, 0, VT_I4);
    VariantClear(&v);
    return V_I4(&n);
  }

  static inline long calls = 0;
  static inline long lookups = 0;

 private:
  IDispatch* p_;
  std::map<std::wstring, DISPID> ids_;
};

VARIANT i4(long n) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}
VARIANT text(const wchar_t* s) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(s);
  return v;
}
// By reference, as the update passes its settings cells and the age: the value travels to the
// server and back.
VARIANT ref(VARIANT& target) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = &target;
  return v;
}
VARIANT ref(short& target) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_I2;
  V_I2REF(&v) = &target;
  return v;
}
void drop(VARIANT v) {
  VariantClear(&v);
}

constexpr long kStocksFirst = 1327, kStocksLast = 1336;  // the active field's group

int seekmarkProgram() {
  forms::Headless ui;
  forms::Application app(ui, {.title = std::string(seekmark::kApplicationTitle)});
  com::ComConnector connector;
  seekmark::TForm1 form(app, connector);
  form.show();
  ui.click(form.Button1);
  ui.type(form.ComboBox1, "no such value anywhere");
  const long before = com::totalCalls();
  auto t = Clock::now();
  ui.click(form.Button1);
  double s = since(t);
  // The last status text names the last contact; the table is closed by now.
  const std::string& status = form.StatusBar1.simpleText();
  const long contacts = std::atol(status.substr(status.rfind(' ') + 1).c_str());
  report(contacts, com::totalCalls() - before, com::totalNameLookups(), s);
  std::printf("total %ld\n", com::totalCalls());
  return 0;
}

int seekmarkBare() {
  Bare app = Bare::create(L"ACTOLE.APPOBJECT");
  drop(app.call(L"IsDBOpen"));
  Bare db = Bare::create(L"ACTOLE.DATABASE");
  drop(db.call(L"OpenEx", {app.call(L"GetOpenDBName")}));
  Bare table = db.object(L"CONTACT");
  Bare views = app.object(L"Views");
  Bare view = views.object(L"Create", {i4(1), text(L"CV")});
  const long before = Bare::calls;
  auto t = Clock::now();
  drop(view.call(L"CurrentFieldID"));
  drop(table.call(L"MoveFirst"));
  const long n = table.number(L"RecordCount");
  for (long k = 0; k < n; ++k) {
    for (long f = kStocksFirst; f <= kStocksLast; ++f) drop(table.call(L"Data", {i4(f)}));
    drop(table.call(L"MoveNext"));
  }
  double s = since(t);
  report(n, Bare::calls - before, Bare::lookups, s);
  std::printf("total %ld\n", Bare::calls);
  return 0;
}

// Agewright's settings: the contact's and the spouse's birth date and age.
constexpr long kRows[2][2] = {{1080, 1081}, {1082, 1083}};
constexpr platform::CivilDate kToday{2025, 6, 15};

using bench::MemoryFiles;

int agewrightProgram() {
  constexpr const char* kFolder = "C:\\VMR";
  MemoryFiles files;
  files.writeAll(std::string(kFolder) + "\\" + std::string(agewright::kSettingsFileName),
                 "\"Contact\",\"Birth Date\",2,1080,\"Age\",1081,\"\",\"\"\r\n"
                 "\"Spouse\",\"Spouse Birth Date\",2,1082,\"Spouse Age\",1083,\"\",\"\"\r\n");
  platform::FixedClock clock(kToday);
  com::ComConnector connector;
  agewright::Environment env{connector, files, clock, kFolder};
  forms::Headless ui;
  forms::Application app(ui, {.title = "Agewright"});
  agewright::frmProgress progress(app);
  long contacts = 0;
  double s = 0;
  {
    agewright::clsUpdateDates ages(env, app, progress);
    ages.UpdateScope = "All";
    auto t = Clock::now();
    ages.UpdateOpenFile();
    s = since(t);
    contacts = progress.ProgressBar1.maximum();
  }
  report(contacts, com::totalCalls(), com::totalNameLookups(), s);
  std::printf("total %ld\n", com::totalCalls());
  return 0;
}

// The update's decisions, made as the program makes them, on what the host returned.
int16_t ageOf(const VARIANT& birth) {
  host::Variant b = com::fromVariant(birth);
  if (!host::isDate(b)) return 999;
  host::CivilDateTime d = host::civilFromSerial(host::toDate(b));
  int age = kToday.year - d.year;
  if (kToday.month < d.month || (kToday.month == d.month && kToday.day < d.day)) --age;
  return static_cast<int16_t>(age);
}

int agewrightBare() {
  auto t = Clock::now();
  long n = 0;
  {
    Bare probe = Bare::create(L"actole.database");
    drop(probe.call(L"openex", {text(L"")}));
    drop(probe.call(L"isopen"));
    drop(probe.call(L"Close"));
    Bare db = Bare::create(L"actole.database");
    drop(db.call(L"openex", {text(L"")}));
    Bare table = db.object(L"contact");
    drop(table.call(L"recordcount"));
    drop(table.call(L"movefirst"));
    n = table.number(L"recordcount");
    for (long i = 1; i <= n; ++i) {
      drop(table.call(L"recordcount"));
      for (const auto& row : kRows) {
        VARIANT dateField = i4(row[0]), ageField = i4(row[1]);
        VARIANT birth = table.call(L"Data", {ref(dateField)});
        short age = ageOf(birth);
        VariantClear(&birth);
        if (age == 999) continue;
        VARIANT stored = table.call(L"Data", {ref(ageField)});
        host::Variant st = com::fromVariant(stored);
        VariantClear(&stored);
        if (!st.isNull() && host::toText(st, host::NullRule::Strict) == std::to_string(age))
          continue;
        drop(table.call(L"edit"));
        drop(table.call(L"Data", {ref(ageField), ref(age)}));
        drop(table.call(L"Update"));
      }
      drop(table.call(L"movenext"));
    }
    drop(db.call(L"Close"));
  }
  report(n, Bare::calls, Bare::lookups, since(t));
  std::printf("total %ld\n", Bare::calls);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: walk_bench seekmark|agewright program|bare\n");
    return 2;
  }
  std::string which = argv[1], how = argv[2];
  com::ComSession session;
  try {
    // A local server starts with the first object (about a second) and ends after the last:
    // held from before the timing to the end, so that neither walk pays for the start.
    Bare keeper = Bare::create(L"ACTOLE.APPOBJECT");
    if (which == "seekmark") return how == "bare" ? seekmarkBare() : seekmarkProgram();
    if (which == "agewright") return how == "bare" ? agewrightBare() : agewrightProgram();
  } catch (const std::exception& e) {
    std::printf("error %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: walk_bench seekmark|agewright program|bare\n");
  return 2;
}
