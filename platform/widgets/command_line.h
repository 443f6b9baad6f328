// The command line of a window program. --version and --help print their answer and end the
// program before a window or a display is needed; once the windowing layer has taken its
// own options (-platform, -style, ...), any other argument ends the program with a message,
// except the one file a program that opens files takes.
#pragma once

#include <QString>

namespace platform {

struct ProgramInfo {
  const char* name;           // shown in titles, messages and --version
  const char* desktop_id;     // the installed desktop entry, without ".desktop"
  const char* description;    // the first line of --help
  const char* guide_chapter;  // the anchor of the program's chapter in the user guide
  // What the one file the program opens from its command line is, for --help; null for a
  // program that takes none.
  const char* file_argument = nullptr;
};

// Before the QApplication exists: names the application and answers --version and --help.
void PrepareProgram(int argc, char** argv, const ProgramInfo& info);

// Once the QApplication exists: ends the program on an argument nobody took.
void RefuseUnknownArguments(const ProgramInfo& info);

// The same for a program that takes a file: the file named, or the empty text when none.
QString FileArgument(const ProgramInfo& info);

}  // namespace platform
