// What the charts of a study draw: per grid point, the values of the varied parameters as
// numbers (switches as 1 for on and 0 for off), every run's final R+ frequency, and their
// mean and S.D. Gathered from the outcomes in grid order.
#pragma once

#include <string>
#include <vector>

#include "quorvel/run/study.h"

namespace quorvel {

struct StudyPointResults {
  std::vector<double> Values;    // one per varied parameter
  std::vector<double> Outcomes;  // final R+ frequency of every run of the point
  double Mean = 0;
  double Deviation = 0;  // one S.D.; 0 with fewer than two runs
};

struct StudyResults {
  std::vector<std::string> Parameters;  // the varied parameters' names
  std::vector<StudyPointResults> Points;
};

// Takes the outcomes of a study in grid order.
class StudyResultsCollector {
 public:
  explicit StudyResultsCollector(const Study& study);
  void Add(const StudyOutcome& outcome);
  // The results of the points run so far.
  StudyResults Results() const;

 private:
  const Study& study_;
  StudyResults results_;
  size_t point_ = SIZE_MAX;
};

}  // namespace quorvel
