// Pitch tokens of the 53-comma system: a solfege name, an octave digit and an
// optional flat "b" or sharp "#" with a comma count, such as la4b2.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"

namespace sorvik {

// A pitch token as read: what the note writers need of it.
struct Pitch {
  std::string reduced;  // the token without its octave digit, in lower case
  char octave = 0;      // the octave digit as written
  char step = 0;        // MusicXML step letter A..G
  int name = 0;         // index of the solfege name
  int64_t commas = 0;   // comma position in the octave, inflection included
  // The accidental, worked out with the pitch; not valid when the token's
  // sign is followed by anything but a digit 1 to 8.
  std::string_view accidental;
  bool accidentalValid = false;
  std::string alter;  // the alter text for the kind of note (grace or not) it was read for
};

// Pitch tokens of up to seven bytes read without error, found by their key
// (bytes, length and grace flag) in a table that is never more than half full.
struct PitchMemo {
  static constexpr size_t kSlots = 512, kMostKept = kSlots / 2;
  std::array<uint64_t, kSlots> keys{};  // 0 for an empty slot
  std::array<uint16_t, kSlots> kept{};  // index into `pitches`
  std::vector<Pitch> pitches;
  Pitch unkept;  // the last token read that is not kept
};

// Reads a token; stops the run on an empty token, a missing octave digit or
// an unknown name. Grace notes read "so" as "sol" and keep leading blanks.
// The pitch returned stays valid until the next call. Its alter text is
// ALTERTEXT's for the kind of note it was read for.
const Pitch& READPITCH(ConversionState& cs, std::string_view token, bool grace);

// The <alter> text: the distance from the step's semitone, 8 decimals. Notes
// are measured against A (the natural la prints as zero), grace notes
// against C.
std::string ALTERTEXT(const Pitch& pitch, bool grace);

// The MusicXML accidental of a reduced token ("" for a natural); stops the
// run when the sign is followed by anything but a digit 1 to 8.
std::string_view GETNOTEACCIDENTAL(ConversionState& cs, std::string_view reduced);

// Alter texts of the variant for printing with MuseScore.
std::string_view PRINTNOTEALTER(std::string_view reduced);
std::string_view PRINTGRACEALTER(std::string_view accidental, std::string_view computed);

// Whether the accidental is printed, against the accidentals in force in the
// measure; updates them. May clear `accidental` and, for printing, `alter`.
void ACCIDENTALDECISION(ConversionState& cs, char step, std::string_view& accidental, std::string_view& alter);

// Arrow marks for the one-comma difference to the printed accidental: up to
// two, the flat sign's first. Each is "↑", "↓" or empty.
struct Arrows {
  std::string_view flat, sharp;
};
Arrows ARROWS(std::string_view reduced);

// What the note writers write of a pitch token, worked out at once.
struct WrittenPitch {
  char step = 0;                // A..G
  char octave = 0;              // the octave digit
  std::string_view alter;       // the alter text; empty: no alter element
  std::string_view accidental;  // the accidental to print; empty: none
  Arrows arrows;                // with -A: the arrow marks above the note
  // The sign is followed by a comma count 1 to 8; if not, CHECKACCIDENTAL
  // stops the run where the writer has come to the accidental.
  bool accidentalValid = true;
  std::string_view reduced;  // the token as read, for that message
};

// A note's pitch: read (stops the run as READPITCH does), its accidental
// decided against the measure (which it updates), its alter and accidental
// as the variant asks. The texts stay valid until the next pitch is read.
WrittenPitch WRITTENNOTEPITCH(ConversionState& cs, std::string_view token);
// A grace note's pitch: its accidental is always printed.
WrittenPitch WRITTENGRACEPITCH(ConversionState& cs, std::string_view token);
// Stops the run for a pitch whose accidental has no valid comma count.
void CHECKACCIDENTAL(ConversionState& cs, const WrittenPitch& pitch);

}  // namespace sorvik
