#include "platform/system/files.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
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

bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  if (path.empty()) return fail("No file name.");
  const fs::path target = fs::u8path(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return fail(path + " is a folder.");
  const std::string partialName = path + ".partial";
  const fs::path partial = fs::u8path(partialName);
  {
    TextFile file;
    if (!file.OpenForWriting(partialName)) return fail("Cannot create " + path + ".");
    const bool written = file.Write(contents);
    if (!file.Close() || !written) {
      fs::remove(partial, ec);
      return fail("Cannot write " + path + ".");
    }
  }
  fs::rename(partial, target, ec);
  if (ec) {
    fs::remove(partial, ec);
    return fail("Cannot replace " + path + ".");
  }
  return true;
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
