#include "tessaline/core/simulations.h"

#include <algorithm>
#include <array>

#include "common/number_text.h"

namespace tessaline {
namespace {

constexpr RowDescription kCommonRows[] = {
    {1, "Number of generations", "500", "2", "99999", "generations",
     "generations drawn; the right end of the horizontal axis"},
    {2, "Step", "10", "2", "1000", "step", "generations between two plotted points"},
};

// Spreading of a gene with advantage S: one curve per S, against generations.
constexpr RowDescription kSpreadingRows[] = {
    {3, "Number of curves", "5", "1", "5", "curves", "curves drawn, one per S"},
    {4, "Y(0)", "0.05", "0.001", "0.999", "y0", "frequency of the gene at generation 0"},
    {5, "S for curve 1", "0.025", "0", "0.999", "s1", "advantage S of the gene on curve 1"},
    {6, "S for curve 2", "0.0125", "0", "0.999", "s2", "advantage S of the gene on curve 2"},
    {7, "S for curve 3", "0.01", "0", "0.999", "s3", "advantage S of the gene on curve 3"},
    {8, "S for curve 4", "0.008333", "0", "0.999", "s4", "advantage S of the gene on curve 4"},
    {9, "S for curve 5", "0.003333", "0", "0.999", "s5", "advantage S of the gene on curve 5"},
    {10, "U", "0", "-", "-", "u", "mutation rate U, fixed at 0"},
    {11, "V", "0", "-", "-", "v", "mutation rate V, fixed at 0"},
};

constexpr CurveLabel kSpreadingLabels[] = {
    {"S=.025", 45, 10},    {"S=.0125", 72, 20},   {"S=.01", 80, 30},
    {"S=.008333", 85, 40}, {"S=.003333", 85, 85},
};

Coefficients ReadSpreading(const Grid& grid, int curve) {
  Coefficients k;
  k.s = RowValue(grid, curve + 4);
  // The rows "U" and "V" only show the fixed rates; they are not read.
  k.u = 0.0;
  k.v = 0.0;
  k.growth = 1.0 + k.s - k.u - k.v;
  return k;
}

double AdvanceSpreading(double y, const Coefficients& k) {
  return (y * k.growth + k.v) / (y * k.s + 1.0);
}

// Spreading velocity: one curve per generation length ML, against time. The preset S lies
// above the row's maximum: it is used until its box is first left.
constexpr RowDescription kVelocityRows[] = {
    {1, "Number of time units", "500", "2", "99999", "time-units",
     "time units drawn; the right end of the horizontal axis"},
    {3, "Number of curves", "5", "1", "5", "curves", "curves drawn, one per ML"},
    {4, "Y(0)", "0.05", "0.001", "0.999", "y0", "frequency of the gene at time 0"},
    {5, "S", "0.01", "0", "0.001", "s",
     "advantage S of the gene; the preset lies above the maximum and holds until S is set"},
    {6, "ML of curve 1", "0.4", "0.1", "10", "ml1", "time units a generation lasts on curve 1"},
    {7, "ML of curve 2", "0.8", "0.1", "10", "ml2", "time units a generation lasts on curve 2"},
    {8, "ML of curve 3", "1", "0.1", "10", "ml3", "time units a generation lasts on curve 3"},
    {9, "ML of curve 4", "1.2", "0.1", "10", "ml4", "time units a generation lasts on curve 4"},
    {10, "ML of curve 5", "3", "0.1", "10", "ml5", "time units a generation lasts on curve 5"},
};

constexpr CurveLabel kVelocityLabels[] = {
    {"ML=.4", 35, 5}, {"ML=.8", 60, 15}, {"ML=1", 75, 20}, {"ML=1.2", 85, 25}, {"ML=3", 65, 80},
};

Coefficients ReadVelocity(const Grid& grid, int) {
  Coefficients k;
  k.s = RowValue(grid, 5);
  return k;
}

double AdvanceVelocity(double y, const Coefficients& k) {
  return (1.0 + k.s) * y / (y * k.s + 1.0);
}

// Senescence under inclusive fitness: one curve per coefficient r over 250 generations.
constexpr RowDescription kSenescenceRows[] = {
    {3, "Number of curves", "4", "1", "4", "curves", "curves drawn, one per r"},
    {4, "Y(0)", "0.1", "0.001", "0.999", "y0", "frequency of C at generation 0"},
    {5, "S'", "0.2", "0", "0.5", "s-prime", "cost of carrying C, divided by the mean viability"},
    {6, "V(C)", "0.7", "0.3", "1", "vc", "viability of the carriers of C (1 for the others)"},
    {7, "S", "0.01", "0", "0.5", "s", "S in the inclusive-fitness gain m*r*S*(1/V(C) - 1)"},
    {8, "m", "600", "1", "100000", "m", "m in the gain m*r*S*(1/V(C) - 1), a whole number"},
    {9, "r for curve 1", "0.12", "0", "1", "r1", "coefficient r of curve 1 in the gain"},
    {10, "r for curve 2", "0.1", "0", "1", "r2", "coefficient r of curve 2 in the gain"},
    {11, "r for curve 3", "0.09", "0", "1", "r3", "coefficient r of curve 3 in the gain"},
    {12, "r for curve 4", "0", "0", "1", "r4", "coefficient r of curve 4 in the gain"},
};

constexpr RowDescription kSenescenceLength = {
    1,
    "Number of generations",
    "250",
    "2",
    "99999",
    "generations",
    "generations drawn; every run of this simulation draws 250"};

constexpr CurveLabel kSenescenceLabels[] = {
    {"r=.12", 65, 5},
    {"r=.1", 65, 30},
    {"r=.09", 65, 60},
    {"r=0", 65, 92},
};

Coefficients ReadSenescence(const Grid& grid, int curve) {
  Coefficients k;
  k.costOfC = RowValue(grid, 5);
  k.viabilityC = RowValue(grid, 6);
  k.s = RowValue(grid, 7);
  const double r = RowValue(grid, curve + 8);
  // Held in 32 bits: the row allows m up to 100000.
  const int32_t m = common::ToInt32(RowValue(grid, 8));
  k.gain = static_cast<double>(m) * ((r * k.s) * (1.0 / k.viabilityC - 1.0));
  return k;
}

// The carriers' weight in the mean viability W grows with C, and with it the cost S'/W.
double AdvanceSenescence(double y, const Coefficients& k) {
  const double w = 1.0 - y * (1.0 - k.viabilityC);
  const double d = k.gain - k.costOfC / w;
  return y * (1.0 + d) / (1.0 + y * d);
}

constexpr Simulation kSimulations[] = {
    {1, "spreading", "Simulation 1: Spreading of a gene in function of S value",
     "Spreading within a species of a gene with advantage S", "G e n e r a t i o n s",
     kSpreadingRows, nullptr, kSpreadingLabels, 5, CurveAxis::Generations, &ReadSpreading,
     &AdvanceSpreading},
    {2, "velocity", "Simulation 2: Spreading of a gene in function of ML value",
     "Variation of the spreading velocity of a gene depending on ML variation", "Time",
     kVelocityRows, nullptr, kVelocityLabels, 6, CurveAxis::Time, &ReadVelocity, &AdvanceVelocity},
    {3, "senescence", "Simulation 3: Advantage of senescence in function of r value",
     "Evolutionary steadiness of the character senescence (Theoretical model based on "
     "inclusive fitness)",
     "G e n e r a t i o n s", kSenescenceRows, &kSenescenceLength, kSenescenceLabels, 9,
     CurveAxis::Generations, &ReadSenescence, &AdvanceSenescence},
};

}  // namespace

std::span<const RowDescription> CommonRows() {
  return kCommonRows;
}

std::span<const Simulation> Simulations() {
  return kSimulations;
}

std::vector<RowDescription> GridRows(const Simulation& simulation) {
  std::vector<RowDescription> rows(kCommonRows, kCommonRows + std::size(kCommonRows));
  auto place = [&rows](const RowDescription& row) {
    auto same = std::find_if(rows.begin(), rows.end(),
                             [&row](const RowDescription& r) { return r.row == row.row; });
    if (same != rows.end())
      *same = row;
    else
      rows.push_back(row);
  };
  for (const RowDescription& row : simulation.rows) place(row);
  if (simulation.rewrittenEachRun) place(*simulation.rewrittenEachRun);
  std::sort(rows.begin(), rows.end(),
            [](const RowDescription& a, const RowDescription& b) { return a.row < b.row; });
  return rows;
}

const Simulation* FindSimulation(int number) {
  for (const Simulation& s : kSimulations)
    if (s.number == number) return &s;
  return nullptr;
}

const Simulation* FindSimulationByTag(const std::string& tag) {
  for (const Simulation& s : kSimulations)
    if (tag == std::to_string(s.number)) return &s;
  return nullptr;
}

const Simulation* FindSimulationByName(std::string_view name) {
  for (const Simulation& s : kSimulations)
    if (name == s.name || name == std::to_string(s.number)) return &s;
  return nullptr;
}

double RowValue(const Grid& grid, int row) {
  if (row < 1 || row > kRows) return 0.0;  // there is no grid row to read
  return common::ParseLeadingNumber(grid.Value(row));
}

}  // namespace tessaline
