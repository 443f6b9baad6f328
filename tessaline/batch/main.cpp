#include <iostream>
#include <string>
#include <vector>

#include "platform/system/arguments.h"
#include "tessaline/batch/batch.h"

int main(int argc, char** argv) {
  // File names are UTF-8 throughout, on Windows too.
  const std::vector<std::string> texts = platform::Utf8Arguments(argc, argv);
  std::vector<const char*> arguments{argc > 0 ? argv[0] : "tessaline-batch"};
  for (const std::string& text : texts) arguments.push_back(text.c_str());
  return tessaline::batch::Main(static_cast<int>(arguments.size()), arguments.data(), std::cout,
                                std::cerr);
}
