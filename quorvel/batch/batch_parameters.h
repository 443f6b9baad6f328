// The parameters of a batch command by the short names of the window's controls: the
// entries (u, w, S, K, ...) and the check boxes and loci (switches). A command's values
// pass through the window's own validation rules, so a batch run sees exactly what the
// window would show after the same typing; every change the rules make is reported, and
// what the window could never run (a missing essential value, a text that is not a number,
// an unknown name) is refused with a message naming the parameter.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvel/params/parameter_set.h"
#include "quorvel/params/parameters.h"
#include "quorvel/run/run_state.h"

namespace quorvel::batch {

// The four run modes, in the order of the window's run-mode buttons.
enum class RunMode { Single = 0, SingleFinite = 1, SkSweep = 2, NSweep = 3 };
std::optional<RunMode> ParseRunMode(std::string_view name);
const char* RunModeName(RunMode mode);
inline int RunModeOption(RunMode mode) {
  return static_cast<int>(mode);
}
inline bool IsSweep(RunMode mode) {
  return mode == RunMode::SkSweep || mode == RunMode::NSweep;
}

enum class Switch {
  Loci,
  Ld,
  InterdemicDiffusion,
  Inversion,
  Sinusoidal,
  TotalStochasticity,
  Recombination,
  Drift
};

// One name: an entry (Entry >= 0) or a switch.
struct ParameterName {
  const char* Name;
  int Entry;  // -1 for a switch
  Switch Which;
  const char* Meaning;
};
// Every name, in the order of --list and of the parameter files written.
const std::vector<ParameterName>& ParameterNames();
const ParameterName* FindName(std::string_view name);
// The valid name nearest to an unknown one (edit distance), for "did you mean".
std::string NearestName(std::string_view name);

// What a run reads: the texts of the entries and the check boxes.
struct ParameterSet {
  std::array<std::string, kEntryCount> Entries;
  CheckBoxes Checks;
  int Loci = 2;
};

// The window's state after start-up and after choosing the run mode.
ParameterSet StartUpSet(const ParameterTable& table, RunMode mode);

// The text of a name in a set: the entry text, "on"/"off", or the number of loci.
std::string ValueText(const ParameterSet& set, const ParameterName& name);

// One change made by the rules: "K: 1.5 -> 1.4 (upper bound)".
struct Correction {
  std::string Name;
  std::string From;
  std::string To;
  std::string Reason;
  std::string Text() const { return Name + ": " + From + " -> " + To + " (" + Reason + ")"; }
};

struct Prepared {
  ParameterSet Set;
  std::vector<Correction> Corrections;
  std::string Refusal;  // empty when the values can run
};

// Applies the assignments (name, value text) in order to the start-up set of the mode,
// then the window's validation pass. Refuses unknown names, switch values other than
// on/off (2/3 for loci), entries that are not numbers and empty essential entries.
Prepared PrepareParameters(const ParameterTable& table, RunMode mode,
                           const std::vector<std::pair<std::string, std::string>>& assignments);

// The assignments of a TOML parameter file (keys are the names above). False with a
// message when the file cannot be read or parsed or holds a value of another kind.
bool ReadParameterFile(const std::string& path,
                       std::vector<std::pair<std::string, std::string>>& assignments,
                       std::string& message);

// The complete set as a TOML parameter file that ReadParameterFile reads back to the
// same values.
std::string ParameterFileText(const ParameterSet& set);

// One line per name: name, default, bounds and meaning.
std::string ListText(const ParameterTable& table);

}  // namespace quorvel::batch
