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

struct Options {
  std::vector<std::string> Sets;
  std::string ParamsFile;
  std::string WriteParams;
  std::string Out = ".";
  std::optional<uint64_t> Seed;
  unsigned Threads = 0;
  std::string Shard;
  bool Quiet = false;
  std::string Plot;                     // the chart of a sweep's results
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

// Writes a whole file or nothing: the text goes to a file beside it, which then takes its
// name.
bool WriteWholeFile(const std::string& path, const std::string& text) {
  namespace fs = std::filesystem;
  const fs::path target = fs::u8path(path);
  fs::path part = target;
  part += ".part";
  {
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file << text;
    file.close();
    if (!file) {
      std::error_code ec;
      fs::remove(part, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::remove(target, ec);
  fs::rename(part, target, ec);
  if (ec) {
    fs::remove(part, ec);
    return false;
  }
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

// The parameters of a command: the parameter file, then every --set, then the window's
// rules; corrections reported, refusals thrown.
Prepared ReadParameters(const Options& options, RunMode mode, std::ostream& err) {
  std::vector<std::pair<std::string, std::string>> assignments;
  if (!options.ParamsFile.empty()) {
    // The command names the run mode; a mode in the file (one the window saved) is not
    // needed.
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

void WriteFileOrFail(const std::string& path, const std::string& text) {
  if (!WriteWholeFile(path, text)) throw CommandError{kExitFailed, "cannot write " + path};
}

// Refuses a chart that cannot be written before any file is touched.
void CheckPlot(const Options& options) {
  if (options.Plot.empty()) return;
  const std::string refusal = PlotRefusal(options.Plot);
  if (!refusal.empty()) throw CommandError{kExitRefused, refusal};
}

void WritePlotOrFail(const Options& options, const SweepPlan& plan,
                     const std::vector<double>& outcomes, Json& doc) {
  if (options.Plot.empty()) return;
  const std::string failure = WritePlot(SweepRecord(plan, outcomes), options.Plot);
  if (!failure.empty()) throw CommandError{kExitFailed, failure};
  doc["plot"] = options.Plot;
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

int RunMode_(RunMode mode, const Options& options, std::ostream& err, const std::atomic<bool>& stop,
             bool terminal) {
  const std::string start = platform::UtcDateTimeText();
  const Prepared prepared = ReadParameters(options, mode, err);
  const ParameterValues& set = prepared.Set;
  {
    const std::string refusal = RunContext(set, mode).CheckStartFrequencies();
    if (!refusal.empty())
      throw CommandError{kExitRefused, refusal + " (ab + Ab + aB + AB must total 1)"};
  }
  if (!options.Plot.empty() && !IsSweep(mode))
    throw CommandError{kExitRefused,
                       "--plot draws a sweep's results: use it with sk-sweep, n-sweep or merge"};
  std::optional<ShardSpec> shard;
  if (!options.Shard.empty()) {
    if (!IsSweep(mode))
      throw CommandError{kExitRefused, "--shard splits a sweep: use it with sk-sweep or n-sweep"};
    shard = ParseShard(options.Shard);
    if (!options.Plot.empty())
      throw CommandError{kExitRefused, "--plot draws a whole sweep: use it with merge"};
    // Shards drawing their own seeds would not make one sweep.
    if (mode == RunMode::NSweep && !options.Seed)
      throw CommandError{kExitRefused, "--shard needs --seed, the same for every shard"};
  }
  CheckPlot(options);
  uint64_t seed;
  if (options.Seed) {
    seed = *options.Seed;
  } else {
    seed = SeedFromEntropy();
    err << "seed: " << seed << '\n';
  }
  const unsigned threads = options.Threads > 0 ? options.Threads : DefaultThreadCount();

  MakeFolder(options.Out);
  if (!options.WriteParams.empty())
    WriteFileOrFail(options.WriteParams, ParameterFileText(set, mode));

  Json doc = CommandJson(mode, set, seed, threads);
  std::vector<std::string> files;
  size_t planned = 1;
  size_t completed = 0;

  if (!IsSweep(mode)) {
    const SingleResult result = RunSingle(set, mode, options.Out, seed);
    if (!result.Message.empty()) throw CommandError{kExitFailed, result.Message};
    completed = 1;
    if (result.ExtinctAt > 0)
      err << kProgram << ": Population extinct at generation " << result.ExtinctAt << '\n';
    doc["extinct_at_generation"] = result.ExtinctAt > 0 ? Json(result.ExtinctAt) : Json(nullptr);
    for (int n : ReportFilesOf(mode)) files.push_back(ReportFileName(n));
  } else {
    const SweepPlan plan = MakePlan(set, mode);
    if (shard) {
      const RunRange range = ShardRange(plan.RunCount(), shard->Index, shard->Count);
      planned = range.End - range.First;
      Progress shardProgress(err, terminal && !options.Quiet, planned);
      Json outcomes = Json::array();
      const SweepCount done =
          RunSweep(set, plan, range, seed, threads, stop, shardProgress, [&](double x) {
            outcomes.push_back(HexText(x));
            return true;
          });
      completed = done.Taken;
      if (completed < planned) {
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
      WriteFileOrFail(InFolder(options.Out, ShardFileName(*shard)), doc.dump(1) + "\n");
      return kExitOk;
    }
    planned = plan.RunCount();
    Progress sweepProgress(err, terminal && !options.Quiet, planned);
    SweepReport report(plan, set);
    if (!report.Open(options.Out)) {
      report.Discard();
      throw CommandError{kExitFailed, "cannot write " + report.FailedPath()};
    }
    std::vector<double> outcomes;
    const SweepCount done =
        RunSweep(set, plan, {0, planned}, seed, threads, stop, sweepProgress, [&](double x) {
          outcomes.push_back(x);
          return report.Add(x);
        });
    completed = done.Taken;
    doc["extinct_runs"] = done.Extinct;
    TellExtinctRuns(err, done.Extinct, completed);
    if (!report.Close()) {
      report.Discard();
      throw CommandError{kExitFailed, "cannot write " + report.FailedPath()};
    }
    for (int n : ReportFilesOf(mode)) files.push_back(ReportFileName(n));
    WritePlotOrFail(options, plan, outcomes, doc);
  }
  const bool interrupted = stop && completed < planned;
  doc["shard"] = nullptr;
  doc["runs"] = {{"total", planned}, {"completed", completed}};
  doc["status"] = interrupted ? "interrupted" : "complete";
  doc["files"] = files;
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  WriteFileOrFail(InFolder(options.Out, "run.json"), doc.dump(1) + "\n");
  return stop ? kExitInterrupted : kExitOk;
}

Json ReadJson(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
  if (!file) throw CommandError{kExitRefused, "cannot read the shard file " + path};
  try {
    return Json::parse(file);
  } catch (const Json::exception& e) {
    throw CommandError{kExitRefused, path + " is not a shard file: " + e.what()};
  }
}

int Merge(const Options& options, std::ostream& err) {
  const std::string start = platform::UtcDateTimeText();
  if (options.ShardFiles.empty()) throw CommandError{kExitRefused, "merge needs the shard files"};
  CheckPlot(options);
  struct Shard {
    std::string Path;
    Json Doc;
  };
  std::vector<Shard> shards;
  for (const std::string& path : options.ShardFiles) {
    Json doc = ReadJson(path);
    if (!doc.is_object() || doc.value("kind", "") != kShardKind)
      throw CommandError{kExitRefused, path + " is not a shard file of " + kProgram};
    shards.push_back({path, std::move(doc)});
  }
  const Json& first = shards.front().Doc;
  int count = 0;
  size_t extinct = 0;
  std::vector<const Shard*> byIndex;
  try {
    count = first.at("shard").at("count").get<int>();
    if (count < 1) throw CommandError{kExitRefused, shards.front().Path + ": no shard count"};
    byIndex.assign(static_cast<size_t>(count), nullptr);
    for (const Shard& shard : shards) {
      const Json& doc = shard.Doc;
      for (const char* key : {"version", "mode", "seed", "parameters"}) {
        // The S-K sweep draws no random numbers: its shards need no common seed.
        if (std::string_view(key) == "seed" && first.at("mode") == "sk-sweep") continue;
        if (doc.at(key) != first.at(key))
          throw CommandError{kExitRefused, shard.Path + " does not belong with " +
                                               shards.front().Path + ": its " + key + " differs"};
      }
      if (doc.at("shard").at("count") != first.at("shard").at("count") ||
          doc.at("runs").at("total") != first.at("runs").at("total"))
        throw CommandError{kExitRefused, shard.Path + " does not belong with " +
                                             shards.front().Path + ": another split of the sweep"};
      const int index = doc.at("shard").at("index").get<int>();
      if (index < 1 || index > count)
        throw CommandError{kExitRefused, shard.Path + ": shard index out of range"};
      const Shard*& slot = byIndex[static_cast<size_t>(index - 1)];
      if (slot)
        throw CommandError{kExitRefused, "shard " + std::to_string(index) + "/" +
                                             std::to_string(count) + " given twice: " + slot->Path +
                                             " and " + shard.Path};
      slot = &shard;
      extinct += doc.at("extinct_runs").get<size_t>();
    }
  } catch (const Json::exception& e) {
    throw CommandError{kExitRefused, std::string("a shard file is incomplete: ") + e.what()};
  }
  std::string missing;
  for (int i = 0; i < count; ++i)
    if (!byIndex[static_cast<size_t>(i)])
      missing +=
          (missing.empty() ? "" : ", ") + std::to_string(i + 1) + "/" + std::to_string(count);
  if (!missing.empty()) throw CommandError{kExitRefused, "missing shards: " + missing};

  const std::optional<RunMode> mode = ParseRunMode(first.value("mode", ""));
  if (!mode || !IsSweep(*mode)) throw CommandError{kExitRefused, "the shards hold no sweep"};
  const Prepared prepared =
      PrepareParameters(MakeParameterTable(), *mode, AssignmentsOf(first.at("parameters")));
  if (!prepared.Refusal.empty()) throw CommandError{kExitRefused, prepared.Refusal};
  const SweepPlan plan = MakePlan(prepared.Set, *mode);
  const size_t total = plan.RunCount();
  if (first.at("runs").at("total").get<size_t>() != total)
    throw CommandError{kExitRefused, "the shards do not match their parameters"};

  std::vector<double> outcomes;
  outcomes.reserve(total);
  for (int i = 1; i <= count; ++i) {
    const Shard& shard = *byIndex[static_cast<size_t>(i - 1)];
    const RunRange range = ShardRange(total, i, count);
    const Json& list = shard.Doc.at("outcomes");
    if (!list.is_array() || list.size() != range.End - range.First ||
        shard.Doc.at("runs").value("first", SIZE_MAX) != range.First)
      throw CommandError{kExitRefused, shard.Path + ": its runs are not those of shard " +
                                           std::to_string(i) + "/" + std::to_string(count)};
    for (const Json& item : list) {
      double value = 0;
      if (!item.is_string() || !ParseHex(item.get<std::string>(), value))
        throw CommandError{kExitRefused, shard.Path + ": an outcome is not a hexadecimal number"};
      outcomes.push_back(value);
    }
  }

  MakeFolder(options.Out);
  SweepReport report(plan, prepared.Set);
  bool ok = report.Open(options.Out);
  for (size_t i = 0; ok && i < outcomes.size(); ++i) ok = report.Add(outcomes[i]);
  if (!report.Close() || !ok) {
    report.Discard();
    throw CommandError{kExitFailed, "cannot write " + report.FailedPath()};
  }
  Json doc = CommandJson(*mode, prepared.Set, first.at("seed").get<uint64_t>(), 0);
  doc.erase("threads");
  doc["shard"] = nullptr;
  doc["merged"] = Json::array();
  for (int i = 0; i < count; ++i) {
    const Json& s = byIndex[static_cast<size_t>(i)]->Doc;
    doc["merged"].push_back({{"file", byIndex[static_cast<size_t>(i)]->Path},
                             {"threads", s.value("threads", 0)},
                             {"start", s.value("start", "")},
                             {"end", s.value("end", "")}});
  }
  doc["runs"] = {{"total", total}, {"completed", total}};
  doc["extinct_runs"] = extinct;
  doc["status"] = "complete";
  doc["files"] = Json::array();
  for (int n : ReportFilesOf(*mode)) doc["files"].push_back(ReportFileName(n));
  WritePlotOrFail(options, plan, outcomes, doc);
  doc["start"] = start;
  doc["end"] = platform::UtcDateTimeText();
  WriteFileOrFail(InFolder(options.Out, "run.json"), doc.dump(1) + "\n");
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
  AddPlotOption(*merge, options);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    // Help and version end well; anything else is a refusal.
    const int status = app.exit(e, out, err);
    return status == 0 ? kExitOk : kExitRefused;
  }

  try {
    if (list) {
      out << ListText(MakeParameterTable());
      return kExitOk;
    }
    if (merge->parsed()) return Merge(options, err);
    for (const auto& [mode, sub] : modes)
      if (sub->parsed()) return RunMode_(mode, options, err, stop, terminal);
    out << app.help();
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
