// What the study engine costs beside the runs themselves, and how well it uses a second
// core. Prints, besides the times:
//   ratio study-overhead VALUE: a study of 10,000 short finite runs on one thread, with its
//     tables built, over the same runs in a bare loop (goal: at most 1.05);
//   ratio study-parallel-efficiency VALUE: the study's speed-up on two threads over the
//     machine's own, measured in the same run as two copies of a fixed single-threaded
//     loop at once against one alone (goal: at least 0.9). Two cores shared with other
//     work rarely give two independent loops a speed-up of 2, so the study is held to what
//     the machine gives.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "quorvel/params/named_parameters.h"
#include "quorvel/run/study.h"
#include "quorvel/run/study_tables.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// 10,000 runs of 40 generations: 5 sizes of population, 2,000 replicates each.
std::shared_ptr<const Study> ShortRuns() {
  StudyDefinition d;
  d.Base = StartUpSet(MakeParameterTable(), RunMode::SingleFinite);
  d.Base.Entries[kEntryMaxGen] = "40";
  d.Varied = {{ParameterOfEntry(kEntryLog10N)->Name, {"2", "3", "4", "5", "6"}}};
  d.Replicates = 2000;
  d.Finite = true;
  d.Seed = 1;
  StudyCheck check;
  return Study::Prepare(d, check);
}

// The runs alone: inputs prepared once per point, one model kept from run to run (as a
// study keeps a thread's), a generator per run, nothing kept.
double BareLoop(const Study& study) {
  std::vector<RunInputs> inputs;
  for (size_t p = 0; p < study.PointCount(); ++p) inputs.push_back(study.PointInputs(p));
  const Clock::time_point start = Clock::now();
  double sink = 0;
  UniformGenerator generator;
  Model model(generator);
  for (size_t run = 0; run < study.RunCount(); ++run) {
    const RunPlace place = PlaceOf(study.Definition(), run);
    generator = UniformGenerator::FromSeed(RunSeed(study.Definition(), place));
    NoSink none;
    sink += RunIn(model, inputs[place.Point], none).RPlusFreq;
  }
  const double seconds = Seconds(start);
  if (sink < 0) std::printf("%g\n", sink);
  return seconds;
}

// The study with both tables built line by line, the lines dropped.
class Tables : public StudyObserver {
 public:
  explicit Tables(const Study& study)
      : tables_(study, [this](const char*, std::string_view line) {
          bytes_ += line.size();
          return true;
        }) {
    tables_.Begin();
  }
  bool RunEnded(const StudyOutcome& outcome) override { return tables_.Add(outcome); }

 private:
  StudyTables tables_;
  size_t bytes_ = 0;
};

double StudyTime(const Study& study, unsigned threads) {
  Tables tables(study);
  const Clock::time_point start = Clock::now();
  RunStudy(study, {0, study.RunCount()}, threads, tables);
  return Seconds(start);
}

// A fixed single-threaded loop: the same 2,000 runs of one point, in a loop of its own.
double FixedLoop(const Study& study) {
  const RunInputs inputs = study.PointInputs(2);
  const Clock::time_point start = Clock::now();
  double sink = 0;
  UniformGenerator generator;
  Model model(generator);
  for (size_t r = 0; r < 2000; ++r) {
    generator = UniformGenerator::FromSeed(r);
    NoSink none;
    sink += RunIn(model, inputs, none).RPlusFreq;
  }
  if (sink < 0) std::printf("%g\n", sink);
  return Seconds(start);
}

// Twice the time of one fixed loop over the time of two at once.
double MachineSpeedUp(const Study& study) {
  const double one = FixedLoop(study);
  const Clock::time_point start = Clock::now();
  {
    std::jthread a([&] { FixedLoop(study); });
    std::jthread b([&] { FixedLoop(study); });
  }
  return 2 * one / Seconds(start);
}

}  // namespace
}  // namespace quorvel

int main() {
  using namespace quorvel;
  const std::shared_ptr<const Study> study = ShortRuns();
  if (!study) return 1;
  // Five rounds, each side in turn, so that a passing load spoils no side alone: the
  // overhead from the best times, the efficiency as the median of the rounds' own.
  double bare = 1e9, one = 1e9, two = 1e9;
  std::vector<double> efficiency, machine;
  for (int round = 0; round < 5; ++round) {
    const double b = BareLoop(*study), o = StudyTime(*study, 1), t = StudyTime(*study, 2);
    machine.push_back(MachineSpeedUp(*study));
    efficiency.push_back(o / t / machine.back());
    bare = std::min(bare, b);
    one = std::min(one, o);
    two = std::min(two, t);
  }
  std::sort(efficiency.begin(), efficiency.end());
  std::sort(machine.begin(), machine.end());
  std::printf("s bare-loop %.4f\ns study-1-thread %.4f\ns study-2-threads %.4f\n", bare, one, two);
  std::printf("ratio machine-speed-up-2-loops %.3f\n", machine[2]);
  std::printf("ratio study-overhead %.3f\n", one / bare);
  std::printf("ratio study-parallel-efficiency %.3f\n", efficiency[2]);
  return 0;
}
