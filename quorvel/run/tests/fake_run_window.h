// A window for tests of whole commands: entries as plain strings, progress and messages
// recorded, and a recording picture box.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/recording_surface.h"
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

  // Draws nothing, for long commands.
  void UseNullSurface() { Surface = &Null; }

  std::array<std::string, 41> Entries;
  std::vector<std::pair<int, std::string>> Progress;
  std::vector<std::string> Shown;
  int Validations = 0;
  common::RecordingSurface Recording{1000, 1000};
  common::NullSurface Null{1000, 1000};
  common::DrawingSurface* Surface = &Recording;
};

// A folder of its own under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("quorvel_run_" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Path() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The lines of a file whose lines all end in CR LF; a stray LF or CR fails the split.
inline std::vector<std::string> ReadLines(const std::string& path, bool* wellFormed = nullptr) {
  const std::string bytes = ReadBytes(path);
  std::vector<std::string> lines;
  bool ok = true;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ok = false;
      lines.push_back(bytes.substr(start));
      break;
    }
    std::string line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos) ok = false;
    lines.push_back(line);
    start = end + 2;
  }
  if (wellFormed) *wellFormed = ok;
  return lines;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

// The program's state at start-up: model, run state and window, with the check boxes and
// the run mode as the window sets them.
struct Session {
  explicit Session(const std::string& folder) : Window(folder) {
    State.Checks.TotalStochasticity = 1;
    State.Checks.RecombForR = 1;
    SetMode(0);
  }

  // The run-mode option buttons 0 to 3.
  void SetMode(int option) { ChooseRunMode(option, State, Model); }

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
