// The key signature of the song, written after the first time signature.
#pragma once

#include <string>

#include "core/state.h"

namespace sorvik {

// Writes the key of the key text K (non-traditional key steps, alters and
// accidentals) and declares it in the key records; a text of up to three
// characters declares no key and writes nothing.
void MUSICXMLSONGKEY(ConversionState& cs, const std::string& K);

}  // namespace sorvik
