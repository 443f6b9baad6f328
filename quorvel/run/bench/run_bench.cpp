// Whole Start commands through the run driver, as the window starts them: the default
// sweep over Log10(N) (1 to 12 step .5, 100 iterations of 250 generations) and the default
// sweep over S and K (820 runs of 250 generations), two loci, one deme. The picture box is
// a NullSurface (the cost of the simulation and the report files alone) or a
// RecordingSurface (plus recording every primitive, as the real picture box does).
//
// Every case goes through RunStartCommand(window, ...), so a case for another RunWindow
// (the real window, say) needs only a new window type.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>

#include "common/recording_surface.h"
#include "quorvel/model/model.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/run_window.h"

namespace quorvel {
namespace {

// The entries as the window shows them after start-up.
std::array<std::string, 41> StartUpEntries(const std::string& folder) {
  std::array<std::string, 41> entries;
  const char* starts[] = {"1E-05", "1E-05", "0.1", "1",   "1",   "1",   "1",
                          "0",     "100",   "6",   "1",   "0.1", "100", "0.3",
                          "0.2",   "0.3",   "0.2", "250", "1",   "12",  "0.5"};
  for (size_t i = 0; i <= 20; ++i) entries[i] = starts[i];
  entries[kEntrySaveDirectory] = folder;
  return entries;
}

// A window without widgets: entries in strings, progress and messages dropped.
template <class Surface>
class BenchWindow : public RunWindow, public common::MessageSink {
 public:
  explicit BenchWindow(const std::string& folder) : entries_(StartUpEntries(folder)) {}
  std::string EntryText(int index) const override { return entries_[static_cast<size_t>(index)]; }
  void ShowProgress(int, const std::string&) override { ++progress_; }
  void ValidateEntries() override {}
  common::DrawingSurface& Picture() override { return surface_; }
  common::MessageSink& Messages() override { return *this; }
  void ShowMessage(const std::string& text) override { message_ = text; }
  const std::string& Message() const { return message_; }

 private:
  std::array<std::string, 41> entries_;
  Surface surface_{1000, 1000};
  int progress_ = 0;
  std::string message_;
};

// The program's state at start-up, in the run mode of option button `option`.
struct ProgramState {
  explicit ProgramState(int option) {
    state.Checks.TotalStochasticity = 1;
    state.Checks.RecombForR = 1;
    state.SingleSimulation = option <= 1;
    model.NInfinite = option == 0 || option == 2;
    state.LoopSandK = option == 2;
    state.LoopLog10N = option == 3;
  }
  UniformGenerator generator;
  Model model{generator};
  RunState state;
};

class TempFolder {
 public:
  TempFolder() {
    std::random_device device;
    path_ =
        std::filesystem::temp_directory_path() / ("quorvel_run_bench_" + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// What the window's Start_Click does after its widget part.
void RunStartCommand(RunWindow& window, ProgramState& program) {
  RunCommand(program.model, program.state, window);
}

template <class Window>
void BM_Command(benchmark::State& st, int option, double generations) {
  TempFolder folder;
  for (auto _ : st) {
    ProgramState program(option);
    Window window(folder.Path());
    RunStartCommand(window, program);
    if (!window.Message().empty()) st.SkipWithError(window.Message().c_str());
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
  BM_Command<BenchWindow<common::NullSurface>>(st, 3, kPopulationLoopGenerations);
}
void BM_PopulationLoop_RecordingSurface(benchmark::State& st) {
  BM_Command<BenchWindow<common::RecordingSurface>>(st, 3, kPopulationLoopGenerations);
}
void BM_SelectionLoop_NullSurface(benchmark::State& st) {
  BM_Command<BenchWindow<common::NullSurface>>(st, 2, kSelectionLoopGenerations);
}
void BM_SelectionLoop_RecordingSurface(benchmark::State& st) {
  BM_Command<BenchWindow<common::RecordingSurface>>(st, 2, kSelectionLoopGenerations);
}
// A single run with N infinite: 250 generations, ReportFile1 written.
void BM_SingleRun_RecordingSurface(benchmark::State& st) {
  BM_Command<BenchWindow<common::RecordingSurface>>(st, 0, 250);
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
