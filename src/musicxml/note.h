// The note element with what belongs to the note: a pending words direction,
// arrow marks, pitch, duration, tie, type, accidental, beam, notations and
// two lines of lyrics; and the grace note, a slashed eighth slurred to the
// next note.
#pragma once

#include <cstdint>
#include <string>

#include "core/state.h"

namespace sorvik {

void MUSICXMLNOTE(ConversionState& cs, std::string_view NOTE, int64_t NOTEDURATION, std::string_view NOTETEXT1,
                  std::string_view NOTETEXT2, int64_t NOTELENGTH, int64_t NOTEDIVISION, TSLUR SLUR, TTIE TIE,
                  bool STACCATO, TBEAM BEAM, bool FERMAT, int64_t CODE, std::string& NEWSONGTYPE);

void MUSICXMLNOTELYRIC(ConversionState& cs, std::string_view NOTETEXT, char LYRICNUMBER);

void MUSICXMLGRACENOTE(ConversionState& cs, std::string_view NOTE);

// A rest; with its type where the variant writes one.
void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION, int64_t NOTELENGTH, int64_t NOTEDIVISION);

}  // namespace sorvik
