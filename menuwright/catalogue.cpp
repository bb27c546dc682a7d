#include "menuwright/catalogue.h"

namespace vel::menuwright {
namespace {

constexpr std::string_view kVmr = "C:\\Program Files\\VMR";
constexpr std::string_view kQueryStart = "C:\\Program Files\\Act\\Query";
constexpr std::string_view kReportStart = "C:\\Program Files\\Act\\Report";
constexpr std::string_view kTemplateStart = "C:\\Program Files\\Act\\Template";

constexpr CommandRow kTopLevel[] = {
    {0, 0, "Contains Loo&kup", "C:\\Program Files\\VMR\\Seekmark.exe", "Contains Lookup",
     "Lookup data in Velmora fields with partial values", kVmr, "C:\\Program Files\\VMR\\seek.ico",
     true},
    {1, 0, "Global Age &Update", "C:\\Program Files\\VMR\\Agewright.exe", "Global Age &Update",
     "Update Contact ages", kVmr, "C:\\Program Files\\VMR\\Agewright.ico", true},
    {2, 0, "&Important Dates Report", "C:\\Program Files\\VMR\\Datebook.exe",
     "&Important Dates Report", "Report of important dates", kVmr,
     "C:\\Program Files\\VMR\\datebook.ico", true},
    {3, 0, "Investment Holdings &Template (Requires MS Excel)",
     "C:\\Program Files\\VMR\\VMR_Positions.xls", "Investment Holdings Template",
     "Investment Holdings Spreadsheet", kVmr, "C:\\Program Files\\VMR\\sheet.ico"},
    {11, 0, "B&rowse Letters", "C:\\Program Files\\VMR\\VMRCorrespondence.mpr", "B&rowse Letters",
     "Look through letters", kVmr, kLeafIcon},
    {12, 1, "&Driving Directions", "C:\\Program Files\\ACT\\Macro\\routemap.mpr",
     "&Driving Directions", "Yahoo driving directions", "C:\\Program Files\\ACT\\Macro", kLeafIcon},
    {13, 1, "&Help", kHelpCommandLine, "&Help", "Online help",
     "C:\\Program Files\\Internet Explorer", kLeafIcon},
};

constexpr CommandRow kQueries[] = {
    {0, 0, "&January Query", "Month01.QRY", "January Birthday Query", "Lookup January birthdays"},
    {1, 0, "&February Query", "Month02.QRY", "February Birthday Query",
     "Lookup February birthdays"},
    {2, 0, "&March Query", "Month03.QRY", "March Birthday Query", "Lookup March birthdays"},
    {3, 0, "&April Query", "Month04.QRY", "April Birthday Query", "Lookup April birthdays"},
    {4, 0, "Ma&y Query", "Month05.QRY", "May Birthday Query", "Lookup May birthdays"},
    {5, 0, "J&une Query", "Month06.QRY", "June Birthday Query", "Lookup June birthdays"},
    {6, 0, "Ju&ly Query", "Month07.QRY", "July Birthday Query", "Lookup July birthdays"},
    {7, 0, "Au&gust Query", "Month08.QRY", "August Birthday Query", "Lookup August birthdays"},
    {8, 0, "&September Query", "Month09.QRY", "September Birthday Query",
     "Lookup September birthdays"},
    {9, 0, "&October Query", "Month10.QRY", "October Birthday Query", "Lookup October birthdays"},
    {10, 0, "&November Query", "Month11.QRY", "November Birthday Query",
     "Lookup November birthdays"},
    {11, 0, "&December Query", "Month12.QRY", "December Birthday Query",
     "Lookup December birthdays"},
};

constexpr CommandRow kLabels[] = {
    {0, 0, "5160 to &Preferred Mailing Address", "VMR L5160 Mail.lbl",
     "5160 label to Preferred Mailing Address", "5160 label to Preferred Mailing Address"},
    {1, 0, "5160 to &Home Address", "VMR L5160 Home.lbl", "5160 label to Home Address",
     "5160 label to Home Address"},
    {2, 0, "516&1 to Preferred Mailing", "VMR L5161 Mail.lbl",
     "5161 label to Preferred Mailing Address", "5161 label to Preferred Mailing Address"},
    {3, 0, "516&2 to Preferred Mailing", "VMR L5162 Mail.lbl",
     "5162 label to Preferred Mailing Address", "5162 label to Preferred Mailing Address"},
    {4, 0, "516&3 to Preferred Mailing", "VMR L5163 Mail.lbl",
     "5163 label to Preferred Mailing Address", "5163 label to Preferred Mailing Address"},
    {5, 0, "516&4 to Preferred Mailing", "VMR L5164 Mail.lbl",
     "5164 label to Preferred Mailing Address", "5164 label to Preferred Mailing Address"},
};

constexpr CommandRow kEnvelopes[] = {
    {0, 0, "#9 to &Preferred Mailing", "VMR E09 Mail.env", "#9 Envelope to Preferred Mailing",
     "#9 envelope to preferred mailing"},
    {1, 0, "#10 to Preferred &Mailing", "VMR E10 Mail.env", "#10 Envelope to Preferred Mailing",
     "#10 envelope to preferred mailing"},
    {2, 0, "#10 to &Home Address", "VMR E10 Home.env", "#10 Envelope to Home Address",
     "#10 envelope to home address"},
};

constexpr CommandRow kReports[] = {
    {0, 0, "&Birthday list - All Family", "VMR R01.rep", "Birthday report with all Family",
     "Family birthday report"},
    {1, 0, "Birthday list - &Contact Only", "VMR R02.rep", "Birthday report with Contact only",
     "Contact birthday report"},
    {2, 0, "Birthday list - Spouse &Only", "VMR R03.rep", "Birthday report with Spouse only",
     "Spouse birthday report"},
    {3, 2, "Anni&versary", "VMR R04.rep", "Anniversary report", "Anniversary report"},
    {4, 0, "&Account Information Report", "VMR R05.rep", "Account & Information Report",
     "Account and Information report"},
    {5, 0, "&Investment Information", "VMR R06.rep", "Investment Information Report",
     "Investment information report"},
    {6, 0, "A&sset Allocation", "VMR R07.rep", "Asset Allocation Report",
     "Asset Allocation report"},
    {7, 0, "Assets &Under Management", "VMR R08.rep", "Assets Under Management",
     "Assets Under Management"},
    {8, 0, "Insu&rance", "VMR R09.rep", "Insurance Report", "Insurance report"},
    {9, 1, "E&mployee Census", "VMR R10.rep", "Employee Census Report", "Employee Census report"},
    {10, 0, "Contact &Directory", "VMR R11.rep", "Contact Directory Report",
     "Contact irectory report"},
    {11, 0, "&Phone List", "VMR R12.rep", "Velmora Account Net Worth Report",
     "Account Net Worth report"},
    {12, 0, "R&eferral Sources", "VMR R13.rep", "Referral Sources Report",
     "Referral sources report"},
    {13, 0, "&Fee and Commissions", "VMR R14.rep", "Fee and Commissions Report",
     "Fee and Commissions report"},
    {14, 0, "Co&ntact Status", "VMR R15.rep", "Contact Status Report", "Contact status report"},
    {15, 0, "&Task List", "VMR R16.rep", kTaskListTitle, kTaskListDescription},
    {16, 0, "&Work Information", "VMR R17.rep", "Work Information Report",
     "Work information report"},
};

constexpr CommandRow kActivitySeries[] = {
    {0, 0, "&Create/Edit Activity Series", "C:\\Program Files\\VMR\\SeriesEdit.mpr",
     "Create/Edit Activity Series", "Create/Edit Activity Series"},
    {1, 0, "&Schedule Activity Series", "C:\\Program Files\\VMR\\SeriesRun.mpr",
     "Schedule Activity Series", "Schedule Activity Series"},
};

constexpr CommandRow kAwpTemplates[] = {
    {0, 0, "AWP Letter to &Preferred Mailing Address", "VMR T01.tpl",
     "Letter to Preferred Mailing address", "Letter to Preferred Mailing address"},
    {1, 0, "AWP Letter to &Home Address", "VMR T02.tpl", "Velmora Letter to Home contact",
     "Letter to Home contact"},
    {2, 0, "AWP Letter to Work (&Contact)", "VMR T03.tpl", "Letter to Contact Work",
     "Letter to Contact Work"},
    {3, 0, "AWP Letter to Work (&Spouse)", "VMR T04.tpl", "Letter to Spouse Work",
     "Letter to Spouse Work"},
    {4, 0, "AWP Letter to &Alternate Address", "VMR T05.tpl", "Letter to alternate address",
     "Letter to Alternate Address"},
};

constexpr CommandRow kMswTemplates[] = {
    {0, 0, "Letter to &Preferred Mailing Address", "VMR W01.ADT", "Letter to Preferred Address",
     "Letter to Preferred Address"},
    {1, 0, "Letter to &Home Address", "VMR W02.ADT", "Letter to Home Address",
     "Letter with Home address"},
    {2, 0, "Letter to Work (&Contact)", "VMR W03.ADT", "Letter to Contact Work Address",
     "Letter to Contact work address"},
    {3, 0, "Letter to Work (&Spouse)", "VMR W04.ADT", "Letter to Spouse Work Address",
     "Letter to Spouse Work Address"},
    {4, 0, "Letter to &Alternate Address", "VMR W05.ADT", "Letter to Alternate Address",
     "Letter to Alternate Address"},
};

constexpr SubMenuDef kSubMenus[] = {
    {"AddQuery", "&Birthday Queries", 4, 1, DocumentFolder::Query, kQueryStart, false, kQueries},
    {"AddLabels", "&Labels", 5, 1, DocumentFolder::Report, kReportStart, false, kLabels},
    {"AddEnvelopes", "&Envelopes", 6, 0, DocumentFolder::Report, kReportStart, false, kEnvelopes},
    {"AddReport", "&Reports", 7, 2, DocumentFolder::Report, kReportStart, false, kReports},
    {"AddActivitySeries", "Activity &Series", 8, 0, DocumentFolder::None, kVmr, true,
     kActivitySeries},
    {"AddAWPTemplate", "ACT! &Word Processor Templates", 9, 0, DocumentFolder::Template,
     kTemplateStart, true, kAwpTemplates},
    {"AddMSWTemplate", "&MS Word Templates", 10, 2, DocumentFolder::Template, kTemplateStart, true,
     kMswTemplates},
};

}  // namespace

std::span<const CommandRow> topLevelCommands() {
  return kTopLevel;
}
std::span<const SubMenuDef> subMenus() {
  return kSubMenus;
}

}  // namespace vel::menuwright
