// Parameter files: every entry, check box, the number of loci and the run mode under the
// short names of the window's controls (u, w, S, K, ..., loci, drift, mode), as TOML. The
// batch program reads and writes them for its commands, the window opens and saves them;
// both read the same names, so a set moves freely between them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvel/params/parameter_set.h"
#include "quorvel/params/run_mode.h"

namespace quorvel {

// The valid name nearest to an unknown one (edit distance), for "did you mean".
std::string NearestName(std::string_view name);
// The key of the run mode in a parameter file; its value is a RunModeName.
inline constexpr const char* kModeKey = "mode";

// What a run reads: the texts of the entries, the check boxes and the number of loci.
struct ParameterValues {
  std::array<std::string, kBoxNumbers> Entries;  // by box number; only the entries are used
  CheckBoxes Checks;
  int Loci = 2;
  friend bool operator==(const ParameterValues&, const ParameterValues&) = default;
};

// The check box of a switch.
CheckValue& SwitchValue(ParameterValues& values, const ParameterRow& row);
// The text of a parameter in a set: the entry text, "on"/"off", or the number of loci.
std::string ValueText(const ParameterValues& values, const ParameterRow& row);

// The [study] table of a parameter file: what a study varies ("NAME=FROM:TO:STEP" or
// "NAME=V1,V2,..."), its replicates, its population and its seed when one was given.
struct StudyTable {
  std::vector<std::string> Vary;
  int Replicates = 1;
  bool Finite = false;
  std::optional<uint64_t> Seed;
  friend bool operator==(const StudyTable&, const StudyTable&) = default;
};
inline constexpr const char* kStudyKey = "study";
// The table as a parameter file holds it, its heading first.
std::string StudyTableText(const StudyTable& study);

// A parameter file as read: the run mode when it names one, the [study] table when there is
// one, and every other key with its value as text (numbers in their shortest form,
// true/false as on/off), in key order.
struct ParameterFile {
  std::optional<RunMode> Mode;
  std::optional<StudyTable> Study;
  std::vector<std::pair<std::string, std::string>> Assignments;
};
// Parses the text of a parameter file; false with a message (naming `source`) when it is
// not TOML, holds a value of another kind or a run mode that does not exist.
bool ParseParameterText(std::string_view text, const std::string& source, ParameterFile& file,
                        std::string& message);
// The same for a file on disk.
bool ReadParameterFile(const std::string& path, ParameterFile& file, std::string& message);

// The complete set as a parameter file that ParseParameterText reads back to the same
// values; the run mode first when given.
std::string ParameterFileText(const ParameterValues& values,
                              std::optional<RunMode> mode = std::nullopt);

}  // namespace quorvel
