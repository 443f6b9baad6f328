#include "quorvel/run/study_results.h"

#include <cmath>

#include "common/number_text.h"

namespace quorvel {

StudyResultsCollector::StudyResultsCollector(const Study& study) : study_(study) {
  for (const VariedParameter& p : study.Definition().Varied) results_.Parameters.push_back(p.Name);
}

void StudyResultsCollector::Add(const StudyOutcome& outcome) {
  if (outcome.Place.Point != point_) {
    point_ = outcome.Place.Point;
    StudyPointResults point;
    for (const std::string& value : study_.PointValues(point_))
      point.Values.push_back(value == "on"    ? 1
                             : value == "off" ? 0
                                              : common::ParseLeadingNumber(value));
    results_.Points.push_back(std::move(point));
  }
  results_.Points.back().Outcomes.push_back(outcome.FinalRPlus);
}

StudyResults StudyResultsCollector::Results() const {
  StudyResults results = results_;
  for (StudyPointResults& p : results.Points) {
    PointAccumulator acc;
    StudyOutcome o;
    for (double x : p.Outcomes) {
      o.FinalRPlus = x;
      acc.Add(o);
    }
    const PointSummary s = acc.Summary();
    p.Mean = s.Mean;
    p.Deviation = s.Spread ? s.Deviation : 0;
  }
  return results;
}

}  // namespace quorvel
