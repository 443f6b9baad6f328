#include "common/nearest_word.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace common {
namespace {

// In half changes: 2 for an insertion, a deletion or another letter, 1 for a case change.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = 2 * j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = 2 * i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const unsigned char x = static_cast<unsigned char>(a[i - 1]);
      const unsigned char y = static_cast<unsigned char>(b[j - 1]);
      const size_t change = x == y ? 0 : std::tolower(x) == std::tolower(y) ? 1 : 2;
      row[j] = std::min({row[j] + 2, row[j - 1] + 2, diagonal + change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string NearestWord(std::string_view word, const std::vector<std::string>& candidates) {
  std::string best;
  size_t bestDistance = static_cast<size_t>(-1);
  for (const std::string& candidate : candidates) {
    const size_t d = Distance(word, candidate);
    if (d < bestDistance) {
      best = candidate;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace common
