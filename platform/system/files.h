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
  // Hands what was written to the disk; false once any write or this has failed.
  bool Sync();
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

// The output name that stands for standard output, where a command writes one file.
inline bool IsStandardOutput(const std::string& path) {
  return path == "-";
}

// Why no whole file can be put under `path`, for the user; empty when one can. Refused: an
// empty name, a name whose folder does not exist, and a name that holds something other
// than a regular file (a folder, a device, a FIFO), also through a symbolic link.
std::string TargetRefusal(const std::string& path);

// The name a symbolic link leads to, followed to its end; the name itself otherwise.
std::string FollowedLinks(const std::string& path);

// The name of this process's temporary beside final names: prefix, process id, ".part".
std::string TemporaryName(const std::string& prefix);
// Removes what a command killed outright left in `folder`: files and folders named as
// TemporaryName(prefix) names them, for a process that no longer runs.
void ClearStaleTemporaries(const std::string& folder, const std::string& prefix);

// A file that appears whole under its name or not at all. The text goes to a temporary
// file in the same folder as the final name (after following a symbolic link, which
// stays), which Commit flushes to the disk and renames over the final name. The old file
// stays as it was until then; a file never committed leaves no temporary behind.
class WholeFile {
 public:
  WholeFile() = default;
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;
  ~WholeFile() { Abandon(); }

  // False, with Error() saying why, when the name is refused or the temporary cannot be
  // made. Clears the stale temporaries of that name first.
  bool Open(const std::string& path);
  bool Write(std::string_view text) { return file_.Write(text); }
  // Text followed by CR LF.
  bool WriteLine(std::string_view text) { return file_.WriteLine(text); }
  // Puts the complete file under its name; false, with Error() set and the old file left
  // as it was, when a write, the flush or the rename failed.
  bool Commit();
  // Removes the temporary; the final name stays as it was.
  void Abandon();
  const std::string& Error() const { return error_; }

 private:
  TextFile file_;
  std::string target_;
  std::string temporary_;
  std::string error_;
};

// The whole contents under `path`, through a WholeFile. False, with the reason in *error
// (when given), if that fails; the old file stays as it was then.
bool WriteWholeFile(const std::string& path, std::string_view contents, std::string* error);

// Moves a finished file over `path` (following a symbolic link there), as a rename within
// one file system or a copy through a WholeFile across two. False, with *error, on failure.
bool MoveWholeFile(const std::string& from, const std::string& path, std::string* error);

// The files of one command, which appear together: each is written whole in a temporary
// folder inside the output folder, and Commit moves them to their names at once, the file
// that describes the others last (after removing its old version first, so that it never
// stands beside files it does not describe). Never committed, nothing changes.
class FileGroup {
 public:
  // `program` names the temporary folder, so that the next command clears a stale one.
  FileGroup(std::string folder, std::string program);
  FileGroup(const FileGroup&) = delete;
  FileGroup& operator=(const FileGroup&) = delete;
  ~FileGroup() { Abandon(); }

  // Makes the temporary folder; false, with Error(), when it cannot.
  bool Open();
  // The temporary folder, where a writer puts files under their final names.
  const std::string& Folder() const { return temporary_; }
  // A whole file of that name in the group; false, with Error(), on failure.
  bool Add(const std::string& name, std::string_view text);
  // Moves every file of the temporary folder to the output folder, `last` after the
  // others; false, with Error(), on failure.
  bool Commit(const std::string& last);
  // Removes the temporary folder and what it holds.
  void Abandon();
  const std::string& Error() const { return error_; }

 private:
  std::string folder_;
  std::string prefix_;
  std::string temporary_;
  std::string error_;
};

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
