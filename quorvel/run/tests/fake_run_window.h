// A window for tests of whole commands: entries as plain strings, progress and messages
// recorded, and a recording picture box; and the file helpers of the tests.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/recording_surface.h"
#include "common/testing/test_files.h"
#include "quorvel/model/model.h"
#include "quorvel/run/run_driver.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/run_window.h"

namespace quorvel::testing {

class FakeRunWindow : public RunWindow, public common::MessageSink {
 public:
  explicit FakeRunWindow(const std::string& folder) {
    // The entries as the window shows them at start-up.
    const char* starts[] = {"1E-05", "1E-05", "0.1", "1",   "1",   "1",   "1",
                            "0",     "100",   "6",   "1",   "0.1", "100", "0.3",
                            "0.2",   "0.3",   "0.2", "250", "1",   "12",  "0.5"};
    for (int i = 0; i <= 20; ++i) Entries[static_cast<size_t>(i)] = starts[i];
    Entries[kEntryFolder] = folder;
  }

  std::string EntryText(int index) const override { return Entries.at(static_cast<size_t>(index)); }
  void ShowProgress(int box, const std::string& text) override { Progress.emplace_back(box, text); }
  void ValidateEntries() override { ++Validations; }
  common::DrawingSurface& Picture() override { return *Surface; }
  common::MessageSink& Messages() override { return *this; }
  void ShowMessage(const std::string& text) override { Shown.push_back(text); }
  bool StopRequested() const override { return Stop && Stop(); }

  // Draws nothing, for long commands.
  void UseNullSurface() { Surface = &Null; }

  std::array<std::string, kBoxNumbers> Entries;
  std::vector<std::pair<int, std::string>> Progress;
  std::vector<std::string> Shown;
  int Validations = 0;
  // Asked after every generation: the user's request to stop.
  std::function<bool()> Stop;
  common::RecordingSurface Recording{1000, 1000};
  common::NullSurface Null{1000, 1000};
  common::DrawingSurface* Surface = &Recording;
};

using common::testing::Exists;
using common::testing::ReadBytes;
using common::testing::ReadLines;
using common::testing::SplitTabs;
using common::testing::TempFolder;
using common::testing::WriteBytes;

// The program's state at start-up: model, run state and window, with the check boxes and
// the run mode as the window sets them.
struct Session {
  explicit Session(const std::string& folder) : Window(folder) {
    State.Checks = StartChecks(RunMode::Single);
    SetMode(RunMode::Single);
  }

  void SetMode(RunMode mode) { ChooseRunMode(mode, State, Model); }

  void SetLoci(int loci) {
    Model.AllelesNum = static_cast<int16_t>(loci);
    Model.BuildGenotypeTables();
  }

  void Start() { RunCommand(Model, State, Window); }

  // The entries and check boxes as a run reads them.
  ParameterSet Entries() const {
    ParameterSet set;
    set.Texts = Window.Entries;
    set.Checks = State.Checks;
    return set;
  }

  UniformGenerator Generator;
  quorvel::Model Model{Generator};
  RunState State;
  FakeRunWindow Window;
};

}  // namespace quorvel::testing
