#include "platform/system/files.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

namespace platform {

bool TextFile::Open(const std::string& path, const char* mode) {
  Close();
  failed_ = false;
  if (path.empty()) return false;
  // A folder of that name cannot hold lines.
  std::error_code ec;
  if (fs::is_directory(fs::u8path(path), ec)) return false;
#ifdef _WIN32
  // Paths are UTF-8 throughout; the narrow fopen would read them in the ANSI code page.
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  file_ = _wfopen(fs::u8path(path).c_str(), wideMode.c_str());
#else
  file_ = std::fopen(path.c_str(), mode);
#endif
  if (file_) path_ = path;
  return file_ != nullptr;
}

bool TextFile::Write(std::string_view text) {
  if (!file_) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
  return !failed_;
}

bool TextFile::WriteLine(std::string_view text) {
  if (!file_) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fwrite("\r\n", 1, 2, file_) != 2) {
    failed_ = true;
  }
  return !failed_;
}

bool TextFile::Sync() {
  if (!file_) return false;
  if (std::fflush(file_) != 0) {
    failed_ = true;
  } else {
#ifdef _WIN32
    if (_commit(_fileno(file_)) != 0) failed_ = true;
#else
    if (fsync(fileno(file_)) != 0) failed_ = true;
#endif
  }
  return !failed_;
}

bool TextFile::Close() {
  if (!file_) return !failed_;
  bool ok = std::fclose(file_) == 0 && !failed_;
  file_ = nullptr;
  failed_ = !ok;
  return ok;
}

FileCheck CheckFile(const std::string& path) {
  if (path.empty()) return FileCheck::Missing;
  std::error_code ec;
  fs::file_status st = fs::status(fs::u8path(path), ec);
  if (ec) {
    // A missing file or folder on the way is simply "missing"; anything else (a name too
    // long, no permission to look) cannot be examined.
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
      return FileCheck::Missing;
    return FileCheck::Error;
  }
  if (!fs::exists(st)) return FileCheck::Missing;
  return fs::is_regular_file(st) ? FileCheck::Exists : FileCheck::Error;
}

bool DeleteFile(const std::string& path) {
  std::error_code ec;
  fs::remove(fs::u8path(path), ec);
  return !ec && CheckFile(path) == FileCheck::Missing;
}

bool IsExistingFolder(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
#ifdef _WIN32
  // A drive name alone ("C:", the default folder) stands for the drive's root, where files
  // joined to it go; the C library's status call refuses the bare name.
  if (path.size() == 2 && path[1] == ':') return fs::is_directory(fs::u8path(path + '\\'), ec);
#endif
  return fs::is_directory(fs::u8path(path), ec);
}

namespace {

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool ProcessRuns(long id) {
#ifdef _WIN32
  // A temporary another process holds open cannot be removed there anyway.
  (void)id;
  return false;
#else
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
#endif
}

long ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<long>(getpid());
#endif
}

}  // namespace

std::string FollowedLinks(const std::string& path) {
  fs::path name = fs::u8path(path);
  std::error_code ec;
  // A loop of links ends somewhere; the system refuses such a name later.
  for (int hops = 0; hops < 40 && fs::is_symlink(name, ec); ++hops) {
    const fs::path to = fs::read_symlink(name, ec);
    if (ec) break;
    name = to.is_absolute() ? to : name.parent_path() / to;
  }
  return Utf8(name);
}

std::string TargetRefusal(const std::string& path) {
  if (path.empty()) return "No file name given.";
  std::error_code ec;
  const fs::file_status st = fs::status(fs::u8path(path), ec);
  if (fs::is_directory(st)) return path + " is a folder.";
  if (fs::exists(st) && !fs::is_regular_file(st))
    return path + " is not a regular file (a device, a FIFO or a socket).";
  const fs::path folder = fs::u8path(FollowedLinks(path)).parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec))
    return "The folder of " + path + " does not exist.";
  return {};
}

std::string TemporaryName(const std::string& prefix) {
  return prefix + std::to_string(ProcessId()) + ".part";
}

void ClearStaleTemporaries(const std::string& folder, const std::string& prefix) {
  std::error_code ec;
  const std::string suffix = ".part";
  for (fs::directory_iterator it(fs::u8path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = Utf8(it->path().filename());
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix))
      continue;
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long id = std::stol(digits);
    if (id == ProcessId() || ProcessRuns(id)) continue;
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

bool WholeFile::Open(const std::string& path) {
  Abandon();
  error_.clear();
  if (std::string refusal = TargetRefusal(path); !refusal.empty()) {
    error_ = refusal;
    return false;
  }
  target_ = FollowedLinks(path);
  const fs::path target = fs::u8path(target_);
  const fs::path folder = target.parent_path();
  const std::string prefix = std::string(".").append(Utf8(target.filename())).append(".");
  ClearStaleTemporaries(folder.empty() ? "." : Utf8(folder), prefix);
  temporary_ = Utf8(folder / fs::u8path(TemporaryName(prefix)));
  if (!file_.OpenForWriting(temporary_)) {
    temporary_.clear();
    error_ = "Cannot create a file beside " + path + ".";
    return false;
  }
  return true;
}

bool WholeFile::Commit() {
  if (temporary_.empty()) {
    if (error_.empty()) error_ = "Cannot write " + target_ + ".";
    return false;
  }
  const bool synced = file_.Sync();
  if (!file_.Close() || !synced) {
    error_ = "Cannot write " + target_ + " completely (is the disk full?).";
    Abandon();
    return false;
  }
  std::error_code ec;
  fs::rename(fs::u8path(temporary_), fs::u8path(target_), ec);
  if (ec) {
    error_ = "Cannot replace " + target_ + ": " + ec.message() + ".";
    Abandon();
    return false;
  }
  temporary_.clear();
  return true;
}

void WholeFile::Abandon() {
  file_.Close();
  if (temporary_.empty()) return;
  std::error_code ec;
  fs::remove(fs::u8path(temporary_), ec);
  temporary_.clear();
}

bool WriteWholeFile(const std::string& path, std::string_view contents, std::string* error) {
  WholeFile file;
  const bool written = file.Open(path) && file.Write(contents) && file.Commit();
  if (!written && error) *error = file.Error();
  return written;
}

bool MoveWholeFile(const std::string& from, const std::string& path, std::string* error) {
  if (std::string refusal = TargetRefusal(path); !refusal.empty()) {
    if (error) *error = refusal;
    return false;
  }
  std::error_code ec;
  fs::rename(fs::u8path(from), fs::u8path(FollowedLinks(path)), ec);
  if (!ec) return true;
  // A link to another file system: the contents go over as a whole file.
  std::ifstream in(fs::u8path(from), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || !WriteWholeFile(path, text.str(), error)) {
    if (error && error->empty()) *error = "Cannot write " + path + ".";
    return false;
  }
  fs::remove(fs::u8path(from), ec);
  return true;
}

FileGroup::FileGroup(std::string folder, std::string program)
    : folder_(std::move(folder)), prefix_(std::string(".").append(program).append(".")) {}

bool FileGroup::Open() {
  Abandon();
  ClearStaleTemporaries(folder_, prefix_);
  const std::string temporary = JoinPath(folder_, TemporaryName(prefix_));
  std::error_code ec;
  fs::create_directory(fs::u8path(temporary), ec);
  if (ec) {
    error_ = "Cannot create a folder in " + folder_ + ": " + ec.message() + ".";
    return false;
  }
  temporary_ = temporary;
  return true;
}

bool FileGroup::Add(const std::string& name, std::string_view text) {
  TextFile file;
  const bool written = file.OpenForWriting(JoinPath(temporary_, name)) && file.Write(text) &&
                       file.Sync() && file.Close();
  if (!written) error_ = "Cannot write " + JoinPath(folder_, name) + " completely.";
  return written;
}

bool FileGroup::Commit(const std::string& last) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(fs::u8path(temporary_), ec), end; !ec && it != end;
       it.increment(ec))
    if (Utf8(it->path().filename()) != last) names.push_back(Utf8(it->path().filename()));
  if (ec) {
    error_ = "Cannot read " + temporary_ + ".";
    return false;
  }
  std::sort(names.begin(), names.end());
  if (fs::exists(fs::u8path(JoinPath(temporary_, last)), ec)) {
    // The old description goes first: it must not stand beside the new files. (A link
    // stays: the file it leads to goes.)
    const std::string old = FollowedLinks(JoinPath(folder_, last));
    if (CheckFile(old) == FileCheck::Exists) DeleteFile(old);
    names.push_back(last);
  }
  for (const std::string& name : names)
    if (!MoveWholeFile(JoinPath(temporary_, name), JoinPath(folder_, name), &error_)) return false;
  Abandon();
  return true;
}

void FileGroup::Abandon() {
  if (temporary_.empty()) return;
  std::error_code ec;
  fs::remove_all(fs::u8path(temporary_), ec);
  temporary_.clear();
}

std::string DefaultFolder() {
#ifdef _WIN32
  return "C:";
#else
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
#endif
}

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == PathSeparator()))
    return folder + name;
  return folder + PathSeparator() + name;
}

float SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  double fraction = duration<double>(now.time_since_epoch()).count() -
                    std::floor(duration<double>(now.time_since_epoch()).count());
  return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction);
}

namespace {

std::string NowText(bool utc, const char* format) {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  utc ? gmtime_s(&tm, &t) : localtime_s(&tm, &t);
#else
  utc ? gmtime_r(&t, &tm) : localtime_r(&t, &tm);
#endif
  char text[32];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

}  // namespace

std::string LocalDateTimeText() {
  return NowText(false, "%Y-%m-%d %H:%M:%S");
}

std::string UtcDateTimeText() {
  return NowText(true, "%Y-%m-%dT%H:%M:%SZ");
}

}  // namespace platform
