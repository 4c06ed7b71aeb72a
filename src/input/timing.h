// The running time count and the bar check: every note line states where its
// note ends (in measures); the count of note values read so far must agree.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/arithmetic.h"
#include "core/state.h"

namespace sorvik {

// The time a line adds to the count, in whole notes scaled by SCALE; a cut
// line's note value and position become the count's COUNTED.
int64_t GETTIMESTEP(ConversionState& cs, const LineRecord& S);

// The note value and position the bar check reads: those of a cut line, and
// for a line with another TAB count those of the last cut line counted.
CountedNote CHECKEDNOTE(const ConversionState& cs, const LineRecord& S);

// A meter change (codes 51 and 56) restarts the count.
void CHECKBEATCHANGE(ConversionState& cs, const LineRecord& S);

// Compares the count with the line's stated position (CHECKEDNOTE): pulls the count forward
// to an opening position, reports overfull and incomplete measures.
void CHECKTIMEVALUES(ConversionState& cs, const LineRecord& S);

}  // namespace sorvik
