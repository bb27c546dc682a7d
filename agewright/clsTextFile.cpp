#include "agewright/clsTextFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>

#include "host/convert.h"

namespace vel::agewright {

using host::Variant;
using host::VarType;

namespace {

// Reads fields as sequential text input does: commas and line ends both separate, blanks ahead
// of a field are skipped.
class FieldReader {
 public:
  explicit FieldReader(std::string_view t) : t_(t) {}

  bool atEnd() const { return p_ >= t_.size(); }

  // The next field, or nothing when the input ends before it (or it is malformed).
  std::optional<Variant> next() {
    skipBlanks();
    if (atEnd()) return std::nullopt;
    char c = t_[p_];
    if (c == ',') {
      ++p_;
      return Variant();
    }
    if (c == '\r' || c == '\n') {
      skipLineEnd();
      return Variant();
    }
    std::optional<Variant> v;
    if (c == '"') {
      size_t close = t_.find('"', p_ + 1);
      if (close == std::string_view::npos) close = t_.size();
      v = Variant(std::string(t_.substr(p_ + 1, close - p_ - 1)));
      p_ = close < t_.size() ? close + 1 : close;
    } else if (c == '#') {
      size_t close = t_.find('#', p_ + 1);
      if (close == std::string_view::npos) return std::nullopt;
      v = hashValue(t_.substr(p_ + 1, close - p_ - 1));
      p_ = close + 1;
      if (!v) return std::nullopt;
    } else {
      size_t end = p_;
      while (end < t_.size() && t_[end] != ',' && t_[end] != '\r' && t_[end] != '\n') ++end;
      std::string_view raw = t_.substr(p_, end - p_);
      while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
      v = bare(raw);
      p_ = end;
    }
    endField();
    return v;
  }

 private:
  void skipBlanks() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t')) ++p_;
  }
  void skipLineEnd() {
    if (p_ < t_.size() && t_[p_] == '\r') ++p_;
    if (p_ < t_.size() && t_[p_] == '\n') ++p_;
  }
  // After a value: up to and including the separator that ends it.
  void endField() {
    while (p_ < t_.size() && t_[p_] != ',' && t_[p_] != '\r' && t_[p_] != '\n') ++p_;
    if (p_ < t_.size() && t_[p_] == ',')
      ++p_;
    else
      skipLineEnd();
  }

  static std::optional<int> digits(std::string_view s) {
    if (s.empty() || s.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : s) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    return n;
  }

  static std::optional<double> datePart(std::string_view s) {  // yyyy-mm-dd
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    auto y = digits(s.substr(0, 4)), m = digits(s.substr(5, 2)), d = digits(s.substr(8, 2));
    if (!y || !m || !d) return std::nullopt;
    return host::serialFromValidCivil(*y, *m, *d);
  }

  static std::optional<double> timePart(std::string_view s) {  // hh:mm:ss
    if (s.size() != 8 || s[2] != ':' || s[5] != ':') return std::nullopt;
    auto h = digits(s.substr(0, 2)), m = digits(s.substr(3, 2)), sec = digits(s.substr(6, 2));
    if (!h || !m || !sec || *h > 23 || *m > 59 || *sec > 59) return std::nullopt;
    return (*h * 3600 + *m * 60 + *sec) / 86400.0;
  }

  static std::optional<Variant> hashValue(std::string_view s) {
    if (s == "TRUE") return Variant(true);
    if (s == "FALSE") return Variant(false);
    if (s == "NULL") return Variant::null();
    if (s.starts_with("ERROR ")) {
      std::string n(s.substr(6));
      char* end = nullptr;
      errno = 0;
      long long code = std::strtoll(n.c_str(), &end, 10);
      if (n.empty() || *end || errno == ERANGE || code < std::numeric_limits<int32_t>::min() ||
          code > std::numeric_limits<int32_t>::max())
        return std::nullopt;
      return Variant::error(static_cast<int32_t>(code));
    }
    if (auto d = datePart(s)) return Variant::date(*d);
    if (auto t = timePart(s)) return Variant::date(*t);
    if (s.size() == 19 && s[10] == ' ') {
      auto d = datePart(s.substr(0, 10));
      auto t = timePart(s.substr(11));
      if (d && t) return Variant::date(*d < 0 ? *d - *t : *d + *t);
    }
    return std::nullopt;
  }

  // A bare field: a number with a period as decimal separator, else text (a number too large
  // for a double among them).
  static Variant bare(std::string_view raw) {
    std::string s(raw);
    if (s.empty()) return Variant();
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    bool numeric =
        end && *end == '\0' && s.find_first_of("xXnN") == std::string::npos && std::isfinite(d);
    if (!numeric) return Variant(s);
    if (d == std::floor(d) && d >= -2147483648.0 && d <= 2147483647.0 &&
        s.find_first_of(".eE") == std::string::npos)
      return Variant(static_cast<int32_t>(d));
    return Variant(d);
  }

  std::string_view t_;
  size_t p_ = 0;
};

std::string digits(int n, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, n);
  return buf;
}

// 15 significant digits where they give the same double back, else the 17 that always do.
std::string number(double d) {
  if (!std::isfinite(d)) throw std::invalid_argument("a number that is not finite");
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", d);
  if (std::strtod(buf, nullptr) != d) std::snprintf(buf, sizeof buf, "%.17G", d);
  return buf;
}

std::string formatCell(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      return "#NULL#";
    case VarType::Boolean:
      return v.asBool() ? "#TRUE#" : "#FALSE#";
    case VarType::Int16:
      return std::to_string(v.asInt16());
    case VarType::Int32:
      return std::to_string(v.asInt32());
    case VarType::Double:
      return number(v.asDouble());
    case VarType::Text:
      // The file has no escape for a quote: it would end the text early on reading.
      if (v.asText().find('"') != std::string::npos)
        throw std::invalid_argument("a text with a double quote");
      return "\"" + v.asText() + "\"";
    case VarType::Error:
      return "#ERROR " + std::to_string(v.asError()) + "#";
    case VarType::Date: {
      double serial = v.asDate();
      host::CivilDateTime c = host::civilFromSerial(serial);
      if (!host::serialFromValidCivil(c.year, c.month, c.day))
        throw std::invalid_argument("a date outside the years 100 to 9999");
      std::string date = digits(c.year, 4) + "-" + digits(c.month, 2) + "-" + digits(c.day, 2);
      std::string time = digits(c.hour, 2) + ":" + digits(c.minute, 2) + ":" + digits(c.second, 2);
      bool hasDate = std::trunc(serial) != 0;
      bool hasTime = c.hour || c.minute || c.second;
      if (hasDate && hasTime) return "#" + date + " " + time + "#";
      if (hasDate) return "#" + date + "#";
      return "#" + time + "#";
    }
    case VarType::Object:
      break;
  }
  throw std::invalid_argument("an object");
}

}  // namespace

std::optional<SettingsTable> parseRecords(std::string_view text) try {
  SettingsTable table;
  table.addRow();
  FieldReader in(text);
  int row = 0;
  while (!in.atEnd()) {
    // A file of more records is not a settings file; a cell costs far more than the comma
    // that makes it, so the limit is what bounds the table.
    if (row == kMaxSettingsRecords) return std::nullopt;
    for (int col = 0; col < kColumns; ++col) {
      std::optional<Variant> v = in.next();
      if (!v) return std::nullopt;  // the input ended inside a record
      table.at(col, row) = std::move(*v);
    }
    table.addRow();
    ++row;
  }
  table.removeLastRow();
  if (table.rowCount() == 0) return std::nullopt;  // no record: not a table
  return table;
} catch (const std::bad_alloc&) {
  return std::nullopt;  // a failure like any other: the empty result
}

std::string formatRecords(const SettingsTable& table, const platform::CodePage* codePage) {
  std::string out;
  for (int row = 0; row < table.rowCount(); ++row) {
    for (int col = 0; col < kColumns; ++col) {
      if (col) out += ',';
      try {
        std::string cell = formatCell(table.at(col, row));
        out += codePage ? codePage->fromUtf8(cell) : cell;
      } catch (const std::invalid_argument& e) {
        throw std::invalid_argument("The settings file cannot hold " + std::string(e.what()) +
                                    " (column " + std::to_string(col) + ", row " +
                                    std::to_string(row) + ").");
      }
    }
    out += "\r\n";
  }
  return out;
}

std::optional<SettingsTable> clsTextFile::ReadFile(const std::string& TextFilename) {
  std::optional<std::string> text;
  try {
    text = files_.readAll(TextFilename);
  } catch (const platform::FileError&) {
    return std::nullopt;  // unreadable for another reason: silent
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // too large to hold: silent as well
  }
  if (!text) {
    showStop_("There is no Datewell Settings (.dws) file for " + TextFilename + " Cannot Update");
    return std::nullopt;
  }
  try {
    return parseRecords(codePage_.toUtf8(*text));
  } catch (const platform::CodePageError&) {
    return std::nullopt;  // not text in the system's code page: unreadable, silent
  }
}

void clsTextFile::WriteFile(const std::string& TextFilename, const SettingsTable& DataArray) {
  files_.writeAll(TextFilename, formatRecords(DataArray, &codePage_));
}

}  // namespace vel::agewright
