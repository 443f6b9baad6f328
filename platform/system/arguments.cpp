#include "platform/system/arguments.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
// shellapi.h needs the types windows.h declares.
#include <windows.h>

#include <shellapi.h>
#endif

namespace platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> texts;
    for (int i = 1; i < count; ++i) {
      const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
      std::string text(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
      if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
      texts.push_back(text);
    }
    LocalFree(wide);
    return texts;
  }
#endif
  if (argc < 2) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace platform
