// Note, rest and marker lines: measure numbers from the position field,
// slurs and ties, dynamics, wedges and tempo around each note, repeat, volta
// and segno markers, and the measures of unmeasured songs.
#include <string_view>

#include "core/arithmetic.h"
#include "core/diagnostics.h"
#include "core/text.h"
#include "input/hints.h"
#include "input/interpreter.h"
#include "model/duration.h"
#include "musicxml/measures.h"
#include "musicxml/note.h"

namespace sorvik {

namespace {

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

// A set of bytes, for scanning whole lines in one pass.
struct ByteSet {
  bool member[256] = {};
  constexpr explicit ByteSet(std::string_view chars) {
    for (char c : chars) member[static_cast<unsigned char>(c)] = true;
  }
};
bool containsAny(std::string_view text, const ByteSet& set) {
  for (char c : text) {
    if (set.member[static_cast<unsigned char>(c)]) return true;
  }
  return false;
}
constexpr ByteSet kSegnoSigns("[<");
constexpr ByteSet kCross("Xx");

// The position field holds a point: it names a place in a measure.
bool pointedTime(const LineRecord& S) { return contains(S.field(10), "."); }

// A rest must have a positive length that is a whole number of divisions.
void checkRest(ConversionState& cs, const LineRecord& S) {
  ASSERTSORVIK(cs, S.division > 0, "Pause division not greater than 0", cs.FILENAMEIN);
  ASSERTSORVIK(
      cs, S.length > 0 && (S.length * DIVISIONVALUE) % S.division == 0,
      [&] { return "Illegal note length=" + std::to_string(S.division); }, cs.FILENAMEIN);
}

void writeRest(ConversionState& cs, const LineRecord& S) {
  checkRest(cs, S);
  MUSICXMLREST(cs, noteDuration(S.length, S.division), S.length, S.division);
}

// A marker line with legato 100 and no barline sign stands for a rest.
void specialRest(ConversionState& cs, const LineRecord& S) {
  if (pointedTime(S)) cs.MEASURENUMBER = S.timeInteger;
  if (cs.MEASURENUMBER < cs.MEASURENUMBEROLD) {
    // Numbering goes on from here, but the rest stays in the open measure.
    cs.MEASURENUMBEROFFSET = saturatingAdd64(cs.MEASURENUMBEROFFSET, cs.MEASURENUMBEROLD);
    cs.MEASURENUMBEROLD = cs.MEASURENUMBER;
  } else {
    CHECKMEASURE(cs);
  }
  writeRest(cs, S);
}

// Closing signs go into the open measure; opening signs open the measure the
// position names and stand at its start.
void markers(ConversionState& cs, const LineRecord& S) {
  const std::string_view t1 = S.field(8);
  const std::string_view t2 = S.field(9);
  cs.MEASURENUMBER = S.timeInteger;
  if (contains(t2, ":")) MUSICXMLREPEATEND(cs);

  static constexpr std::string_view kStops[] = {"1)", "2)", "3)"};
  static constexpr std::string_view kStarts[] = {"(1", "(2", "(3"};
  bool closed = false;
  for (std::string_view text : {t1, t2}) {
    for (int n = 1; n <= 3 && !closed; ++n) {
      if (contains(text, kStops[n - 1])) {
        MUSICXMLVOLTASTOP(cs, n);
        closed = true;
      }
    }
  }
  if (!closed) {
    if (contains(t2, ">")) {
      MUSICXMLSEGNORETURN(cs);
    } else if (contains(t2, "$")) {
      MUSICXMLTOSEGNO(cs);
    }
  }

  for (int n = 1; n <= 3; ++n) {
    if (contains(t1, kStarts[n - 1])) {
      CHECKMEASURE(cs);
      MUSICXMLVOLTASTART(cs, n);
      return;
    }
  }
  if (contains(t1, "(")) {
    CHECKMEASURE(cs);
    MUSICXMLREPEATBEGIN(cs);
  } else if (containsAny(t1, kSegnoSigns)) {
    CHECKMEASURE(cs);
    MUSICXMLSEGNO(cs);
  }
}

// In measured songs the position field names the measure: a note of positive
// length whose position has no "." ends on the bar line of the next measure.
void placeInMeasure(ConversionState& cs, const LineRecord& S) {
  const bool pitch = !S.field(2).empty();  // blanks count here
  if (pointedTime(S)) {
    cs.MEASURENUMBER = S.timeInteger;
  } else if (pitch && S.length == 0) {
    cs.MEASURENUMBER = S.timeInteger;
  } else if (pitch && S.length > 0) {
    cs.MEASURENUMBER = S.timeInteger - 1;
  }
  CHECKMEASURE(cs);
}

void slurAndTie(ConversionState& cs, int64_t NOTELEGATO) {
  switch (NOTELEGATO) {
    case legato::END:
      cs.SLUR = cs.INSLUR ? STOPSLUR : NOSLUR;
      cs.INSLUR = false;
      cs.TIE = cs.INTIE ? STOPTIE : NOTIE;
      cs.INTIE = false;
      break;
    case legato::SLUR:
      if (!cs.INSLUR) {
        cs.SLUR = STARTSLUR;
        cs.TIE = cs.INTIE ? STOPTIE : NOTIE;
        cs.INTIE = false;
      } else {
        // No tie can be open inside a slur: the previous note's tie mark
        // must not be repeated.
        cs.SLUR = NOSLUR;
        cs.TIE = NOTIE;
      }
      cs.INSLUR = true;
      break;
    case legato::TIE:
      if (!cs.INTIE) {
        cs.TIE = STARTTIE;
        cs.SLUR = cs.INSLUR ? STOPSLUR : NOSLUR;
        cs.INSLUR = false;
      } else {
        // Likewise no slur is open inside a tie.
        cs.TIE = NOTIE;
        cs.SLUR = NOSLUR;
      }
      cs.INTIE = true;
      break;
    default: cs.SLUR = NOSLUR; cs.TIE = NOTIE;
  }
}

void dynamicsBefore(ConversionState& cs, int64_t NOTEBAS) {
  switch (NOTEBAS) {
    case dynamics::CRESCENDO: MUSICXMLCRESCENDO(cs); break;
    case dynamics::PP: MUSICXMLDYNAMICS(cs, "pp"); break;
    case dynamics::P: MUSICXMLDYNAMICS(cs, "p"); break;
    case dynamics::F: MUSICXMLDYNAMICS(cs, "f"); break;
    case dynamics::DIMINUENDO: MUSICXMLDIMINUENDO(cs); break;
  }
}

bool allowedLength(int64_t L) { return (L >= 1 && L <= 10) || L == 12 || L == 14 || L == 15 || L == 16; }

// A pitched note of the notation; lengths 5, 9 and 10 are written as two tied
// notes (4+1, 8+1, 8+2), the lyrics on the first.
void writeNote(ConversionState& cs, const LineRecord& S, TBEAM BEAM) {
  const int64_t NOTELENGTH = S.length, NOTEDIVISION = S.division;
  ASSERTSORVIK(cs, NOTEDIVISION > 0, "Note division not greater than 0", cs.FILENAMEIN);
  ASSERTSORVIK(
      cs, (NOTELENGTH * DIVISIONVALUE) % NOTEDIVISION == 0,
      [&] { return "Illegal note length=" + std::to_string(NOTEDIVISION); }, cs.FILENAMEIN);
  const int64_t D = noteDuration(NOTELENGTH, NOTEDIVISION);
  ++cs.NOTECOUNT;
  ASSERTSORVIK(
      cs, allowedLength(NOTELENGTH),
      [&] { return "Not allowed NoteDuration= " + std::to_string(NOTELENGTH) + "/" + std::to_string(NOTEDIVISION); },
      std::string());

  switch (NOTELENGTH) {
    case 5:
      MUSICXMLNOTE(cs, S, {4, (D / 5) * 4, STARTTIE, true}, BEAM);
      MUSICXMLNOTE(cs, S, {1, D / 5, STOPTIE, false}, BEAM);
      break;
    case 10:
      MUSICXMLNOTE(cs, S, {8, (D / 5) * 4, STARTTIE, true}, BEAM);
      MUSICXMLNOTE(cs, S, {2, D / 5, STOPTIE, false}, BEAM);
      break;
    case 9:
      MUSICXMLNOTE(cs, S, {8, (D / 9) * 8, STARTTIE, true}, BEAM);
      MUSICXMLNOTE(cs, S, {1, D / 9, STOPTIE, false}, BEAM);
      break;
    default: MUSICXMLNOTE(cs, S, {NOTELENGTH, D, cs.TIE, true}, BEAM);
  }
}

// Unmeasured songs are broken into measures of 25 notes, never inside a
// triplet.
void breakUnmeasured(ConversionState& cs) {
  if (cs.BEATTYPE != 0 || cs.NOTECOUNT < 25 || cs.TRIOLS) return;
  cs.MEASURENUMBER = cs.MEASURENUMBER < 2 ? 2 : cs.MEASURENUMBER + 1;
  cs.NOTECOUNT = 0;
  MUSICXMLMEASURECHANGE(cs, cs.MEASURENUMBER, 0);
}

void wedgeEnd(ConversionState& cs, int64_t top) {
  if (top == dynamics::DIMINUENDO) MUSICXMLCRESCENDODIMINUENDOEND(cs);
  if (top == dynamics::CRESCENDO) MUSICXMLCRESCENDODIMINUENDOEND(cs);
}

}  // namespace

void PROCESSNOTELINE(ConversionState& cs, const LineRecord& S, TBEAM BEAM) {
  if (S.markerSign || containsAny(S.field(9), kCross)) {
    const bool rest = !S.barlineSign && S.legato == legato::TIE;
    HINTMARKERNOTE(cs, S, rest);
    if (rest) {
      specialRest(cs, S);
    } else {
      markers(cs, S);
    }
    return;
  }
  HINTNOTELINE(cs, S);
  if (cs.BEATTYPE > 0) {
    HINTPOSITION(cs, S);
    placeInMeasure(cs, S);
  }
  if (!S.field(2).empty()) slurAndTie(cs, S.legato);
  const std::string_view NOTEPITCH = STRIP(S.field(2));
  if (NOTEPITCH.empty()) {
    HINTREST(cs, S);
    writeRest(cs, S);
  } else {
    dynamicsBefore(cs, S.bas);
    if (cs.NOTETEMPO != cs.NOTETEMPOOLD) {
      MUSICXMLCHANGETEMPO(cs, cs.NOTETEMPO, cs.BEATTYPE);
      cs.NOTETEMPOOLD = cs.NOTETEMPO;
    }
    if (S.interpretedCode() == code::GRACE || S.division == 0 || S.length == 0) {
      MUSICXMLGRACENOTE(cs, NOTEPITCH);
    } else {
      writeNote(cs, S, BEAM);
      breakUnmeasured(cs);
    }
  }
  wedgeEnd(cs, S.top);
}

}  // namespace sorvik
