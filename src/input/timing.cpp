#include "input/timing.h"

#include "core/diagnostics.h"
#include "core/text.h"

namespace sorvik {

int64_t GETTIMESTEP(ConversionState& cs, const LineRecord& S) {
  if (!S.cut) return 0;
  cs.COUNTED = {S.length, S.division, S.timeScaled};
  if (!inNoteCodes(S.code) || S.division <= 0) return 0;
  // The added 1 makes 2/3 come out as 666667 rather than 666666.
  return (S.length * SCALE + 1) / S.division;
}

CountedNote CHECKEDNOTE(const ConversionState& cs, const LineRecord& S) {
  return S.cut ? CountedNote{S.length, S.division, S.timeScaled} : cs.COUNTED;
}

void CHECKBEATCHANGE(ConversionState& cs, const LineRecord& S) {
  if (S.leadingCode == code::USUL || S.leadingCode == code::SONGTYPE) cs.TIMETICK = 0;
}

namespace {

// Count in measures of the current meter.
double measures(int64_t tick, int64_t BEATS, int64_t BEATTYPE) {
  __int128 num = static_cast<__int128>(tick) * BEATTYPE;
  __int128 den = static_cast<__int128>(BEATS) * SCALE;
  // The same doubles, converted from 64 bits when the numbers fit (much faster).
  if (num == static_cast<int64_t>(num) && den == static_cast<int64_t>(den)) {
    return static_cast<double>(static_cast<int64_t>(num)) / static_cast<double>(static_cast<int64_t>(den));
  }
  return static_cast<double>(num) / static_cast<double>(den);
}

}  // namespace

void CHECKTIMEVALUES(ConversionState& cs, const LineRecord& S) {
  const CountedNote note = CHECKEDNOTE(cs, S);
  if (!inNoteCodes(S.leadingCode) || note.NOTEDIVISION <= 0) return;
  const bool meter = cs.BEATS > 0 && cs.BEATTYPE > 0;
  const int64_t stated = note.NOTETIMESCALED;
  if (meter) {
    cs.TIMEREAL = measures(cs.TIMETICK, cs.BEATS, cs.BEATTYPE);
    cs.TIMEREALFROMLINE = static_cast<double>(stated) / 1000000.0;
  }
  // Ahead of the count: near the start of the song or of a meter, the count
  // jumps to the stated position (an upbeat); later the lag is reported.
  if (meter && cs.TIMEREALFROMLINE - 0.001 > cs.TIMEREAL) {
    const int64_t TIMETICKNEW = clampTo64((static_cast<__int128>(stated) * cs.BEATS + cs.BEATTYPE / 2) / cs.BEATTYPE);
    double value = static_cast<double>(note.NOTELENGTH) / static_cast<double>(note.NOTEDIVISION);
    if (value + 1.001 > cs.TIMEREAL) {
      cs.TIMEREAL = measures(TIMETICKNEW, cs.BEATS, cs.BEATTYPE);
      cs.TIMETICK = TIMETICKNEW;
    }
  }
  auto overfull = [&] {
    return "Measure overfull: " + formatG15(cs.TIMEREALFROMLINE) + " - " + formatG15(cs.TIMEREAL);
  };
  auto notFull = [&] { return "Measure not full: " + formatG15(cs.TIMEREAL) + " - " + formatG15(cs.TIMEREALFROMLINE); };
  if (cs.OPTIONS.strictBars) {
    ASSERTSORVIK(cs, cs.TIMEREALFROMLINE + 0.001 > cs.TIMEREAL, overfull, cs.FILENAMEIN);
    ASSERTSORVIK(cs, cs.TIMEREALFROMLINE - 0.001 < cs.TIMEREAL, notFull, cs.FILENAMEIN);
  } else {
    WARNINGSORVIK(cs, cs.TIMEREALFROMLINE + 0.001 > cs.TIMEREAL, overfull);
    if (cs.TIMEREAL > 0.999) WARNINGSORVIK(cs, cs.TIMEREALFROMLINE - 0.001 < cs.TIMEREAL, notFull);
  }
}

}  // namespace sorvik
