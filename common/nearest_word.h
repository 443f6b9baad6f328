// The suggestion for a mistyped name on the command line or in a parameter file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common {

// The candidate nearest to `word` by edit distance, where a letter typed in the other case
// costs half a change (so "k" is nearer "K" than "S"); the first of equals; empty when
// there is no candidate.
std::string NearestWord(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace common
