// Helpers shared by tessaline's tests: a message sink that keeps the texts, a private
// folder, the reading of an output file, and the program on controls held in memory.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "common/drawing_surface.h"
#include "common/recording_surface.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/output_file.h"
#include "tessaline/core/program.h"

namespace tessaline::testing {

class RecordingSink : public common::MessageSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

inline void SetHome(const std::string& path) {
#ifdef _WIN32
  _putenv_s("HOME", path.c_str());
#else
  setenv("HOME", path.c_str(), 1);
#endif
}

// A fresh folder, removed afterwards; HOME points into it so that the default output file
// stays inside. On Windows the default file is C:\OutputFile.txt whatever HOME says: a file
// of the user's there is put aside into the folder for the test and back after it, and the
// tests that write it do not run side by side.
class TempFolder {
 public:
  TempFolder() {
    namespace fs = std::filesystem;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / ("tessaline_" + std::string(info ? info->name() : "test") +
                                         "_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(path_);
    fs::create_directories(path_ / "home");
    if (const char* home = std::getenv("HOME")) oldHome_ = home;
    SetHome(Home());
    PutWindowsDefaultFileAside();
  }
  ~TempFolder() {
    PutWindowsDefaultFileBack();
    SetHome(oldHome_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Home() const { return (path_ / "home").string(); }

 private:
  void PutWindowsDefaultFileAside() {
#ifdef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(DefaultOutputFileName(), ec)) {
      fs::copy(DefaultOutputFileName(), path_ / "users-OutputFile", fs::copy_options::recursive,
               ec);
      if (ec) throw std::runtime_error("cannot put C:\\OutputFile.txt aside: " + ec.message());
      keptUsersFile_ = true;
    }
    fs::remove_all(DefaultOutputFileName(), ec);
#endif
  }
  void PutWindowsDefaultFileBack() {
#ifdef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::remove_all(DefaultOutputFileName(), ec);
    if (keptUsersFile_)
      fs::copy(path_ / "users-OutputFile", DefaultOutputFileName(), fs::copy_options::recursive,
               ec);
#endif
  }

#ifdef _WIN32
  bool keptUsersFile_ = false;
#endif
  std::filesystem::path path_;
  std::string oldHome_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The lines of an output file; every line must end in CR LF.
inline std::vector<std::string> ReadLines(const std::string& path) {
  const std::string text = ReadAll(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line of " << path << " has no CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

#ifndef _WIN32
// A disk that fills up: while it lives, a file cannot grow beyond the given size, and a
// write past it fails part-way as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    // Without this the process would be killed by the signal a write past the limit raises.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};
#endif

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The program on controls held in memory, drawing on a recording picture of the window's
// size, with HOME in a private folder.
class ProgramTest : public ::testing::Test {
 protected:
  TempFolder folder;
  MemoryControls controls;
  common::RecordingSurface surface{kPictureWidth, kPictureHeight};
  RecordingSink sink;
  Program program{controls, surface, sink};
};

}  // namespace tessaline::testing
