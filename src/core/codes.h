// The codes of the notation: line codes (field 1), legato values (field 5)
// and dynamics and wedge values (fields 6 and 7), named once.
#pragma once

#include <cstdint>

namespace sorvik {

// Line codes.
namespace code {
constexpr int64_t IGNORED = 0;
constexpr int64_t CUE = 1;  // a cue-size note
constexpr int64_t TREMOLO = 7;
constexpr int64_t GRACE = 8;
constexpr int64_t PLAIN = 9;  // a note; also what an empty code field means
constexpr int64_t TRILL = 12;
constexpr int64_t MAKAM = 50;  // the makam's name and key
constexpr int64_t USUL = 51;   // the usul's name and meter
constexpr int64_t TEMPO = 52;
constexpr int64_t SONGTYPE = 56;  // a song form and its meter
constexpr int64_t SUBTITLE = 57;
constexpr int64_t COMPOSER = 58;
constexpr int64_t LYRICIST = 59;
constexpr int64_t SONGNAME = 60;  // writes the document's head
}  // namespace code

// Lines that carry a note value: 1..13, 15..20, 22..32, 43..47.
constexpr bool inNoteCodes(int64_t c) {
  return (c >= 1 && c <= 13) || (c >= 15 && c <= 20) || (c >= 22 && c <= 32) || (c >= 43 && c <= 47);
}
// Notes with a mordent: 23..29, 43..47.
constexpr bool isMordentCode(int64_t c) { return (c >= 23 && c <= 29) || (c >= 43 && c <= 47); }

// Legato values.
namespace legato {
constexpr int64_t STACCATO = 50;
constexpr int64_t END = 95;  // ends an open slur or tie
constexpr int64_t SLUR = 99;
constexpr int64_t TIE = 100;  // on a marker line without a barline sign: a rest
constexpr int64_t FERMATA = 101;
}  // namespace legato

// Dynamics and wedge values: a wedge starts with field 6 and ends with field 7.
namespace dynamics {
constexpr int64_t CRESCENDO = 2;
constexpr int64_t PP = 80;
constexpr int64_t P = 84;
constexpr int64_t F = 108;
constexpr int64_t DIMINUENDO = 125;
}  // namespace dynamics

}  // namespace sorvik
