#include "platform/system/csv.h"

#include <charconv>
#include <cmath>

#include "common/number_text.h"
#include "platform/system/files.h"

namespace platform {
namespace {

constexpr std::string_view kAssign = " = ";

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

std::string Cell(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + '"';
}

void AppendRow(std::string& out, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += ',';
    out += Cell(cells[i]);
  }
  out += kCsvNewLine;
}

// Splits one record starting at pos; a quoted cell may hold line breaks.
std::vector<std::string> ReadRecord(std::string_view text, size_t& pos) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (quoted) {
      if (c != '"') {
        cells.back() += c;
      } else if (pos < text.size() && text[pos] == '"') {
        cells.back() += '"';
        ++pos;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else if (c == '\n') {
      break;
    } else if (c == '\r') {
      if (pos < text.size() && text[pos] == '\n') ++pos;
      break;
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

std::string_view ReadLine(std::string_view text, size_t& pos) {
  size_t end = text.find_first_of("\r\n", pos);
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(pos, end - pos);
  pos = end;
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return line;
}

}  // namespace

std::string CsvNumber(double value) {
  return std::isfinite(value) ? common::FormatNumber(value) : std::string();
}

std::string CsvText(const CsvTable& table) {
  std::string out;
  out += "# " + OneLine(table.program);
  out += kCsvNewLine;
  out += "# " + OneLine(table.date);
  out += kCsvNewLine;
  for (const auto& [name, value] : table.parameters) {
    out += "# " + OneLine(name) + std::string(kAssign) + OneLine(value);
    out += kCsvNewLine;
  }
  AppendRow(out, table.columns);
  for (const auto& row : table.rows) AppendRow(out, row);
  return out;
}

std::optional<CsvTable> ReadCsvText(std::string_view text) {
  CsvTable table;
  size_t pos = 0;
  std::vector<std::string> titles;
  while (pos < text.size() && text[pos] == '#') {
    std::string_view line = ReadLine(text, pos);
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    titles.emplace_back(line);
  }
  if (titles.size() < 2 || pos >= text.size()) return std::nullopt;
  table.program = titles[0];
  table.date = titles[1];
  for (size_t i = 2; i < titles.size(); ++i) {
    const size_t at = titles[i].find(kAssign);
    if (at == std::string::npos) {
      table.parameters.emplace_back(titles[i], std::string());
    } else {
      table.parameters.emplace_back(titles[i].substr(0, at), titles[i].substr(at + kAssign.size()));
    }
  }
  table.columns = ReadRecord(text, pos);
  while (pos < text.size()) table.rows.push_back(ReadRecord(text, pos));
  return table;
}

std::string TidyNumber(double value) {
  std::string text;
  AppendTidyNumber(text, value);
  return text;
}

void AppendTidyNumber(std::string& out, double value) {
  if (!std::isfinite(value)) return;
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string TidyCsvLine(const std::vector<std::string>& cells) {
  std::string line;
  AppendRow(line, cells);
  return line;
}

std::string TidyCsvText(const TidyTable& table) {
  std::string out;
  AppendRow(out, table.Columns);
  for (const auto& row : table.Rows) AppendRow(out, row);
  return out;
}

bool WriteCsvFile(const std::string& path, const CsvTable& table, std::string* error) {
  return WriteWholeFile(path, CsvText(table), error);
}

}  // namespace platform
