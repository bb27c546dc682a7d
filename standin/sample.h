#pragma once
// A made-up contact database and host for tests, benchmarks and the standin tool. The output
// depends on the options alone, the same on every platform: the generator has its own random
// numbers and never asks the standard library's distributions.

#include <cstddef>
#include <cstdint>
#include <string>

#include "standin/model.h"

namespace vel::standin {

struct SampleOptions {
  uint32_t seed = 1;
  size_t contacts = 200;
  std::string name = "Ledger";
};

// The day the generated ages are computed for. Ages go stale after it, as stored ages do.
struct SampleDate {
  int year, month, day;
};
constexpr SampleDate kSampleAgeDate{2021, 3, 1};

// The sample database's field identifiers.
namespace samplefield {

constexpr int32_t kUniqueId = 1;
constexpr int32_t kCompany = 1002;
constexpr int32_t kContact = 1003;
constexpr int32_t kTitle = 1004;  // pop-up list of titles
constexpr int32_t kSalutation = 1005;
constexpr int32_t kIdStatus = 1006;  // pop-up list with no entries
constexpr int32_t kEmail = 1007;

// Business address, 1008-1014.
constexpr int32_t kAddress1 = 1008;
constexpr int32_t kAddress2 = 1009;
constexpr int32_t kAddress3 = 1010;
constexpr int32_t kCity = 1011;
constexpr int32_t kState = 1012;
constexpr int32_t kZip = 1013;
constexpr int32_t kCountry = 1014;

// Home address, 1015-1022.
constexpr int32_t kHomeAddress1 = 1015;
constexpr int32_t kHomeAddress2 = 1016;
constexpr int32_t kHomeAddress3 = 1017;
constexpr int32_t kHomeCity = 1018;
constexpr int32_t kHomeState = 1019;
constexpr int32_t kHomeZip = 1020;
constexpr int32_t kHomeCountry = 1021;
constexpr int32_t kHomeEmail = 1022;

// Phones, 1023-1028, with 1037 and 1038 read first.
constexpr int32_t kPhone = 1023;
constexpr int32_t kPhoneExt = 1024;
constexpr int32_t kFax = 1025;
constexpr int32_t kMobile = 1026;
constexpr int32_t kPager = 1027;
constexpr int32_t kHomePhone = 1028;
constexpr int32_t kAssistantPhone = 1037;
constexpr int32_t kCarPhone = 1038;

// Alternate address, 1029-1036.
constexpr int32_t kAltAddress1 = 1029;
constexpr int32_t kAltAddress2 = 1030;
constexpr int32_t kAltCity = 1031;
constexpr int32_t kAltState = 1032;
constexpr int32_t kAltZip = 1033;
constexpr int32_t kAltCountry = 1034;
constexpr int32_t kAltPhone = 1035;
constexpr int32_t kAltFax = 1036;

// Seasonal address, 1039-1046.
constexpr int32_t kSeasonalAddress1 = 1039;
constexpr int32_t kSeasonalAddress2 = 1040;
constexpr int32_t kSeasonalCity = 1041;
constexpr int32_t kSeasonalState = 1042;
constexpr int32_t kSeasonalZip = 1043;
constexpr int32_t kSeasonalCountry = 1044;
constexpr int32_t kSeasonalPhone = 1045;
constexpr int32_t kSeasonalMonths = 1046;

// Spouse: 1047 read first, then 1057-1063.
constexpr int32_t kSpouse = 1047;
constexpr int32_t kSpouseEmployer = 1057;
constexpr int32_t kSpouseTitle = 1058;
constexpr int32_t kSpouseWorkPhone = 1059;
constexpr int32_t kSpouseMobile = 1060;
constexpr int32_t kSpouseEmail = 1061;
constexpr int32_t kSpouseInterests = 1062;
constexpr int32_t kSpouseMaidenName = 1063;

// Fields in no group.
constexpr int32_t kAssistant = 1048;
constexpr int32_t kReferredBy = 1049;
constexpr int32_t kLastResults = 1050;
constexpr int32_t kWebSite = 1051;
constexpr int32_t kDepartment = 1052;
constexpr int32_t kNewsletter = 1053;  // yes/no, Boolean values

// Advisors, 1070-1077.
constexpr int32_t kAttorney = 1070;
constexpr int32_t kAttorneyFirm = 1071;
constexpr int32_t kAccountant = 1072;
constexpr int32_t kAccountantFirm = 1073;
constexpr int32_t kInsuranceAgent = 1074;
constexpr int32_t kInsuranceAgency = 1075;
constexpr int32_t kBanker = 1076;
constexpr int32_t kBank = 1077;

// Birth dates (date fields: Date values, some empty, some date texts, a few other texts) and
// ages (character fields holding the age as text), in no group.
constexpr int32_t kBirthDate = 1080;
constexpr int32_t kAge = 1081;
constexpr int32_t kSpouseBirthDate = 1082;
constexpr int32_t kSpouseAge = 1083;
constexpr int32_t kChild1BirthDate = 1084;
constexpr int32_t kChild1Age = 1085;
constexpr int32_t kChild2BirthDate = 1086;
constexpr int32_t kChild2Age = 1087;
constexpr int32_t kChild3BirthDate = 1088;
constexpr int32_t kChild3Age = 1089;
constexpr int32_t kChild4BirthDate = 1090;
constexpr int32_t kChild4Age = 1091;
constexpr int32_t kChildBirthDates[4] = {kChild1BirthDate, kChild2BirthDate, kChild3BirthDate,
                                         kChild4BirthDate};
constexpr int32_t kChildAges[4] = {kChild1Age, kChild2Age, kChild3Age, kChild4Age};

// Four account blocks of eight fields each, every one with two holdings read first. A block's
// fields, from its first identifier on: institution, account number, account type, balance
// (currency, Double values), beneficiary, date opened (Date values), advisor, notes.
struct HoldingBlock {
  const char* name;
  int32_t first;
  int32_t holding1, holding2;
};
constexpr int32_t kBlockInstitution = 0, kBlockAccountNo = 1, kBlockAccountType = 2,
                  kBlockBalance = 3, kBlockBeneficiary = 4, kBlockOpened = 5, kBlockAdvisor = 6,
                  kBlockNotes = 7;
constexpr HoldingBlock kRetirement{"IRA", 1135, 1238, 1242};
constexpr HoldingBlock kBrokerage{"Brokerage", 1143, 1241, 1245};
constexpr HoldingBlock kInsurance{"Insurance", 1151, 1239, 1243};
constexpr HoldingBlock kTrust{"Trust", 1182, 1240, 1244};
constexpr HoldingBlock kHoldingBlocks[4] = {kRetirement, kBrokerage, kInsurance, kTrust};

// Children: 1190 read first (how many), then 1246-1254.
constexpr int32_t kChildren = 1190;
constexpr int32_t kChildNames[4] = {1246, 1247, 1248, 1249};
constexpr int32_t kChildSchools[4] = {1250, 1251, 1252, 1253};
constexpr int32_t kGrandchildren = 1254;

// Interests, 1212-1219.
constexpr int32_t kInterests = 1212;
constexpr int32_t kClubs = 1213;
constexpr int32_t kCharities = 1214;
constexpr int32_t kSports = 1215;
constexpr int32_t kAlmaMater = 1216;
constexpr int32_t kReligion = 1217;
constexpr int32_t kPoliticalParty = 1218;
constexpr int32_t kPets = 1219;

// Company profile, 1268-1275.
constexpr int32_t kIndustry = 1268;
constexpr int32_t kEmployees = 1269;  // numeric, Int32 values
constexpr int32_t kRevenue = 1270;
constexpr int32_t kFiscalYearEnd = 1271;
constexpr int32_t kSicCode = 1272;
constexpr int32_t kParentCompany = 1273;
constexpr int32_t kTicker = 1274;
constexpr int32_t kFounded = 1275;

// Stocks held, 1327-1336: ticker lists written ",T,IBM,".
constexpr int32_t kStocksFirst = 1327;
constexpr int32_t kStocksLast = 1336;

// Seven accounts, each a pair: number (1347, 1349 ... 1359) and type (1348 ... 1360).
constexpr int kAccountPairs = 7;
constexpr int32_t accountNumber(int i) {
  return 1347 + 2 * i;
}  // i from 0
constexpr int32_t accountType(int i) {
  return 1348 + 2 * i;
}

}  // namespace samplefield

// The sample schema and `options.contacts` contacts, indexed.
Database makeSampleDatabase(const SampleOptions& options);

// A ready host with the sample database open, the focus on the contact name, the current
// lookup all contacts, and the host's own menu bar in the catalogue (positions 0-7 and 9-10
// taken, so an item added at 8 lands among them).
HostState makeSampleHost(const SampleOptions& options);

// The menu-bar submenus makeSampleHost seeds, in position order.
std::vector<SubMenu> sampleMenuBar();

}  // namespace vel::standin
