// Files for tests: a temporary folder of their own, and the bytes, lines and columns of
// what the programs wrote. Header-only, plain C++.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace common::testing {

// A folder of its own under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::string& stem = "popgen_test_") {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            (stem + std::to_string(device()) + "_" + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

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

// The lines of a file whose lines all end in CR LF; a stray LF or CR, or a last line
// without its CR LF, clears *wellFormed.
inline std::vector<std::string> ReadLines(const std::string& path, bool* wellFormed = nullptr) {
  const std::string bytes = ReadBytes(path);
  std::vector<std::string> lines;
  bool ok = true;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
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
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
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

}  // namespace common::testing
