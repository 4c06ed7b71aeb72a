#include "input/hints.h"

#include <string>
#include <string_view>

#include "core/text.h"

namespace sorvik {

namespace {

// The kinds of hint and the advice each ends with.
struct HintKind {
  std::string_view name, advice;
};
constexpr HintKind kMarkerInLyric{
    "marker-sign-in-lyric", " Write the syllable without it; a syllable that ends with a blank continues its word."};
constexpr HintKind kMarkerElsewhere{"marker-sign-in-note", " Take it out of the line."};
constexpr HintKind kPointZero{"position-point-zero", ""};
constexpr HintKind kRestInOpenMeasure{
    "rest-in-open-measure",
    " Start that measure with a note, or split the rest so that the first part's position has a \".\"."};
constexpr HintKind kRestLyric{"lyric-on-rest", " Only pitched notes carry lyrics: put it on the note it belongs to."};
constexpr HintKind kRestDynamics{"dynamics-on-rest",
                                 " A rest carries no dynamics mark or wedge start: put it on the next note."};
constexpr HintKind kKeyAfterHead{"makam-after-song-name", " Put the makam line before the song name line."};

struct DynamicsName {
  int64_t value;
  std::string_view name;
};
constexpr DynamicsName kDynamicsNames[] = {{dynamics::CRESCENDO, "crescendo"},
                                           {dynamics::PP, "pp"},
                                           {dynamics::P, "p"},
                                           {dynamics::F, "f"},
                                           {dynamics::DIMINUENDO, "diminuendo"}};

void hint(ConversionState& cs, const HintKind& kind, std::string text) {
  text.append(kind.advice);
  cs.HINTS.push_back({cs.LINENUMBER, std::string(kind.name), std::move(text)});
}

std::string quoted(std::string_view text) {
  std::string q(1, '"');
  q.append(text).push_back('"');
  return q;
}

// The field (1 to 10) that holds byte `at` of a cut line.
int fieldAt(const LineRecord& S, size_t at) {
  int k = 1;
  while (k < 10 && S.tabAt[k - 1] < at) ++k;
  return k;
}

}  // namespace

void HINTMARKERNOTE(ConversionState& cs, const LineRecord& S, bool asRest) {
  const std::string_view pitch = STRIP(S.field(2));
  if (pitch.empty() && (asRest || S.length <= 0 || S.division <= 0)) return;
  size_t at = std::string_view(S.text).find_first_of("()[]:$><{}+-");
  if (at == std::string_view::npos) at = S.field(9).find_first_of("Xx") + (S.tabAt[7] + 1);
  const int field = fieldAt(S, at);
  std::string text = pitch.empty() ? "The rest" : "The note " + quoted(pitch);
  text += asRest ? " is written as a rest: the " : " is not written: the ";
  text += quoted(std::string_view(S.text).substr(at, 1)) + " in field " + std::to_string(field) +
          " makes this a marker line";
  text += asRest ? ", and a marker line with legato 100 stands for a rest." : ".";
  hint(cs, field == 8 || field == 9 ? kMarkerInLyric : kMarkerElsewhere, std::move(text));
}

void HINTPOSITION(ConversionState& cs, const LineRecord& S) {
  if (S.length <= 0 || S.division <= 0 || S.interpretedCode() == code::GRACE) return;
  const std::string_view time = S.field(10);
  if (time.find('.') == std::string_view::npos || S.timeScaled % SCALE != 0) return;
  const std::string bar = std::to_string(S.timeScaled / SCALE);
  hint(cs, kPointZero,
       "The position " + quoted(time) + " puts this " + (STRIP(S.field(2)).empty() ? "rest" : "note") +
           " into the measure that starts on the bar line " + bar + ", although it ends there: write " + quoted(bar) +
           ".");
}

void HINTREST(ConversionState& cs, const LineRecord& S) {
  if (cs.BEATTYPE > 0 && S.field(10).find('.') == std::string_view::npos && S.timeInteger - 1 > cs.MEASURENUMBER) {
    hint(cs, kRestInOpenMeasure,
         "This rest ends on the bar line " + std::to_string(S.timeInteger) +
             " but is written into the open measure, which ends on the bar line " +
             std::to_string(cs.MEASURENUMBER + 1) +
             ": a rest whose position is a whole number stays in the open measure.");
  }
  for (std::string_view lyric : {S.field(8), S.field(9)}) {
    if (!STRIP(lyric).empty()) {
      hint(cs, kRestLyric, "The lyric " + quoted(lyric) + " on this rest is not written.");
      break;
    }
  }
  for (const DynamicsName& d : kDynamicsNames) {
    if (S.bas == d.value) hint(cs, kRestDynamics, "The " + std::string(d.name) + " on this rest is not written.");
  }
}

void HINTKEYAFTERHEAD(ConversionState& cs, const LineRecord& S) {
  if (!cs.MUSICXMLHEADERISWRITTEN) return;
  hint(cs, kKeyAfterHead,
       "This makam line comes after the song name line, so its key " + quoted(S.field(9)) + " is not written.");
}

}  // namespace sorvik
