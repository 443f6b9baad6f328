// File and folder services the simulations use: plain C++, so the Qt-free run layers
// can write their files without a window.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// One text file opened within one command; lines end in CR LF.
class TextFile {
 public:
  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { Close(); }

  // Opens for appending, creating the file when missing.
  bool OpenForAppend(const std::string& path) { return Open(path, "ab"); }
  // Creates the file empty (or empties it).
  bool OpenForWriting(const std::string& path) { return Open(path, "wb"); }
  // Writes text as it is; false once any write has failed.
  bool Write(std::string_view text);
  // Writes text followed by CR LF; false once any write has failed.
  bool WriteLine(std::string_view text);
  // Closes the file if open; false if a write or the close failed.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

 private:
  bool Open(const std::string& path, const char* mode);
  std::FILE* file_ = nullptr;
  std::string path_;
  bool failed_ = false;
};

enum class FileCheck { Missing, Exists, Error };

// Whether an ordinary file of that name exists; Error when the name cannot be examined.
FileCheck CheckFile(const std::string& path);
// Deletes a file; true when it is gone afterwards.
bool DeleteFile(const std::string& path);
bool IsExistingFolder(const std::string& path);
// Replaces the file with the given contents, or leaves it as it was: the contents go to a
// new file beside it that takes the name only once it is complete. False, with the reason
// in *error (when given), if that fails.
bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error);

// The folder files go to by default: "C:" on Windows, the user's home directory elsewhere.
std::string DefaultFolder();
// folder + separator + name, without doubling a separator the folder already ends with.
std::string JoinPath(const std::string& folder, const std::string& name);
char PathSeparator();

// Time of day in seconds since midnight, local time, with fractions of a second.
float SecondsSinceMidnight();
// The local date and time as "YYYY-MM-DD HH:MM:SS".
std::string LocalDateTimeText();
// The time now in UTC, as ISO 8601 has it ("2026-12-07T12:00:00Z").
std::string UtcDateTimeText();

}  // namespace platform
