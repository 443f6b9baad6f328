#include "quorvel/run/run_core.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "common/power.h"

namespace quorvel {

RunInputs ReadRunInputs(const ParameterSet& set, int16_t loci, bool nInfinite, float log10N) {
  auto value = [&set](int entry) { return common::ParseLeadingNumber(set.Text(entry)); };
  RunInputs in;
  in.Loci = loci;
  in.U = value(kEntryU);
  in.W = value(kEntryW);
  in.S = value(kEntryS);
  in.EnteredS = in.S;
  in.K = value(kEntryK);
  in.MaxGen = common::ToInt16(value(kEntryMaxGen));
  in.Z = static_cast<float>(value(kEntryZ));
  // The validation pass keeps the number of demes within 1 to 100; the frequency table
  // holds no more, so the run never relies on that alone.
  in.Demes = std::clamp<int16_t>(common::ToInt16(value(kEntryDemes)), 1, kMaxDemes);
  in.Diffusion = static_cast<float>(value(kEntryDiffusion));
  in.InversionPeriod = common::ToInt16(value(kEntryInversionPeriod));
  in.NInfinite = nInfinite;
  in.Log10N = log10N;
  in.Checks = set.Checks;
  in.Start.Haplotypes = set.Checks.LinkageDisequilibrium != 0;
  for (size_t i = 0; i < in.Start.Alleles.size(); ++i)
    in.Start.Alleles[i] = value(kEntryStartA + static_cast<int>(i));
  for (size_t i = 0; i < in.Start.HaplotypeFreq.size(); ++i)
    in.Start.HaplotypeFreq[i] = value(kEntryHaplotypeAb + static_cast<int>(i));
  in.Start.RPlus = value(kEntryStartRPlus);
  for (int entry : kParameterEntries) in.Entered[static_cast<size_t>(entry)] = value(entry);
  return in;
}

bool StartStateAccepted(const RunInputs& inputs) {
  if (!inputs.Start.Haplotypes) return true;
  const auto& h = inputs.Start.HaplotypeFreq;
  // The same test as the window's Total display: the total as its 15-digit text reads it,
  // so that a total shown as 1 (0.7 + 0.1 + 0.1 + 0.1) is never refused.
  return common::ReadsAsOne(((h[0] + h[1]) + h[2]) + h[3]);
}

namespace {

GenerationRow RowOf(const Model& model, int16_t generation, int slot, int deme) {
  GenerationRow row;
  row.Generation = generation;
  const int genotypes = model.GenotypesNum;
  row.Curves = 2 * genotypes;
  double cumFreq = 0;
  size_t j = 0;
  for (int carrier = 0; carrier < 2; ++carrier) {
    for (int g = 1; g <= genotypes; ++g) {
      const double freq = model.Freq(slot + carrier, deme, g);
      cumFreq += freq;
      row.Frequency[j] = freq;
      row.Cumulative[j++] = cumFreq;
    }
  }
  return row;
}

}  // namespace

GenerationRow MakeRow(const Model& model, int16_t generation) {
  // With several demes the rows show their means, kept in slots 3 and 4 of deme 1.
  return RowOf(model, generation, model.Demes <= 1 ? kSlotRPlus : kSlotMeanRPlus, 1);
}

GenerationRow MakeDemeRow(const Model& model, int16_t generation, int deme) {
  return RowOf(model, generation, kSlotRPlus, deme);
}

void PrepareRun(Model& model, const RunInputs& inputs) {
  if (model.AllelesNum != inputs.Loci) {
    model.AllelesNum = inputs.Loci;
    model.BuildGenotypeTables();
  }
  model.Z = inputs.Z;
  model.Demes = inputs.Demes;
  model.Diffusion = inputs.Diffusion;
  model.NInfinite = inputs.NInfinite;
  model.TotalStochasticity = inputs.Checks.TotalStochasticity;
  model.S = inputs.S;
  model.UpdateSelection(inputs.K);
  model.PopulationN = common::Power(10.0, static_cast<double>(inputs.Log10N));
  model.Entered = inputs.Entered;
  model.SetMutationRates(inputs.U, inputs.W);
}

void SetStartFrequencies(Model& model, const RunInputs& inputs) {
  model.Freq.Clear();
  const int genotypes = model.GenotypesNum;
  if (!inputs.Start.Haplotypes) {
    const int loci = model.AllelesNum;
    for (int i = 1; i <= loci; ++i) {
      model.StartAlleleFreq[i] = inputs.Start.Alleles[static_cast<size_t>(i - 1)];
      model.StartAlleleFreq[i + loci] = 1 - model.StartAlleleFreq[i];
    }
    for (int16_t g = 1; g <= genotypes; ++g)
      model.Freq(kSlotRPlus, 1, g) = model.EquilibriumFrequency(g, 1, false);
  } else {
    for (int g = 1; g <= 4; ++g)
      model.Freq(kSlotRPlus, 1, g) = inputs.Start.HaplotypeFreq[static_cast<size_t>(g - 1)];
    // a = aB + ab, b = Ab + ab.
    model.StartAlleleFreq[1] = model.Freq(kSlotRPlus, 1, 3) + model.Freq(kSlotRPlus, 1, 1);
    model.StartAlleleFreq[2] = model.Freq(kSlotRPlus, 1, 2) + model.Freq(kSlotRPlus, 1, 1);
    model.StartAlleleFreq[3] = 1 - model.StartAlleleFreq[1];
    model.StartAlleleFreq[4] = 1 - model.StartAlleleFreq[2];
  }

  const double r = inputs.Start.RPlus;
  for (int g = 1; g <= genotypes; ++g) {
    model.Freq(kSlotRMinus, 1, g) = (1 - r) * model.Freq(kSlotRPlus, 1, g);
    model.Freq(kSlotRPlus, 1, g) = r * model.Freq(kSlotRPlus, 1, g);
  }
  model.NormaliseDeme(1, kSlotRPlus);

  for (int deme = 2; deme <= model.Demes; ++deme) {
    for (int g = 1; g <= genotypes; ++g) {
      model.Freq(kSlotRPlus, deme, g) = model.Freq(kSlotRPlus, 1, g);
      model.Freq(kSlotRMinus, deme, g) = model.Freq(kSlotRMinus, 1, g);
    }
  }
}

namespace {

GenerationSteps StepsOf(const RunInputs& inputs) {
  GenerationSteps steps;
  const CheckBoxes& checks = inputs.Checks;
  steps.Recombination = checks.RecombForR == 1;
  steps.Drift = checks.GeneticDrift == 1;
  // The sinusoidal variation acts only together with the inversion, whose period it
  // shares; a greyed sinusoidal box leaves S alone.
  if (checks.InversionOfS == 1 && inputs.InversionPeriod != 0) {
    if (checks.SinusoidalOption == 0) steps.Schedule = SSchedule::Inversion;
    if (checks.SinusoidalOption == 1) steps.Schedule = SSchedule::Sinusoidal;
  }
  steps.InversionPeriod = inputs.InversionPeriod;
  steps.EnteredS = inputs.EnteredS;
  steps.K = inputs.K;
  return steps;
}

}  // namespace

namespace {

// What a generation's row tells of the run so far.
void Follow(RunOutcome& outcome, const GenerationRow& row) {
  outcome.RPlusFreq = row.RPlusFreq();
  outcome.GenerationsDone = row.Generation;
  if (outcome.ExtinctAt == 0 && row.Extinct()) outcome.ExtinctAt = row.Generation;
  if (const double total = row.Cumulative[static_cast<size_t>(row.Curves - 1)]; total > 0) {
    if (outcome.RPlusFixedAt == 0 && outcome.RPlusFreq == total)
      outcome.RPlusFixedAt = row.Generation;
    if (outcome.RPlusLostAt == 0 && outcome.RPlusFreq == 0) outcome.RPlusLostAt = row.Generation;
  }
}

}  // namespace

RunOutcome RunIn(Model& model, const RunInputs& inputs, RunSink& sink) {
  PrepareRun(model, inputs);
  // The schedule of S acts only within the run: the model is left with the S the run
  // started from, so a model used for several runs starts each from the S it is given.
  const double sAtStart = model.S;
  const double s2AtStart = model.S2;
  const double s3AtStart = model.S3;
  SetStartFrequencies(model, inputs);
  const GenerationSteps steps = StepsOf(inputs);

  RunOutcome outcome;
  const int maxGen = inputs.MaxGen;
  for (int generation = 1; generation <= maxGen; ++generation) {
    model.AdvanceGeneration(generation, steps);
    const GenerationRow row = MakeRow(model, static_cast<int16_t>(generation));
    Follow(outcome, row);
    sink.Generation(row);
    if (generation < maxGen && sink.StopRequested()) {
      outcome.Stopped = true;
      break;
    }
  }

  model.S = sAtStart;
  model.S2 = s2AtStart;
  model.S3 = s3AtStart;
  return outcome;
}

size_t RunsSideBySideAtMost() {
  return lanes::ActivePath() == lanes::Path::Portable ? 1 : 8;
}

bool RunsSideBySide(const RunInputs& inputs) {
  return inputs.NInfinite && inputs.Demes == 1 && StepsOf(inputs).Schedule == SSchedule::None;
}

bool RunsSideBySide(const RunInputs& inputs, const RunInputs& other) {
  if (!RunsSideBySide(inputs)) return false;
  RunInputs same = other;
  same.S = inputs.S;
  same.K = inputs.K;
  same.EnteredS = inputs.EnteredS;
  for (int entry : {kEntryS, kEntryK}) same.Entered[entry] = inputs.Entered[entry];
  return same == inputs;
}

std::vector<RunOutcome> RunSideBySide(Model& model, const std::vector<RunInputs>& runs,
                                      RunSink& sink) {
  const RunInputs& first = runs.front();
  PrepareRun(model, first);
  const double sAtStart = model.S;
  const double s2AtStart = model.S2;
  const double s3AtStart = model.S3;
  // Each run's selection values as RunIn would set them, deme by deme.
  const int lanes = static_cast<int>(runs.size());
  for (int r = 0; r < lanes; ++r) {
    model.S = runs[static_cast<size_t>(r)].S;
    model.UpdateSelection(runs[static_cast<size_t>(r)].K);
    model.SetDemeSelection(static_cast<int16_t>(r + 1));
  }
  model.S = sAtStart;
  model.S2 = s2AtStart;
  model.S3 = s3AtStart;
  model.SelectionByDeme = true;
  model.Demes = static_cast<int16_t>(lanes);
  SetStartFrequencies(model, first);  // every deme starts as the first
  GenerationSteps steps = StepsOf(first);
  steps.Diffusion = false;

  std::vector<RunOutcome> outcomes(runs.size());
  const int maxGen = first.MaxGen;
  for (int generation = 1; generation <= maxGen; ++generation) {
    model.AdvanceGeneration(generation, steps);
    const auto g = static_cast<int16_t>(generation);
    const GenerationRow firstRow = MakeDemeRow(model, g, 1);
    Follow(outcomes.front(), firstRow);
    for (int r = 1; r < lanes; ++r)
      Follow(outcomes[static_cast<size_t>(r)], MakeDemeRow(model, g, r + 1));
    sink.Generation(firstRow);
    if (generation < maxGen && sink.StopRequested()) {
      for (RunOutcome& outcome : outcomes) outcome.Stopped = true;
      break;
    }
  }
  model.SelectionByDeme = false;
  return outcomes;
}

RunOutcome Run(const RunInputs& inputs, UniformGenerator& generator, RunSink& sink) {
  Model model(generator);
  return RunIn(model, inputs, sink);
}

// --- Sweeps ------------------------------------------------------------------------------------

SelectionSweepPlan MakeSelectionSweepPlan() {
  SelectionSweepPlan plan;
  for (double s = 0.01; s <= 0.2001; s += 0.01) plan.S.push_back(s);
  for (double k = 0.8; k <= 1.2001; k += 0.01) plan.K.push_back(k);
  return plan;
}

std::string SelectionHeading(double u, double s) {
  return "K\tu=" + common::FormatNumber(u) + " s=" + common::FormatNumber(s);
}

std::string SelectionLine(double k, double rPlusFreq) {
  return common::FormatNumber(k) + "\t" + common::FormatNumber(rPlusFreq);
}

PopulationSweepPlan MakePopulationSweepPlan(float first, float last, int iterations) {
  PopulationSweepPlan plan;
  plan.Iterations = iterations;
  for (float log10N = first; log10N <= last;) {
    plan.Log10N.push_back(log10N);
    const float next = log10N + 0.5f;
    if (next == log10N) break;  // beyond float32 resolution the sweep could not end
    log10N = next;
  }
  return plan;
}

std::string PopulationHeading(float log10N) {
  return "N =" + common::FormatSingle(log10N);
}

std::string OutcomeLine(double rPlusFreq) {
  return common::FormatNumber(rPlusFreq);
}

std::string PopulationStatisticsLine(float log10N, const std::vector<double>& outcomes) {
  double sum = 0;
  double sumOfSquares = 0;
  for (double r : outcomes) {
    sumOfSquares += r * r;
    sum += r;
  }
  const MeanAndDeviation result =
      OutcomeStatistics(sum, sumOfSquares, static_cast<int>(outcomes.size()));
  return common::FormatSingle(log10N) + "\t" + common::FormatNumber(result.Mean) + "\t" +
         common::FormatNumber(result.Deviation);
}

MeanAndDeviation OutcomeStatistics(double sum, double sumOfSquares, int count) {
  if (count < 1) return {0, 0};
  const double n = count;
  const double mean = sum / n;
  if (count < 2) return {mean, 0};
  const double variance = (sumOfSquares - common::Power(sum, 2) / n) / (n - 1);
  // All outcomes equal but not exactly representable can round the variance below 0.
  return {mean, variance > 0 ? std::sqrt(variance) : 0};
}

SweepReportLines::SweepReportLines(const SelectionSweepPlan& plan, double u, Writer write)
    : selection_(&plan), u_(u), write_(std::move(write)) {}

SweepReportLines::SweepReportLines(const PopulationSweepPlan& plan, Writer write)
    : population_(&plan), write_(std::move(write)) {}

bool SweepReportLines::Write(int file, std::string_view line) {
  if (!failed_ && !write_(file, line)) failed_ = true;
  return !failed_;
}

bool SweepReportLines::Begin() {
  return selection_ || Write(3, kPopulationStatisticsHeader);
}

bool SweepReportLines::Heading(size_t run) {
  const size_t size =
      selection_ ? selection_->K.size() : static_cast<size_t>(std::max(population_->Iterations, 1));
  const size_t block = run / size;
  if (run % size != 0 || headed_ == block) return !failed_;
  headed_ = block;
  if (selection_) return Write(2, SelectionHeading(u_, selection_->S[block]));
  block_.clear();
  return Write(2, PopulationHeading(population_->Log10N[block]));
}

bool SweepReportLines::Add(double rPlusFreq) {
  const size_t run = next_++;
  if (!Heading(run)) return false;
  if (selection_) {
    const size_t perS = selection_->K.size();
    if (!Write(2, SelectionLine(selection_->K[run % perS], rPlusFreq))) return false;
    return run % perS + 1 < perS || Write(2, kBlockEnd);
  }
  const size_t iterations = static_cast<size_t>(std::max(population_->Iterations, 1));
  const float log10N = population_->Log10N[run / iterations];
  if (!Write(2, OutcomeLine(rPlusFreq))) return false;
  block_.push_back(rPlusFreq);
  if (block_.size() < iterations) return true;
  return Write(2, kBlockEnd) && Write(3, PopulationStatisticsLine(log10N, block_));
}

}  // namespace quorvel
