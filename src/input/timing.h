// The running time count and the bar check: every note line states where its
// note ends (in measures); the count of note values read so far must agree.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/arithmetic.h"
#include "core/state.h"

namespace sorvik {

// The time a line adds to the count, in whole notes scaled by SCALE; takes
// the timing fields of a cut line into the state as it goes.
int64_t GETTIMESTEP(ConversionState& cs, const LineRecord& S);

// A meter change (codes 51 and 56) restarts the count.
void CHECKBEATCHANGE(ConversionState& cs, const LineRecord& S);

// Compares the count with the line's stated position: pulls the count forward
// to an opening position, reports overfull and incomplete measures.
void CHECKTIMEVALUES(ConversionState& cs, const LineRecord& S);

}  // namespace sorvik
