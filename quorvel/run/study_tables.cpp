#include "quorvel/run/study_tables.h"

#include <charconv>

#include "common/number_text.h"

namespace quorvel {

using common::ShortestText;

namespace {

constexpr const char* kOutcomeColumns =
    "seed,final_rplus,generations,rplus_fixed_at,rplus_lost_at,extinct_at,final_A,final_B,"
    "final_C";
constexpr size_t kOutcomeFields = 9;

std::string VariedColumns(const StudyDefinition& definition) {
  std::string text;
  for (const VariedParameter& p : definition.Varied) text += p.Name + ",";
  return text;
}

// A generation, empty when the event never happened.
std::vector<std::string_view> Fields(std::string_view row) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = row.find(',', start);
    fields.push_back(row.substr(start, comma == row.npos ? row.npos : comma - start));
    if (comma == row.npos) return fields;
    start = comma + 1;
  }
}

template <class Number>
bool Read(std::string_view text, Number& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// An empty field reads as 0 (the event did not happen).
bool ReadWhen(std::string_view text, int& value) {
  value = 0;
  return text.empty() || (Read(text, value) && value > 0);
}

}  // namespace

std::string RunsHeader(const StudyDefinition& definition) {
  return "point,replicate," + VariedColumns(definition) + kOutcomeColumns;
}

std::string RunsRow(const std::vector<std::string>& values, const StudyOutcome& o) {
  std::string row;
  AppendRunsRow(row, values, o);
  return row;
}

void AppendRunsRow(std::string& row, const std::vector<std::string>& values,
                   const StudyOutcome& o) {
  char buffer[32];
  auto add = [&](auto value) {
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    row.append(buffer, end);
  };
  auto when = [&](int generation) {
    if (generation > 0) add(generation);
  };
  add(o.Place.Point + 1);
  row += ',';
  add(o.Place.Replicate + 1);
  row += ',';
  for (const std::string& v : values) {
    row += v;
    row += ',';
  }
  if (o.Finite) add(o.Seed);
  row += ',';
  add(o.FinalRPlus);
  row += ',';
  add(o.Generations);
  row += ',';
  when(o.RPlusFixedAt);
  row += ',';
  when(o.RPlusLostAt);
  row += ',';
  when(o.ExtinctAt);
  for (int i = 0; i < 3; ++i) {
    row += ',';
    if (o.AllelesDefined() && i < o.Loci) add(o.FinalAllele[static_cast<size_t>(i)]);
  }
}

bool ParseRunsRow(std::string_view row, size_t varied, StudyOutcome& o) {
  const std::vector<std::string_view> f = Fields(row);
  if (f.size() != 2 + varied + kOutcomeFields) return false;
  o = StudyOutcome();
  size_t point = 0, replicate = 0;
  if (!Read(f[0], point) || !Read(f[1], replicate) || point < 1 || replicate < 1) return false;
  o.Place.Point = point - 1;
  o.Place.Replicate = replicate - 1;
  const size_t at = 2 + varied;
  o.Finite = !f[at].empty();
  if (o.Finite && !Read(f[at], o.Seed)) return false;
  if (!Read(f[at + 1], o.FinalRPlus) || !Read(f[at + 2], o.Generations)) return false;
  if (!ReadWhen(f[at + 3], o.RPlusFixedAt) || !ReadWhen(f[at + 4], o.RPlusLostAt) ||
      !ReadWhen(f[at + 5], o.ExtinctAt))
    return false;
  o.Loci = f[at + 8].empty() ? 2 : 3;
  for (size_t i = 0; i < 3; ++i) {
    const std::string_view text = f[at + 6 + i];
    if (!text.empty() && !Read(text, o.FinalAllele[i])) return false;
  }
  return true;
}

std::string SummaryHeader(const StudyDefinition& definition) {
  return "point," + VariedColumns(definition) +
         "runs,mean,sd,se,ci95_low,ci95_high,fixed,lost,extinct,mean_fixed_at,mean_lost_at";
}

std::string SummaryRow(size_t point, const std::vector<std::string>& values,
                       const PointSummary& s) {
  std::string row = std::to_string(point + 1) + ",";
  for (const std::string& v : values) row += v + ",";
  row += std::to_string(s.Runs) + "," + ShortestText(s.Mean) + ",";
  if (s.Spread)
    row += ShortestText(s.Deviation) + "," + ShortestText(s.Error) + "," + ShortestText(s.Ci95Low) +
           "," + ShortestText(s.Ci95High);
  else
    row += ",,,";
  for (const size_t count : {s.Fixed, s.Lost, s.Extinct})
    row.append(",").append(std::to_string(count));
  row += ",";
  if (s.Fixed > 0) row += ShortestText(s.MeanFixedAt);
  row += ",";
  if (s.Lost > 0) row += ShortestText(s.MeanLostAt);
  return row;
}

StudyTables::StudyTables(const Study& study, Writer write)
    : study_(study), write_(std::move(write)) {}

bool StudyTables::Begin() {
  const StudyDefinition& d = study_.Definition();
  return write_(kRunsTable, RunsHeader(d)) && write_(kSummaryTable, SummaryHeader(d));
}

bool StudyTables::Add(const StudyOutcome& outcome) {
  if (outcome.Place.Point != point_) {
    if (!Finish()) return false;
    point_ = outcome.Place.Point;
    values_ = study_.PointValues(point_);
  }
  // One buffer for every row: a study writes one for every run, however short the run.
  row_.clear();
  AppendRunsRow(row_, values_, outcome);
  if (!write_(kRunsTable, row_)) return false;
  accumulator_.Add(outcome);
  if (outcome.Place.Replicate + 1 == static_cast<size_t>(study_.Definition().Replicates))
    return WritePoint();
  return true;
}

bool StudyTables::WritePoint() {
  const PointSummary summary = accumulator_.Summary();
  accumulator_.Clear();
  return write_(kSummaryTable, SummaryRow(point_, values_, summary));
}

bool StudyTables::Finish() {
  if (point_ == SIZE_MAX || accumulator_.Summary().Runs == 0) return true;
  return WritePoint();
}

}  // namespace quorvel
