// The numbers of quorvel's text boxes (the window's txt(i)), the one vocabulary every layer
// uses for them: the 21 parameter entries 0 to 20, the displays of the haplotype start
// state, the folder of the report files and the progress displays of the sweeps.
#pragma once

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

// The parameter entries with bounds, 0 to 20.
inline constexpr int kEntryCount = 21;
// Room for every box number, 0 to 40 (not every number has a box).
inline constexpr int kBoxNumbers = 41;

}  // namespace quorvel
