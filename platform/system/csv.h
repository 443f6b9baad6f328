// Tables of numbers for a spreadsheet: comma-separated values under commented title
// lines that name the program, the date and every parameter the numbers came from; and
// tidy tables that R, pandas and spreadsheets load in one line. Plain C++, so both windows
// and the batch programs write the same files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

struct CsvTable {
  std::string program;                                          // first title line: "# quorvel"
  std::string date;                                             // second title line
  std::vector<std::pair<std::string, std::string>> parameters;  // "# name = value" lines
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // cell texts, one vector per line
};

// A number as a cell: the general text form with a point as decimal separator, or the
// empty cell for a value that is not a finite number.
std::string CsvNumber(double value);

// The whole text; lines end in CR LF. Cells holding a comma, a quote or a line break are
// quoted; line breaks in title lines become blanks, so every title stays one line.
std::string CsvText(const CsvTable& table);

// Reads a text made by CsvText back; nullopt when it has no title line or no column line.
std::optional<CsvTable> ReadCsvText(std::string_view text);

// Writes the table as one whole file: the file is replaced only once every line is written.
// False, with the reason in *error, when the file cannot be written.
bool WriteCsvFile(const std::string& path, const CsvTable& table, std::string* error);

// A tidy table: RFC 4180 text with one header line and no comment lines, numbers in the
// shortest form that reads back as the same double, with a point as decimal separator.
struct TidyTable {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;  // cell texts, one vector per line
};

// A number as a tidy cell: the shortest text that reads back as the same value, or the
// empty cell (a missing value to R and pandas) for a value that is not a finite number.
std::string TidyNumber(double value);
// The same appended to a line being built.
void AppendTidyNumber(std::string& out, double value);

// The whole text; lines end in CR LF, and cells holding a comma, a quote or a line break
// are quoted.
std::string TidyCsvText(const TidyTable& table);
// One line of such a text, its line end included.
std::string TidyCsvLine(const std::vector<std::string>& cells);
// The line end of every line of both kinds of table.
inline constexpr std::string_view kCsvNewLine = "\r\n";

}  // namespace platform
