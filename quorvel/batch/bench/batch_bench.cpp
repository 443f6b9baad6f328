// Parallel sweeps: the default S-K sweep and an N sweep (Log10(N) 1 to 4, 50 replicates,
// 3 demes, drift on) through quorvel-batch with 1 and 2 threads, and the same sweeps
// through the window's run driver alone. Prints the best of several repetitions and
//   ratio speedup-2-threads        (1 thread / 2 threads; 2 would be perfect on 2 cores)
//   ratio batch-over-run-driver    (batch with 1 thread / run driver; 1 means no overhead)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "quorvel/batch/batch_command.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double BatchSweeps(const std::string& folder, const char* threads) {
  const std::vector<std::vector<std::string>> commands = {
      {"sk-sweep", "--quiet", "--seed", "1", "--threads", threads, "--out", folder},
      {"n-sweep", "--quiet", "--seed", "1", "--threads", threads, "--out", folder, "--set",
       "from=1", "--set", "to=4", "--set", "iterations=50", "--set", "demes=3"},
  };
  const Clock::time_point start = Clock::now();
  for (const std::vector<std::string>& args : commands) {
    std::ostringstream out, err;
    std::atomic<bool> stop{false};
    if (quorvel::batch::RunBatchCommand(args, out, err, stop, false) != 0) {
      std::fprintf(stderr, "batch command failed: %s\n", err.str().c_str());
      std::exit(1);
    }
  }
  return Seconds(start);
}

double DriverSweeps(const std::string& folder) {
  const Clock::time_point start = Clock::now();
  {
    quorvel::testing::Session session(folder);
    session.Window.UseNullSurface();
    session.SetMode(quorvel::RunMode::SkSweep);
    session.Start();
  }
  {
    quorvel::testing::Session session(folder);
    session.Window.UseNullSurface();
    session.Window.Entries[18] = "1";
    session.Window.Entries[19] = "4";
    session.Window.Entries[8] = "50";
    session.Window.Entries[10] = "3";
    session.SetMode(quorvel::RunMode::NSweep);
    session.Start();
  }
  return Seconds(start);
}

}  // namespace

int main() {
  quorvel::testing::TempFolder folder;
  const int repetitions = 5;
  double one = 1e300, two = 1e300, driver = 1e300;
  for (int i = 0; i < repetitions; ++i) {
    driver = std::min(driver, DriverSweeps(folder.Path()));
    one = std::min(one, BatchSweeps(folder.Path(), "1"));
    two = std::min(two, BatchSweeps(folder.Path(), "2"));
  }
  std::printf(
      "batch_bench: run driver %.3f s, batch 1 thread %.3f s, 2 threads %.3f s "
      "(best of %d)\n",
      driver, one, two, repetitions);
  std::printf("ratio speedup-2-threads %.3f\n", one / two);
  std::printf("ratio batch-over-run-driver %.3f\n", one / driver);
  return 0;
}
