// Note, rest and marker lines: measure numbers from the position field,
// slurs and ties, dynamics, wedges and tempo around each note, repeat, volta
// and segno markers, and the measures of unmeasured songs.
#include <string_view>

#include "core/diagnostics.h"
#include "core/text.h"
#include "input/fields.h"
#include "input/hints.h"
#include "input/lines.h"
#include "input/timing.h"
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

// The note line's fields into the state (its code is in NOTECODE already).
void storeFields(ConversionState& cs, const LineRecord& S) {
  const int64_t code = cs.NOTECODE;
  CUTTIMINGFIELDS(cs, S);
  cs.NOTECODE = code;
  cs.NOTELEGATO = S.legato;
  cs.NOTEBAS = S.bas;
  cs.NOTETOP = S.top;
  cs.NOTETEXT1 = S.field(8);
  cs.NOTETEXT2 = S.field(9);
}

// A rest must have a positive length that is a whole number of divisions.
void checkRest(ConversionState& cs) {
  ASSERTSORVIK(cs, cs.NOTEDIVISION > 0, "Pause division not greater than 0", cs.FILENAMEIN);
  ASSERTSORVIK(
      cs, cs.NOTELENGTH > 0 && (cs.NOTELENGTH * DIVISIONVALUE) % cs.NOTEDIVISION == 0,
      [&] { return "Illegal note length=" + std::to_string(cs.NOTEDIVISION); }, cs.FILENAMEIN);
}

void writeRest(ConversionState& cs) {
  checkRest(cs);
  cs.NOTEDURATION = noteDuration(cs.NOTELENGTH, cs.NOTEDIVISION);
  MUSICXMLREST(cs, cs.NOTEDURATION, cs.NOTELENGTH, cs.NOTEDIVISION);
}

// A marker line with legato 100 and no barline sign stands for a rest.
void specialRest(ConversionState& cs) {
  if (contains(cs.NOTETIME, ".")) cs.MEASURENUMBER = cs.NOTETIMEINTEGER;
  if (cs.MEASURENUMBER < cs.MEASURENUMBEROLD) {
    // Numbering goes on from here, but the rest stays in the open measure.
    cs.MEASURENUMBEROFFSET = saturatingAdd64(cs.MEASURENUMBEROFFSET, cs.MEASURENUMBEROLD);
    cs.MEASURENUMBEROLD = cs.MEASURENUMBER;
  } else {
    CHECKMEASURE(cs);
  }
  writeRest(cs);
}

// Closing signs go into the open measure; opening signs open the measure the
// position names and stand at its start.
void markers(ConversionState& cs) {
  const std::string_view t1 = cs.NOTETEXT1;
  const std::string_view t2 = cs.NOTETEXT2;
  cs.MEASURENUMBER = cs.NOTETIMEINTEGER;
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
void placeInMeasure(ConversionState& cs) {
  if (contains(cs.NOTETIME, ".")) {
    cs.MEASURENUMBER = cs.NOTETIMEINTEGER;
  } else if (!cs.NOTEPITCH.empty() && cs.NOTELENGTH == 0) {
    cs.MEASURENUMBER = cs.NOTETIMEINTEGER;
  } else if (!cs.NOTEPITCH.empty() && cs.NOTELENGTH > 0) {
    cs.MEASURENUMBER = cs.NOTETIMEINTEGER - 1;
  }
  CHECKMEASURE(cs);
}

void slurAndTie(ConversionState& cs) {
  switch (cs.NOTELEGATO) {
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

void dynamicsBefore(ConversionState& cs) {
  switch (cs.NOTEBAS) {
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
void writeNote(ConversionState& cs, TBEAM BEAM) {
  ASSERTSORVIK(cs, cs.NOTEDIVISION > 0, "Note division not greater than 0", cs.FILENAMEIN);
  ASSERTSORVIK(
      cs, (cs.NOTELENGTH * DIVISIONVALUE) % cs.NOTEDIVISION == 0,
      [&] { return "Illegal note length=" + std::to_string(cs.NOTEDIVISION); }, cs.FILENAMEIN);
  cs.NOTEDURATION = noteDuration(cs.NOTELENGTH, cs.NOTEDIVISION);
  ++cs.NOTECOUNT;
  ASSERTSORVIK(
      cs, allowedLength(cs.NOTELENGTH),
      [&] {
        return "Not allowed NoteDuration= " + std::to_string(cs.NOTELENGTH) + "/" + std::to_string(cs.NOTEDIVISION);
      },
      std::string());

  const int64_t D = cs.NOTEDURATION;
  const bool staccato = cs.NOTELEGATO == legato::STACCATO;
  const bool fermata = cs.NOTELEGATO == legato::FERMATA;
  auto note = [&](int64_t length, int64_t duration, std::string_view text1, std::string_view text2, TTIE tie) {
    MUSICXMLNOTE(cs, cs.NOTEPITCH, duration, text1, text2, length, cs.NOTEDIVISION, cs.SLUR, tie, staccato, BEAM,
                 fermata, cs.NOTECODE, cs.NEWSONGTYPE);
  };
  constexpr std::string_view kNoText;
  switch (cs.NOTELENGTH) {
    case 5:
      note(4, (D / 5) * 4, cs.NOTETEXT1, cs.NOTETEXT2, STARTTIE);
      note(1, D / 5, kNoText, kNoText, STOPTIE);
      break;
    case 10:
      note(8, (D / 5) * 4, cs.NOTETEXT1, cs.NOTETEXT2, STARTTIE);
      note(2, D / 5, kNoText, kNoText, STOPTIE);
      break;
    case 9:
      note(8, (D / 9) * 8, cs.NOTETEXT1, cs.NOTETEXT2, STARTTIE);
      note(1, D / 9, kNoText, kNoText, STOPTIE);
      break;
    default: note(cs.NOTELENGTH, D, cs.NOTETEXT1, cs.NOTETEXT2, cs.TIE);
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

void wedgeEnd(ConversionState& cs) {
  int64_t top = cs.NOTETOP;
  if (top == dynamics::DIMINUENDO) MUSICXMLCRESCENDODIMINUENDOEND(cs);
  if (top == dynamics::CRESCENDO) MUSICXMLCRESCENDODIMINUENDOEND(cs);
}

}  // namespace

void PROCESSNOTELINE(ConversionState& cs, const LineRecord& S, TBEAM BEAM) {
  storeFields(cs, S);
  if (S.markerSign || containsAny(cs.NOTETEXT2, kCross)) {
    const bool rest = !S.barlineSign && cs.NOTELEGATO == legato::TIE;
    HINTMARKERNOTE(cs, S, rest);
    if (rest) {
      specialRest(cs);
    } else {
      markers(cs);
    }
    return;
  }
  HINTNOTELINE(cs, S);
  if (cs.BEATTYPE > 0) {
    HINTPOSITION(cs);
    placeInMeasure(cs);
  }
  if (!cs.NOTEPITCH.empty()) slurAndTie(cs);
  cs.NOTEPITCH = STRIP(cs.NOTEPITCH);
  if (cs.NOTEPITCH.empty()) {
    HINTREST(cs);
    writeRest(cs);
  } else {
    dynamicsBefore(cs);
    if (cs.NOTETEMPO != cs.NOTETEMPOOLD) {
      MUSICXMLCHANGETEMPO(cs, cs.NOTETEMPO, cs.BEATTYPE);
      cs.NOTETEMPOOLD = cs.NOTETEMPO;
    }
    if (cs.NOTECODE == code::GRACE || cs.NOTEDIVISION == 0 || cs.NOTELENGTH == 0) {
      MUSICXMLGRACENOTE(cs, cs.NOTEPITCH);
    } else {
      writeNote(cs, BEAM);
      breakUnmeasured(cs);
    }
  }
  wedgeEnd(cs);
}

}  // namespace sorvik
