#include "quorvel/batch/batch_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <chrono>
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
#include "quorvel/batch/batch_parameters.h"
#include "quorvel/batch/batch_plot.h"
#include "quorvel/batch/batch_runs.h"
#include "quorvel/run/ordered_executor.h"
#include "quorvel/run/seeds.h"

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
  std::optional<std::string> Plot;      // the chart of a sweep's results
  std::vector<std::string> ShardFiles;  // merge
};

std::string HexText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::hex);
  std::string digits(buffer, result.ptr);
  // The C form (0x...), which every language's reader of hexadecimal floats accepts.
  if (digits.front() == '-') return "-0x" + digits.substr(1);
  return "0x" + digits;
}

bool ParseHex(const std::string& text, double& value) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && digits.front() == '-') {
    negative = true;
    digits.remove_prefix(1);
  }
  if (digits.substr(0, 2) != "0x") return false;
  digits.remove_prefix(2);
  const auto result =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::hex);
  if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return false;
  if (negative) value = -value;
  return true;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return (std::filesystem::u8path(folder) / name).string();
}

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

// The parameters of a command: the parameter file, then every --set, then the window's
// rules; corrections reported, refusals thrown.
Prepared ReadParameters(const Options& options, RunMode mode, std::ostream& err) {
  std::vector<std::pair<std::string, std::string>> assignments;
  if (!options.ParamsFile.empty()) {
    // The command names the run mode; a mode in the file (one the window saved) is not
    // needed.
    CheckParameterFile(options.ParamsFile);
    ParameterFile file;
    std::string message;
    if (!ReadParameterFile(options.ParamsFile, file, message))
      throw CommandError{kExitRefused, message};
    assignments = std::move(file.Assignments);
  }
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

void CheckOutFolder(const std::string& out) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (out.empty()) throw CommandError{kExitRefused, "--out: an empty name names no folder"};
  if (platform::IsStandardOutput(out))
    throw CommandError{kExitRefused, "--out -: the output is a folder of files, not one file"};
  if (fs::exists(fs::u8path(out), ec) && !fs::is_directory(fs::u8path(out), ec))
    throw CommandError{kExitRefused, "--out " + out + ": not a folder"};
}

// Refuses a chart that cannot be written before any file is touched.
void CheckPlot(const Options& options) {
  if (!options.Plot) return;
  if (options.Plot->empty())
    throw CommandError{kExitRefused, "--plot: an empty name names no file"};
  const std::string refusal = PlotRefusal(*options.Plot);
  if (!refusal.empty()) throw CommandError{kExitRefused, refusal};
  CheckTarget("--plot: ", *options.Plot, true);
}

void WriteFileOrFail(const std::string& path, const std::string& text) {
  std::string error;
  if (!platform::WriteWholeFile(path, text, &error)) throw CommandError{kExitFailed, error};
}

void WritePlotOrFail(const Options& options, const SweepPlan& plan,
                     const std::vector<double>& outcomes, Json& doc) {
  if (!options.Plot) return;
  const std::string failure = WritePlot(SweepRecord(plan, outcomes), *options.Plot);
  if (!failure.empty()) throw CommandError{kExitFailed, failure};
  doc["plot"] = *options.Plot;
}

// The seed as typed: a whole number from 0 to 2^64-1, nothing else.
uint64_t ParseSeed(const std::string& text) {
  uint64_t seed = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), seed);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
    throw CommandError{kExitRefused, "--seed " + text +
                                         ": a whole number from 0 to 18446744073709551615 is "
                                         "needed"};
  return seed;
}

// The runs of a sweep whose outcomes were taken, and how many of them died out.
struct SweepCount {
  size_t Taken = 0;
  size_t Extinct = 0;
};

// Runs `range` of the plan on the threads and hands the outcomes to `take` in order, until
// `take` fails or a stop is requested.
SweepCount RunSweep(const ParameterValues& set, const SweepPlan& plan, RunRange range,
                    uint64_t seed, unsigned threads, const std::atomic<bool>& stop,
                    Progress& progress, const std::function<bool(double)>& take) {
  const size_t count = range.End - range.First;
  // Every run copies the inputs it varies, so the threads share one context.
  const RunContext context(set, plan.Mode);
  OrderedExecutor<RunResult> executor(count, threads, [&](size_t index, unsigned) {
    return context.Run(plan, range.First + index, seed);
  });
  SweepCount done;
  bool failed = false;
  progress.Show(0, true);
  while (!executor.Finished()) {
    executor.DeliverWaiting(
        [&](size_t, RunResult& result) {
          if (failed) return;
          if (!take(result.Outcome)) {
            failed = true;
            return;
          }
          ++done.Taken;
          if (result.Extinct) ++done.Extinct;
        },
        std::chrono::milliseconds(100));
    if (stop || failed) executor.RequestStop();
    progress.Show(executor.Completed());
  }
  progress.Show(executor.Completed(), true);
  progress.End();
  return done;
}

// The report files read as if R+ had been lost, so the user hears of a population that
// died out apart.
void TellExtinctRuns(std::ostream& err, size_t extinct, size_t runs) {
  if (extinct > 0)
    err << kProgram << ": the population died out in " << extinct << " of " << runs << " runs\n";
}

Json CommandJson(RunMode mode, const ParameterValues& set, uint64_t seed, unsigned threads) {
  Json doc;
  doc["program"] = kProgram;
  doc["version"] = BatchVersion();
  doc["mode"] = RunModeName(mode);
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

// The names a run mode writes in its output folder, run.json last.
std::vector<std::string> ModeFiles(RunMode mode) {
  if (!IsSweep(mode)) return {ReportFileName(1), "run.json"};
  if (mode == RunMode::SkSweep) return {ReportFileName(2), "run.json"};
  return {ReportFileName(2), ReportFileName(3), "run.json"};
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

void CommitFiles(platform::FileGroup& group, const Options& options, const std::string& params,
                 std::ostream& out) {
  WriteParams(options, params, out);
  if (!group.Commit("run.json")) throw CommandError{kExitFailed, group.Error()};
}

int RunMode_(RunMode mode, const Options& options, std::ostream& out, std::ostream& err,
             const std::atomic<bool>& stop, bool terminal) {
  const std::string start = platform::UtcDateTimeText();
  CheckOutFolder(options.Out);
  if (!options.WriteParams.empty() && !platform::IsStandardOutput(options.WriteParams))
    CheckTarget("--write-params: ", options.WriteParams, true);
  const Prepared prepared = ReadParameters(options, mode, err);
  const ParameterValues& set = prepared.Set;
  {
    const std::string refusal = RunContext(set, mode).CheckStartFrequencies();
    if (!refusal.empty())
      throw CommandError{kExitRefused, refusal + " (ab + Ab + aB + AB must total 1)"};
  }
  if (options.Plot && !IsSweep(mode))
    throw CommandError{kExitRefused,
                       "--plot draws a sweep's results: use it with sk-sweep, n-sweep or merge"};
  std::optional<ShardSpec> shard;
  if (options.Shard) {
    if (!IsSweep(mode))
      throw CommandError{kExitRefused, "--shard splits a sweep: use it with sk-sweep or n-sweep"};
    shard = ParseShard(*options.Shard);
    if (options.Plot)
      throw CommandError{kExitRefused, "--plot draws a whole sweep: use it with merge"};
    // Shards drawing their own seeds would not make one sweep.
    if (mode == RunMode::NSweep && !options.Seed)
      throw CommandError{kExitRefused, "--shard needs --seed, the same for every shard"};
  }
  CheckPlot(options);
  const std::vector<std::string> names =
      shard ? std::vector<std::string>{ShardFileName(*shard)} : ModeFiles(mode);
  for (const std::string& name : names) CheckTarget("--out: ", InFolder(options.Out, name), false);
  uint64_t seed;
  if (options.Seed) {
    seed = ParseSeed(*options.Seed);
  } else {
    seed = SeedFromEntropy();
    err << "seed: " << seed << '\n';
  }
  const unsigned threads = options.Threads > 0 ? options.Threads : DefaultThreadCount();

  MakeFolder(options.Out);
  const std::string params = ParameterFileText(set, mode);
  Json doc = CommandJson(mode, set, seed, threads);
  size_t planned = 1;
  size_t completed = 0;

  if (shard) {
    const SweepPlan plan = MakePlan(set, mode);
    const RunRange range = ShardRange(plan.RunCount(), shard->Index, shard->Count);
    planned = range.End - range.First;
    Progress shardProgress(err, terminal && !options.Quiet, planned);
    Json outcomes = Json::array();
    const SweepCount done =
        RunSweep(set, plan, range, seed, threads, stop, shardProgress, [&](double x) {
          outcomes.push_back(HexText(x));
          return true;
        });
    if (done.Taken < planned) {
      err << kProgram << ": stopped; no shard file written\n";
      return kExitInterrupted;
    }
    doc["kind"] = kShardKind;
    doc["shard"] = {{"index", shard->Index}, {"count", shard->Count}};
    doc["runs"] = {{"total", plan.RunCount()}, {"first", range.First}, {"count", planned}};
    doc["extinct_runs"] = done.Extinct;
    TellExtinctRuns(err, done.Extinct, planned);
    doc["start"] = start;
    doc["end"] = platform::UtcDateTimeText();
    doc["outcomes"] = std::move(outcomes);
    WriteParams(options, params, out);
    WriteFileOrFail(InFolder(options.Out, ShardFileName(*shard)), doc.dump(1) + "\n");
    return kExitOk;
  }

  // Every file goes to a temporary folder first; they take their names together at the end.
  platform::FileGroup group(options.Out, kProgram);
  if (!group.Open()) throw CommandError{kExitFailed, group.Error()};
  auto failed = [&](const std::string& path) {
    return CommandError{kExitFailed, "cannot write " + InFolder(options.Out, path) +
                                         " completely (is the disk full?)"};
  };
  if (!IsSweep(mode)) {
    const SingleResult result = RunSingle(set, mode, group.Folder(), seed, stop);
    if (!result.Message.empty()) throw CommandError{kExitFailed, result.Message};
    completed = result.Complete ? 1 : 0;
    if (result.ExtinctAt > 0)
      err << kProgram << ": Population extinct at generation " << result.ExtinctAt << '\n';
    doc["extinct_at_generation"] = result.ExtinctAt > 0 ? Json(result.ExtinctAt) : Json(nullptr);
    doc["generations"] = result.Generations;
  } else {
    const SweepPlan plan = MakePlan(set, mode);
    planned = plan.RunCount();
    Progress sweepProgress(err, terminal && !options.Quiet, planned);
    SweepReport report(plan, set);
    if (!report.Open(group.Folder())) throw failed(ReportFileName(2));
    std::vector<double> outcomes;
    const SweepCount done =
        RunSweep(set, plan, {0, planned}, seed, threads, stop, sweepProgress, [&](double x) {
          outcomes.push_back(x);
          return report.Add(x);
        });
    completed = done.Taken;
    doc["extinct_runs"] = done.Extinct;
    TellExtinctRuns(err, done.Extinct, completed);
    if (!report.Close())
      throw failed(std::filesystem::u8path(report.FailedPath()).filename().string());
    WritePlotOrFail(options, plan, outcomes, doc);
  }
  const bool interrupted = completed < planned;
  doc["shard"] = nullptr;
  doc["runs"] = {{"total", planned}, {"completed", completed}};
  doc["status"] = interrupted ? "interrupted" : "complete";
  doc["files"] = Json(std::vector<std::string>(names.begin(), names.end() - 1));
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  if (!group.Add("run.json", doc.dump(1) + "\n")) throw CommandError{kExitFailed, group.Error()};
  CommitFiles(group, options, params, out);
  return interrupted ? kExitInterrupted : kExitOk;
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

// One shard file, read whole and checked field by field before anything is written.
struct Shard {
  std::string Path;
  Json Doc;
  size_t Index = 0;
  size_t Count = 0;
  size_t Total = 0;
  size_t First = 0;
  size_t Extinct = 0;
  std::vector<double> Outcomes;
};

Shard ReadShard(const std::string& path) {
  Shard shard;
  shard.Path = path;
  shard.Doc = ReadJson(path);
  const Json& doc = shard.Doc;
  if (!doc.is_object() || !doc.contains("kind") || doc["kind"] != kShardKind)
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
  whole(doc, "seed");
  whole(doc, "threads");
  shard.Index = whole(field(doc, "shard"), "index");
  shard.Count = whole(field(doc, "shard"), "count");
  shard.Total = whole(field(doc, "runs"), "total");
  shard.First = whole(field(doc, "runs"), "first");
  const size_t count = whole(field(doc, "runs"), "count");
  shard.Extinct = whole(doc, "extinct_runs");
  if (shard.Count < 1 || shard.Index < 1 || shard.Index > shard.Count)
    throw refused("shard index out of range");
  if (shard.Extinct > count) throw refused("more extinct runs than runs");
  const RunRange range =
      ShardRange(shard.Total, static_cast<int>(shard.Index), static_cast<int>(shard.Count));
  if (shard.First != range.First || count != range.End - range.First)
    throw refused("its runs are not those of shard " + std::to_string(shard.Index) + "/" +
                  std::to_string(shard.Count));
  const Json& outcomes = field(doc, "outcomes");
  if (!outcomes.is_array() || outcomes.size() != count)
    throw refused("it holds " + std::to_string(outcomes.is_array() ? outcomes.size() : 0) +
                  " outcomes for " + std::to_string(count) + " runs");
  for (const Json& item : outcomes) {
    double value = 0;
    // Outcomes are frequencies, written exactly as the program writes them.
    if (!item.is_string() || !ParseHex(item.get<std::string>(), value) ||
        HexText(value) != item.get<std::string>() || !(value >= 0 && value <= 1))
      throw refused("an outcome is not a frequency written as " + std::string(kProgram) +
                    " writes it");
    shard.Outcomes.push_back(value);
  }
  return shard;
}

int Merge(const Options& options, std::ostream& err) {
  const std::string start = platform::UtcDateTimeText();
  if (options.ShardFiles.empty()) throw CommandError{kExitRefused, "merge needs the shard files"};
  CheckOutFolder(options.Out);
  CheckPlot(options);
  for (const char* name : {"ReportFile2.txt", "ReportFile3.txt", "run.json"})
    CheckTarget("--out: ", InFolder(options.Out, name), false);
  std::vector<Shard> shards;
  for (const std::string& path : options.ShardFiles) shards.push_back(ReadShard(path));
  const Shard& first = shards.front();
  std::vector<const Shard*> byIndex(first.Count, nullptr);
  size_t extinct = 0;
  for (const Shard& shard : shards) {
    const Json& doc = shard.Doc;
    for (const char* key : {"version", "mode", "seed", "parameters"}) {
      // The S-K sweep draws no random numbers: its shards need no common seed.
      if (std::string_view(key) == "seed" && first.Doc["mode"] == "sk-sweep") continue;
      if (doc[key] != first.Doc[key])
        throw CommandError{kExitRefused,
                           shard.Path + " does not belong with " + first.Path + ": its " + key +
                               (std::string_view(key) == "parameters" ? " differ" : " differs")};
    }
    if (shard.Count != first.Count || shard.Total != first.Total)
      throw CommandError{kExitRefused, shard.Path + " does not belong with " + first.Path +
                                           ": another split of the sweep"};
    const Shard*& slot = byIndex[shard.Index - 1];
    if (slot)
      throw CommandError{kExitRefused, "shard " + std::to_string(shard.Index) + "/" +
                                           std::to_string(first.Count) +
                                           " given twice: " + slot->Path + " and " + shard.Path};
    slot = &shard;
    extinct += shard.Extinct;
  }
  std::string missing;
  for (size_t i = 0; i < first.Count; ++i)
    if (!byIndex[i])
      missing +=
          (missing.empty() ? "" : ", ") + std::to_string(i + 1) + "/" + std::to_string(first.Count);
  if (!missing.empty()) throw CommandError{kExitRefused, "missing shards: " + missing};

  const std::optional<RunMode> mode = ParseRunMode(first.Doc["mode"].get<std::string>());
  if (!mode || !IsSweep(*mode))
    throw CommandError{kExitRefused, first.Path + ": the shards hold no sweep"};
  std::vector<std::pair<std::string, std::string>> assignments;
  try {
    assignments = AssignmentsOf(first.Doc["parameters"]);
  } catch (const CommandError& e) {
    throw CommandError{kExitRefused, first.Path + ": " + e.Message};
  }
  const Prepared prepared = PrepareParameters(MakeParameterTable(), *mode, assignments);
  if (!prepared.Refusal.empty())
    throw CommandError{kExitRefused, first.Path + ": " + prepared.Refusal};
  // Parameters written by a shard read back as written; others were edited.
  if (!prepared.Corrections.empty() || ParametersJson(prepared.Set) != first.Doc["parameters"])
    throw CommandError{kExitRefused, first.Path + ": its parameters are not those a run of " +
                                         kProgram + " writes"};
  const SweepPlan plan = MakePlan(prepared.Set, *mode);
  const size_t total = plan.RunCount();
  if (first.Total != total)
    throw CommandError{kExitRefused, first.Path + ": its runs do not match its parameters"};
  std::vector<double> outcomes;
  outcomes.reserve(total);
  for (const Shard* shard : byIndex)
    outcomes.insert(outcomes.end(), shard->Outcomes.begin(), shard->Outcomes.end());

  MakeFolder(options.Out);
  platform::FileGroup group(options.Out, kProgram);
  if (!group.Open()) throw CommandError{kExitFailed, group.Error()};
  SweepReport report(plan, prepared.Set);
  bool ok = report.Open(group.Folder());
  for (size_t i = 0; ok && i < outcomes.size(); ++i) ok = report.Add(outcomes[i]);
  if (!report.Close() || !ok)
    throw CommandError{kExitFailed, "cannot write the reports in " + options.Out +
                                        " completely (is the disk full?)"};
  Json doc = CommandJson(*mode, prepared.Set, first.Doc["seed"].get<uint64_t>(), 0);
  doc.erase("threads");
  doc["shard"] = nullptr;
  doc["merged"] = Json::array();
  for (const Shard* shard : byIndex)
    doc["merged"].push_back({{"file", shard->Path},
                             {"threads", shard->Doc["threads"]},
                             {"start", shard->Doc["start"]},
                             {"end", shard->Doc["end"]}});
  doc["runs"] = {{"total", total}, {"completed", total}};
  doc["extinct_runs"] = extinct;
  doc["status"] = "complete";
  doc["files"] = Json::array();
  for (int n : ReportFilesOf(*mode)) doc["files"].push_back(ReportFileName(n));
  WritePlotOrFail(options, plan, outcomes, doc);
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  if (!group.Add("run.json", doc.dump(1) + "\n")) throw CommandError{kExitFailed, group.Error()};
  if (!group.Commit("run.json")) throw CommandError{kExitFailed, group.Error()};
  TellExtinctRuns(err, extinct, total);
  return kExitOk;
}

void AddPlotOption(CLI::App& command, Options& options) {
  command
      .add_option("--plot", options.Plot,
                  "Draw the results as the window shows them to FILE.svg, .png or .pdf")
      ->type_name("FILE");
}

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop, bool terminal) {
  CLI::App app{
      "Runs quorvel's simulations without a window: a single run with N infinite or finite, "
      "the sweep over S and K, or the sweep over Log10(N), with reproducible seeds, every "
      "core, and shards for a cluster.",
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
    sub->add_option("--set", options.Sets, "NAME=VALUE: a parameter (see --list); repeatable")
        ->type_name("NAME=VALUE");
    sub->add_option("--params", options.ParamsFile,
                    "TOML file of parameters (same names; --set wins)");
    sub->add_option("--write-params", options.WriteParams,
                    "Write the complete, validated parameters of the run to this TOML file");
    sub->add_option("--seed", options.Seed,
                    "Seed (unsigned 64-bit); default: drawn from the system, printed and stored");
    sub->add_option("--threads", options.Threads, "Threads for a sweep (default: every core)");
    sub->add_option("--shard", options.Shard,
                    "i/n: run only the i-th of n parts of a sweep and write a shard file");
    sub->add_option("--out", options.Out, "Folder of the output files (created if missing)")
        ->capture_default_str();
    sub->add_flag("--quiet", options.Quiet, "No progress display");
    AddPlotOption(*sub, options);
    modes.emplace_back(mode, sub);
  }
  CLI::App* merge =
      app.add_subcommand("merge", "Merge the shard files of one sweep into its reports");
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
    if (merge->parsed()) return Merge(options, err);
    for (const auto& [mode, sub] : modes)
      if (sub->parsed()) return RunMode_(mode, options, out, err, stop, terminal);
    err << kUsage << kProgram << ": a run mode, merge or --list is needed (see --help)\n";
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
