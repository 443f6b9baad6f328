#include "quorvel/run/study.h"
#include "quorvel/run/study_tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/number_text.h"
#include "quorvel/params/named_parameters.h"
#include "quorvel/run/seeds.h"

namespace quorvel {
namespace {

VariedParameter Vary(const std::string& text) {
  VariedParameter p;
  std::string message;
  EXPECT_TRUE(ParseVariedParameter(text, p, message)) << message;
  return p;
}

std::string VaryRefusal(const std::string& text) {
  VariedParameter p;
  std::string message;
  EXPECT_FALSE(ParseVariedParameter(text, p, message)) << text;
  return message;
}

StudyDefinition Definition(std::vector<std::string> varied, int replicates = 1,
                           bool finite = false) {
  StudyDefinition d;
  d.Base = StartUpSet(MakeParameterTable(), finite ? RunMode::SingleFinite : RunMode::Single);
  d.Base.Entries[kEntryMaxGen] = "20";
  for (const std::string& v : varied) d.Varied.push_back(Vary(v));
  d.Replicates = replicates;
  d.Finite = finite;
  d.Seed = 7;
  return d;
}

TEST(StudyDefinition, RangesAddStepsUpAndKeepTheLastWithinAThousandthOfAStep) {
  EXPECT_EQ(Vary("S=0.01:0.2:0.01").Values.size(), 20u);
  EXPECT_EQ(Vary("K=0.8:1.2:0.01").Values.size(), 41u);
  const VariedParameter k = Vary("K=0.8:1.2:0.01");
  EXPECT_EQ(k.Values[2], common::ShortestText(0.8 + 0.01 + 0.01));
  EXPECT_EQ(Vary("demes=5:1:-2").Values, (std::vector<std::string>{"5", "3", "1"}));
  EXPECT_EQ(Vary("z=0:1:0.3").Values.size(), 4u);  // 0.9 is the last; 1.2 lies beyond
}

TEST(StudyDefinition, ListsTakeNumbersAndSwitchesByTheirListNames) {
  EXPECT_EQ(Vary("drift=on,off").Values, (std::vector<std::string>{"on", "off"}));
  EXPECT_EQ(Vary("loci=2,3").Values, (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Vary("u=1e-5, 2.5E-5").Values, (std::vector<std::string>{"1e-05", "2.5e-05"}));
}

TEST(StudyDefinition, MalformedValuesAreRefusedWithTheirReason) {
  EXPECT_EQ(VaryRefusal("Ss=1,2"), "unknown parameter 'Ss'; did you mean 'S'?");
  EXPECT_EQ(VaryRefusal("drift=yes"), "drift: 'yes' is not on or off");
  EXPECT_EQ(VaryRefusal("S=0.1,x"), "S: 'x' is not a number");
  EXPECT_EQ(VaryRefusal("S=0:1"), "S: '0:1' is not FROM:TO:STEP with three numbers");
  EXPECT_EQ(VaryRefusal("S=0:1:-0.1"), "S: a step of -0.1 never goes from 0 to 1");
  EXPECT_NE(VaryRefusal("loci=2:3:1").find("a switch takes a list"), std::string::npos);
  EXPECT_NE(VaryRefusal("S"), "");
}

TEST(StudyDefinition, TheGridIsTheCrossProductWithTheFirstParameterSlowest) {
  const StudyDefinition d = Definition({"S=0.1,0.2", "K=0.9,1,1.1"}, 4, true);
  EXPECT_EQ(d.PointCount(), 6u);
  EXPECT_EQ(d.RunCount(), 24u);
  EXPECT_EQ(PointValueIndexes(d, 4), (std::vector<size_t>{1, 1}));
  const RunPlace place = PlaceOf(d, 13);
  EXPECT_EQ(place.Point, 3u);
  EXPECT_EQ(place.Replicate, 1u);
  EXPECT_EQ(RunSeed(d, place), ReplicateSeed(7, 3, 1));
}

TEST(StudyDefinition, ItsFormIsCheckedBeforeAnyPoint) {
  EXPECT_EQ(DefinitionRefusal(Definition({})), "a study varies 1 to 4 parameters, not 0");
  EXPECT_EQ(DefinitionRefusal(Definition({"u=1e-5", "w=1e-5", "S=0.1", "K=1"})), "");
  EXPECT_EQ(DefinitionRefusal(Definition({"u=1e-5", "w=1e-5", "S=0.1", "K=1", "z=0"})),
            "a study varies 1 to 4 parameters, not 5");
  EXPECT_EQ(DefinitionRefusal(Definition({"S=0.1", "S=0.2"})), "S is varied twice");
  EXPECT_NE(DefinitionRefusal(Definition({"S=0.1"}, 3)).find("needs a finite population"),
            std::string::npos);
  EXPECT_EQ(DefinitionRefusal(Definition({"log10n=2,3"}, 3)), "");
  EXPECT_TRUE(Definition({"log10n=2,3"}).FinitePopulation());
}

TEST(StudyCheck, EveryPointPassesTheValidationPassAndEachCorrectionIsReportedOnce) {
  StudyCheck check;
  auto study = Study::Prepare(Definition({"K=1.3,1.5,1.6", "z=0,0.5"}), check);
  ASSERT_TRUE(study) << check.Refusal;
  EXPECT_EQ(check.Corrections, (std::vector<std::string>{"K: 1.5 -> 1.4 (upper bound)",
                                                         "K: 1.6 -> 1.4 (upper bound)"}));
  EXPECT_EQ(study->PointValues(5), (std::vector<std::string>{"1.4", "0.5"}));
  EXPECT_EQ(study->PointInputs(5).K, 1.4);
  // Steps added up in double precision land beside the decimal values.
  StudyCheck summed;
  ASSERT_TRUE(Study::Prepare(Definition({"K=1.3:1.4:0.1"}), summed));
  EXPECT_EQ(summed.Corrections,
            (std::vector<std::string>{"K: 1.4000000000000001 -> 1.4 (upper bound)"}));
}

TEST(StudyCheck, ARefusedPointRefusesTheStudyNamingThePoint) {
  StudyDefinition d = Definition({"ld=off,on"});
  d.Base.Entries[kEntryHaplotypeAb] = "0.5";
  StudyCheck check;
  EXPECT_FALSE(Study::Prepare(d, check));
  EXPECT_EQ(check.Refusal,
            "point 2 (ld=on): the haplotype frequencies ab + Ab + aB + AB do not total 1");
}

TEST(StudyRuns, OutcomesFollowRPlusAndTheAlleles) {
  StudyDefinition d = Definition({"rplus=0.01,0.99"}, 1, true);
  d.Base.Entries[kEntryLog10N] = "1";
  d.Base.Entries[kEntryMaxGen] = "200";
  d.Base.Entries[kEntryStartA] = "1";  // no A at the start: only mutation brings it
  StudyCheck check;
  auto study = Study::Prepare(d, check);
  ASSERT_TRUE(study) << check.Refusal;
  NoSink sink;
  const StudyOutcome lost = RunStudyRun(*study, 0, sink);
  EXPECT_EQ(lost.FinalRPlus, 0);
  EXPECT_GT(lost.RPlusLostAt, 0);
  EXPECT_EQ(lost.RPlusFixedAt, 0);
  EXPECT_EQ(lost.Generations, 200);
  EXPECT_LT(lost.FinalAllele[0], 0.2);
  EXPECT_EQ(RunsRow(study->PointValues(0), lost).back(), ',');  // no allele C with two loci
  const StudyOutcome fixed = RunStudyRun(*study, 1, sink);
  EXPECT_EQ(fixed.FinalRPlus, 1);
  EXPECT_GT(fixed.RPlusFixedAt, 0);
  EXPECT_EQ(fixed.Seed, ReplicateSeed(7, 1, 0));
}

// Hands outcomes over in order; stops after a given number.
class Collector : public StudyObserver {
 public:
  explicit Collector(size_t stopAfter = SIZE_MAX) : stopAfter_(stopAfter) {}
  bool RunEnded(const StudyOutcome& outcome) override {
    outcomes.push_back(outcome);
    return true;
  }
  bool StopRequested() override { return outcomes.size() >= stopAfter_; }
  std::vector<StudyOutcome> outcomes;

 private:
  size_t stopAfter_;
};

TEST(StudyRuns, OutcomesComeInGridOrderWhateverTheThreads) {
  StudyCheck check;
  auto study = Study::Prepare(Definition({"log10n=1,2", "z=0,1"}, 5), check);
  ASSERT_TRUE(study) << check.Refusal;
  Collector one, two;
  EXPECT_EQ(RunStudy(*study, {0, study->RunCount()}, 1, one).Done, 20u);
  RunStudy(*study, {0, study->RunCount()}, 2, two);
  EXPECT_EQ(one.outcomes, two.outcomes);
  for (size_t i = 0; i < one.outcomes.size(); ++i) EXPECT_EQ(one.outcomes[i].Place.Run, i);
  Collector shard;
  RunStudy(*study, ShardRange(20, 2, 3), 2, shard);
  EXPECT_EQ(shard.outcomes.front(), one.outcomes[6]);
}

TEST(StudyRuns, AStopHandsOverOnlyWholeRuns) {
  StudyCheck check;
  auto study = Study::Prepare(Definition({"log10n=1:3:0.5"}, 20), check);
  ASSERT_TRUE(study);
  Collector collector(3);
  const StudyProgress progress = RunStudy(*study, {0, study->RunCount()}, 2, collector);
  EXPECT_TRUE(progress.Stopped);
  EXPECT_EQ(progress.Done, collector.outcomes.size());
  EXPECT_LT(progress.Done, 100u);
  for (const StudyOutcome& o : collector.outcomes) EXPECT_EQ(o.Generations, 20);
}

// Each genotype class of a deme is sampled on its own and the deme then renormalised, so
// with R+ at p the variance of its frequency grows by p(1-p)(p^2 + (1-p)^2)/N a generation:
// half the Wright-Fisher variance p(1-p)/N at p = 1/2.
TEST(StudyRuns, DriftVarianceIsThatOfClassesSampledApartThenRenormalised) {
  StudyDefinition d = Definition({"log10n=4"}, 4000, true);
  const std::vector<std::pair<int, const char*>> entries = {
      {kEntryS, "0"},      {kEntryU, "1e-10"},        {kEntryW, "1e-10"},  {kEntryStartA, "1"},
      {kEntryStartB, "1"}, {kEntryStartRPlus, "0.5"}, {kEntryMaxGen, "10"}};
  for (const auto& [entry, text] : entries) d.Base.Entries[static_cast<size_t>(entry)] = text;
  StudyCheck check;
  auto study = Study::Prepare(d, check);
  ASSERT_TRUE(study) << check.Refusal;
  struct Spread : StudyObserver {
    bool RunEnded(const StudyOutcome& o) override {
      acc.Add(o);
      return true;
    }
    PointAccumulator acc;
  } spread;
  RunStudy(*study, {0, study->RunCount()}, 2, spread);
  const PointSummary s = spread.acc.Summary();
  const double n = 1e4, p = 0.5, generations = 10;
  const double expected = generations * p * (1 - p) * (p * p + (1 - p) * (1 - p)) / n;
  const double variance = s.Deviation * s.Deviation;
  // The sample variance of 4000 runs has a relative standard error of sqrt(2/3999).
  EXPECT_NEAR(variance / expected, 1, 4 * std::sqrt(2.0 / 3999));
  EXPECT_NEAR(s.Mean, p, 4 * s.Error);
}

TEST(PointStatistics, MeanSpreadAndStudentIntervalOfTheFinalRPlus) {
  PointAccumulator acc;
  StudyOutcome o;
  for (double x : {0.2, 0.4, 0.6}) {
    o.FinalRPlus = x;
    acc.Add(o);
  }
  o.FinalRPlus = 1;
  o.RPlusFixedAt = 30;
  acc.Add(o);
  const PointSummary s = acc.Summary();
  EXPECT_EQ(s.Runs, 4u);
  EXPECT_DOUBLE_EQ(s.Mean, 0.55);
  EXPECT_NEAR(s.Deviation, 0.3415650255, 1e-9);
  EXPECT_NEAR(s.Error, 0.3415650255 / 2, 1e-9);
  // t(0.975, 3) = 3.182446305
  EXPECT_NEAR(s.Ci95High - s.Mean, 3.182446305 * s.Error, 1e-8);
  EXPECT_EQ(s.Fixed, 1u);
  EXPECT_EQ(s.MeanFixedAt, 30);
  PointAccumulator single;
  single.Add(o);
  EXPECT_FALSE(single.Summary().Spread);
}

}  // namespace
}  // namespace quorvel
