#include "quorvel/batch/batch_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <set>

#include "app_version.h"
#include "common/number_text.h"
#include "platform/system/files.h"
#include "quorvel/batch/batch_plot.h"
#include "quorvel/batch/batch_runs.h"
#include "quorvel/params/named_parameters.h"
#include "quorvel/run/ordered_executor.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/seeds.h"
#include "quorvel/run/study.h"
#include "quorvel/run/study_results.h"
#include "quorvel/run/study_tables.h"
#include "quorvel/run/sweep_studies.h"

namespace quorvel::batch {

const char* BatchVersion() {
  return app::kVersion;
}

namespace {

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = "quorvel-batch";
constexpr const char* kShardKind = "quorvel-batch shard";

// A refusal or failure that ends the command with its status.
struct CommandError {
  int Status;
  std::string Message;
};

constexpr const char* kUsage =
    "usage: quorvel-batch single|single-finite|sk-sweep|n-sweep [--set NAME=VALUE]... "
    "[OPTIONS]\n"
    "       quorvel-batch study --vary NAME=VALUES... [--replicates N] [--finite] [OPTIONS]\n"
    "       quorvel-batch merge SHARD-FILE... [--out DIR] [--plot FILE]\n"
    "       quorvel-batch --list | --help | --version\n";

// A parameter file is a kilobyte or so; anything far larger is no parameter file.
constexpr std::uintmax_t kLargestParameterFile = 1 << 20;

struct Options {
  std::vector<std::string> Sets;
  std::string ParamsFile;
  std::string WriteParams;
  std::string Out = ".";
  std::optional<std::string> Seed;
  unsigned Threads = 0;
  std::optional<std::string> Shard;
  bool Quiet = false;
  std::optional<std::string> Plot;      // the chart of a sweep's or a study's results
  std::vector<std::string> ShardFiles;  // merge
  std::vector<std::string> Vary;        // study
  std::optional<int> Replicates;
  bool Finite = false;
};

// Runs done / total, time elapsed and an estimate of what remains, on one line of a
// terminal, at most a few times a second.
class Progress {
 public:
  Progress(std::ostream& err, bool enabled, size_t total)
      : err_(err), enabled_(enabled), total_(total), start_(Clock::now()) {}
  void Show(size_t done, bool force = false) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (!force && shown_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    shown_ = true;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string line = "\r" + std::string(kProgram) + ": " + std::to_string(done) + "/" +
                       std::to_string(total_) + " runs, " + Duration(elapsed) + " elapsed";
    if (done > 0 && done < total_)
      line += ", about " +
              Duration(elapsed / static_cast<double>(done) * static_cast<double>(total_ - done)) +
              " left";
    line += "    ";
    err_ << line << std::flush;
  }
  void End() {
    if (enabled_ && shown_) err_ << '\n' << std::flush;
  }

 private:
  static std::string Duration(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    char text[32];
    if (total >= 3600)
      std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                    total % 60);
    else
      std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
  }

  std::ostream& err_;
  bool enabled_;
  size_t total_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool shown_ = false;
};

Json ParametersJson(const ParameterValues& set) {
  Json parameters = Json::object();
  for (const ParameterRow& p : kParameterRows) {
    if (p.IsEntry()) {
      const double value = common::ParseLeadingNumber(set.Entries[static_cast<size_t>(p.Entry)]);
      if (p.Kind == ParameterKind::Whole)
        parameters[p.Name] = static_cast<long long>(value);
      else
        parameters[p.Name] = value;
    } else if (p.Kind == ParameterKind::Loci)
      parameters[p.Name] = set.Loci;
    else
      parameters[p.Name] = ValueText(set, p);
  }
  return parameters;
}

// The assignments that give the set again (for the merge of shards).
std::vector<std::pair<std::string, std::string>> AssignmentsOf(const Json& parameters) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& [name, value] : parameters.items()) {
    if (value.is_number_float()) {
      char buffer[64];
      const auto r = std::to_chars(buffer, buffer + sizeof buffer, value.get<double>());
      out.emplace_back(name, std::string(buffer, r.ptr));
    } else if (value.is_number()) {
      out.emplace_back(name, std::to_string(value.get<long long>()));
    } else if (value.is_string()) {
      out.emplace_back(name, value.get<std::string>());
    } else {
      throw CommandError{kExitRefused, "parameter " + name + " has no usable value"};
    }
  }
  return out;
}

// A parameter file is read only when it is a regular file of a parameter file's size: a
// FIFO would block the command and a device would feed it without end.
void CheckParameterFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path name = fs::u8path(path);
  if (fs::exists(name, ec) && !fs::is_regular_file(name, ec))
    throw CommandError{kExitRefused, "--params " + path + ": not a regular file"};
  if (fs::exists(name, ec) && fs::file_size(name, ec) > kLargestParameterFile)
    throw CommandError{kExitRefused, "--params " + path + ": larger than 1 MB, no parameter file"};
}

// The parameter file of a command (none: an empty one).
ParameterFile ReadParameterFileOf(const Options& options) {
  ParameterFile file;
  if (options.ParamsFile.empty()) return file;
  CheckParameterFile(options.ParamsFile);
  std::string message;
  if (!ReadParameterFile(options.ParamsFile, file, message))
    throw CommandError{kExitRefused, message};
  return file;
}

// The parameters of a command: the parameter file, then every --set, then the window's
// rules; corrections reported, refusals thrown. The command names the run mode; a mode in
// the file (one the window saved) is not needed.
Prepared ReadParameters(const Options& options, const ParameterFile& file, RunMode mode,
                        std::ostream& err) {
  std::vector<std::pair<std::string, std::string>> assignments = file.Assignments;
  for (const std::string& set : options.Sets) {
    const size_t equals = set.find('=');
    if (equals == std::string::npos || equals == 0)
      throw CommandError{kExitRefused, "--set " + set + ": NAME=VALUE is needed"};
    assignments.emplace_back(set.substr(0, equals), set.substr(equals + 1));
  }
  Prepared prepared = PrepareParameters(MakeParameterTable(), mode, assignments);
  if (!prepared.Refusal.empty()) throw CommandError{kExitRefused, prepared.Refusal};
  for (const Correction& c : prepared.Corrections) err << c.Text() << '\n';
  return prepared;
}

void MakeFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::u8path(folder), ec);
  if (ec || !std::filesystem::is_directory(std::filesystem::u8path(folder), ec))
    throw CommandError{kExitFailed, "cannot create the folder " + folder};
}

// Refuses, before anything runs, a name where no whole file can go: something that is not
// a regular file (also through a link), or, when `needFolder`, a folder that does not exist.
void CheckTarget(const std::string& what, const std::string& path, bool needFolder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!needFolder && !fs::exists(fs::u8path(path), ec)) return;
  const std::string refusal = platform::TargetRefusal(path);
  if (!refusal.empty()) throw CommandError{kExitRefused, what + refusal};
}

// The names a command will write in the output folder, each where a whole file can go.
void CheckOutNames(const std::string& out, const std::vector<std::string>& names) {
  for (const std::string& name : names)
    CheckTarget("--out: ", platform::JoinPath(out, name), false);
}

void CheckOutFolder(const std::string& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (out.empty()) throw CommandError{kExitRefused, "--out: an empty name names no folder"};
  if (platform::IsStandardOutput(out))
    throw CommandError{kExitRefused, "--out -: the output is a folder of files, not one file"};
  if (fs::exists(fs::u8path(out), ec) && !fs::is_directory(fs::u8path(out), ec))
    throw CommandError{kExitRefused, "--out " + out + ": not a folder"};
}

// Whether `path` names a file in the output folder, which the command makes when missing.
bool InOutFolder(const std::string& path, const std::string& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path folder = fs::u8path(path).parent_path();
  return !folder.empty() &&
         fs::weakly_canonical(folder, ec) == fs::weakly_canonical(fs::u8path(out), ec);
}

// Refuses a chart that cannot be written before any file is touched.
void CheckPlot(const Options& options) {
  if (!options.Plot) return;
  if (options.Plot->empty())
    throw CommandError{kExitRefused, "--plot: an empty name names no file"};
  const std::string refusal = PlotRefusal(*options.Plot);
  if (!refusal.empty()) throw CommandError{kExitRefused, refusal};
  CheckTarget("--plot: ", *options.Plot, !InOutFolder(*options.Plot, options.Out));
}

void WriteFileOrFail(const std::string& path, const std::string& text) {
  std::string error;
  if (!platform::WriteWholeFile(path, text, &error)) throw CommandError{kExitFailed, error};
}

// The seed as typed: a whole number from 0 to 2^64-1, nothing else.
uint64_t ParseSeed(const std::string& text) {
  const std::optional<uint64_t> seed = common::ParseWholeNumber(text);
  if (!seed)
    throw CommandError{kExitRefused, "--seed " + text +
                                         ": a whole number from 0 to 18446744073709551615 is "
                                         "needed"};
  return *seed;
}

// Puts the files of a command in place together: the chart and the parameter file first
// (each whole), then the group of the output folder, run.json last.
void WriteParams(const Options& options, const std::string& params, std::ostream& out) {
  if (options.WriteParams.empty()) return;
  if (platform::IsStandardOutput(options.WriteParams))
    out << params << std::flush;
  else
    WriteFileOrFail(options.WriteParams, params);
}

void CommitFiles(platform::FileGroup& group, const Json& doc, const Options& options,
                 const std::string& params, std::ostream& out) {
  if (!group.Add("run.json", doc.dump(1) + "\n")) throw CommandError{kExitFailed, group.Error()};
  WriteParams(options, params, out);
  if (!group.Commit("run.json")) throw CommandError{kExitFailed, group.Error()};
}

// The report files read as if R+ had been lost, so the user hears of a population that
// died out apart.
void TellExtinctRuns(std::ostream& err, size_t extinct, size_t runs) {
  if (extinct > 0)
    err << kProgram << ": the population died out in " << extinct << " of " << runs << " runs\n";
}

constexpr const char* kStudyMode = "study";

Json CommandJson(const std::string& mode, const ParameterValues& set, uint64_t seed,
                 unsigned threads) {
  Json doc;
  doc["program"] = kProgram;
  doc["version"] = BatchVersion();
  doc["mode"] = mode;
  doc["parameters"] = ParametersJson(set);
  doc["seed"] = seed;
  doc["threads"] = threads;
  return doc;
}

struct ShardSpec {
  int Index = 0;
  int Count = 0;
};

ShardSpec ParseShard(const std::string& text) {
  const size_t slash = text.find('/');
  int index = 0;
  int count = 0;
  bool ok = slash != std::string::npos;
  if (ok) {
    const auto a = std::from_chars(text.data(), text.data() + slash, index);
    const auto b = std::from_chars(text.data() + slash + 1, text.data() + text.size(), count);
    ok = a.ec == std::errc() && a.ptr == text.data() + slash && b.ec == std::errc() &&
         b.ptr == text.data() + text.size() && count >= 1 && index >= 1 && index <= count;
  }
  if (!ok)
    throw CommandError{kExitRefused,
                       "--shard " + text + ": i/n with 1 <= i <= n is needed (for example 2/8)"};
  return {index, count};
}

std::string ShardFileName(const ShardSpec& shard) {
  return "shard-" + std::to_string(shard.Index) + "-of-" + std::to_string(shard.Count) + ".json";
}

// --- Studies ----------------------------------------------------------------------------------

// A study as a command runs it: the mode (a sweep, or a study of any grid), its parameter
// set and its definition, prepared.
struct StudyJob {
  std::string Mode;
  ParameterValues Set;
  StudyDefinition Definition;
  std::shared_ptr<const Study> Prepared;
  bool IsSweep() const { return Mode != kStudyMode; }
};

Json StudyJson(const StudyDefinition& d) {
  Json vary = Json::array();
  for (const VariedParameter& p : d.Varied)
    vary.push_back({{"name", p.Name}, {"values", p.Values}});
  return {{"vary", vary},
          {"replicates", d.Replicates},
          {"population", d.FinitePopulation() ? "finite" : "infinite"},
          {"keep_entered_s", d.KeepEnteredS}};
}

StudyDefinition StudyOfJson(const Json& json, const ParameterValues& set, uint64_t seed) {
  StudyDefinition d;
  d.Base = set;
  for (const Json& p : json.at("vary"))
    d.Varied.push_back(
        {p.at("name").get<std::string>(), p.at("values").get<std::vector<std::string>>()});
  d.Replicates = json.at("replicates").get<int>();
  d.Finite = json.at("population") == "finite";
  d.KeepEnteredS = json.at("keep_entered_s").get<bool>();
  d.Seed = seed;
  return d;
}

// Prepares the job's study: every grid point through the window's rules; corrections
// reported, a refusal thrown.
void PrepareStudy(StudyJob& job, std::ostream* err) {
  StudyCheck check;
  job.Prepared = Study::Prepare(job.Definition, check);
  if (!job.Prepared) throw CommandError{kExitRefused, check.Refusal};
  if (err)
    for (const std::string& c : check.Corrections) *err << c << '\n';
}

// The definition of a sweep as a study of its set.
StudyDefinition SweepDefinition(RunMode mode, const ParameterValues& set, uint64_t seed) {
  if (mode == RunMode::SkSweep) return SelectionSweepStudy(set);
  return PopulationSweepStudy(set, seed);
}

// The study the options describe over the parameter file's [study] table: --vary replaces
// the file's list, --replicates, --finite and --seed win over the file's.
StudyDefinition StudyOfOptions(const Options& options, const std::optional<StudyTable>& table) {
  StudyTable study = table.value_or(StudyTable());
  if (!options.Vary.empty()) study.Vary = options.Vary;
  if (options.Replicates) study.Replicates = *options.Replicates;
  if (options.Finite) study.Finite = true;
  if (study.Vary.empty())
    throw CommandError{kExitRefused, "a study needs --vary NAME=FROM:TO:STEP or NAME=V1,V2,..."};
  StudyDefinition d;
  for (const std::string& text : study.Vary) {
    VariedParameter p;
    std::string message;
    if (!ParseVariedParameter(text, p, message))
      throw CommandError{kExitRefused, "--vary " + message};
    d.Varied.push_back(std::move(p));
  }
  d.Replicates = study.Replicates;
  d.Finite = study.Finite;
  if (const std::string refusal = DefinitionRefusal(d); !refusal.empty())
    throw CommandError{kExitRefused, refusal};
  return d;
}

// The [study] table that gives the definition again.
StudyTable TableOfStudy(const StudyDefinition& d, std::optional<uint64_t> seed) {
  StudyTable table;
  for (const VariedParameter& p : d.Varied) {
    std::string text = p.Name + "=";
    for (size_t i = 0; i < p.Values.size(); ++i) text += (i ? "," : "") + p.Values[i];
    table.Vary.push_back(text);
  }
  table.Replicates = d.Replicates;
  table.Finite = d.FinitePopulation();
  table.Seed = seed;
  return table;
}

// The files of a sweep or a study in the output folder, run.json aside: the report files
// of a sweep, then the tables.
std::vector<std::string> JobFileNames(const std::string& mode) {
  std::vector<std::string> names;
  if (mode == RunModeName(RunMode::SkSweep) || mode == RunModeName(RunMode::NSweep))
    names.push_back(ReportFileName(2));
  if (mode == RunModeName(RunMode::NSweep)) names.push_back(ReportFileName(3));
  names.insert(names.end(), {kRunsTable, kSummaryTable});
  return names;
}

// The lines of a study's files: the tables, and the report files of a sweep.
class StudyLines {
 public:
  StudyLines(const StudyJob& job, StreamedFiles& files)
      : files_(files), tables_(*job.Prepared, Writer()), names_(JobFileNames(job.Mode)) {
    if (job.Mode == RunModeName(RunMode::SkSweep)) {
      selection_ = MakeSelectionSweepPlan();
      report_.emplace(selection_, common::ParseLeadingNumber(job.Set.Entries[kEntryU]), Reports());
    } else if (job.Mode == RunModeName(RunMode::NSweep)) {
      population_ = PopulationPlanOf(job.Set);
      report_.emplace(population_, Reports());
    }
  }
  const std::vector<std::string>& Names() const { return names_; }
  bool Begin() { return (!report_ || report_->Begin()) && tables_.Begin(); }
  bool Add(const StudyOutcome& outcome) {
    return (!report_ || report_->Add(outcome.FinalRPlus)) && tables_.Add(outcome);
  }
  bool Finish() { return tables_.Finish(); }

 private:
  StudyTables::Writer Writer() {
    return
        [this](const char* table, std::string_view line) { return files_.WriteLine(table, line); };
  }
  SweepReportLines::Writer Reports() {
    return
        [this](int n, std::string_view line) { return files_.WriteLine(ReportFileName(n), line); };
  }

  StreamedFiles& files_;
  StudyTables tables_;
  SelectionSweepPlan selection_;
  PopulationSweepPlan population_;
  std::optional<SweepReportLines> report_;
  std::vector<std::string> names_;
};

// Hands every outcome to the files and keeps what the chart of a sweep needs.
class FileObserver : public StudyObserver {
 public:
  FileObserver(StudyLines& lines, Progress& progress, const std::atomic<bool>& stop, bool keep)
      : lines_(lines), progress_(progress), stop_(stop), keep_(keep) {}
  bool RunEnded(const StudyOutcome& outcome) override {
    if (!lines_.Add(outcome)) return false;
    if (keep_) Outcomes.push_back(outcome.FinalRPlus);
    progress_.Show(++done_);
    return true;
  }
  bool StopRequested() override {
    progress_.Show(done_);
    return stop_;
  }
  std::vector<double> Outcomes;

 private:
  StudyLines& lines_;
  Progress& progress_;
  const std::atomic<bool>& stop_;
  bool keep_;  // the outcomes, for a chart
  size_t done_ = 0;
};

// The chart of a sweep's results, as the window draws it.
CommandRecord SweepRecordOf(const StudyJob& job, const std::vector<double>& outcomes) {
  CommandRecord record;
  record.Mode = *ParseRunMode(job.Mode);
  record.Outcomes = outcomes;
  size_t point = SIZE_MAX;
  RunInputs inputs;
  for (size_t run = 0; run < outcomes.size(); ++run) {
    // The runs come point by point: each point's inputs are read once.
    if (const size_t at = PlaceOf(job.Definition, run).Point; at != point)
      inputs = job.Prepared->PointInputs(point = at);
    if (record.Mode == RunMode::SkSweep) {
      record.S.push_back(inputs.S);
      record.K.push_back(inputs.K);
    } else {
      record.Log10N.push_back(inputs.Log10N);
    }
  }
  return record;
}

// The chart of a study of one or two parameters: mean, S.D. and runs per grid point.
StudyResults StudyResultsOf(const StudyJob& job, const std::vector<double>& outcomes) {
  StudyResultsCollector collector(*job.Prepared);
  for (size_t run = 0; run < outcomes.size(); ++run) {
    StudyOutcome o;
    o.Place = PlaceOf(job.Definition, run);
    o.FinalRPlus = outcomes[run];
    collector.Add(o);
  }
  return collector.Results();
}

void WritePlotOrFail(const Options& options, const StudyJob& job,
                     const std::vector<double>& outcomes, Json& doc) {
  if (!options.Plot) return;
  const std::string failure = job.IsSweep()
                                  ? WritePlot(SweepRecordOf(job, outcomes), *options.Plot)
                                  : WritePlot(StudyResultsOf(job, outcomes), *options.Plot);
  if (!failure.empty()) throw CommandError{kExitFailed, failure};
  doc["plot"] = *options.Plot;
}

// A file of the output folder that could not be written whole.
CommandError WriteFailure(const Options& options, const std::string& failedPath) {
  const std::string name = std::filesystem::u8path(failedPath).filename().string();
  return CommandError{kExitFailed, "cannot write " + platform::JoinPath(options.Out, name) +
                                       " completely (is the disk full?)"};
}

// Streams the job's files into the group's folder; the study's run.json fields.
Json RunStudyToFiles(const StudyJob& job, const Options& options, const std::string& folder,
                     unsigned threads, std::ostream& err, const std::atomic<bool>& stop,
                     bool terminal, size_t& completed) {
  StreamedFiles files(folder);
  StudyLines lines(job, files);
  for (const std::string& name : lines.Names())
    if (!files.Open(name)) throw WriteFailure(options, files.FailedPath());
  const size_t planned = job.Prepared->RunCount();
  Progress progress(err, terminal && !options.Quiet, planned);
  FileObserver observer(lines, progress, stop, options.Plot.has_value());
  bool written = lines.Begin();
  StudyProgress done;
  if (written) done = RunStudy(*job.Prepared, {0, planned}, threads, observer);
  progress.Show(done.Done, true);
  progress.End();
  written = written && lines.Finish();
  if (!written || (!done.Stopped && done.Done < planned) || !files.Close())
    throw WriteFailure(options, files.FailedPath());
  completed = done.Done;
  TellExtinctRuns(err, done.Extinct, completed);
  Json doc;
  doc["extinct_runs"] = done.Extinct;
  doc["files"] = lines.Names();
  WritePlotOrFail(options, job, observer.Outcomes, doc);
  return doc;
}

// Keeps a shard's rows of runs.csv: exact, and all a merge needs.
class ShardRows : public StudyObserver {
 public:
  ShardRows(const Study& study, Progress& progress, const std::atomic<bool>& stop)
      : study_(study), progress_(progress), stop_(stop) {}
  bool RunEnded(const StudyOutcome& o) override {
    if (o.Place.Point != point_) values_ = study_.PointValues(point_ = o.Place.Point);
    Rows.push_back(RunsRow(values_, o));
    progress_.Show(Rows.size());
    return true;
  }
  bool StopRequested() override { return stop_; }
  Json Rows = Json::array();

 private:
  const Study& study_;
  Progress& progress_;
  const std::atomic<bool>& stop_;
  size_t point_ = SIZE_MAX;
  std::vector<std::string> values_;
};

// Runs the shard's part of the job and writes its shard file: its rows of runs.csv, exact.
int RunShard(const StudyJob& job, const ShardSpec& shard, Json doc, const Options& options,
             const std::string& params, unsigned threads, std::ostream& out, std::ostream& err,
             const std::atomic<bool>& stop, bool terminal) {
  const std::string start = doc["start"];
  const RunRange range = ShardRange(job.Prepared->RunCount(), shard.Index, shard.Count);
  Progress progress(err, terminal && !options.Quiet, range.Count());
  ShardRows keeper(*job.Prepared, progress, stop);
  const StudyProgress done = RunStudy(*job.Prepared, range, threads, keeper);
  progress.End();
  if (done.Done < range.Count()) {
    err << kProgram << ": stopped; no shard file written\n";
    return kExitInterrupted;
  }
  doc["kind"] = kShardKind;
  doc["study"] = StudyJson(job.Definition);
  doc["shard"] = {{"index", shard.Index}, {"count", shard.Count}};
  doc["runs"] = {
      {"total", job.Prepared->RunCount()}, {"first", range.First}, {"count", range.Count()}};
  doc["extinct_runs"] = done.Extinct;
  TellExtinctRuns(err, done.Extinct, range.Count());
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  doc["rows"] = std::move(keeper.Rows);
  WriteParams(options, params, out);
  WriteFileOrFail(platform::JoinPath(options.Out, ShardFileName(shard)), doc.dump(1) + "\n");
  return kExitOk;
}

// The checks of the options and of the names a command writes, before any file is touched.
std::optional<ShardSpec> CheckStudyOptions(const StudyJob& job, const Options& options) {
  std::optional<ShardSpec> shard;
  if (options.Shard) {
    shard = ParseShard(*options.Shard);
    if (options.Plot)
      throw CommandError{kExitRefused, "--plot draws a whole sweep: use it with merge"};
    // Shards drawing their own seeds would not make one study.
    if (job.Definition.FinitePopulation() && !options.Seed)
      throw CommandError{kExitRefused, "--shard needs --seed, the same for every shard"};
  }
  if (options.Plot && job.Definition.Varied.size() > 2)
    throw CommandError{kExitRefused,
                       "--plot draws the results of one or two varied parameters; those of " +
                           std::to_string(job.Definition.Varied.size()) + " are in summary.csv"};
  CheckPlot(options);
  std::vector<std::string> names{ShardFileName(shard.value_or(ShardSpec()))};
  if (!shard) {
    names = JobFileNames(job.Mode);
    names.push_back("run.json");
  }
  CheckOutNames(options.Out, names);
  return shard;
}

// The checks of where a command writes, before its parameters are read.
void CheckOutputs(const Options& options) {
  CheckOutFolder(options.Out);
  if (!options.WriteParams.empty() && !platform::IsStandardOutput(options.WriteParams))
    CheckTarget("--write-params: ", options.WriteParams, true);
}

// The seed given, or one drawn and told.
uint64_t SeedOf(std::optional<uint64_t> given, std::ostream& err) {
  if (given) return *given;
  const uint64_t seed = SeedFromEntropy();
  err << "seed: " << seed << '\n';
  return seed;
}

// A sweep or a study: its files, or a shard file.
int RunStudyJob(StudyJob& job, const Options& options, std::optional<uint64_t> fileSeed,
                std::ostream& out, std::ostream& err, const std::atomic<bool>& stop,
                bool terminal) {
  const std::string start = platform::UtcDateTimeText();
  const std::optional<uint64_t> given =
      options.Seed ? std::optional<uint64_t>(ParseSeed(*options.Seed)) : fileSeed;
  Options checked = options;
  if (given) checked.Seed = std::to_string(*given);
  const std::optional<ShardSpec> shard = CheckStudyOptions(job, checked);
  const uint64_t seed = SeedOf(given, err);
  job.Definition.Seed = seed;
  PrepareStudy(job, &err);
  const unsigned threads = options.Threads > 0 ? options.Threads : DefaultThreadCount();
  MakeFolder(options.Out);
  const std::string params =
      job.IsSweep()
          ? ParameterFileText(job.Set, *ParseRunMode(job.Mode))
          : ParameterFileText(job.Set) + "\n" + StudyTableText(TableOfStudy(job.Definition, given));
  Json doc = CommandJson(job.Mode, job.Set, seed, threads);
  if (!job.IsSweep()) doc["study"] = StudyJson(job.Definition);
  doc["start"] = start;
  if (shard) return RunShard(job, *shard, doc, options, params, threads, out, err, stop, terminal);

  // Every file goes to a temporary folder first; they take their names together at the end.
  platform::FileGroup group(options.Out, kProgram);
  if (!group.Open()) throw CommandError{kExitFailed, group.Error()};
  size_t completed = 0;
  const Json result =
      RunStudyToFiles(job, options, group.Folder(), threads, err, stop, terminal, completed);
  const size_t planned = job.Prepared->RunCount();
  const bool interrupted = completed < planned;
  doc["shard"] = nullptr;
  doc["runs"] = {{"total", planned}, {"completed", completed}};
  doc["extinct_runs"] = result["extinct_runs"];
  doc["status"] = interrupted ? "interrupted" : "complete";
  doc["files"] = result["files"];
  if (result.contains("plot")) doc["plot"] = result["plot"];
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  CommitFiles(group, doc, options, params, out);
  return interrupted ? kExitInterrupted : kExitOk;
}

RunMode StudyBaseMode(bool finite) {
  return finite ? RunMode::SingleFinite : RunMode::Single;
}

int RunStudyMode(const Options& options, std::ostream& out, std::ostream& err,
                 const std::atomic<bool>& stop, bool terminal) {
  CheckOutputs(options);
  const ParameterFile file = ReadParameterFileOf(options);
  StudyJob job;
  job.Mode = kStudyMode;
  job.Definition = StudyOfOptions(options, file.Study);
  const Prepared prepared =
      ReadParameters(options, file, StudyBaseMode(job.Definition.FinitePopulation()), err);
  job.Set = prepared.Set;
  job.Definition.Base = job.Set;
  const std::optional<uint64_t> fileSeed = file.Study ? file.Study->Seed : std::nullopt;
  return RunStudyJob(job, options, fileSeed, out, err, stop, terminal);
}

int RunMode_(RunMode mode, const Options& options, std::ostream& out, std::ostream& err,
             const std::atomic<bool>& stop, bool terminal) {
  const std::string start = platform::UtcDateTimeText();
  CheckOutputs(options);
  const Prepared prepared = ReadParameters(options, ReadParameterFileOf(options), mode, err);
  const ParameterValues& set = prepared.Set;
  if (!StartStateAccepted(SingleRunInputs(set, mode)))
    throw CommandError{kExitRefused,
                       std::string(kHaplotypeTotalMessage) + " (ab + Ab + aB + AB must total 1)"};
  if (IsSweep(mode)) {
    StudyJob job;
    job.Mode = RunModeName(mode);
    job.Set = set;
    job.Definition = SweepDefinition(mode, set, 0);
    return RunStudyJob(job, options, std::nullopt, out, err, stop, terminal);
  }
  if (options.Plot)
    throw CommandError{kExitRefused,
                       "--plot draws a sweep's results: use it with sk-sweep, n-sweep or merge"};
  if (options.Shard)
    throw CommandError{kExitRefused, "--shard splits a sweep: use it with sk-sweep or n-sweep"};
  CheckOutNames(options.Out, {"ReportFile1.txt", kGenerationsFile, "run.json"});
  const uint64_t seed =
      SeedOf(options.Seed ? std::optional<uint64_t>(ParseSeed(*options.Seed)) : std::nullopt, err);
  const unsigned threads = options.Threads > 0 ? options.Threads : DefaultThreadCount();
  MakeFolder(options.Out);
  platform::FileGroup group(options.Out, kProgram);
  if (!group.Open()) throw CommandError{kExitFailed, group.Error()};
  Json doc = CommandJson(RunModeName(mode), set, seed, threads);
  const SingleResult result = RunSingle(set, mode, group.Folder(), seed, stop);
  if (!result.Message.empty()) throw CommandError{kExitFailed, result.Message};
  if (result.ExtinctAt > 0)
    err << kProgram << ": Population extinct at generation " << result.ExtinctAt << '\n';
  doc["extinct_at_generation"] = result.ExtinctAt > 0 ? Json(result.ExtinctAt) : Json(nullptr);
  doc["generations"] = result.Generations;
  doc["shard"] = nullptr;
  doc["runs"] = {{"total", 1}, {"completed", result.Complete ? 1 : 0}};
  doc["status"] = result.Complete ? "complete" : "interrupted";
  doc["files"] = {"ReportFile1.txt", kGenerationsFile};
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  CommitFiles(group, doc, options, ParameterFileText(set, mode), out);
  return result.Complete ? kExitOk : kExitInterrupted;
}

Json ReadJson(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(fs::u8path(path), ec))
    throw CommandError{kExitRefused, path + " is not a shard file: not a regular file"};
  std::ifstream file(fs::u8path(path), std::ios::binary);
  if (!file) throw CommandError{kExitRefused, "cannot read the shard file " + path};
  try {
    return Json::parse(file);
  } catch (const Json::exception&) {
    throw CommandError{kExitRefused, path + " is not a shard file: not JSON"};
  }
}

struct ShardFile {
  std::string Path;
  Json Doc;
};

// A shard file, read whole and checked field by field before anything is written; its
// rows are checked as the merge reads them.
ShardFile ReadShard(const std::string& path) {
  ShardFile shard{path, ReadJson(path)};
  const Json& doc = shard.Doc;
  if (!doc.is_object() || doc.value("kind", "") != kShardKind)
    throw CommandError{kExitRefused, path + " is not a shard file of " + kProgram};
  auto refused = [&](const std::string& what) {
    return CommandError{kExitRefused, path + ": " + what};
  };
  auto field = [&](const Json& object, const char* key) -> const Json& {
    if (!object.is_object() || !object.contains(key)) throw refused(std::string("no ") + key);
    return object[key];
  };
  auto whole = [&](const Json& object, const char* key) {
    const Json& value = field(object, key);
    if (!value.is_number_unsigned() || value.get<uint64_t>() > SIZE_MAX / 2)
      throw refused(std::string(key) + " is not a whole number of the range");
    return value.get<size_t>();
  };
  for (const char* key : {"version", "mode", "start", "end"})
    if (!field(doc, key).is_string()) throw refused(std::string(key) + " is not a text");
  if (!field(doc, "parameters").is_object()) throw refused("parameters is not a table");
  if (!field(doc, "study").is_object()) throw refused("study is not a table");
  if (!field(doc, "rows").is_array()) throw refused("rows is not a list");
  whole(doc, "seed");
  whole(doc, "threads");
  const size_t index = whole(field(doc, "shard"), "index");
  const size_t count = whole(field(doc, "shard"), "count");
  whole(field(doc, "runs"), "total");
  whole(field(doc, "runs"), "first");
  const size_t runs = whole(field(doc, "runs"), "count");
  if (count < 1 || index < 1 || index > count || count > INT_MAX)
    throw refused("shard index out of range");
  if (whole(doc, "extinct_runs") > runs) throw refused("more extinct runs than runs");
  return shard;
}

// The shards in their order, checked to make one study: the same version, mode, parameters,
// grid, replicates, population and seed, the same split, none missing or repeated.
std::vector<const ShardFile*> OrderShards(const std::vector<ShardFile>& shards, size_t& extinct) {
  const Json& first = shards.front().Doc;
  const int count = first.at("shard").at("count").get<int>();
  if (count < 1) throw CommandError{kExitRefused, shards.front().Path + ": no shard count"};
  std::vector<const ShardFile*> byIndex(static_cast<size_t>(count), nullptr);
  auto differs = [&](const ShardFile& shard, const std::string& what) {
    return CommandError{kExitRefused, shard.Path + " does not belong with " + shards.front().Path +
                                          ": its " + what + " differs"};
  };
  for (const ShardFile& shard : shards) {
    const Json& doc = shard.Doc;
    for (const char* key : {"version", "mode", "seed", "parameters"}) {
      // A study of N infinite draws no random numbers: its shards need no common seed.
      if (std::string_view(key) == "seed" && first.at("study").at("population") == "infinite")
        continue;
      if (doc.at(key) != first.at(key)) throw differs(shard, key);
    }
    for (const char* key : {"vary", "replicates", "population"})
      if (doc.at("study").at(key) != first.at("study").at(key))
        throw differs(shard, std::string_view(key) == "vary" ? "grid" : key);
    if (doc.at("shard").at("count") != first.at("shard").at("count") ||
        doc.at("runs").at("total") != first.at("runs").at("total"))
      throw CommandError{kExitRefused, shard.Path + " does not belong with " + shards.front().Path +
                                           ": another split of the study"};
    const int index = doc.at("shard").at("index").get<int>();
    if (index < 1 || index > count)
      throw CommandError{kExitRefused, shard.Path + ": shard index out of range"};
    const ShardFile*& slot = byIndex[static_cast<size_t>(index - 1)];
    if (slot)
      throw CommandError{kExitRefused, "shard " + std::to_string(index) + "/" +
                                           std::to_string(count) + " given twice: " + slot->Path +
                                           " and " + shard.Path};
    slot = &shard;
    extinct += doc.at("extinct_runs").get<size_t>();
  }
  std::string missing;
  for (int i = 0; i < count; ++i)
    if (!byIndex[static_cast<size_t>(i)])
      missing +=
          (missing.empty() ? "" : ", ") + std::to_string(i + 1) + "/" + std::to_string(count);
  if (!missing.empty()) throw CommandError{kExitRefused, "missing shards: " + missing};
  return byIndex;
}

// The job the shards were cut from.
StudyJob JobOfShard(const ShardFile& shard) {
  const Json& first = shard.Doc;
  StudyJob job;
  job.Mode = first.at("mode").get<std::string>();
  const std::optional<RunMode> sweep = ParseRunMode(job.Mode);
  if (job.Mode != kStudyMode && !(sweep && IsSweep(*sweep)))
    throw CommandError{kExitRefused, "the shards hold no sweep or study"};
  const Json& study = first.at("study");
  const bool finite = study.at("population") == "finite";
  std::vector<std::pair<std::string, std::string>> assignments;
  try {
    assignments = AssignmentsOf(first.at("parameters"));
  } catch (const CommandError& e) {
    throw CommandError{kExitRefused, shard.Path + ": " + e.Message};
  }
  const Prepared prepared =
      PrepareParameters(MakeParameterTable(), sweep ? *sweep : StudyBaseMode(finite), assignments);
  if (!prepared.Refusal.empty())
    throw CommandError{kExitRefused, shard.Path + ": " + prepared.Refusal};
  // Parameters written by a shard read back as written; others were edited.
  if (!prepared.Corrections.empty() || ParametersJson(prepared.Set) != first.at("parameters"))
    throw CommandError{kExitRefused, shard.Path + ": its parameters are not those a run of " +
                                         kProgram + " writes"};
  job.Set = prepared.Set;
  job.Definition = StudyOfJson(study, job.Set, first.at("seed").get<uint64_t>());
  PrepareStudy(job, nullptr);
  if (first.at("runs").at("total").get<size_t>() != job.Prepared->RunCount())
    throw CommandError{kExitRefused, shard.Path + ": its runs do not match its parameters"};
  return job;
}

// Every shard's runs, in order, read back from their rows and checked before any file is
// touched: a row reads back as the program writes it, or it was edited.
std::vector<StudyOutcome> ShardOutcomes(const StudyJob& job,
                                        const std::vector<const ShardFile*>& shards) {
  std::vector<StudyOutcome> outcomes;
  const size_t total = job.Prepared->RunCount();
  const size_t varied = job.Definition.Varied.size();
  for (size_t i = 0; i < shards.size(); ++i) {
    const ShardFile& shard = *shards[i];
    const RunRange range =
        ShardRange(total, static_cast<int>(i + 1), static_cast<int>(shards.size()));
    const Json& rows = shard.Doc.at("rows");
    if (rows.size() != range.Count() || shard.Doc.at("runs").at("first") != range.First)
      throw CommandError{kExitRefused, shard.Path + ": its runs are not those of shard " +
                                           std::to_string(i + 1) + "/" +
                                           std::to_string(shards.size())};
    size_t run = range.First;
    for (const Json& row : rows) {
      StudyOutcome o;
      const RunPlace place = PlaceOf(job.Definition, run);
      if (!row.is_string() || !ParseRunsRow(row.get<std::string>(), varied, o) ||
          o.Place.Point != place.Point || o.Place.Replicate != place.Replicate ||
          !(o.FinalRPlus >= 0 && o.FinalRPlus <= 1) ||
          RunsRow(job.Prepared->PointValues(place.Point), o) != row.get<std::string>())
        throw CommandError{kExitRefused, shard.Path + ": row " + std::to_string(run + 1) +
                                             " is not a run of the study"};
      o.Place = place;
      o.Loci = job.Prepared->Loci(place.Point);
      outcomes.push_back(o);
      ++run;
    }
  }
  return outcomes;
}

// The merged runs through the study's files.
void WriteMergedFiles(const StudyJob& job, const std::vector<StudyOutcome>& outcomes,
                      const Options& options, const std::string& folder) {
  StreamedFiles files(folder);
  StudyLines lines(job, files);
  for (const std::string& name : lines.Names())
    if (!files.Open(name)) throw WriteFailure(options, files.FailedPath());
  bool ok = lines.Begin();
  for (size_t i = 0; ok && i < outcomes.size(); ++i) ok = lines.Add(outcomes[i]);
  if (!ok || !lines.Finish() || !files.Close()) throw WriteFailure(options, files.FailedPath());
}

int Merge(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string start = platform::UtcDateTimeText();
  if (options.ShardFiles.empty()) throw CommandError{kExitRefused, "merge needs the shard files"};
  CheckOutFolder(options.Out);
  CheckPlot(options);
  std::vector<ShardFile> shards;
  for (const std::string& path : options.ShardFiles) shards.push_back(ReadShard(path));
  size_t extinct = 0;
  std::vector<const ShardFile*> ordered;
  StudyJob job;
  try {
    ordered = OrderShards(shards, extinct);
    job = JobOfShard(shards.front());
  } catch (const Json::exception& e) {
    throw CommandError{kExitRefused, std::string("a shard file is incomplete: ") + e.what()};
  }
  if (options.Plot && job.Definition.Varied.size() > 2)
    throw CommandError{kExitRefused,
                       "--plot draws the results of one or two varied parameters; those of " +
                           std::to_string(job.Definition.Varied.size()) + " are in summary.csv"};
  std::vector<std::string> names = JobFileNames(job.Mode);
  names.push_back("run.json");
  CheckOutNames(options.Out, names);
  const std::vector<StudyOutcome> runs = ShardOutcomes(job, ordered);
  const size_t total = runs.size();
  MakeFolder(options.Out);
  platform::FileGroup group(options.Out, kProgram);
  if (!group.Open()) throw CommandError{kExitFailed, group.Error()};
  WriteMergedFiles(job, runs, options, group.Folder());
  std::vector<double> outcomes;
  for (const StudyOutcome& o : runs) outcomes.push_back(o.FinalRPlus);
  Json doc = CommandJson(job.Mode, job.Set, job.Definition.Seed, 0);
  doc.erase("threads");
  if (!job.IsSweep()) doc["study"] = StudyJson(job.Definition);
  doc["shard"] = nullptr;
  doc["merged"] = Json::array();
  for (const ShardFile* s : ordered)
    doc["merged"].push_back({{"file", s->Path},
                             {"threads", s->Doc["threads"]},
                             {"start", s->Doc["start"]},
                             {"end", s->Doc["end"]}});
  doc["runs"] = {{"total", total}, {"completed", total}};
  doc["extinct_runs"] = extinct;
  doc["status"] = "complete";
  doc["files"] = JobFileNames(job.Mode);
  WritePlotOrFail(options, job, outcomes, doc);
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  CommitFiles(group, doc, options, "", out);
  TellExtinctRuns(err, extinct, total);
  return kExitOk;
}

void AddPlotOption(CLI::App& command, Options& options) {
  command
      .add_option("--plot", options.Plot,
                  "Draw the results as the window shows them to FILE.svg, .png or .pdf")
      ->type_name("FILE");
}

void AddRunOptions(CLI::App& sub, Options& options) {
  sub.add_option("--set", options.Sets, "NAME=VALUE: a parameter (see --list); repeatable")
      ->type_name("NAME=VALUE");
  sub.add_option("--params", options.ParamsFile,
                 "TOML file of parameters (same names; --set wins)");
  sub.add_option("--write-params", options.WriteParams,
                 "Write the complete, validated parameters of the run to this TOML file");
  sub.add_option("--seed", options.Seed,
                 "Seed (unsigned 64-bit); default: drawn from the system, printed and stored");
  sub.add_option("--threads", options.Threads, "Threads for a sweep (default: every core)");
  sub.add_option("--shard", options.Shard,
                 "i/n: run only the i-th of n parts of a sweep and write a shard file");
  sub.add_option("--out", options.Out, "Folder of the output files (created if missing)")
      ->capture_default_str();
  sub.add_flag("--quiet", options.Quiet, "No progress display");
  AddPlotOption(sub, options);
}

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop, bool terminal) {
  CLI::App app{
      "Runs quorvel's simulations without a window: a single run with N infinite or finite, "
      "the sweep over S and K, the sweep over Log10(N), or a study of any parameters over a "
      "grid, with reproducible seeds, every core, and shards for a cluster.",
      kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + BatchVersion());
  bool list = false;
  app.add_flag("--list", list, "List every parameter name with its default, bounds and meaning");
  app.require_subcommand(0, 1);

  Options options;
  std::vector<std::pair<RunMode, CLI::App*>> modes;
  const std::pair<RunMode, const char*> kModes[] = {
      {RunMode::Single, "one run with N infinite (ReportFile1.txt)"},
      {RunMode::SingleFinite, "one run with N = 10^log10n (ReportFile1.txt)"},
      {RunMode::SkSweep,
       "S = 0.01 to 0.2 by 0.01, K = 0.8 to 1.2 by 0.01, N infinite "
       "(ReportFile2.txt)"},
      {RunMode::NSweep,
       "Log10(N) from the value of from up to that of to by 0.5, iterations runs at each "
       "(ReportFile2.txt, ReportFile3.txt)"},
  };
  for (const auto& [mode, help] : kModes) {
    CLI::App* sub = app.add_subcommand(RunModeName(mode), help);
    AddRunOptions(*sub, options);
    modes.emplace_back(mode, sub);
  }
  CLI::App* study = app.add_subcommand(
      kStudyMode,
      "any parameters over a grid with replicates (runs.csv, summary.csv): the cross product "
      "of every --vary, the first varying slowest");
  study
      ->add_option("--vary", options.Vary,
                   "NAME=FROM:TO:STEP or NAME=V1,V2,...: a varied parameter of --list; "
                   "repeatable, 1 to 4")
      ->type_name("NAME=VALUES");
  study->add_option("--replicates", options.Replicates,
                    "Runs per grid point (more than 1 needs a finite population)");
  study->add_flag("--finite", options.Finite,
                  "A finite population, N = 10^log10n (implied when log10n is varied)");
  AddRunOptions(*study, options);
  CLI::App* merge =
      app.add_subcommand("merge", "Merge the shard files of one sweep or study into its files");
  merge->add_option("shards", options.ShardFiles, "The shard files")->required();
  merge->add_option("--out", options.Out, "Folder of the reports (created if missing)")
      ->capture_default_str();
  merge->add_flag("--quiet", options.Quiet, "No progress display (a merge shows none)");
  AddPlotOption(*merge, options);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    err << kUsage << kProgram << ": " << e.what() << '\n';
    return kExitRefused;
  }

  try {
    if (list) {
      out << ListText(MakeParameterTable());
      return kExitOk;
    }
    if (merge->parsed()) return Merge(options, out, err);
    if (study->parsed()) return RunStudyMode(options, out, err, stop, terminal);
    for (const auto& [mode, sub] : modes)
      if (sub->parsed()) return RunMode_(mode, options, out, err, stop, terminal);
    err << kUsage << kProgram << ": a run mode, study, merge or --list is needed (see --help)\n";
    return kExitRefused;
  } catch (const CommandError& e) {
    err << kProgram << ": " << e.Message << '\n';
    return e.Status;
  } catch (const std::exception& e) {
    err << kProgram << ": " << e.what() << '\n';
    return kExitFailed;
  }
}

}  // namespace quorvel::batch
