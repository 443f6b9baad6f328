#include "tessaline/batch/batch.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app_version.h"
#include "common/nearest_word.h"
#include "common/number_text.h"
#include "common/recording_surface.h"
#include "platform/system/files.h"
#include "tessaline/core/catalogue.h"
#include "tessaline/core/plotted_table.h"
#include "tessaline/core/plotting.h"
#include "tessaline/core/program.h"
#include "tessaline/core/simulations.h"
#include "tessaline/core/validation.h"

namespace tessaline::batch {
namespace {

constexpr const char* kProgram = "tessaline-batch";
constexpr const char* kUsage =
    "usage: tessaline-batch --sim SIMULATION [--set NAME=VALUE]... [--out FILE|-]\n"
    "       tessaline-batch --list [--sim SIMULATION] | --help | --version\n";

// The run's messages (a file that cannot be written, a run that stopped) go to stderr.
class ErrorSink : public common::MessageSink {
 public:
  explicit ErrorSink(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string& text) override { err_ << kProgram << ": " << text << '\n'; }

 private:
  std::ostream& err_;
};

// A command line that cannot be run; the message names what was refused.
struct Refusal {
  std::string message;
};

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// A text as a value box reads it: a comma stands for the point.
std::string BoxText(std::string text) {
  if (const size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
  return text;
}

// Whether a text, read as a value box reads it (blanks skipped), is a number and nothing
// more: a text without one would silently become a bound, and trailing text would silently
// be dropped.
bool IsNumber(const std::string& typed) {
  const std::string text = BoxText(typed);
  std::string packed;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') packed += c;
  size_t i = 0;
  auto digits = [&packed, &i] {
    const size_t from = i;
    while (i < packed.size() && std::isdigit(static_cast<unsigned char>(packed[i]))) ++i;
    return i > from;
  };
  auto sign = [&packed, &i] {
    if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) ++i;
  };
  sign();
  bool mantissa = digits();
  if (i < packed.size() && packed[i] == '.') {
    ++i;
    mantissa = digits() || mantissa;
  }
  if (!mantissa) return false;
  if (i < packed.size() && std::string_view("EeDd").find(packed[i]) != std::string_view::npos) {
    ++i;
    sign();
    if (!digits()) return false;
  }
  return i == packed.size();
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const RowDescription* FindRow(const std::vector<RowDescription>& rows, std::string_view name) {
  for (const RowDescription& row : rows)
    if (name == row.name || name == row.alias) return &row;
  return nullptr;
}

const Simulation& ChooseSimulation(std::string_view name) {
  if (const Simulation* simulation = FindSimulationByName(name)) return *simulation;
  std::vector<std::string> names;
  for (const Simulation& s : Simulations()) names.push_back(s.name);
  throw Refusal{"unknown simulation " + Quoted(name) + "; did you mean " +
                Quoted(common::NearestWord(name, names)) +
                "? (spreading, velocity or senescence, or 1, 2, 3)"};
}

Refusal UnknownRow(const Simulation& simulation, const std::vector<RowDescription>& rows,
                   std::string_view name) {
  for (const Simulation& other : Simulations()) {
    if (&other == &simulation) continue;
    const std::vector<RowDescription> otherRows = GridRows(other);
    const RowDescription* there = FindRow(otherRows, name);
    if (!there) continue;
    std::string message =
        Quoted(name) + " is a parameter of " + other.name + ", not of " + simulation.name;
    // Rows every simulation has keep their place under another name ("Number of time
    // units" where the others count generations).
    if (there->row <= static_cast<int>(CommonRows().size()))
      return {message + "; did you mean " +
              Quoted(rows.at(static_cast<size_t>(there->row - 1)).name) + "?"};
    return {message + " (see --list --sim " + simulation.name + ")"};
  }
  std::vector<std::string> candidates;
  for (const RowDescription& row : rows) {
    candidates.push_back(row.name);
    candidates.push_back(row.alias);
  }
  return {"unknown parameter " + Quoted(name) + " for " + simulation.name + "; did you mean " +
          Quoted(common::NearestWord(name, candidates)) + "?"};
}

struct Setting {
  RowDescription row;
  std::string value;
};

// Every --set is checked before anything is written, so that a refusal touches nothing.
std::vector<Setting> ReadSettings(const Simulation& simulation,
                                  const std::vector<std::string>& sets) {
  const std::vector<RowDescription> rows = GridRows(simulation);
  std::vector<Setting> settings;
  for (const std::string& set : sets) {
    const size_t equals = set.find('=');
    if (equals == std::string::npos) throw Refusal{"--set expects NAME=VALUE, not " + Quoted(set)};
    const std::string name = Trimmed(std::string_view(set).substr(0, equals));
    const std::string value = set.substr(equals + 1);
    const RowDescription* row = FindRow(rows, name);
    if (!row) throw UnknownRow(simulation, rows, name);
    if (std::string_view(row->minimum) == "-")
      throw Refusal{std::string(row->name) + " is fixed at " + row->value + " in " +
                    simulation.name + " and cannot be set"};
    if (Trimmed(value).empty()) throw Refusal{std::string(row->name) + ": no value given"};
    if (!IsNumber(value))
      throw Refusal{std::string(row->name) + ": " + Quoted(value) + " is not a number"};
    settings.push_back({*row, value});
  }
  return settings;
}

// One line per row: name, short name, preset, bounds, meaning, in aligned columns.
void ListRows(const Simulation& simulation, const std::string& indent, std::ostream& out) {
  const std::vector<RowDescription> rows = GridRows(simulation);
  auto bounds = [](const RowDescription& row) {
    return std::string_view(row.minimum) == "-" ? std::string("fixed")
                                                : std::string(row.minimum) + " to " + row.maximum;
  };
  size_t name = 0, alias = 0, value = 0, range = 0;
  for (const RowDescription& row : rows) {
    name = std::max(name, std::string_view(row.name).size());
    alias = std::max(alias, std::string_view(row.alias).size());
    value = std::max(value, std::string_view(row.value).size());
    range = std::max(range, bounds(row).size());
  }
  auto column = [&out](std::string_view text, size_t width) {
    out << text << std::string(width - text.size() + 2, ' ');
  };
  for (const RowDescription& row : rows) {
    out << indent;
    column(row.name, name);
    column(row.alias, alias);
    column(row.value, value);
    column(bounds(row), range);
    out << row.meaning << '\n';
  }
}

void List(const Simulation* chosen, std::ostream& out) {
  if (chosen) return ListRows(*chosen, "", out);
  for (const Simulation& s : Simulations()) {
    out << s.name << " (--sim " << s.number << "): " << s.title << '\n';
    ListRows(s, "  ", out);
  }
}

// Types each value into its row and leaves the box, as a user of the window would;
// every change the validation makes is reported.
void Enter(const Simulation& simulation, const std::vector<Setting>& settings,
           FormControls& controls, std::ostream& err) {
  for (const Setting& setting : settings) {
    controls.SetValue(setting.row.row, setting.value);
    const Validation v = ValidateValue(controls, setting.row.row);
    // Only a changed number is a correction, not the same number written anew (5.0, .5).
    if (v.correction != Correction::None &&
        common::ParseLeadingNumber(BoxText(v.typed)) != common::ParseLeadingNumber(v.result))
      err << setting.row.name << ": " << v.typed << " -> " << v.result << " ("
          << Describe(v.correction) << ")\n";
    const RowDescription* rewritten = simulation.rewrittenEachRun;
    if (rewritten && rewritten->row == setting.row.row && v.result != rewritten->value)
      err << setting.row.name << ": " << v.result << " -> " << rewritten->value << " ("
          << simulation.name << " always draws " << rewritten->value << ")\n";
  }
}

// Runs the simulation with the rows given and writes its files; refusals are thrown.
int Run(const Simulation& simulation, const std::vector<std::string>& sets,
        const std::string& outPath, const std::string& csvPath, std::ostream& out,
        std::ostream& err) {
  const std::vector<Setting> settings = ReadSettings(simulation, sets);
  // Standard output takes the file once it is complete: it is written beside a temporary
  // name first.
  const bool toStandardOutput = platform::IsStandardOutput(outPath);
  if (!toStandardOutput && !outPath.empty() &&
      platform::CheckFile(outPath) == platform::FileCheck::Error) {
    const std::string refusal = platform::TargetRefusal(outPath);
    throw Refusal{"--out: " + (refusal.empty() ? outPath + " cannot be examined" : refusal)};
  }
  const std::string fileName =
      toStandardOutput
          ? platform::JoinPath(std::filesystem::temp_directory_path().string(),
                               platform::TemporaryName(std::string(".") + kProgram + "."))
          : outPath;

  MemoryControls controls;
  FillGrid(controls, simulation);
  controls.SetOutputFileName(fileName);
  Enter(simulation, settings, controls, err);

  ErrorSink messages(err);
  common::NullSurface surface(kPictureWidth, kPictureHeight);
  Program program(controls, surface, messages, OutputMode::Replace);
  const RunOutcome outcome = program.Execute_Click();
  const bool failed = program.OutputFailed() || outcome == RunOutcome::Stopped;
  if (toStandardOutput) {
    if (!failed) out << ReadWhole(fileName) << std::flush;
    platform::DeleteFile(fileName);
    if (!out) return kFailed;
  }
  if (failed) return kFailed;
  if (!csvPath.empty() &&
      !platform::WriteWholeFile(
          csvPath, platform::TidyCsvText(TidyPlottedTable(controls, program.Points())), nullptr)) {
    err << kProgram << ": cannot write " << csvPath << '\n';
    return kFailed;
  }
  return kDone;
}

}  // namespace

int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Runs one of tessaline's simulations without a window. The grid takes the simulation's "
      "presets, the rows given with --set are validated as the window validates them "
      "(corrections are reported on stderr), and every plotted point goes to the output "
      "file, byte for byte as the window writes it.",
      kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + app::kVersion);
  std::string simulationName;
  std::vector<std::string> sets;
  std::string outPath = DefaultOutputFileName();
  bool list = false;
  app.add_option("--sim", simulationName,
                 "the simulation: spreading, velocity or senescence (or 1, 2, 3)");
  app.add_option("--set", sets,
                 "a grid row by its name or short name, as NAME=VALUE; may be repeated")
      ->type_name("NAME=VALUE");
  app.add_option("--out", outPath,
                 "the output file; - writes to standard output, an empty name writes none")
      ->capture_default_str();
  std::string csvPath;
  app.add_option("--csv", csvPath,
                 "also write the plotted points as a CSV table: simulation, curve, x, y")
      ->type_name("FILE");
  app.add_flag("--list", list,
               "list the rows of the simulation (or of all three): name, short name, preset, "
               "bounds, meaning");
  app.footer(
      "Example:\n"
      "  tessaline-batch --sim velocity --set ml1=0.5 --set \"Number of time units=800\" "
      "--out velocity.txt --csv velocity.csv\n"
      "Exit status: 0 done; 1 the output file could not be written (nothing half-written is "
      "left) or the run stopped; 2 the command line was refused (nothing was touched); 130 "
      "ended by a signal (Ctrl+C, SIGTERM, SIGHUP) after the run, its file whole.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kDone;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return kDone;
  } catch (const CLI::ParseError& e) {
    err << kUsage << kProgram << ": " << e.what() << '\n';
    return kRefused;
  }

  try {
    const Simulation* simulation =
        simulationName.empty() ? nullptr : &ChooseSimulation(simulationName);
    if (list) {
      List(simulation, out);
      return kDone;
    }
    if (!simulation) {
      err << kUsage;
      throw Refusal{"choose a simulation with --sim spreading, velocity or senescence"};
    }
    return Run(*simulation, sets, outPath, csvPath, out, err);
  } catch (const Refusal& refusal) {
    err << kProgram << ": " << refusal.message << '\n';
    return kRefused;
  }
}

}  // namespace tessaline::batch
