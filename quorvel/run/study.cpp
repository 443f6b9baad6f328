#include "quorvel/run/study.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>

#include "common/number_text.h"
#include "quorvel/params/named_parameters.h"
#include "quorvel/run/ordered_executor.h"
#include "quorvel/run/seeds.h"

namespace quorvel {

using common::ShortestText;

namespace {

// A study that size is beyond any machine's time; the bound keeps the counts exact.
constexpr size_t kMaxValues = 10'000'000;

// The point's set as the window's validation pass leaves it. The one place that knows
// where those rules live.
struct PreparedPoint {
  ParameterValues Set;
  std::vector<std::string> Corrections;
  std::string Refusal;
};

std::vector<std::pair<std::string, std::string>> AssignmentsOf(const ParameterValues& base) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const ParameterRow& p : kParameterRows) {
    // The diffusion box follows the number of demes; stating it would report each change.
    if (p.Box == &CheckBoxes::InterdemicDiffusion) continue;
    out.emplace_back(p.Name, ValueText(base, p));
  }
  return out;
}

PreparedPoint PreparePoint(const std::vector<std::pair<std::string, std::string>>& base,
                           const std::vector<std::pair<std::string, std::string>>& point,
                           bool finite) {
  std::vector<std::pair<std::string, std::string>> assignments = base;
  assignments.insert(assignments.end(), point.begin(), point.end());
  Prepared prepared = PrepareParameters(
      MakeParameterTable(), finite ? RunMode::SingleFinite : RunMode::Single, assignments);
  PreparedPoint out;
  out.Set = std::move(prepared.Set);
  out.Refusal = std::move(prepared.Refusal);
  for (const Correction& c : prepared.Corrections) out.Corrections.push_back(c.Text());
  return out;
}

bool IsSwitchName(const ParameterRow& p) {
  return p.Entry < 0;
}

// Student's t: P(|T| <= t) with nu degrees of freedom, from the finite sums for whole nu.
double TwoSidedT(double t, int nu) {
  const double theta = std::atan(t / std::sqrt(static_cast<double>(nu)));
  const double c2 = std::cos(theta) * std::cos(theta);
  const double s = std::sin(theta);
  if (nu % 2 == 0) {
    double term = 1, sum = 1;
    for (int k = 2; k <= nu - 2; k += 2) {
      term *= c2 * (k - 1) / k;
      sum += term;
    }
    return s * sum;
  }
  if (nu == 1) return 2 * theta / std::numbers::pi;
  double term = 1, sum = 1;
  for (int k = 3; k <= nu - 2; k += 2) {
    term *= c2 * (k - 1) / k;
    sum += term;
  }
  return 2 / std::numbers::pi * (theta + s * std::cos(theta) * sum);
}

// The t with P(|T| <= t) = 0.95.
double TQuantile975(int nu) {
  constexpr double z = 1.959963984540054;
  if (nu > 400) {
    // Cornish-Fisher expansion in 1/nu, exact to far below the digits a mean carries here.
    const double z3 = z * z * z, z5 = z3 * z * z, n = nu;
    return z + (z3 + z) / (4 * n) + (5 * z5 + 16 * z3 + 3 * z) / (96 * n * n);
  }
  double low = z, high = 700;
  for (int i = 0; i < 100 && high - low > 1e-13 * high; ++i) {
    const double mid = 0.5 * (low + high);
    (TwoSidedT(mid, nu) < 0.95 ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

}  // namespace

// --- Definition ---------------------------------------------------------------------------

bool StudyDefinition::FinitePopulation() const {
  if (Finite) return true;
  return std::any_of(Varied.begin(), Varied.end(),
                     [](const VariedParameter& p) { return NamesEntry(p.Name, kEntryLog10N); });
}

size_t StudyDefinition::PointCount() const {
  if (Varied.empty()) return 0;
  size_t count = 1;
  for (const VariedParameter& p : Varied) count *= p.Values.size();
  return count;
}

size_t StudyDefinition::RunCount() const {
  return PointCount() * static_cast<size_t>(std::max(Replicates, 0));
}

bool RangeValues(double from, double to, double step, std::vector<double>& values,
                 std::string& message) {
  values.clear();
  if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
    message = "the range needs finite numbers";
    return false;
  }
  if (step == 0 || (to - from) * step < 0) {
    message = "a step of " + ShortestText(step) + " never goes from " + ShortestText(from) +
              " to " + ShortestText(to);
    return false;
  }
  const double slack = std::abs(step) / 1000;
  const double direction = step > 0 ? 1 : -1;
  for (double x = from; (x - to) * direction <= slack; x += step) {
    if (values.size() >= kMaxValues) {
      message = "the range has more than " + std::to_string(kMaxValues) + " values";
      return false;
    }
    values.push_back(x);
  }
  return true;
}

namespace {

bool ParseNumber(std::string_view text, double& value) {
  const std::string trimmed = common::TrimBlanks(text);
  if (trimmed.empty() || !IsNumberText(trimmed)) return false;
  value = common::ParseLeadingNumber(trimmed);
  return std::isfinite(value);
}

std::vector<std::string> SplitOn(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t at = text.find(separator, start);
    parts.emplace_back(text.substr(start, at == std::string_view::npos ? text.npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

bool ParseRange(const std::string& name, std::string_view text, VariedParameter& parameter,
                std::string& message) {
  const std::vector<std::string> parts = SplitOn(text, ':');
  double bounds[3];
  for (size_t i = 0; i < 3; ++i) {
    if (parts.size() != 3 || !ParseNumber(parts[i], bounds[i])) {
      message = name + ": '" + std::string(text) + "' is not FROM:TO:STEP with three numbers";
      return false;
    }
  }
  std::vector<double> values;
  if (!RangeValues(bounds[0], bounds[1], bounds[2], values, message)) {
    message = name + ": " + message;
    return false;
  }
  for (double v : values) parameter.Values.push_back(ShortestText(v));
  return true;
}

bool ParseList(const ParameterRow& p, std::string_view text, VariedParameter& parameter,
               std::string& message) {
  for (std::string value : SplitOn(text, ',')) {
    value = common::TrimBlanks(value);
    if (IsSwitchName(p)) {
      const bool loci = p.Kind == ParameterKind::Loci;
      const bool ok = loci ? (value == "2" || value == "3") : (value == "on" || value == "off");
      if (!ok) {
        message =
            std::string(p.Name) + ": '" + value + "' is not " + (loci ? "2 or 3" : "on or off");
        return false;
      }
      parameter.Values.push_back(value);
      continue;
    }
    double number = 0;
    if (!ParseNumber(value, number)) {
      message = std::string(p.Name) + ": '" + value + "' is not a number";
      return false;
    }
    parameter.Values.push_back(ShortestText(number));
  }
  return true;
}

}  // namespace

bool ParseVariedParameter(std::string_view text, VariedParameter& parameter, std::string& message) {
  parameter = VariedParameter();
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    message = "'" + std::string(text) + "': NAME=FROM:TO:STEP or NAME=V1,V2,... is needed";
    return false;
  }
  const std::string name = common::TrimBlanks(text.substr(0, equals));
  const std::string_view values = text.substr(equals + 1);
  const ParameterRow* p = FindParameter(name);
  if (!p) {
    message = "unknown parameter '" + name + "'; did you mean '" + NearestName(name) + "'?";
    return false;
  }
  parameter.Name = p->Name;
  if (common::TrimBlanks(values).empty()) {
    message = name + ": no values";
    return false;
  }
  if (values.find(':') != std::string_view::npos) {
    if (IsSwitchName(*p)) {
      message = name + ": a switch takes a list (" +
                (p->Kind == ParameterKind::Loci ? std::string("2,3") : std::string("on,off")) +
                "), not a range";
      return false;
    }
    return ParseRange(name, values, parameter, message);
  }
  return ParseList(*p, values, parameter, message);
}

std::string DefinitionRefusal(const StudyDefinition& definition) {
  const auto& varied = definition.Varied;
  if (varied.empty() || varied.size() > kMaxVariedParameters)
    return "a study varies 1 to " + std::to_string(kMaxVariedParameters) + " parameters, not " +
           std::to_string(varied.size());
  std::set<std::string> seen;
  for (const VariedParameter& p : varied) {
    if (!FindParameter(p.Name)) return "unknown parameter '" + p.Name + "'";
    if (!seen.insert(p.Name).second) return p.Name + " is varied twice";
    if (p.Values.empty()) return p.Name + ": no values";
  }
  if (definition.Replicates < 1) return "a study needs at least one replicate";
  if (definition.Replicates > 1 && !definition.FinitePopulation())
    return "replicates of a run with N infinite are all the same run: more than one replicate "
           "needs a finite population (--finite, or vary log10n)";
  size_t points = 1;
  for (const VariedParameter& p : varied) {
    if (p.Values.size() > kMaxValues / points) return "the grid has too many points";
    points *= p.Values.size();
  }
  if (static_cast<size_t>(definition.Replicates) > kMaxValues * 100 / points)
    return "the study has too many runs";
  return {};
}

std::vector<size_t> PointValueIndexes(const StudyDefinition& definition, size_t point) {
  std::vector<size_t> indexes(definition.Varied.size());
  for (size_t i = definition.Varied.size(); i-- > 0;) {
    const size_t n = definition.Varied[i].Values.size();
    indexes[i] = point % n;
    point /= n;
  }
  return indexes;
}

RunPlace PlaceOf(const StudyDefinition& definition, size_t run) {
  const size_t replicates = static_cast<size_t>(std::max(definition.Replicates, 1));
  return {run, run / replicates, run % replicates};
}

uint64_t RunSeed(const StudyDefinition& definition, const RunPlace& place) {
  return ReplicateSeed(definition.Seed, place.Point, place.Replicate);
}

RunRange ShardRange(size_t runs, int index, int count) {
  const size_t i = static_cast<size_t>(index);
  const size_t n = static_cast<size_t>(count);
  return {(i - 1) * runs / n, i * runs / n};
}

// --- Prepared study -----------------------------------------------------------------------

namespace {

// Parameters whose validated value depends on another's, or that change another's: the
// N sweep's bounds, the number of demes and the diffusion box, the loci and the linkage
// start, the inversion and the sinusoidal variation. A grid varying any of them passes
// every point whole through the validation pass; any other parameter is validated value
// by value, the same rules giving the same result at every point.
bool RulesTieToOthers(const std::string& name) {
  for (int entry : {kEntryLoopFrom, kEntryLoopTo, kEntryDemes})
    if (NamesEntry(name, entry)) return true;
  for (CheckValue CheckBoxes::*box :
       {&CheckBoxes::InterdemicDiffusion, &CheckBoxes::LinkageDisequilibrium,
        &CheckBoxes::InversionOfS, &CheckBoxes::SinusoidalOption})
    if (NamesSwitch(name, box)) return true;
  return NamesLoci(name);
}

bool IsHaplotype(const std::string& name) {
  for (int entry = kEntryHaplotypeAb; entry <= kEntryHaplotypeCapACapB; ++entry)
    if (NamesEntry(name, entry)) return true;
  return false;
}

// A varied value as the validated set holds it (entry text, or on/off for a switch), and
// as the tables show it.
struct ValidatedValue {
  std::string Text;
  std::string Shown;
};

ValidatedValue ValueIn(const ParameterValues& set, const ParameterRow& p) {
  if (IsSwitchName(p)) return {ValueText(set, p), ValueText(set, p)};
  const std::string& text = set.Entries[static_cast<size_t>(p.Entry)];
  return {text, ShortestText(common::ParseLeadingNumber(text))};
}

void SetValue(ParameterValues& set, const ParameterRow& p, const std::string& text) {
  if (!IsSwitchName(p))
    set.Entries[static_cast<size_t>(p.Entry)] = text;
  else if (p.Kind != ParameterKind::Loci)
    SwitchValue(set, p) = text == "on" ? 1 : 0;
}

}  // namespace

struct Study::Impl {
  std::vector<std::pair<std::string, std::string>> Base;
  bool Finite = false;
  // Value by value: the validated base and each varied value validated on it.
  bool ByValue = false;
  ParameterValues BaseSet;
  std::vector<const ParameterRow*> Names;
  std::vector<std::vector<ValidatedValue>> Values;

  std::vector<std::pair<std::string, std::string>> PointAssignments(const StudyDefinition& d,
                                                                    size_t point) const {
    const std::vector<size_t> at = PointValueIndexes(d, point);
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t i = 0; i < at.size(); ++i)
      out.emplace_back(d.Varied[i].Name, d.Varied[i].Values[at[i]]);
    return out;
  }
  // The point's set as the validation pass leaves it.
  ParameterValues Set(const StudyDefinition& d, size_t point) const {
    if (!ByValue) return PreparePoint(Base, PointAssignments(d, point), Finite).Set;
    ParameterValues set = BaseSet;
    const std::vector<size_t> at = PointValueIndexes(d, point);
    for (size_t i = 0; i < at.size(); ++i) SetValue(set, *Names[i], Values[i][at[i]].Text);
    return set;
  }
};

Study::Study(StudyDefinition definition)
    : definition_(std::move(definition)), impl_(std::make_unique<Impl>()) {
  impl_->Base = AssignmentsOf(definition_.Base);
  impl_->Finite = definition_.FinitePopulation();
  impl_->ByValue = std::none_of(definition_.Varied.begin(), definition_.Varied.end(),
                                [](const VariedParameter& p) { return RulesTieToOthers(p.Name); });
  for (const VariedParameter& p : definition_.Varied) impl_->Names.push_back(FindParameter(p.Name));
}

Study::~Study() = default;

namespace {

std::string PointText(const StudyDefinition& d, size_t point) {
  const std::vector<size_t> at = PointValueIndexes(d, point);
  std::string text = "point " + std::to_string(point + 1) + " (";
  for (size_t i = 0; i < at.size(); ++i)
    text += (i ? ", " : "") + d.Varied[i].Name + "=" + d.Varied[i].Values[at[i]];
  return text + ")";
}

// The first point where varied parameter i takes its value-th value.
size_t FirstPointWith(const StudyDefinition& d, size_t i, size_t value) {
  size_t stride = 1;
  for (size_t j = i + 1; j < d.Varied.size(); ++j) stride *= d.Varied[j].Values.size();
  return value * stride;
}

// Collects the corrections, each once; false with the refusal set when the point is refused.
bool TakePrepared(const PreparedPoint& prepared, const std::string& where, StudyCheck& check,
                  std::set<std::string>& reported) {
  if (!prepared.Refusal.empty()) {
    check.Refusal = where + ": " + prepared.Refusal;
    return false;
  }
  for (const std::string& c : prepared.Corrections)
    if (reported.insert(c).second) check.Corrections.push_back(c);
  return true;
}

}  // namespace

bool Study::ValidateByValue(StudyCheck& check) {
  const StudyDefinition& d = definition_;
  Impl& impl = *impl_;
  std::set<std::string> reported;
  const PreparedPoint base = PreparePoint(impl.Base, {}, impl.Finite);
  if (!TakePrepared(base, "the base parameters", check, reported)) return false;
  impl.BaseSet = base.Set;
  impl.Values.assign(d.Varied.size(), {});
  for (size_t i = 0; i < d.Varied.size(); ++i) {
    for (size_t v = 0; v < d.Varied[i].Values.size(); ++v) {
      const PreparedPoint one =
          PreparePoint(impl.Base, {{d.Varied[i].Name, d.Varied[i].Values[v]}}, impl.Finite);
      if (!TakePrepared(one, PointText(d, FirstPointWith(d, i, v)), check, reported)) return false;
      impl.Values[i].push_back(ValueIn(one.Set, *impl.Names[i]));
    }
  }
  return true;
}

bool Study::ValidateByPoint(StudyCheck& check) {
  std::set<std::string> reported;
  for (size_t point = 0; point < definition_.PointCount(); ++point) {
    const PreparedPoint prepared =
        PreparePoint(impl_->Base, impl_->PointAssignments(definition_, point), impl_->Finite);
    if (!TakePrepared(prepared, PointText(definition_, point), check, reported)) return false;
  }
  return true;
}

std::shared_ptr<const Study> Study::Prepare(const StudyDefinition& definition, StudyCheck& check) {
  check = StudyCheck();
  check.Refusal = DefinitionRefusal(definition);
  if (!check.Refusal.empty()) return nullptr;
  auto study = std::make_shared<Study>(definition);
  if (!(study->impl_->ByValue ? study->ValidateByValue(check) : study->ValidateByPoint(check)))
    return nullptr;
  // The start state depends on the haplotypes and the linkage start alone.
  const bool perPoint =
      std::any_of(definition.Varied.begin(), definition.Varied.end(), [](const VariedParameter& p) {
        return IsHaplotype(p.Name) || NamesSwitch(p.Name, &CheckBoxes::LinkageDisequilibrium) ||
               NamesLoci(p.Name);
      });
  for (size_t point = 0; point < (perPoint ? definition.PointCount() : 1); ++point) {
    if (!StartStateAccepted(study->PointInputs(point))) {
      check.Refusal = PointText(definition, point) +
                      ": the haplotype frequencies ab + Ab + aB + AB do not total 1";
      return nullptr;
    }
  }
  return study;
}

int Study::Loci(size_t point) const {
  return impl_->Set(definition_, point).Loci;
}

std::vector<std::string> Study::PointValues(size_t point) const {
  std::vector<std::string> values;
  if (impl_->ByValue) {
    const std::vector<size_t> at = PointValueIndexes(definition_, point);
    for (size_t i = 0; i < at.size(); ++i) values.push_back(impl_->Values[i][at[i]].Shown);
    return values;
  }
  const ParameterValues set = impl_->Set(definition_, point);
  for (const ParameterRow* p : impl_->Names) values.push_back(ValueIn(set, *p).Shown);
  return values;
}

RunInputs Study::PointInputs(size_t point) const {
  const ParameterValues set = impl_->Set(definition_, point);
  const ParameterSet core = CoreSet(set);
  const bool finite = impl_->Finite;
  const float log10N =
      finite ? static_cast<float>(common::ParseLeadingNumber(core.Text(kEntryLog10N))) : 0.0f;
  RunInputs inputs = ReadRunInputs(core, static_cast<int16_t>(set.Loci), !finite, log10N);
  if (definition_.KeepEnteredS)
    inputs.EnteredS = common::ParseLeadingNumber(definition_.Base.Entries[kEntryS]);
  return inputs;
}

// --- Runs -----------------------------------------------------------------------------------

namespace {

// Final frequencies of A, B and C in a deme (its slots 0 and 1, or the means over the demes
// in slots 3 and 4 of deme 1): uppercase allele i is number loci + i.
void TakeAlleles(const Model& model, int16_t plus, int16_t deme, StudyOutcome& outcome) {
  const int16_t loci = model.AllelesNum == 2 ? 2 : 3;
  double total = 0;
  for (int g = 1; g <= model.GenotypesNum; ++g)
    total += model.Freq(plus, deme, g) + model.Freq(plus + 1, deme, g);
  for (int16_t i = 1; i <= loci; ++i) {
    const int16_t allele = static_cast<int16_t>(loci + i);
    const double carriers = model.AlleleFrequency(plus, deme, allele) +
                            model.AlleleFrequency(static_cast<int16_t>(plus + 1), deme, allele);
    outcome.FinalAllele[static_cast<size_t>(i - 1)] = total > 0 ? carriers / total : 0;
  }
}

}  // namespace

namespace {

// A thread's model, kept from run to run as the window's own is through a sweep: every run
// sets it up whole, and building it anew would cost a short run as much as the run.
struct RunModel {
  UniformGenerator Generator;
  Model State{Generator};
};

// The study's record of a run, from its outcome and the model it ended in: the alleles are
// read from `plus` (slots plus and plus + 1) of `deme`.
StudyOutcome Record(const Study& study, size_t run, const RunInputs& inputs,
                    const RunOutcome& result, const Model& model, int16_t plus, int16_t deme) {
  const StudyDefinition& d = study.Definition();
  StudyOutcome outcome;
  outcome.Place = PlaceOf(d, run);
  outcome.Finite = d.FinitePopulation();
  if (outcome.Finite) outcome.Seed = RunSeed(d, outcome.Place);
  outcome.Loci = inputs.Loci == 2 ? 2 : 3;
  outcome.FinalRPlus = result.RPlusFreq;
  outcome.Generations = result.GenerationsDone;
  outcome.ExtinctAt = result.ExtinctAt;
  outcome.RPlusFixedAt = result.RPlusFixedAt;
  outcome.RPlusLostAt = result.RPlusLostAt;
  TakeAlleles(model, plus, deme, outcome);
  return outcome;
}

StudyOutcome RunWithInputs(const Study& study, size_t run, const RunInputs& inputs, RunSink& sink,
                           RunModel& runModel) {
  const StudyDefinition& d = study.Definition();
  runModel.Generator = UniformGenerator();
  if (d.FinitePopulation())
    runModel.Generator = UniformGenerator::FromSeed(RunSeed(d, PlaceOf(d, run)));
  Model& model = runModel.State;
  const RunOutcome result = RunIn(model, inputs, sink);
  // With several demes the means over them stand in slots 3 and 4 of deme 1.
  return Record(study, run, inputs, result, model, model.Demes <= 1 ? kSlotRPlus : kSlotMeanRPlus,
                1);
}

// Ends a run in flight after its generation once the study is stopped.
class StopSink : public RunSink {
 public:
  explicit StopSink(const std::atomic<bool>& stop) : stop_(stop) {}
  void Generation(const GenerationRow&) override {}
  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& stop_;
};

// The inputs of the last point a thread ran: replicates of a point share them, and
// preparing a point costs the validation pass.
struct PointCache {
  size_t Point = SIZE_MAX;
  RunInputs Inputs;
  std::unique_ptr<RunModel> Run = std::make_unique<RunModel>();
};

// Jobs handed to the threads at once: the executor keeps a slot per job, so a study of
// any size goes through in chunks of bounded memory.
constexpr size_t kChunk = 8192;

// The inputs of a run, through the thread's cache of the last point.
const RunInputs& InputsOf(const Study& study, size_t run, PointCache& cache) {
  const size_t point = PlaceOf(study.Definition(), run).Point;
  if (cache.Point != point) {
    cache.Inputs = study.PointInputs(point);
    cache.Point = point;
  }
  return cache.Inputs;
}

// Runs `run` and, where they may go beside it, the runs after it up to `end` (at most
// RunsSideBySideAtMost() together): their outcomes in run order. The sink may stop them.
std::vector<StudyOutcome> RunNext(const Study& study, size_t run, size_t end, RunSink& sink,
                                  PointCache& cache) {
  std::vector<RunInputs> runs = {InputsOf(study, run, cache)};
  if (const size_t most = RunsSideBySideAtMost(); most > 1 && RunsSideBySide(runs.front())) {
    while (runs.size() < most && run + runs.size() < end) {
      const RunInputs& next = InputsOf(study, run + runs.size(), cache);
      if (!RunsSideBySide(runs.front(), next)) break;
      runs.push_back(next);
    }
  }
  if (runs.size() == 1) return {RunWithInputs(study, run, runs.front(), sink, *cache.Run)};
  Model& model = cache.Run->State;
  const std::vector<RunOutcome> results = RunSideBySide(model, runs, sink);
  std::vector<StudyOutcome> outcomes;
  for (size_t r = 0; r < runs.size(); ++r) {
    outcomes.push_back(Record(study, run + r, runs[r], results[r], model, kSlotRPlus,
                              static_cast<int16_t>(r + 1)));
  }
  return outcomes;
}

}  // namespace

StudyOutcome RunStudyRun(const Study& study, size_t run, RunSink& sink) {
  RunModel model;
  return RunWithInputs(study, run, study.PointInputs(PlaceOf(study.Definition(), run).Point), sink,
                       model);
}

namespace {

// Asks the observer every few generations whether to stop, on the study's own thread.
class AskingSink : public RunSink {
 public:
  explicit AskingSink(StudyObserver& observer) : observer_(observer) {}
  void Generation(const GenerationRow& row) override {
    if (row.Generation % 64 == 0) stop_ = observer_.StopRequested();
  }
  bool StopRequested() const override { return stop_; }

 private:
  StudyObserver& observer_;
  bool stop_ = false;
};

// One thread: the runs go on the calling thread, with nothing to hand between threads.
StudyProgress RunInline(const Study& study, RunRange range, StudyObserver& observer) {
  StudyProgress progress;
  PointCache cache;
  for (size_t run = range.First; run < range.End;) {
    if (observer.StopRequested()) {
      progress.Stopped = true;
      break;
    }
    AskingSink sink(observer);
    const std::vector<StudyOutcome> outcomes = RunNext(study, run, range.End, sink, cache);
    if (sink.StopRequested()) {
      progress.Stopped = true;
      break;
    }
    for (const StudyOutcome& outcome : outcomes) {
      if (!observer.RunEnded(outcome)) return progress;
      ++progress.Done;
      if (outcome.ExtinctAt > 0) ++progress.Extinct;
    }
    run += outcomes.size();
  }
  return progress;
}

}  // namespace

// Runs a thread takes at once: short runs in blocks, so that handing results between
// threads costs little beside them; long runs one by one, so that the threads end together
// and the progress moves run by run. The work of a run is its generations times its demes,
// taken at the first and the last point.
size_t RunsPerJob(const Study& study, size_t runs, unsigned threads) {
  constexpr long kWorkPerJob = 20'000;
  constexpr size_t kMostRuns = 64;
  long work = 1;
  for (const size_t point : {size_t{0}, study.PointCount() - 1}) {
    const RunInputs inputs = study.PointInputs(point);
    work = std::max(work, static_cast<long>(inputs.MaxGen) * std::max<long>(inputs.Demes, 1));
  }
  // Enough jobs that every thread has work to the end.
  const size_t fair = std::max<size_t>(1, runs / (16 * static_cast<size_t>(threads)));
  return std::clamp<size_t>(static_cast<size_t>(kWorkPerJob / work), 1, std::min(kMostRuns, fair));
}

StudyProgress RunStudy(const Study& study, RunRange range, unsigned threads,
                       StudyObserver& observer) {
  if (threads <= 1) return RunInline(study, range, observer);
  StudyProgress progress;
  if (range.Count() == 0) return progress;
  std::vector<PointCache> caches(threads);
  std::atomic<bool> stop{false};
  bool going = true;
  const size_t block = RunsPerJob(study, range.Count(), threads);
  for (size_t first = range.First; going && first < range.End; first += kChunk * block) {
    const size_t runs = std::min(kChunk * block, range.End - first);
    const size_t jobs = (runs + block - 1) / block;
    using Outcomes = std::vector<StudyOutcome>;
    OrderedExecutor<Outcomes> executor(jobs, threads, [&](size_t job, unsigned worker) {
      Outcomes outcomes;
      PointCache& cache = caches[worker];
      const size_t end = first + std::min(runs, (job + 1) * block);
      for (size_t run = first + job * block; run < end && !stop;) {
        StopSink sink(stop);
        std::vector<StudyOutcome> next = RunNext(study, run, end, sink, cache);
        run += next.size();
        outcomes.insert(outcomes.end(), next.begin(), next.end());
      }
      return outcomes;
    });
    while (going && !executor.Finished()) {
      executor.DeliverWaiting(
          [&](size_t, Outcomes& outcomes) {
            for (StudyOutcome& outcome : outcomes) {
              if (!going || stop) return;
              if (observer.StopRequested()) {
                stop = true;
                progress.Stopped = true;
                going = false;
                return;
              }
              if (!observer.RunEnded(outcome)) {
                going = false;
                return;
              }
              ++progress.Done;
              if (outcome.ExtinctAt > 0) ++progress.Extinct;
            }
          },
          std::chrono::milliseconds(50));
      if (going && observer.StopRequested()) {
        stop = true;
        progress.Stopped = true;
        going = false;
      }
    }
    if (!going) executor.RequestStop();
  }
  return progress;
}

// --- Statistics -----------------------------------------------------------------------------

void PointAccumulator::Add(const StudyOutcome& outcome) {
  ++runs_;
  const double delta = outcome.FinalRPlus - mean_;
  mean_ += delta / static_cast<double>(runs_);
  m2_ += delta * (outcome.FinalRPlus - mean_);
  if (outcome.RPlusFixedAt > 0) {
    ++fixed_;
    fixedAtSum_ += outcome.RPlusFixedAt;
  }
  if (outcome.RPlusLostAt > 0) {
    ++lost_;
    lostAtSum_ += outcome.RPlusLostAt;
  }
  if (outcome.ExtinctAt > 0) ++extinct_;
}

PointSummary PointAccumulator::Summary() const {
  PointSummary s;
  s.Runs = runs_;
  s.Mean = mean_;
  s.Fixed = fixed_;
  s.Lost = lost_;
  s.Extinct = extinct_;
  if (fixed_ > 0) s.MeanFixedAt = fixedAtSum_ / static_cast<double>(fixed_);
  if (lost_ > 0) s.MeanLostAt = lostAtSum_ / static_cast<double>(lost_);
  if (runs_ >= 2) {
    s.Spread = true;
    const double n = static_cast<double>(runs_);
    s.Deviation = std::sqrt(std::max(m2_, 0.0) / (n - 1));
    s.Error = s.Deviation / std::sqrt(n);
    const double half =
        TQuantile975(static_cast<int>(std::min<size_t>(runs_ - 1, 1'000'000))) * s.Error;
    s.Ci95Low = s.Mean - half;
    s.Ci95High = s.Mean + half;
  }
  return s;
}

}  // namespace quorvel
