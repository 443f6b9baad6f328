// The three simulations as data: each is described once, with its name, its button, its
// title and axis caption, the grid rows it writes (presets, bounds, short names and
// meanings), its curve labels and the one-generation step of its recurrence. The
// catalogue, the run, the plotting, the window and the batch program all read this table;
// a fourth simulation is one more entry.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tessaline/core/controls.h"

namespace tessaline {

// One grid row as a simulation writes it. A minimum of "-" marks a fixed row, whose value
// box is locked.
struct RowDescription {
  int16_t row;
  const char* name;
  const char* value;
  const char* minimum;
  const char* maximum;
  const char* alias;    // short name on the command line and in parameter files
  const char* meaning;  // one line for the listing of the parameters
};

// A fixed text printed on the picture after a selection; it names the preset of a curve.
struct CurveLabel {
  const char* text;
  int16_t xPercent;
  int16_t yPercent;
};

// The numbers one generation of a curve's recurrence needs, read from the grid when the
// curve starts.
struct Coefficients {
  double s = 0;           // selective advantage S
  double u = 0, v = 0;    // mutation rates (spreading; fixed at 0)
  double growth = 0;      // 1 + S - U - V
  double costOfC = 0;     // S': cost of carrying C
  double viabilityC = 0;  // V(C): viability of the carriers of C
  double gain = 0;        // m*r*S*(1/V(C) - 1): inclusive-fitness gain of C
};

// What a curve's coefficient row holds: the value the recurrence reads (S, r), or the
// length of a generation in time units (ML), which moves the points along a time axis.
enum class CurveAxis { Generations, Time };

struct Simulation {
  int16_t number;      // its button cmd(number) and the tag of the title
  const char* name;    // "spreading", "velocity", "senescence"
  const char* button;  // caption of its button
  const char* title;
  const char* horizontalCaption;
  std::span<const RowDescription> rows;  // written after the common rows, in this order
  // A row the run writes back before every run (the senescence model always draws 250
  // generations), or null.
  const RowDescription* rewrittenEachRun;
  std::span<const CurveLabel> curveLabels;
  int16_t firstCurveRow;  // row of curve 1's coefficient; curve c reads the c-th row on
  CurveAxis curveAxis;
  Coefficients (*read)(const Grid& grid, int curve);
  double (*advance)(double y, const Coefficients& k);  // one generation
};

// The rows every selection writes first.
std::span<const RowDescription> CommonRows();
// The simulations in the order of their buttons.
std::span<const Simulation> Simulations();

// The rows of a simulation by row number, as a run reads them: the common rows, replaced
// by the simulation's rows of the same number and by the row rewritten at every run.
std::vector<RowDescription> GridRows(const Simulation& simulation);

// By the number of its button (or the title's tag); null when there is none.
const Simulation* FindSimulation(int number);
const Simulation* FindSimulationByTag(const std::string& tag);
// By its name or its number as text ("velocity" or "2"); null when there is none.
const Simulation* FindSimulationByName(std::string_view name);

// value(row): the leading number of the value box's text (0 outside the grid).
double RowValue(const Grid& grid, int row);

}  // namespace tessaline
