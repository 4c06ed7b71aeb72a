// Makam key signatures: a text such as "B4b1/F4#4" (step letter, octave,
// flat or sharp, comma count per entry, entries of up to three characters
// ignored) declares the accidentals that the key records keep.
#pragma once

#include <string_view>

#include "core/state.h"

namespace sorvik {

// One entry of a key text, read.
struct KeyEntry {
  std::string_view letter;      // the step letter as written
  std::string_view octave;      // the octave as written
  std::string_view alter;       // the key-alter text
  std::string_view accidental;  // the MusicXML accidental name
};

// Stops the run for an entry without a flat or sharp and a comma count 1 to 8.
KeyEntry READKEYENTRY(ConversionState& cs, std::string_view entry);

// Enters the entry's accidental in both key records; stops the run for a
// step letter outside A to G.
void ENTERKEYENTRY(ConversionState& cs, const KeyEntry& entry);

// No accidental in either key record.
void CLEARKEY(ConversionState& cs);

}  // namespace sorvik
