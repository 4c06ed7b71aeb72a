// Cutting an input line into its ten TAB-separated fields, once, as it is read.
#pragma once

#include "core/state.h"

namespace sorvik {

// Fills the record of line.text: its TABs, its leading code and, for a line
// with exactly nine TABs, its fields and their numbers.
void CUTLINE(LineRecord& line);

}  // namespace sorvik
