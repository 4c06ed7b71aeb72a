// Note values L/D (a fraction of a whole note, 1/4 a quarter, 3/8 a dotted
// quarter, 1/12 a triplet eighth) as MusicXML durations and note types.
#pragma once

#include <cstdint>
#include <string>

#include "driver/state.h"

namespace sorvik {

// Duration in divisions: L x 768 div D.
constexpr int64_t noteDuration(int64_t L, int64_t D) { return L * 4 * DIVISIONVALUE / D; }

// A triplet value: with the common threes cancelled, D is 3 times a power of 2.
bool TRIOLCASE(int64_t L, int64_t D);

// The type element (cue size inside it) with its dots; for a triplet value
// followed by "&" and the time modification, so that the note writer can put
// the accidental between them. Written into `out`; stops the run for a value
// that has no type.
const std::string& MUSICXMLGETNOTETYPE(ConversionState& cs, int64_t L, int64_t D, bool CUE);

void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION);

}  // namespace sorvik
