// Cutting an input line into its ten TAB-separated fields, once, as it is read.
#pragma once

#include "core/state.h"

namespace sorvik {

// Fills the record of line.text: its TABs, its leading code and, for a line
// with exactly nine TABs, its fields and their numbers.
void CUTLINE(LineRecord& line);

// The fields the time count and the beaming read (code, pitch, length,
// division and position), from a cut line into the state.
inline void CUTTIMINGFIELDS(ConversionState& cs, const LineRecord& line) {
  cs.NOTECODE = line.code;
  cs.NOTEPITCH = line.field(2);
  cs.NOTELENGTH = line.length;
  cs.NOTEDIVISION = line.division;
  cs.NOTETIME = line.field(10);
  cs.NOTETIMESCALED = line.timeScaled;
  cs.NOTETIMEINTEGER = line.timeInteger;
}

}  // namespace sorvik
