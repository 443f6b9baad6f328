// The command line of the programs without windows, as UTF-8.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments (without its name) as UTF-8, as every name here is. On Windows they
// come from the wide-character command line: the narrow argv holds them in the ANSI code
// page, which cannot hold every file name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace platform
