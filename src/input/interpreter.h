// The line interpreter: cuts a line into its ten fields, checks it and acts on
// its code (time signature, song data, the document head, note lines).
#pragma once

#include <string>

#include "core/state.h"

namespace sorvik {

void PROCESSONELINE(ConversionState& cs, const LineRecord& S, TBEAM BEAM);

// At the end of the input: a song without a song name line has no document
// head, and stops the run.
void CHECKSONGNAMELINE(ConversionState& cs);

// Note, rest and marker lines: the line is cut, its code a note code.
void PROCESSNOTELINE(ConversionState& cs, const LineRecord& S, TBEAM BEAM);

}  // namespace sorvik
