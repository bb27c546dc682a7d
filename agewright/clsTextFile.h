#pragma once
// The settings text file: records of eight comma-separated fields, read into a table of eight
// columns and as many rows as the file has records, and written back in the same form.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/variant.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace vel::agewright {

constexpr int kColumns = 8;
// The most records a settings file may hold (a few name the fields to update); a longer file
// reads as a failure. It bounds the table at about 1.3 MB, whatever the file's size.
constexpr int kMaxSettingsRecords = 4096;

// The table: the first index is the column (0 to 7), the second the record.
class SettingsTable {
 public:
  SettingsTable() = default;
  explicit SettingsTable(std::vector<std::array<host::Variant, kColumns>> rows)
      : rows_(std::move(rows)) {}
  const host::Variant& at(int column, int row) const { return rows_.at(row).at(column); }
  host::Variant& at(int column, int row) { return rows_.at(row).at(column); }
  int rowCount() const { return static_cast<int>(rows_.size()); }
  int lastRow() const { return rowCount() - 1; }
  void addRow() { rows_.emplace_back(); }
  void removeLastRow() { rows_.pop_back(); }
  bool operator==(const SettingsTable&) const = default;

 private:
  std::vector<std::array<host::Variant, kColumns>> rows_;
};

class clsTextFile {
 public:
  // `showStop` shows a message box with the stop icon, titled with the program's title. The
  // file is plain text in `codePage`, the system's unless told otherwise.
  clsTextFile(platform::FileSystem& files, std::function<void(const std::string&)> showStop,
              const platform::CodePage& codePage = platform::systemCodePage())
      : files_(files), showStop_(std::move(showStop)), codePage_(codePage) {}

  // The table, or nothing when reading fails anywhere: a missing file (after telling the user),
  // an unreadable one (bytes the code page cannot read among them), an empty one, or one whose
  // fields end inside a record.
  std::optional<SettingsTable> ReadFile(const std::string& TextFilename);

  // Writes every row as one record, replacing the file. Failures reach the caller; a value the
  // file cannot hold (a text with a double quote, a date outside the years 100 to 9999, a
  // number that is not finite, an object, a character the code page has no byte for) is refused
  // with std::invalid_argument naming its cell, before the file is touched.
  void WriteFile(const std::string& TextFilename, const SettingsTable& DataArray);

 private:
  platform::FileSystem& files_;
  std::function<void(const std::string&)> showStop_;
  const platform::CodePage& codePage_;
};

// The reader and writer on UTF-8 text, for the class above and its tests. parseRecords returns
// nothing where ReadFile would fail. formatRecords writes each cell in `codePage` when one is
// given, refusing a cell it cannot hold.
std::optional<SettingsTable> parseRecords(std::string_view text);
std::string formatRecords(const SettingsTable& table, const platform::CodePage* codePage = nullptr);

}  // namespace vel::agewright
