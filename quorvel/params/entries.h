// The vocabulary of quorvel's parameters, stated once: the numbers of the window's text
// boxes (its txt(i)), the check boxes, and one row per parameter and per switch holding
// its batch/TOML name, caption, bounds, start text or value, kind and meaning. The window,
// the validation pass, the parameter files and the batch program all read these rows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvel {

enum Entry : int {
  kEntryU = 0,  // forward mutation rate u
  kEntryW = 1,  // back mutation rate w
  kEntryS = 2,  // selection coefficient S
  kEntryK = 3,  // epistasis K
  // Start frequencies of the alleles a, b and c (c only with three loci).
  kEntryStartA = 4,
  kEntryStartB = 5,
  kEntryStartC = 6,
  kEntryZ = 7,           // fraction z of R- carriers that recombine
  kEntryIterations = 8,  // runs per Log10(N) value of the N sweep
  kEntryLog10N = 9,      // Log10(N) of a single run with N finite
  kEntryDemes = 10,
  kEntryDiffusion = 11,
  kEntryInversionPeriod = 12,
  // Start frequencies of the haplotypes ab, Ab, aB and AB (linkage disequilibrium).
  kEntryHaplotypeAb = 13,
  kEntryHaplotypeCapAb = 14,
  kEntryHaplotypeACapB = 15,
  kEntryHaplotypeCapACapB = 16,
  kEntryMaxGen = 17,
  kEntryLoopFrom = 18,  // first and last Log10(N) of the N sweep
  kEntryLoopTo = 19,
  kEntryStartRPlus = 20,
  // Displays of the haplotype start state: linkage disequilibrium D and the total.
  kShowD = 21,
  kShowTotal = 22,
  kEntryFolder = 30,  // folder of the report files
  // Progress displays of the sweeps.
  kShowS = 37,
  kShowK = 38,
  kShowLog10N = 39,
  kShowIteration = 40,
};

// Room for every box number, 0 to 40 (not every number has a box).
inline constexpr int kBoxNumbers = 41;

// A check box's value: 0 clear, 1 ticked, 2 greyed. Only 1 switches a step on.
using CheckValue = int16_t;

struct CheckBoxes {
  CheckValue InterdemicDiffusion = 0;  // follows the number of demes (validation pass)
  CheckValue InversionOfS = 0;
  CheckValue SinusoidalOption = 0;
  CheckValue TotalStochasticity = 0;
  CheckValue RecombForR = 0;
  CheckValue GeneticDrift = 0;
  CheckValue LinkageDisequilibrium = 0;
  friend bool operator==(const CheckBoxes&, const CheckBoxes&) = default;
};

// How a value is typed and cleaned: an entry rounded by the validation pass (not at all,
// down to a whole number, or to a half step), a check box (on/off), or the number of loci.
enum class ParameterKind { Real, Whole, Half, Switch, Loci };

struct ParameterRow {
  const char* Name;  // in --set, --list and parameter files
  ParameterKind Kind;
  int Entry = -1;       // the box of an entry; -1 for a switch and the loci
  const char* Caption;  // beside the box, or of the check box; "" where the window shows none
  float Min = 0;        // bounds of an entry, held in single precision as designed
  float Max = 0;
  float Default = 0;  // an entry's start value, unless it has a fixed start text
  const char* Start;  // a fixed start text, or nullptr
  CheckValue CheckBoxes::*Box = nullptr;  // the check box of a switch
  CheckValue StartValue = 0;              // a switch's value after start-up
  bool FollowsRunMode = false;            // the run mode sets the switch (RunModeDrift)
  const char* Meaning;                    // what --list says of it
  const char* TableName;  // its name in exported tables where the caption does not serve

  constexpr bool IsEntry() const { return Entry >= 0; }
  // The default is written at start-up; the others keep their fixed start texts.
  constexpr bool HasDefault() const { return IsEntry() && Start == nullptr; }
  constexpr const char* ShownName() const { return TableName ? TableName : Caption; }
};

constexpr ParameterRow EntryRow(int entry, const char* name, ParameterKind kind,
                                const char* caption, float min, float max, float start,
                                const char* meaning, const char* tableName = nullptr) {
  return {name,    kind,    entry, caption, min,     max,      start,
          nullptr, nullptr, 0,     false,   meaning, tableName};
}
constexpr ParameterRow FixedStartRow(int entry, const char* name, ParameterKind kind,
                                     const char* caption, float min, float max, const char* start,
                                     const char* meaning, const char* tableName = nullptr) {
  return {name, kind, entry, caption, min, max, 0, start, nullptr, 0, false, meaning, tableName};
}
constexpr ParameterRow SwitchRow(CheckValue CheckBoxes::*box, const char* name, const char* caption,
                                 CheckValue start, const char* meaning,
                                 const char* tableName = nullptr, bool followsRunMode = false) {
  return {name,  ParameterKind::Switch, -1,      caption,  0, 0, 0, nullptr, box,
          start, followsRunMode,        meaning, tableName};
}

namespace rows_detail {
using enum ParameterKind;

// Every parameter and switch, in the order of --list and of the parameter files written.
// Entry 8 has the minimum 2 although its caption says 1: a standard deviation needs two
// runs. The N sweep's bounds (18, 19) stand in a run mode's caption and have none of their
// own; the diffusion's and the inversion period's captions are those of their check boxes.
inline constexpr ParameterRow kRows[] = {
    EntryRow(kEntryU, "u", Real, "u (from 1e-10 to 1e-4)", 1e-10f, 1e-4f, 1e-5f,
             "forward mutation rate"),
    EntryRow(kEntryW, "w", Real, "w (from 1e-10 to 1e-4)", 1e-10f, 1e-4f, 1e-5f,
             "back mutation rate"),
    EntryRow(kEntryS, "S", Real, "S (from -1 to 1)", -1.0f, 1.0f, 0.1f, "selection coefficient"),
    EntryRow(kEntryK, "K", Real, "K (epistasis: from 0.6 to 1.4; if >1 sex disadv.)", 0.6f, 1.4f,
             1.0f, "epistasis (above 1: sex disadvantaged)"),
    EntryRow(kEntryStartA, "a", Real, "Start frequency of a (from 0 to 1)", 0.0f, 1.0f, 1.0f,
             "start frequency of allele a"),
    EntryRow(kEntryStartB, "b", Real, "Start frequency of b (from 0 to 1)", 0.0f, 1.0f, 1.0f,
             "start frequency of allele b"),
    EntryRow(kEntryStartC, "c", Real, "Start frequency of c (from 0 to 1)", 0.0f, 1.0f, 1.0f,
             "start frequency of allele c (three loci)"),
    EntryRow(kEntryZ, "z", Real, "z value (fract. of R- recombining; from 0 to 1)", 0.0f, 1.0f,
             0.0f, "fraction of R- carriers recombining"),
    EntryRow(kEntryIterations, "iterations", Whole, "No. iterations (from 1 to 10000)", 2.0f,
             10000.0f, 100.0f, "runs per Log10(N) value (n-sweep)"),
    EntryRow(kEntryLog10N, "log10n", Half, "Log10(N) value (from 1 to 20)", 1.0f, 20.0f, 6.0f,
             "Log10(N) of a single finite run"),
    EntryRow(kEntryDemes, "demes", Whole, "No. of demes (from 1 to 100)", 1.0f, 100.0f, 1.0f,
             "number of demes"),
    EntryRow(kEntryDiffusion, "diffusion", Real, "Interdemic diffusion of genes (from 0 to 1)",
             0.0f, 1.0f, 0.1f, "interdemic diffusion of genes", "Interdemic diffusion"),
    EntryRow(kEntryInversionPeriod, "inversion-period", Whole,
             "Inversion of S value (from 10 to 10000)", 10.0f, 10000.0f, 100.0f,
             "generations between inversions of S", "Inversion period"),
    // The haplotype start state totals 1 and is at linkage equilibrium.
    FixedStartRow(kEntryHaplotypeAb, "ab", Real, "ab (from 0 to 1)", 0.0f, 1.0f, "0.3",
                  "start frequency of haplotype ab (with ld)"),
    FixedStartRow(kEntryHaplotypeCapAb, "Ab", Real, "Ab (from 0 to 1)", 0.0f, 1.0f, "0.2",
                  "start frequency of haplotype Ab (with ld)"),
    FixedStartRow(kEntryHaplotypeACapB, "aB", Real, "aB (from 0 to 1)", 0.0f, 1.0f, "0.3",
                  "start frequency of haplotype aB (with ld)"),
    FixedStartRow(kEntryHaplotypeCapACapB, "AB", Real, "AB (from 0 to 1)", 0.0f, 1.0f, "0.2",
                  "start frequency of haplotype AB (with ld)"),
    EntryRow(kEntryMaxGen, "maxgen", Whole, "MaxGen (from 10 to 10000)", 10.0f, 10000.0f, 250.0f,
             "generations per run"),
    FixedStartRow(kEntryLoopFrom, "from", Half, "", 1.0f, 11.5f, "1",
                  "first Log10(N) of the n-sweep (step 0.5)", "Loop from Log10(N)"),
    FixedStartRow(kEntryLoopTo, "to", Half, "", 1.5f, 20.0f, "12", "last Log10(N) of the n-sweep",
                  "Loop to Log10(N)"),
    FixedStartRow(kEntryStartRPlus, "rplus", Real, "Start frequency of R+ (from .01 to .99)", 0.01f,
                  0.99f, ".5", "start frequency of R+"),
    {"loci", Loci, -1, "", 0, 0, 0, nullptr, nullptr, 0, false, "number of loci: 2 or 3", "Loci"},
    SwitchRow(&CheckBoxes::LinkageDisequilibrium, "ld", "Linkage disequilibrium (D)", 0,
              "start in linkage disequilibrium from ab, Ab, aB, AB (two loci)",
              "Linkage disequilibrium"),
    SwitchRow(&CheckBoxes::InterdemicDiffusion, "interdemic-diffusion", "", 0,
              "genes diffuse between demes (follows demes)"),
    SwitchRow(&CheckBoxes::InversionOfS, "inversion", "", 0,
              "S changes sign every inversion-period generations", "Inversion of S value"),
    SwitchRow(&CheckBoxes::SinusoidalOption, "sinusoidal", "Sinusoidal variation of S", 0,
              "S varies sinusoidally (with inversion)"),
    SwitchRow(&CheckBoxes::TotalStochasticity, "total-stochasticity", "Total stochasticity", 1,
              "R- carriers draw their own mutation randomness"),
    SwitchRow(&CheckBoxes::RecombForR, "recombination", "Recombination for R+", 1,
              "recombination for R+"),
    SwitchRow(&CheckBoxes::GeneticDrift, "drift", "Genetic drift", 0,
              "genetic drift (default: on in single-finite and n-sweep, off in the others)",
              nullptr, true),
};

constexpr size_t CountEntries() {
  size_t n = 0;
  for (const ParameterRow& row : kRows) n += row.IsEntry() ? 1 : 0;
  return n;
}
constexpr std::array<int, CountEntries()> EntryNumbers() {
  std::array<int, CountEntries()> entries{};
  size_t n = 0;
  for (const ParameterRow& row : kRows)
    if (row.IsEntry()) entries[n++] = row.Entry;
  return entries;
}
}  // namespace rows_detail

inline constexpr const auto& kParameterRows = rows_detail::kRows;
// The parameter entries, in row order.
inline constexpr std::array<int, rows_detail::CountEntries()> kParameterEntries =
    rows_detail::EntryNumbers();

// The row of a batch/TOML name, of an entry, or of a check box; nullptr when there is none.
const ParameterRow* FindParameter(std::string_view name);
const ParameterRow* ParameterOfEntry(int entry);
const ParameterRow& ParameterOfSwitch(CheckValue CheckBoxes::*box);
// Whether a batch/TOML name is that of an entry's row, of a switch's row, of the loci's.
bool NamesEntry(std::string_view name, int entry);
bool NamesSwitch(std::string_view name, CheckValue CheckBoxes::*box);
bool NamesLoci(std::string_view name);

}  // namespace quorvel
