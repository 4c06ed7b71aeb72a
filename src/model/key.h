// Makam key signatures: a text such as "B4b1/F4#4" (step letter, octave,
// flat or sharp, comma count per entry) becomes a MusicXML key with
// non-traditional key steps, and the key state that notes are checked against.
#pragma once

#include <string>

#include "driver/state.h"

namespace sorvik {

void MUSICXMLSONGKEY(ConversionState& cs, const std::string& K);

}  // namespace sorvik
