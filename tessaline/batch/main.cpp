#include <iostream>
#include <string>
#include <vector>

#include "tessaline/batch/batch.h"

#ifdef _WIN32
// shellapi.h needs the types windows.h declares.
#include <windows.h>

#include <shellapi.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // File names are UTF-8 throughout; the narrow argv would hold them in the ANSI code page.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> texts;
  for (int i = 0; wide && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
    texts.push_back(text);
  }
  if (wide) LocalFree(wide);
  std::vector<const char*> arguments;
  for (const std::string& text : texts) arguments.push_back(text.c_str());
  if (!arguments.empty())
    return tessaline::batch::Main(static_cast<int>(arguments.size()), arguments.data(), std::cout,
                                  std::cerr);
#endif
  return tessaline::batch::Main(argc, argv, std::cout, std::cerr);
}
