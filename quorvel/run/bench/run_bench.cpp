// Whole Start commands through the run driver, as the window starts them: the default
// sweep over Log10(N) (1 to 12 step .5, 100 iterations of 250 generations) and the default
// sweep over S and K (820 runs of 250 generations), two loci, one deme. The picture box is
// a NullSurface (the cost of the simulation and the report files alone) or a
// RecordingSurface (plus recording every primitive, as the real picture box does).
//
// Every case goes through RunStartCommand(window, ...), so a case for another RunWindow
// (the real window, say) needs only a new window type.
#include <benchmark/benchmark.h>

#include "quorvel/model/model.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

// The program's state at start-up, in the run mode of option button `option`.
struct ProgramState {
  explicit ProgramState(int option) {
    state.Checks = StartChecks(RunModeOfOption(option));
    ChooseRunMode(RunModeOfOption(option), state, model);
  }
  UniformGenerator generator;
  Model model{generator};
  RunState state;
};

// What the window's Start_Click does after its widget part.
void RunStartCommand(RunWindow& window, ProgramState& program) {
  RunCommand(program.model, program.state, window);
}

// A window without widgets; `record` keeps every primitive, as the real picture box does.
void BM_Command(benchmark::State& st, int option, double generations, bool record) {
  testing::TempFolder folder;
  for (auto _ : st) {
    ProgramState program(option);
    testing::FakeRunWindow window(folder.Path());
    if (!record) window.UseNullSurface();
    RunStartCommand(window, program);
    if (!window.Shown.empty()) st.SkipWithError(window.Shown.front().c_str());
  }
  st.counters["generations"] = generations;
  st.counters["generations_per_s"] =
      benchmark::Counter(generations, benchmark::Counter::kIsIterationInvariantRate);
}

// 23 values of Log10(N) x 100 iterations x 250 generations.
constexpr double kPopulationLoopGenerations = 23.0 * 100 * 250;
// 20 values of S x 41 of K x 250 generations.
constexpr double kSelectionLoopGenerations = 20.0 * 41 * 250;

void BM_PopulationLoop_NullSurface(benchmark::State& st) {
  BM_Command(st, 3, kPopulationLoopGenerations, false);
}
void BM_PopulationLoop_RecordingSurface(benchmark::State& st) {
  BM_Command(st, 3, kPopulationLoopGenerations, true);
}
void BM_SelectionLoop_NullSurface(benchmark::State& st) {
  BM_Command(st, 2, kSelectionLoopGenerations, false);
}
void BM_SelectionLoop_RecordingSurface(benchmark::State& st) {
  BM_Command(st, 2, kSelectionLoopGenerations, true);
}
// A single run with N infinite: 250 generations, ReportFile1 written.
void BM_SingleRun_RecordingSurface(benchmark::State& st) {
  BM_Command(st, 0, 250, true);
}

BENCHMARK(BM_PopulationLoop_NullSurface)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_PopulationLoop_RecordingSurface)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_SelectionLoop_NullSurface)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_SelectionLoop_RecordingSurface)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_SingleRun_RecordingSurface)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel

BENCHMARK_MAIN();
