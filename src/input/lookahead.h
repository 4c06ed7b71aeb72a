// The reading of a score: the first line, then the main loop with its
// beam-group look-ahead.
#pragma once

#include "core/state.h"

namespace sorvik {

// Reads every line of DATAIN once and hands it to the interpreter: the first
// line at once; every further line counted and checked as it is read, short
// notes of one quarter (or half) of the measure and runs of triplets first
// collected in MEASURE, so that each goes on with its beam position. A score
// without a song name line stops the run at its end.
void PROCESSLINES(ConversionState& cs);

}  // namespace sorvik
