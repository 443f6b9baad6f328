// The validation of a value box when it loses the focus: blanks trimmed, a comma read as
// the decimal point, whole numbers on the rows tagged "integer", values pulled into the
// row's bounds. Nothing is refused: a text without a number reads as 0 and is pulled to a
// bound. The window and the batch program both validate through this one function.
#pragma once

#include <string>

#include "tessaline/core/controls.h"

namespace tessaline {

// The last rule that changed the text of the box.
enum class Correction {
  None,
  Trimmed,         // leading or trailing spaces removed
  EmptyToMinimum,  // an empty box takes the row's minimum
  DecimalPoint,    // a comma became the point, or a "0" went before a leading point
  Rounded,         // rounded to a whole number
  LowerBound,      // replaced by the row's minimum
  UpperBound,      // replaced by the row's maximum
};

struct Validation {
  std::string typed;   // the text before
  std::string result;  // the text after
  Correction correction = Correction::None;
};

// Validates value box row; a locked box is left as it is.
Validation ValidateValue(Grid& grid, int row);

// A few words for a correction, such as "upper bound".
const char* Describe(Correction correction);

}  // namespace tessaline
