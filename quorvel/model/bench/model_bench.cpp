// One generation of the genotype model with every operator on, against a floor loop that
// does the same number of generator draws, square roots and floors. The ratio of the two
// shows what the model costs beyond its unavoidable sampling arithmetic. With three loci and
// 100 demes the generation also runs on the portable kernels, so that the speed-up of the
// best vector path over them is measured in the same process on the same inputs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/model.h"
#include "quorvel/model/model_impl.h"

namespace quorvel {

// In floor_loop.cpp.
double FloorWork(UniformGenerator& gen, long draws, long roots, double x);

namespace {

struct Case {
  const char* name;
  int16_t loci;
  int16_t demes;
  bool infinite;
  // The S-K sweep's runs: only R+ recombines and drift is off.
  bool skSweep = false;
};

constexpr Case kCases[] = {
    {"2loci_1deme_Ninf", 2, 1, true},          {"2loci_1deme_N1e6", 2, 1, false},
    {"3loci_100demes_N1e6", 3, 100, false},    {"3loci_100demes_Ninf", 3, 100, true},
    {"3loci_1deme_Ninf_sk", 3, 1, true, true},
};

// The program's default parameters, with R- recombining in half (both recombination
// draws per genotype) and diffusion on.
template <class M>
void Setup(M& m, const Case& c) {
  m.AllelesNum = c.loci;
  m.BuildGenotypeTables();
  m.Demes = c.demes;
  m.NInfinite = c.infinite;
  m.PopulationN = 1e6;
  m.Z = c.skSweep ? 0.0f : 0.5f;
  m.Diffusion = 0.1f;
  m.TotalStochasticity = 0;
  const double s = 0.1, k = 1, u = 1e-5, w = 1e-5;
  m.S = s;
  m.UpdateSelection(k);
  m.SetMutationRates(u, w);
  m.Freq.Clear();
  for (int g = 1; g <= m.Demes; ++g) {
    for (int slot = 0; slot <= 1; ++slot) {
      for (int h = 1; h <= m.GenotypesNum; ++h) m.Freq(slot, g, h) = 1.0 / (2 * m.GenotypesNum);
    }
  }
}

// Every operator on (drift off in the S-K sweep's case), S constant.
template <class M>
void Generation(M& m, int generation, const Case& c) {
  GenerationSteps steps;
  steps.Drift = !c.skSweep;
  m.AdvanceGeneration(generation, steps);
}

// A generation is measured within runs of the default length, each starting again from
// the start state, so that the mix of amounts (worth more or less than one individual)
// is that of real runs rather than of a population that has long reached fixation.
constexpr int kRunLength = 250;

// Counts the draws and the square roots (each with its floor) of the sampling.
struct CountingGenerator {
  UniformGenerator inner;
  long draws = 0;
  long roots = 0;
  float Next() {
    ++draws;
    return inner.Next();
  }
  void CountSquareRoot() { ++roots; }
};

struct Work {
  double draws;  // per generation, averaged over one run
  double roots;
};

Work CountWork(const Case& c) {
  CountingGenerator gen;
  BasicModel<CountingGenerator> m(gen);
  Setup(m, c);
  for (int i = 1; i <= kRunLength; ++i) Generation(m, i, c);
  return {static_cast<double>(gen.draws) / kRunLength, static_cast<double>(gen.roots) / kRunLength};
}

void BM_Generation(benchmark::State& state, Case c, lanes::Path path) {
  const lanes::Path before = lanes::ActivePath();
  lanes::Use(path);
  UniformGenerator gen;
  Model m(gen);
  Setup(m, c);
  const FrequencyTable start = m.Freq;
  int generation = 0;
  for (auto _ : state) {
    if (++generation > kRunLength) {
      m.Freq = start;
      generation = 1;
    }
    Generation(m, generation, c);
    benchmark::ClobberMemory();
  }
  lanes::Use(before);
  const Work w = CountWork(c);
  state.counters["draws"] = w.draws;
  state.counters["roots"] = w.roots;
}

// The same number of draws, square roots and floors as one generation, and nothing else.
void BM_Floor(benchmark::State& state, Case c) {
  const Work w = CountWork(c);
  UniformGenerator gen;
  const long draws = static_cast<long>(w.draws + 0.5);
  const long roots = static_cast<long>(w.roots + 0.5);
  double x = 0.3;
  for (auto _ : state) {
    const double acc = FloorWork(gen, draws, roots, x);
    benchmark::DoNotOptimize(acc);
    x = acc > 0 ? 0.3 : 0.31;
  }
}

// Keeps the time per iteration of every run to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  using namespace quorvel;
  const lanes::Path best = lanes::ActivePath();
  for (const Case& c : kCases) {
    benchmark::RegisterBenchmark((std::string("BM_Generation/") + c.name).c_str(), BM_Generation, c,
                                 best);
    if (c.demes == 100) {
      benchmark::RegisterBenchmark((std::string("BM_Generation/") + c.name + "/portable").c_str(),
                                   BM_Generation, c, lanes::Path::Portable);
    }
    if (!c.infinite) {
      benchmark::RegisterBenchmark((std::string("BM_Floor/") + c.name).c_str(), BM_Floor, c);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto seconds = [&](const std::string& name) {
    const auto found = reporter.seconds.find(name);
    return found == reporter.seconds.end() ? 0.0 : found->second;
  };
  for (const Case& c : kCases) {
    const double gen = seconds(std::string("BM_Generation/") + c.name);
    if (gen == 0) continue;
    if (!c.infinite) {
      const double floor = seconds(std::string("BM_Floor/") + c.name);
      if (floor > 0) {
        std::printf("ratio generation/floor %-22s %.2f (goal at most 1.5)\n", c.name, gen / floor);
      }
    }
    const double portable = seconds(std::string("BM_Generation/") + c.name + "/portable");
    if (portable > 0) {
      std::printf("ratio vector-speedup-%s %.2f (%s over portable; goal at least %s)\n",
                  c.infinite ? "infinite" : "finite", portable / gen, lanes::Name(best),
                  c.infinite ? "1.5" : "2.0");
    }
  }
  benchmark::Shutdown();
  return 0;
}
