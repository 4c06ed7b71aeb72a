// The note element with what belongs to the note: a pending words direction,
// arrow marks, pitch, duration, tie, type, accidental, beam, notations and
// two lines of lyrics; and the grace note, a slashed eighth slurred to the
// next note.
#pragma once

#include <cstdint>
#include <string>

#include "core/state.h"

namespace sorvik {

// One written note of a note line: the whole line's value, or one of the two
// tied notes a length of 5, 9 or 10 is written as.
struct NotePart {
  int64_t NOTELENGTH = 0;
  int64_t NOTEDURATION = 0;
  TTIE TIE = NOTIE;
  bool lyrics = true;  // the line's lyrics go under this note
};

// A note of the line S: its pitch, division, legato, code and lyrics from the
// line, the slur and a pending usul text from the state.
void MUSICXMLNOTE(ConversionState& cs, const LineRecord& S, const NotePart& part, TBEAM BEAM);

void MUSICXMLNOTELYRIC(ConversionState& cs, std::string_view NOTETEXT, char LYRICNUMBER);

void MUSICXMLGRACENOTE(ConversionState& cs, std::string_view NOTE);

// A rest; with its type where the variant writes one.
void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION, int64_t NOTELENGTH, int64_t NOTEDIVISION);

}  // namespace sorvik
