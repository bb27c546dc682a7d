#include "standin/sample.h"

#include <algorithm>
#include <cctype>

#include "platform/oledate.h"

namespace vel::standin {

using namespace samplefield;

namespace {

// splitmix64: small, fast, and the same sequence everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
  int between(int lo, int hi) {
    return lo + static_cast<int>(below(static_cast<uint32_t>(hi - lo + 1)));
  }
  bool percent(uint32_t p) { return below(100) < p; }
  bool perMille(uint32_t p) { return below(1000) < p; }
  template <class T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(N)];
  }

 private:
  uint64_t state_;
};

// --- Word lists ---------------------------------------------------------------------------------

constexpr const char* kMaleNames[] = {
    "James",  "John",    "Robert",  "Michael", "William", "David",  "Richard",  "Joseph",
    "Thomas", "Charles", "Daniel",  "Matthew", "Anthony", "Mark",   "Donald",   "Steven",
    "Paul",   "Andrew",  "Joshua",  "Kenneth", "Kevin",   "Brian",  "George",   "Edward",
    "Ronald", "Timothy", "Jason",   "Jeffrey", "Ryan",    "Gary",   "Nicholas", "Eric",
    "Frank",  "Raymond", "Gregory", "Samuel",  "Patrick", "Dennis", "Walter",   "Peter"};
constexpr const char* kFemaleNames[] = {
    "Mary",    "Patricia",  "Jennifer", "Linda",  "Elizabeth", "Barbara", "Susan",    "Jessica",
    "Sarah",   "Karen",     "Nancy",    "Lisa",   "Margaret",  "Betty",   "Sandra",   "Ashley",
    "Dorothy", "Kimberly",  "Emily",    "Donna",  "Michelle",  "Carol",   "Amanda",   "Melissa",
    "Deborah", "Stephanie", "Rebecca",  "Laura",  "Sharon",    "Cynthia", "Kathleen", "Amy",
    "Angela",  "Helen",     "Anna",     "Brenda", "Pamela",    "Nicole",  "Ruth",     "Katherine"};
constexpr const char* kLastNames[] = {
    "Smith",     "Johnson", "Williams", "Brown",    "Jones",   "Miller",  "Davis",     "Garcia",
    "Rodriguez", "Wilson",  "Martinez", "Anderson", "Taylor",  "Thomas",  "Hernandez", "Moore",
    "Martin",    "Jackson", "Thompson", "White",    "Lopez",   "Lee",     "Gonzalez",  "Harris",
    "Clark",     "Lewis",   "Robinson", "Walker",   "Perez",   "Hall",    "Young",     "Allen",
    "Sanchez",   "Wright",  "King",     "Scott",    "Green",   "Baker",   "Adams",     "Nelson",
    "Hill",      "Ramirez", "Campbell", "Mitchell", "Roberts", "Carter",  "Phillips",  "Evans",
    "Turner",    "Torres",  "Parker",   "Collins",  "Edwards", "Stewart", "Flores",    "Morris",
    "Nguyen",    "Murphy",  "Rivera",   "Cook",     "Rogers",  "Morgan",  "Peterson",  "O'Brien"};
constexpr const char* kCompanyWords[] = {
    "Harbor",   "Summit",   "Granite", "Meridian", "Keystone",  "Pioneer",
    "Liberty",  "Atlas",    "Beacon",  "Cedar",    "Crescent",  "Evergreen",
    "Frontier", "Heritage", "Horizon", "Landmark", "Lakeside",  "Northstar",
    "Oakwood",  "Pinnacle", "Redwood", "Sterling", "Westfield", "Bayview"};
constexpr const char* kCompanyKinds[] = {
    "Capital",    "Partners",  "Associates", "Group",     "Holdings", "Industries",
    "Consulting", "Financial", "Realty",     "Insurance", "Advisors", "Manufacturing",
    "Logistics",  "Medical",   "Properties", "Systems",   "Trust",    "Ventures"};
constexpr const char* kCompanySuffixes[] = {"Inc.", "LLC", "Co.", "Corp.", "Ltd."};
constexpr const char* kTitles[] = {"President",  "Vice President", "Director",   "Manager",
                                   "Partner",    "Analyst",        "Consultant", "Owner",
                                   "Controller", "Treasurer"};
constexpr const char* kStreets[] = {
    "Main",   "Oak",   "Maple",  "Cedar",   "Elm",      "Washington", "Lake",     "Hill",
    "Park",   "Pine",  "Walnut", "Sunset",  "Lincoln",  "Jackson",    "Church",   "Highland",
    "Forest", "River", "Spring", "Madison", "Franklin", "Ridge",      "Chestnut", "Willow"};
constexpr const char* kStreetKinds[] = {"Street",    "Avenue", "Road",  "Drive", "Lane",
                                        "Boulevard", "Court",  "Place", "Way"};
constexpr const char* kSuites[] = {"Suite 100", "Suite 210", "Suite 400",
                                   "Floor 12",  "Unit B",    "P.O. Box 118"};

struct City {
  const char* name;
  const char* state;
  const char* zip3;
  const char* area;
};
constexpr City kCities[] = {
    {"New York", "NY", "100", "212"},    {"Brooklyn", "NY", "112", "718"},
    {"Boston", "MA", "021", "617"},      {"Chicago", "IL", "606", "312"},
    {"Houston", "TX", "770", "713"},     {"Dallas", "TX", "752", "214"},
    {"Austin", "TX", "787", "512"},      {"Phoenix", "AZ", "850", "602"},
    {"Denver", "CO", "802", "303"},      {"Seattle", "WA", "981", "206"},
    {"Portland", "OR", "972", "503"},    {"San Francisco", "CA", "941", "415"},
    {"Los Angeles", "CA", "900", "213"}, {"San Diego", "CA", "921", "619"},
    {"Atlanta", "GA", "303", "404"},     {"Miami", "FL", "331", "305"},
    {"Orlando", "FL", "328", "407"},     {"Charlotte", "NC", "282", "704"},
    {"Nashville", "TN", "372", "615"},   {"Minneapolis", "MN", "554", "612"},
    {"Detroit", "MI", "482", "313"},     {"Cleveland", "OH", "441", "216"},
    {"Columbus", "OH", "432", "614"},    {"Philadelphia", "PA", "191", "215"},
    {"Pittsburgh", "PA", "152", "412"},  {"Baltimore", "MD", "212", "410"},
    {"Richmond", "VA", "232", "804"},    {"St. Louis", "MO", "631", "314"},
    {"Kansas City", "MO", "641", "816"}, {"Salt Lake City", "UT", "841", "801"},
    {"Las Vegas", "NV", "891", "702"},   {"Albuquerque", "NM", "871", "505"},
    {"New Orleans", "LA", "701", "504"}, {"Omaha", "NE", "681", "402"},
    {"Hartford", "CT", "061", "860"},    {"Providence", "RI", "029", "401"},
    {"Milwaukee", "WI", "532", "414"},   {"Indianapolis", "IN", "462", "317"},
    {"Naples", "FL", "341", "239"},      {"Scottsdale", "AZ", "852", "480"}};

constexpr const char* kUsStates[] = {
    "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "DC", "FL", "GA", "HI", "ID",
    "IL", "IN", "IA", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO",
    "MT", "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA",
    "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};
constexpr const char* kAccountTypes[] = {"Checking",  "Savings", "Money Market", "CD",
                                         "Brokerage", "IRA",     "Roth IRA",     "401(k)"};
constexpr const char* kIndustries[] = {"Banking",   "Construction", "Education",     "Health Care",
                                       "Insurance", "Legal",        "Manufacturing", "Real Estate",
                                       "Retail",    "Technology",   "Transportation"};
constexpr const char* kTickers[] = {"IBM", "GE",   "KO",   "XOM", "MSFT", "AAPL", "PG",
                                    "JNJ", "MRK",  "PFE",  "F",   "GM",   "DIS",  "MMM",
                                    "WMT", "INTC", "CSCO", "VZ",  "BA",   "MO",   "HD"};
constexpr const char* kHoldingNames[] = {
    "S&P 500 Index Fund", "Growth Fund",      "Municipal Bond Fund", "Treasury Notes",
    "Money Market Fund",  "Balanced Fund",    "Whole Life Policy",   "Term Life Policy",
    "Fixed Annuity",      "Variable Annuity", "Corporate Bonds",     "Real Estate Fund"};
constexpr const char* kSchools[] = {
    "Lincoln Elementary", "Washington Middle School", "Central High School", "St. Mary's Academy",
    "State University",   "Community College",        "Oak Ridge Prep",      "Boston College"};
constexpr const char* kInterestsList[] = {"Golf",   "Sailing",     "Tennis",  "Fishing",
                                          "Skiing", "Gardening",   "Travel",  "Wine",
                                          "Opera",  "Photography", "Cooking", "Hiking"};
constexpr const char* kResults[] = {"Left message",       "Sent proposal",  "Meeting set",
                                    "Call back in March", "Not interested", "Mailed brochure"};
constexpr const char* kDepartments[] = {"Sales",           "Finance",   "Operations", "Legal",
                                        "Human Resources", "Marketing", "Purchasing"};
constexpr const char* kNonDates[] = {"unknown", "n/a", "TBD", "see notes"};

// --- Schema -------------------------------------------------------------------------------------

enum class List : uint8_t { None, Empty, Titles, States, AccountTypes, Industries };

struct FieldRow {
  int32_t id;
  const char* label;
  int32_t type;
  List list;
};

constexpr int32_t kChar = fieldtype::kCharacter;
constexpr int32_t kDateType = fieldtype::kDate;
constexpr int32_t kPhoneType = fieldtype::kPhone;

constexpr FieldRow kFieldRows[] = {
    {kUniqueId, "Unique ID", kChar, List::None},
    {kCompany, "Company", kChar, List::None},
    {kContact, "Contact", kChar, List::None},
    {kTitle, "Title", kChar, List::Titles},
    {kSalutation, "Salutation", kChar, List::None},
    {kIdStatus, "ID/Status", kChar, List::Empty},
    {kEmail, "E-mail Address", kChar, List::None},
    {kAddress1, "Address 1", kChar, List::None},
    {kAddress2, "Address 2", kChar, List::None},
    {kAddress3, "Address 3", kChar, List::None},
    {kCity, "City", kChar, List::None},
    {kState, "State", kChar, List::States},
    {kZip, "Zip Code", kChar, List::None},
    {kCountry, "Country", kChar, List::None},
    {kHomeAddress1, "Home Address 1", kChar, List::None},
    {kHomeAddress2, "Home Address 2", kChar, List::None},
    {kHomeAddress3, "Home Address 3", kChar, List::None},
    {kHomeCity, "Home City", kChar, List::None},
    {kHomeState, "Home State", kChar, List::States},
    {kHomeZip, "Home Zip", kChar, List::None},
    {kHomeCountry, "Home Country", kChar, List::None},
    {kHomeEmail, "Home E-mail", kChar, List::None},
    {kPhone, "Phone", kPhoneType, List::None},
    {kPhoneExt, "Phone Ext.", kChar, List::None},
    {kFax, "Fax", kPhoneType, List::None},
    {kMobile, "Mobile Phone", kPhoneType, List::None},
    {kPager, "Pager", kPhoneType, List::None},
    {kHomePhone, "Home Phone", kPhoneType, List::None},
    {kAltAddress1, "Alt Address 1", kChar, List::None},
    {kAltAddress2, "Alt Address 2", kChar, List::None},
    {kAltCity, "Alt City", kChar, List::None},
    {kAltState, "Alt State", kChar, List::States},
    {kAltZip, "Alt Zip", kChar, List::None},
    {kAltCountry, "Alt Country", kChar, List::None},
    {kAltPhone, "Alt Phone", kPhoneType, List::None},
    {kAltFax, "Alt Fax", kPhoneType, List::None},
    {kAssistantPhone, "Assistant Phone", kPhoneType, List::None},
    {kCarPhone, "Car Phone", kPhoneType, List::None},
    {kSeasonalAddress1, "Seasonal Address 1", kChar, List::None},
    {kSeasonalAddress2, "Seasonal Address 2", kChar, List::None},
    {kSeasonalCity, "Seasonal City", kChar, List::None},
    {kSeasonalState, "Seasonal State", kChar, List::States},
    {kSeasonalZip, "Seasonal Zip", kChar, List::None},
    {kSeasonalCountry, "Seasonal Country", kChar, List::None},
    {kSeasonalPhone, "Seasonal Phone", kPhoneType, List::None},
    {kSeasonalMonths, "Seasonal Months", kChar, List::None},
    {kSpouse, "Spouse", kChar, List::None},
    {kAssistant, "Assistant", kChar, List::None},
    {kReferredBy, "Referred By", kChar, List::None},
    {kLastResults, "Last Results", kChar, List::None},
    {kWebSite, "Web Site", kChar, List::None},
    {kDepartment, "Department", kChar, List::None},
    {kNewsletter, "Newsletter", fieldtype::kYesNo, List::None},
    {kSpouseEmployer, "Spouse Employer", kChar, List::None},
    {kSpouseTitle, "Spouse Title", kChar, List::Titles},
    {kSpouseWorkPhone, "Spouse Work Phone", kPhoneType, List::None},
    {kSpouseMobile, "Spouse Mobile", kPhoneType, List::None},
    {kSpouseEmail, "Spouse E-mail", kChar, List::None},
    {kSpouseInterests, "Spouse Interests", kChar, List::None},
    {kSpouseMaidenName, "Spouse Maiden Name", kChar, List::None},
    {kAttorney, "Attorney", kChar, List::None},
    {kAttorneyFirm, "Attorney Firm", kChar, List::None},
    {kAccountant, "Accountant", kChar, List::None},
    {kAccountantFirm, "Accounting Firm", kChar, List::None},
    {kInsuranceAgent, "Insurance Agent", kChar, List::None},
    {kInsuranceAgency, "Insurance Agency", kChar, List::None},
    {kBanker, "Banker", kChar, List::None},
    {kBank, "Bank", kChar, List::None},
    {kBirthDate, "Birth Date", kDateType, List::None},
    {kAge, "Age", kChar, List::None},
    {kSpouseBirthDate, "Spouse Birth Date", kDateType, List::None},
    {kSpouseAge, "Spouse Age", kChar, List::None},
    {kChild1BirthDate, "Child 1 Birth Date", kDateType, List::None},
    {kChild1Age, "Child 1 Age", kChar, List::None},
    {kChild2BirthDate, "Child 2 Birth Date", kDateType, List::None},
    {kChild2Age, "Child 2 Age", kChar, List::None},
    {kChild3BirthDate, "Child 3 Birth Date", kDateType, List::None},
    {kChild3Age, "Child 3 Age", kChar, List::None},
    {kChild4BirthDate, "Child 4 Birth Date", kDateType, List::None},
    {kChild4Age, "Child 4 Age", kChar, List::None},
    {kChildren, "Children", kChar, List::None},
    {kInterests, "Interests", kChar, List::None},
    {kClubs, "Clubs", kChar, List::None},
    {kCharities, "Charities", kChar, List::None},
    {kSports, "Sports", kChar, List::None},
    {kAlmaMater, "Alma Mater", kChar, List::None},
    {kReligion, "Religion", kChar, List::None},
    {kPoliticalParty, "Political Party", kChar, List::None},
    {kPets, "Pets", kChar, List::None},
    {kChildNames[0], "Child 1 Name", kChar, List::None},
    {kChildNames[1], "Child 2 Name", kChar, List::None},
    {kChildNames[2], "Child 3 Name", kChar, List::None},
    {kChildNames[3], "Child 4 Name", kChar, List::None},
    {kChildSchools[0], "Child 1 School", kChar, List::None},
    {kChildSchools[1], "Child 2 School", kChar, List::None},
    {kChildSchools[2], "Child 3 School", kChar, List::None},
    {kChildSchools[3], "Child 4 School", kChar, List::None},
    {kGrandchildren, "Grandchildren", kChar, List::None},
    {kIndustry, "Industry", kChar, List::Industries},
    {kEmployees, "Employees", fieldtype::kNumeric, List::None},
    {kRevenue, "Annual Revenue", kChar, List::None},
    {kFiscalYearEnd, "Fiscal Year End", kChar, List::None},
    {kSicCode, "SIC Code", kChar, List::None},
    {kParentCompany, "Parent Company", kChar, List::None},
    {kTicker, "Ticker Symbol", kChar, List::None},
    {kFounded, "Year Founded", kChar, List::None},
};

// The eight fields of an account block, in identifier order from its first one.
struct BlockField {
  const char* label;
  int32_t type;
  List list;
};
constexpr BlockField kBlockFields[8] = {{"Institution", kChar, List::None},
                                        {"Account No.", kChar, List::None},
                                        {"Account Type", kChar, List::AccountTypes},
                                        {"Balance", fieldtype::kCurrency, List::None},
                                        {"Beneficiary", kChar, List::None},
                                        {"Date Opened", kDateType, List::None},
                                        {"Advisor", kChar, List::None},
                                        {"Notes", kChar, List::None}};

std::optional<std::vector<std::string>> listEntries(List list) {
  auto of = [](const auto& items) {
    return std::vector<std::string>(std::begin(items), std::end(items));
  };
  switch (list) {
    case List::None:
      return std::nullopt;
    case List::Empty:
      return std::vector<std::string>{};
    case List::Titles:
      return of(kTitles);
    case List::States:
      return of(kUsStates);
    case List::AccountTypes:
      return of(kAccountTypes);
    case List::Industries:
      return of(kIndustries);
  }
  return std::nullopt;
}

std::vector<FieldDef> sampleFields() {
  std::vector<FieldDef> fields;
  auto add = [&](int32_t id, std::string label, int32_t type, List list) {
    fields.push_back(FieldDef{id, std::move(label), type, listEntries(list)});
  };
  for (const FieldRow& r : kFieldRows) add(r.id, r.label, r.type, r.list);
  for (const HoldingBlock& b : kHoldingBlocks) {
    std::string name = b.name;
    for (int i = 0; i < 8; ++i)
      add(b.first + i, name + " " + kBlockFields[i].label, kBlockFields[i].type,
          kBlockFields[i].list);
    add(b.holding1, name + " Holding 1", kChar, List::None);
    add(b.holding2, name + " Holding 2", kChar, List::None);
  }
  for (int32_t id = kStocksFirst; id <= kStocksLast; ++id)
    add(id, "Stocks Held " + std::to_string(id - kStocksFirst + 1), kChar, List::None);
  for (int i = 0; i < kAccountPairs; ++i) {
    add(accountNumber(i), "Account " + std::to_string(i + 1) + " Number", kChar, List::None);
    add(accountType(i), "Account " + std::to_string(i + 1) + " Type", kChar, List::AccountTypes);
  }
  std::sort(fields.begin(), fields.end(),
            [](const FieldDef& a, const FieldDef& b) { return a.id < b.id; });
  return fields;
}

// --- Values -------------------------------------------------------------------------------------

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string digits(Rng& r, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.below(10));
  return s;
}

// "+1(212) 5551234"
std::string phone(Rng& r, const City& city) {
  return std::string("+1(") + city.area + ") " + digits(r, 7);
}

// Each draw is its own statement: the operands of one expression are evaluated in an order the
// language leaves open, and the output must not depend on the compiler.
std::string street(Rng& r) {
  std::string number = std::to_string(r.between(1, 9899));
  std::string name = r.pick(kStreets);
  return number + " " + name + " " + r.pick(kStreetKinds);
}

std::string twoWords(Rng& r, const char* const* firstList, size_t firstCount, const char* separator,
                     const char* const* secondList, size_t secondCount) {
  std::string a = firstList[r.below(static_cast<uint32_t>(firstCount))];
  return a + separator + secondList[r.below(static_cast<uint32_t>(secondCount))];
}

template <size_t N, size_t M>
std::string twoWords(Rng& r, const char* const (&a)[N], const char* separator,
                     const char* const (&b)[M]) {
  return twoWords(r, a, N, separator, b, M);
}

std::string numberPair(Rng& r, int left, int right) {
  std::string a = digits(r, left);
  return a + "-" + digits(r, right);
}

std::string zip(Rng& r, const City& city) {
  return city.zip3 + digits(r, 2);
}

std::string companyName(Rng& r) {
  switch (r.below(3)) {
    case 0:
      return twoWords(r, kLastNames, " & ", kLastNames);
    case 1:
      return twoWords(r, kCompanyWords, " ", kCompanyKinds);
    default: {
      std::string name = twoWords(r, kCompanyWords, " ", kCompanyKinds);
      return name + " " + r.pick(kCompanySuffixes);
    }
  }
}

std::string domainOf(const std::string& company) {
  std::string d;
  for (char c : company)
    if (std::isalnum(static_cast<unsigned char>(c))) d += c;
  return lowerAscii(d.substr(0, 16)) + ".com";
}

std::string personName(Rng& r, bool female, const std::string& last) {
  return std::string(female ? r.pick(kFemaleNames) : r.pick(kMaleNames)) + " " + last;
}

std::string anyPerson(Rng& r) {
  bool female = r.percent(50);
  std::string last = r.pick(kLastNames);
  return personName(r, female, last);
}

std::string emailFor(const std::string& first, const std::string& last, const std::string& domain) {
  std::string local = lowerAscii(first) + "." + lowerAscii(last);
  local.erase(std::remove(local.begin(), local.end(), '\''), local.end());
  return local + "@" + domain;
}

std::string tickerList(Rng& r) {
  // Roughly a quarter of the lists hold T, the ticker a partial search trips over.
  std::vector<std::string> held;
  if (r.percent(25)) held.push_back("T");
  int n = r.between(1, 4);
  while (static_cast<int>(held.size()) < n) {
    std::string t = r.pick(kTickers);
    if (std::find(held.begin(), held.end(), t) == held.end()) held.push_back(t);
  }
  std::string s = ",";
  for (const std::string& t : held) s += t + ",";
  return s;
}

struct Day {
  int year, month, day;
};

Day randomDay(Rng& r, int fromYear, int toYear) {
  Day d{r.between(fromYear, toYear), r.between(1, 12), 1};
  d.day = r.between(1, platform::daysInMonth(d.year, d.month));
  return d;
}

int ageOn(const Day& birth, const SampleDate& on) {
  int age = on.year - birth.year;
  if (on.month < birth.month || (on.month == birth.month && on.day < birth.day)) --age;
  return age;
}

bool after(const Day& d, const SampleDate& on) {
  if (d.year != on.year) return d.year > on.year;
  if (d.month != on.month) return d.month > on.month;
  return d.day > on.day;
}

// A birth date and the age beside it, as they turn up in a real database: mostly dates, some
// typed as text, a few not dates at all; ages mostly right, some off or missing.
void putBirth(Contact& c, Rng& r, int32_t dateField, int32_t ageField, const Day& birth) {
  uint32_t form = r.below(1000);
  if (form < 5) {
    c.set(dateField, std::string(r.pick(kNonDates)));
    if (r.percent(50)) c.set(ageField, std::to_string(r.between(20, 70)));
    return;
  }
  if (form < 45) {
    c.set(dateField, std::to_string(birth.month) + "/" + std::to_string(birth.day) + "/" +
                         std::to_string(birth.year));
  } else {
    c.set(dateField,
          Variant::date(platform::oleSerialFromParts(birth.year, birth.month, birth.day)));
  }
  int age = ageOn(birth, kSampleAgeDate);
  uint32_t off = r.below(100);
  if (off < 3) return;  // never computed
  if (off < 6) {
    c.set(ageField, std::to_string(age + 1));
  } else if (off < 8) {
    c.set(ageField, std::to_string(age - 1));
  } else if (off < 10) {
    c.set(ageField, "0" + std::to_string(age));
  } else {
    c.set(ageField, std::to_string(age));
  }
}

Variant dateValue(const Day& d) {
  return Variant::date(platform::oleSerialFromParts(d.year, d.month, d.day));
}

// "C" and eleven base-36 digits. Identifiers are n * K + offset modulo 36^11, with K prime to
// 36: a bijection, so every contact of a table gets its own.
std::string uniqueId(uint64_t offset, size_t index) {
  constexpr uint64_t kSpace = 131621703842267136ull;  // 36^11
  constexpr uint64_t kStep = 2654435761ull;
  uint64_t n = (offset + (static_cast<uint64_t>(index) % kSpace) * kStep % kSpace) % kSpace;
  std::string id(kUidWidth, '0');
  id[0] = 'C';
  for (size_t i = kUidWidth - 1; i > 0; --i) {
    id[i] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[n % 36];
    n /= 36;
  }
  return id;
}

void putAddress(Contact& c, Rng& r, const int32_t (&ids)[6], const City& city,
                uint32_t secondLine) {
  // ids: first line, second line, city, state, zip, country
  c.set(ids[0], street(r));
  if (r.percent(secondLine)) c.set(ids[1], std::string(r.pick(kSuites)));
  c.set(ids[2], std::string(city.name));
  c.set(ids[3], std::string(city.state));
  c.set(ids[4], zip(r, city));
  if (r.percent(20)) c.set(ids[5], std::string("USA"));
}

Contact makeContact(Rng& r, uint64_t uidOffset, size_t index) {
  Contact c;
  c.values.reserve(40);
  c.set(kUniqueId, uniqueId(uidOffset, index));

  bool female = r.percent(50);
  std::string first = female ? r.pick(kFemaleNames) : r.pick(kMaleNames);
  std::string last = r.pick(kLastNames);
  c.set(kContact, first + " " + last);
  const City& city = r.pick(kCities);

  std::string company;
  if (r.percent(90)) {
    company = companyName(r);
    c.set(kCompany, company);
    if (r.percent(80)) c.set(kTitle, std::string(r.pick(kTitles)));
    if (r.percent(75)) c.set(kEmail, emailFor(first, last, domainOf(company)));
    if (r.percent(25)) c.set(kDepartment, std::string(r.pick(kDepartments)));
    if (r.percent(30)) c.set(kWebSite, "www." + domainOf(company));
  }
  if (r.percent(60)) c.set(kSalutation, first);

  if (r.percent(85)) {
    putAddress(c, r, {kAddress1, kAddress2, kCity, kState, kZip, kCountry}, city, 20);
    if (r.percent(3)) c.set(kAddress3, std::string("Building C"));
  }
  if (r.percent(85)) c.set(kPhone, phone(r, city));
  if (r.percent(25)) c.set(kPhoneExt, std::to_string(r.between(100, 899)));
  if (r.percent(40)) c.set(kFax, phone(r, city));
  if (r.percent(50)) c.set(kMobile, phone(r, city));
  if (r.percent(5)) c.set(kPager, phone(r, city));
  if (r.percent(10)) c.set(kAssistantPhone, phone(r, city));
  if (r.percent(5)) c.set(kCarPhone, phone(r, city));

  if (r.percent(50)) {
    const City& home = r.percent(70) ? city : r.pick(kCities);
    putAddress(c, r, {kHomeAddress1, kHomeAddress2, kHomeCity, kHomeState, kHomeZip, kHomeCountry},
               home, 10);
    if (r.percent(2)) c.set(kHomeAddress3, std::string("Apt. 5"));
    if (r.percent(45)) c.set(kHomePhone, phone(r, home));
    if (r.percent(25))
      c.set(kHomeEmail, lowerAscii(first) + std::to_string(r.between(1, 99)) + "@mail.com");
  }
  if (r.percent(12)) {
    const City& alt = r.pick(kCities);
    putAddress(c, r, {kAltAddress1, kAltAddress2, kAltCity, kAltState, kAltZip, kAltCountry}, alt,
               10);
    if (r.percent(50)) c.set(kAltPhone, phone(r, alt));
    if (r.percent(20)) c.set(kAltFax, phone(r, alt));
  }
  if (r.percent(8)) {
    const City& away = r.pick(kCities);
    putAddress(c, r,
               {kSeasonalAddress1, kSeasonalAddress2, kSeasonalCity, kSeasonalState, kSeasonalZip,
                kSeasonalCountry},
               away, 10);
    if (r.percent(50)) c.set(kSeasonalPhone, phone(r, away));
    c.set(kSeasonalMonths, std::string(r.percent(50) ? "Dec-Mar" : "Jun-Aug"));
  }

  if (r.percent(15)) c.set(kAssistant, anyPerson(r));
  if (r.percent(20)) c.set(kReferredBy, anyPerson(r));
  if (r.percent(30)) c.set(kLastResults, std::string(r.pick(kResults)));
  if (r.percent(40)) c.set(kNewsletter, r.percent(60));

  Day birth = randomDay(r, 1935, 1995);
  if (r.percent(88))
    putBirth(c, r, kBirthDate, kAge, birth);
  else if (r.percent(15))
    c.set(kAge, std::to_string(r.between(25, 80)));  // an age nobody can check

  if (r.percent(60)) {
    std::string spouseFirst = female ? r.pick(kMaleNames) : r.pick(kFemaleNames);
    c.set(kSpouse, spouseFirst + " " + last);
    Day spouseBirth = randomDay(r, birth.year - 6, birth.year + 6);
    if (r.percent(80)) putBirth(c, r, kSpouseBirthDate, kSpouseAge, spouseBirth);
    if (r.percent(40)) c.set(kSpouseEmployer, companyName(r));
    if (r.percent(30)) c.set(kSpouseTitle, std::string(r.pick(kTitles)));
    if (r.percent(25)) c.set(kSpouseWorkPhone, phone(r, city));
    if (r.percent(20)) c.set(kSpouseMobile, phone(r, city));
    if (r.percent(15)) c.set(kSpouseEmail, emailFor(spouseFirst, last, "mail.com"));
    if (r.percent(15)) c.set(kSpouseInterests, std::string(r.pick(kInterestsList)));
    if (r.percent(30)) c.set(kSpouseMaidenName, std::string(r.pick(kLastNames)));
  }

  if (r.percent(45)) {
    int count = r.between(1, 4);
    int placed = 0;
    for (int i = 0; i < count; ++i) {
      Day child = randomDay(r, birth.year + 22, birth.year + 40);
      if (after(child, kSampleAgeDate)) break;
      bool girl = r.percent(50);
      c.set(kChildNames[i], std::string(girl ? r.pick(kFemaleNames) : r.pick(kMaleNames)));
      if (r.percent(85)) putBirth(c, r, kChildBirthDates[i], kChildAges[i], child);
      if (r.percent(40)) c.set(kChildSchools[i], std::string(r.pick(kSchools)));
      ++placed;
    }
    if (placed) c.set(kChildren, std::to_string(placed));
    if (placed && birth.year < 1960 && r.percent(30))
      c.set(kGrandchildren, std::to_string(r.between(1, 6)));
  }

  if (r.percent(18)) {
    c.set(kAttorney, anyPerson(r));
    c.set(kAttorneyFirm, twoWords(r, kLastNames, " & ", kLastNames) + " LLP");
    if (r.percent(50)) c.set(kAccountant, anyPerson(r));
    if (r.percent(30)) c.set(kInsuranceAgent, anyPerson(r));
    if (r.percent(30)) c.set(kBank, std::string(r.pick(kCompanyWords)) + " Bank");
  }

  for (const HoldingBlock& b : kHoldingBlocks) {
    if (!r.percent(12)) continue;
    c.set(b.first + kBlockInstitution, twoWords(r, kCompanyWords, " ", kCompanyKinds));
    c.set(b.first + kBlockAccountNo, numberPair(r, 4, 6));
    c.set(b.first + kBlockAccountType, std::string(r.pick(kAccountTypes)));
    c.set(b.first + kBlockBalance, static_cast<double>(r.between(100, 90000000)) / 100.0);
    if (r.percent(50)) c.set(b.first + kBlockBeneficiary, personName(r, !female, last));
    if (r.percent(60)) c.set(b.first + kBlockOpened, dateValue(randomDay(r, 1975, 2020)));
    if (r.percent(40)) c.set(b.first + kBlockAdvisor, anyPerson(r));
    if (r.percent(15)) c.set(b.first + kBlockNotes, std::string("Review annually"));
    if (r.percent(70)) c.set(b.holding1, std::string(r.pick(kHoldingNames)));
    if (r.percent(40)) c.set(b.holding2, std::string(r.pick(kHoldingNames)));
  }

  if (r.percent(30)) {
    c.set(kInterests, twoWords(r, kInterestsList, ", ", kInterestsList));
    if (r.percent(30)) c.set(kClubs, std::string(r.pick(kCompanyWords)) + " Country Club");
    if (r.percent(20)) c.set(kCharities, std::string("United Way"));
    if (r.percent(30)) c.set(kSports, std::string(r.pick(kInterestsList)));
    if (r.percent(30)) c.set(kAlmaMater, std::string(r.pick(kSchools)));
    if (r.percent(15)) c.set(kPets, std::string(r.percent(50) ? "Dog" : "Cat"));
  }

  if (!company.empty() && r.percent(20)) {
    c.set(kIndustry, std::string(r.pick(kIndustries)));
    c.set(kEmployees, static_cast<int32_t>(r.between(2, 25000)));
    if (r.percent(60)) c.set(kRevenue, "$" + std::to_string(r.between(1, 950)) + "M");
    if (r.percent(40)) c.set(kFiscalYearEnd, std::string(r.percent(70) ? "12/31" : "6/30"));
    if (r.percent(30)) c.set(kSicCode, digits(r, 4));
    if (r.percent(10)) c.set(kParentCompany, companyName(r));
    if (r.percent(15)) c.set(kTicker, std::string(r.pick(kTickers)));
    if (r.percent(50)) c.set(kFounded, std::to_string(r.between(1890, 2015)));
  }

  if (r.percent(35)) {
    int lists = r.between(1, 3);
    for (int i = 0; i < lists; ++i) c.set(kStocksFirst + i, tickerList(r));
  }

  if (r.percent(40)) {
    int pairs = r.between(1, 3);
    if (r.percent(10)) pairs += r.between(1, kAccountPairs - 3);
    for (int i = 0; i < pairs; ++i) {
      c.set(accountNumber(i), numberPair(r, 5, 5));
      c.set(accountType(i), std::string(r.pick(kAccountTypes)));
    }
  }
  return c;
}

}  // namespace

Database makeSampleDatabase(const SampleOptions& options) {
  Database db;
  db.name = options.name;
  db.fields = sampleFields();
  Rng r(0x5EED000000000000ull ^ options.seed);
  uint64_t uidOffset = r.next();
  db.contacts.reserve(options.contacts);
  for (size_t i = 0; i < options.contacts; ++i) db.contacts.push_back(makeContact(r, uidOffset, i));
  db.reindex();
  return db;
}

std::vector<SubMenu> sampleMenuBar() {
  struct Item {
    const char* caption;
    int32_t position;
  };
  // Position 8 is left free: that is where the suite's own submenu goes.
  constexpr Item kItems[] = {{"&File", 0},  {"&Edit", 1},    {"&View", 2},  {"&Contact", 3},
                             {"&Group", 4}, {"&Lookup", 5},  {"&Write", 6}, {"&Reports", 7},
                             {"&Tools", 9}, {"&Window", 10}, {"&Help", 11}};
  std::vector<SubMenu> bar;
  for (const Item& i : kItems) bar.push_back(SubMenu{1, "", i.caption, i.position, 0});
  return bar;
}

HostState makeSampleHost(const SampleOptions& options) {
  HostState state;
  Database db = makeSampleDatabase(options);
  state.ui.ready = true;
  state.ui.openDatabase = db.name;
  state.ui.focusedField = kContact;
  state.ui.lookup = std::nullopt;
  state.catalogue.submenus = sampleMenuBar();
  std::string name = db.name;
  state.databases.emplace(std::move(name), std::move(db));
  return state;
}

}  // namespace vel::standin
