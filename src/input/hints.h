// Hints: lines that convert without a message into something their writer
// probably did not mean. Each is given where the interpreter makes the choice
// that the hint explains; none changes what is written or printed.
#pragma once

#include <string_view>

#include "core/state.h"

namespace sorvik {

// A marker line (a sign of ()[]:$><{}+- anywhere, or x in field 9) that also
// holds a note or a rest: it is written as a rest (`asRest`) or not at all.
void HINTMARKERNOTE(ConversionState& cs, const LineRecord& S, bool asRest);

// A note or rest with a value whose position is a whole number written with a
// "." (2.0): it goes into the measure after the bar line it ends on.
void HINTPOSITION(ConversionState& cs, const LineRecord& S);

// A rest just placed, with what the rest leaves out: a rest whose position is
// a whole number stays in the open measure even when it ends a later one; its
// lyrics and dynamics are not written.
void HINTREST(ConversionState& cs, const LineRecord& S);

// A makam line: after the song name line its key is never written; after a
// subtitle line it replaces the subtitle.
void HINTMAKAMLINE(ConversionState& cs, const LineRecord& S);

// A note or rest line that is no marker, its fields stored: an empty code
// field, a pitch whose sign is not read, a grace note with a value or a
// legato value.
void HINTNOTELINE(ConversionState& cs, const LineRecord& S);

// A tempo line's field 5, stripped: text that is no number goes into the score as it is.
void HINTTEMPO(ConversionState& cs, std::string_view tempo);

}  // namespace sorvik
