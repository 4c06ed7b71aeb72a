// Note values L/D (a fraction of a whole note, 1/4 a quarter, 3/8 a dotted
// quarter, 1/12 a triplet eighth) as MusicXML durations and note types.
#pragma once

#include <cstdint>

#include "core/state.h"

namespace sorvik {

// Duration in divisions: L x 768 div D.
constexpr int64_t noteDuration(int64_t L, int64_t D) { return L * 4 * DIVISIONVALUE / D; }

// A triplet value: with the common threes cancelled, D is 3 times a power of 2.
bool TRIOLCASE(int64_t L, int64_t D);

// The written form of a note value: its type (1 maxima to 11 128th, an
// index into NOTETYPENAMES), its dots and whether it is a triplet.
struct NoteType {
  int number = 0;
  int dots = 0;
  bool triplet = false;
};

// Stops the run for a value that has no type.
NoteType NOTETYPE(ConversionState& cs, int64_t L, int64_t D);

// The type, dots and triplet whose length is exactly L/D (7/24 is a triplet
// quarter with two dots; 5/8 has none); false for a value that is no note
// value. Plain values are tried before triplets.
bool EXACTNOTETYPE(int64_t L, int64_t D, NoteType& type);

}  // namespace sorvik
