// The reading of a score and its beam-group look-ahead: short notes of one
// quarter (or half) of the measure, and runs of triplet notes, are collected
// before any of them is handed on, so that the first, middle and last of a
// group are known.
#include "input/lookahead.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/diagnostics.h"
#include "core/text.h"
#include "input/fields.h"
#include "input/interpreter.h"
#include "input/timing.h"
#include "model/duration.h"

namespace sorvik {

namespace {

// Reads the next line into S, cut once, and adds its note value to the time
// count.
void READTIMEDLINE(ConversionState& cs) {
  READLINE(cs, cs.S.text);
  CUTLINE(cs.S);
  cs.TIMETICK = saturatingAdd64(cs.TIMETICK, GETTIMESTEP(cs, cs.S));
}

// The meter and bar checks of the line in S.
void CHECKLINE(ConversionState& cs) {
  CHECKBEATCHANGE(cs, cs.S);
  CHECKTIMEVALUES(cs, cs.S);
}

bool isNoteLine(const LineRecord& S) { return S.tabs > 0 && inNoteCodes(S.leadingCode); }

// An eighth or shorter (a dotted eighth is not short).
bool isShort(const LineRecord& S) {
  return S.length > 0 && static_cast<__int128>(S.division) * SCALE / 8 >= static_cast<__int128>(S.length) * SCALE;
}

// Truncating division, in 64 bits when both numbers fit (the usual case,
// and much faster than 128 bits).
__int128 divide(__int128 a, __int128 b) {
  constexpr __int128 kMax = std::numeric_limits<int64_t>::max();
  if (a <= kMax && a > -kMax && b <= kMax && b > -kMax) return static_cast<int64_t>(a) / static_cast<int64_t>(b);
  return a / b;
}

// The number of whole quarter-measures before the start of the note, from
// its stated end position; the 10 keeps a start on a boundary from rounding down.
void quarterIndex(ConversionState& cs, const LineRecord& S) {
  if (S.field(10).empty()) return;
  __int128 q = S.timeScaled;
  if (S.length > 0 && S.division > 0 && cs.BEATS > 0) {
    q = q + 10 -
        divide(static_cast<__int128>(S.length) * SCALE * cs.BEATTYPE, static_cast<__int128>(S.division) * cs.BEATS);
  } else {
    q = q - 10;
  }
  cs.QUARTERCOUNT = clampTo64(divide(q * 4, SCALE));
}

// Collects short notes of one quarter (or one half) of the measure, and runs
// of triplet notes, beginning with S, into MEASURE; S then holds the line
// that ended the group.
void COLLECTBEAMGROUP(ConversionState& cs) {
  cs.BEAMS = true;
  while (cs.BEAMS && isNoteLine(cs.S)) {
    cs.BEAMS = false;
    const LineRecord& S = cs.S;
    if (!S.cut) break;
    quarterIndex(cs, S);
    if (1.0 > cs.TIMEREALFROMLINE) cs.TIMEREAL = cs.TIMEREAL - std::floor(cs.TIMEREAL);
    if (cs.QUARTERCOUNT % 2 != 0 && cs.QUARTERCOUNT / 2 == cs.QUARTERCOUNTOLD / 2) {
      cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;  // second quarter of the same half
    }
    cs.TRIOLS = cs.TRIOLSNEW;
    cs.TRIOLSNEW = TRIOLCASE(S.length, S.division);
    if (!S.field(2).empty() && S.length > 0 && cs.MEASUREINDEXIN < MEASURESLOTS) {
      cs.BEAMS = ((cs.QUARTERCOUNTOLD == cs.QUARTERCOUNT || cs.MEASUREINDEXIN == 0) && isShort(S) &&
                  cs.TRIOLSNEW == cs.TRIOLS) ||
                 (cs.TRIOLS && cs.TRIOLSNEW);
    }
    if (cs.BEAMS) {
      // The line moves into the group; S takes the next one.
      if (cs.MEASUREINDEXIN == static_cast<int64_t>(cs.MEASURE.size())) cs.MEASURE.emplace_back();
      std::swap(cs.MEASURE[cs.MEASUREINDEXIN++], cs.S);
      READTIMEDLINE(cs);
      CHECKLINE(cs);
      cs.NEXTLINE.clear();
      cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;
    }
  }
}

// Hands the collected notes to the interpreter with their beam positions.
void HANDONBEAMGROUP(ConversionState& cs) {
  int64_t k = cs.MEASUREINDEXIN;
  if (k == 1) {
    PROCESSONELINE(cs, cs.MEASURE[0], NOBEAM);
  } else if (k >= 2) {
    PROCESSONELINE(cs, cs.MEASURE[0], BEAMBEGIN);
    for (int64_t i = 1; i < k - 1; ++i) PROCESSONELINE(cs, cs.MEASURE[i], BEAMCONTINUE);
    PROCESSONELINE(cs, cs.MEASURE[k - 1], BEAMEND);
  }
}

// The line that ended the group: a short note may begin the next group (it
// becomes NEXTLINE), anything else is handed on at once.
void HANDLEGROUPEND(ConversionState& cs) {
  cs.NEXTLINE.clear();
  if (cs.S.empty()) return;
  const LineRecord& S = cs.S;
  bool mayBeginGroup = S.cut && inNoteCodes(S.code) && !STRIP(S.field(2)).empty() && S.length > 0 && isShort(S);
  if (mayBeginGroup) {
    CHECKTIMEVALUES(cs, cs.S);
    std::swap(cs.NEXTLINE, cs.S);
  } else {
    PROCESSONELINE(cs, cs.S, NOBEAM);
  }
  cs.S.clear();
}

// One turn of the main loop: a line taken (read, or the one NEXTLINE
// kept), a group collected from it and handed on, and the line that ended
// the group.
void PROCESSNEXTGROUP(ConversionState& cs) {
  if (cs.NEXTLINE.empty()) {
    READTIMEDLINE(cs);
    CHECKLINE(cs);
    cs.TRIOLS = cs.TRIOLSNEW;
    const CountedNote note = CHECKEDNOTE(cs, cs.S);
    cs.TRIOLSNEW = TRIOLCASE(note.NOTELENGTH, note.NOTEDIVISION);
  } else {
    std::swap(cs.S, cs.NEXTLINE);
    cs.NEXTLINE.clear();
  }
  COLLECTBEAMGROUP(cs);
  HANDONBEAMGROUP(cs);
  HANDLEGROUPEND(cs);
  cs.MEASUREINDEXIN = 0;
  cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;
}

}  // namespace

void PROCESSLINES(ConversionState& cs) {
  // The first line carries the time signature: it is handed on at once and
  // takes no part in the time count or the beaming.
  if (!cs.DATAIN.atEnd()) {
    READLINE(cs, cs.S.text);
    CUTLINE(cs.S);
    PROCESSONELINE(cs, cs.S, NOBEAM);
  }
  cs.MEASURENUMBER = 0;
  cs.MEASURENUMBEROLD = 0;
  cs.TIMETICK = 0;
  while (!cs.DATAIN.atEnd() || !cs.NEXTLINE.empty()) PROCESSNEXTGROUP(cs);
  CHECKSONGNAMELINE(cs);
}

}  // namespace sorvik
