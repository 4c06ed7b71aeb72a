// The beam-group look-ahead of the main loop.
#pragma once

#include "core/state.h"

namespace sorvik {

// Reads the next line into S, cut once, counts it and adds its note value to
// the time count.
void READTIMEDLINE(ConversionState& cs);
// The meter and bar checks of the line in S.
void CHECKLINE(ConversionState& cs);

// Collects the notes of a beam group, beginning with S, into MEASURE; S
// then holds the line that ended the group.
void COLLECTBEAMGROUP(ConversionState& cs);
// Hands the collected notes to the interpreter with their beam positions.
void HANDONBEAMGROUP(ConversionState& cs);
// The line that ended the group: a short note may begin the next group (it
// becomes NEXTLINE), anything else is handed on at once.
void HANDLEGROUPEND(ConversionState& cs);

}  // namespace sorvik
