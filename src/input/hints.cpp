#include "input/hints.h"

#include <string>
#include <string_view>

#include "core/codes.h"
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
constexpr HintKind kMakamAfterSubtitle{"makam-after-subtitle", " Put the makam line before the subtitle line."};
constexpr HintKind kNoCode{"code-missing", " Write 9 (or the note's code) in field 1."};
constexpr HintKind kSignNotRead{
    "inflection-not-read",
    " Write the sign and the count of commas, 1 to 8, as the token's last two characters, after the name and the "
    "octave (si4b1, fa5#4)."};
constexpr HintKind kGraceValue{"grace-note-with-value", " Give a grace note length 0 and division 0."};
constexpr HintKind kGraceLegato{"legato-on-grace-note",
                                " Leave field 5 of a grace note at 0 and put the value on the note it belongs to."};
constexpr HintKind kTempoText{"tempo-not-a-number", ""};

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

void HINTMAKAMLINE(ConversionState& cs, const LineRecord& S) {
  if (cs.MUSICXMLHEADERISWRITTEN) {
    hint(cs, kKeyAfterHead,
         "This makam line comes after the song name line, so its key " + quoted(S.field(9)) + " is not written.");
  } else if (!cs.SONGSUBTITLE.empty() && cs.SONGSUBTITLE.rfind("Makam: ", 0) != 0) {
    hint(cs, kMakamAfterSubtitle,
         "This makam line comes after the subtitle line, so the subtitle " + quoted(cs.SONGSUBTITLE) +
             " is replaced by \"Makam: \" and the makam's name.");
  }
}

namespace {

bool isGrace(const LineRecord& S) { return S.interpretedCode() == code::GRACE || S.division == 0 || S.length == 0; }

// A sign b or # (no name has either) that is not followed by a count of 1 to
// 8 at the end of the token: the inflection is not what it says.
bool signNotRead(std::string_view pitch) {
  if (pitch.find_first_of("b#") == std::string_view::npos) return false;
  const size_t n = pitch.size();
  return n < 2 || (pitch[n - 2] != 'b' && pitch[n - 2] != '#') || pitch[n - 1] < '1' || pitch[n - 1] > '8';
}

}  // namespace

void HINTNOTELINE(ConversionState& cs, const LineRecord& S) {
  const std::string_view pitch = STRIP(S.field(2));
  const bool valued = S.length > 0 && S.division > 0;
  if (S.codeBlank && valued) {
    hint(cs, kNoCode,
         "Field 1 is empty: the line is written as a code-9 line, but the bar check does not count its value and it "
         "is never beamed, so the positions after it no longer agree with the count.");
  }
  if (pitch.empty()) return;
  if (signNotRead(pitch)) {
    hint(cs, kSignNotRead,
         "The inflection of " + quoted(pitch) + " is not read as written: a sign counts only as the last but one " +
             "character, followed by its count.");
  }
  if (S.interpretedCode() == code::GRACE && valued) {
    hint(cs, kGraceValue,
         "This grace note is drawn without a value, but its value " + std::to_string(S.length) + "/" +
             std::to_string(S.division) + " is counted by the bar check.");
  }
  if (isGrace(S) && S.legato != 0) {
    hint(cs, kGraceLegato,
         "The legato value " + std::to_string(S.legato) +
             " on this grace note draws nothing, but it changes the slur or tie that is open in the melody.");
  }
}

void HINTTEMPO(ConversionState& cs, std::string_view tempo) {
  constexpr std::string_view kDigits = "0123456789";
  const size_t end = tempo.find_first_not_of(kDigits);
  const bool number =
      end == std::string_view::npos ||
      (end > 0 && tempo[end] == '.' && tempo.find_first_not_of(kDigits, end + 1) == std::string_view::npos);
  if (number) return;
  const std::string_view digits = tempo.substr(0, end);
  hint(cs, kTempoText,
       "The tempo " + quoted(tempo) + " is copied into the score as written, where a program that plays it finds no " +
           "number: write " + (digits.empty() ? std::string("the beats per minute alone") : quoted(digits)) + ".");
}

}  // namespace sorvik
