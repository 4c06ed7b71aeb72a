#include "musicxml/note.h"

#include <cassert>
#include <string_view>

#include "core/text.h"
#include "model/duration.h"
#include "model/names.h"
#include "model/pitch.h"
#include "model/variant.h"
#include "musicxml/xml_text.h"

namespace sorvik {

namespace {

constexpr std::string_view kBeamBegin = R"(    <beam number="1">begin</beam>)";
constexpr std::string_view kBeamContinue = R"(    <beam number="1">continue</beam>)";
constexpr std::string_view kBeamEnd = R"(    <beam number="1">end</beam>)";

constexpr std::string_view kGraceSlurStop[] = {R"(    <notations>)", R"(      <slur type="stop" number="2"/>)",
                                               R"(    </notations>)"};
constexpr std::string_view MUSICXMLTIEDSTART[] = {R"(        <notations>)", R"(          <tied type="start"/>)",
                                                  R"(          </notations>)"};
constexpr std::string_view MUSICXMLTIEDSTOP[] = {R"(        <notations>)", R"(          <tied type="stop"/>)",
                                                 R"(          </notations>)"};
constexpr std::string_view MUSICXMLSLURSTART[] = {
    R"(        <notations>)", R"(          <slur type="start" number="1"/>)", R"(          </notations>)"};
constexpr std::string_view MUSICXMLSLURSTOP[] = {
    R"(        <notations>)", R"(          <slur type="stop" number="1"/>)", R"(          </notations>)"};
constexpr std::string_view MUSICXMLFERMAT[] = {R"(        <notations>)", R"(          <fermata type="upright"/>)",
                                               R"(          </notations>)"};
constexpr std::string_view MUSICXMLTREMOLO[] = {R"(        <notations>)", R"(        <ornaments>)",
                                                R"(          <tremolo>1</tremolo>)", R"(          </ornaments>)",
                                                R"(          </notations>)"};
constexpr std::string_view kStaccato[] = {R"(    <notations>)", R"(      <articulations>)", R"(        <staccato/>)",
                                          R"(        </articulations>)", R"(    </notations>)"};
constexpr std::string_view kMordent[] = {R"(    <notations>)", R"(      <ornaments><mordent/></ornaments>)",
                                         R"(    </notations>)"};
constexpr std::string_view kTrill[] = {R"(    <notations>)", R"(      <ornaments>)",
                                       R"(        <trill-mark default-y="39"/>)", R"(      </ornaments>)",
                                       R"(    </notations>)"};

constexpr std::string_view kTripletModification =
    "    <time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>";
constexpr std::string_view kDots[] = {"", "<dot/>", "<dot/><dot/>"};

// The type element (cue size inside it) with its dots on the same line.
void MUSICXMLTYPE(ConversionState& cs, const NoteType& type, bool CUE) {
  assert(type.number >= 1 && type.number <= 11 && type.dots >= 0 && type.dots <= 2);
  std::string_view name = NOTETYPENAMES[type.number];
  if (CUE) {
    cs.DATAOUT.line(R"(    <type size="cue">)", name, "</type>", kDots[type.dots]);
  } else {
    cs.DATAOUT.line("    <type>", name, "</type>", kDots[type.dots]);
  }
}

// A words direction above the next note: the usul text or an arrow mark.
void writeWords(ConversionState& cs, std::string_view text) {
  cs.DATAOUT.line(R"( <direction placement="above">)");
  cs.DATAOUT.line(R"(   <direction-type>)");
  cs.DATAOUT.line(R"(     <words default-y="40" font-family="FreeSerif">)", XmlText{text}, "</words>");
  cs.DATAOUT.line(R"(     </direction-type>)");
  cs.DATAOUT.line(R"(   </direction>)");
}

void MUSICXMLBEAMBEGIN(ConversionState& cs) { cs.DATAOUT.line(kBeamBegin); }
void MUSICXMLBEAMCONTINUE(ConversionState& cs) { cs.DATAOUT.line(kBeamContinue); }
void MUSICXMLBEAMEND(ConversionState& cs) { cs.DATAOUT.line(kBeamEnd); }

void writeBeam(ConversionState& cs, TBEAM BEAM) {
  switch (BEAM) {
    case BEAMBEGIN: MUSICXMLBEAMBEGIN(cs); break;
    case BEAMCONTINUE: MUSICXMLBEAMCONTINUE(cs); break;
    case BEAMEND: MUSICXMLBEAMEND(cs); break;
    case NOBEAM: break;
  }
}

// The notations of one note, in this order: each in a notations element of
// its own (the lines of each writer: the element's start, what it holds,
// its end), or all in one element where the variant asks for that.
class Notations {
 public:
  explicit Notations(ConversionState& cs) : cs_(cs), inOne_(RULES(cs.OPTIONS).oneNotations) {}
  Notations(const Notations&) = delete;
  Notations& operator=(const Notations&) = delete;
  ~Notations() {
    if (open_) cs_.DATAOUT.line("    </notations>");
  }
  template <size_t N>
  void add(const std::string_view (&lines)[N]) {
    static_assert(N >= 3);
    if (!inOne_) {
      cs_.DATAOUT.lines(lines);
      return;
    }
    if (!open_) cs_.DATAOUT.line("    <notations>");
    open_ = true;
    for (size_t i = 1; i + 1 < N; ++i) cs_.DATAOUT.line(lines[i]);
  }

 private:
  ConversionState& cs_;
  const bool inOne_;
  bool open_ = false;
};

void writeNotations(ConversionState& cs, TSLUR SLUR, TTIE TIE, bool STACCATO, bool FERMAT, int64_t CODE) {
  Notations notations(cs);
  if (cs.GRACENOTESLUR) {
    cs.GRACENOTESLUR = false;
    notations.add(kGraceSlurStop);
  }
  if (TIE == STARTTIE) notations.add(MUSICXMLTIEDSTART);
  if (TIE == STOPTIE) notations.add(MUSICXMLTIEDSTOP);
  if (SLUR == STARTSLUR) notations.add(MUSICXMLSLURSTART);
  if (SLUR == STOPSLUR) notations.add(MUSICXMLSLURSTOP);
  if (FERMAT) notations.add(MUSICXMLFERMAT);
  if (CODE == code::TREMOLO) notations.add(MUSICXMLTREMOLO);
  if (STACCATO) notations.add(kStaccato);
  if (isMordentCode(CODE)) notations.add(kMordent);
  if (CODE == code::TRILL) notations.add(kTrill);
}

}  // namespace

void MUSICXMLNOTE(ConversionState& cs, const LineRecord& S, const NotePart& part, TBEAM BEAM) {
  const int64_t CODE = S.interpretedCode();
  const bool CUE = CODE == code::CUE;
  const TTIE TIE = part.TIE;
  const WrittenPitch pitch = WRITTENNOTEPITCH(cs, STRIP(S.field(2)));

  if (!cs.NEWSONGTYPE.empty()) {
    writeWords(cs, cs.NEWSONGTYPE);
    cs.NEWSONGTYPE.clear();
  }
  if (!pitch.arrows.flat.empty()) writeWords(cs, pitch.arrows.flat);
  if (!pitch.arrows.sharp.empty()) writeWords(cs, pitch.arrows.sharp);
  cs.DATAOUT.line("  <note>");
  cs.DATAOUT.line("    <pitch>");
  cs.DATAOUT.line("      <step>", pitch.step, "</step>");
  CHECKACCIDENTAL(cs, pitch);
  if (!pitch.alter.empty()) cs.DATAOUT.line("      <alter>", pitch.alter, "</alter>");
  cs.DATAOUT.line("      <octave>", pitch.octave, "</octave>");
  cs.DATAOUT.line("      </pitch>");
  cs.DATAOUT.line("    <duration>", part.NOTEDURATION, "</duration>");
  if (TIE == STARTTIE) cs.DATAOUT.line(R"(    <tie type="start"/>)");
  if (TIE == STOPTIE) cs.DATAOUT.line(R"(    <tie type="stop"/>)");

  const NoteType type = NOTETYPE(cs, part.NOTELENGTH, S.division);
  MUSICXMLTYPE(cs, type, CUE);
  if (!pitch.accidental.empty()) cs.DATAOUT.line("    <accidental>", pitch.accidental, "</accidental>");
  if (type.triplet) cs.DATAOUT.line(kTripletModification);

  writeBeam(cs, BEAM);
  writeNotations(cs, cs.SLUR, TIE, S.legato == legato::STACCATO, S.legato == legato::FERMATA, CODE);
  if (part.lyrics) {
    MUSICXMLNOTELYRIC(cs, S.field(8), '1');
    MUSICXMLNOTELYRIC(cs, S.field(9), '2');
  }
  cs.DATAOUT.line("  </note>");
  ++cs.NOTESWRITTEN;
}

void MUSICXMLNOTELYRIC(ConversionState& cs, std::string_view NOTETEXT, char LYRICNUMBER) {
  if (NOTETEXT.empty()) return;
  // A syllable that ends in a blank is continued by the next one.
  std::string_view syllabic = NOTETEXT.back() == ' ' ? "begin" : "single";
  cs.DATAOUT.line(R"(    <lyric number=")", LYRICNUMBER, "\">");
  cs.DATAOUT.line("      <syllabic>", syllabic, "</syllabic>");
  cs.DATAOUT.line("      <text>", XmlText{NOTETEXT}, "</text>");
  cs.DATAOUT.line("    </lyric>");
}

void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION, int64_t NOTELENGTH, int64_t NOTEDIVISION) {
  const bool restTypes = RULES(cs.OPTIONS).restTypes;
  NoteType type;
  const bool typed = restTypes && EXACTNOTETYPE(NOTELENGTH, NOTEDIVISION, type);
  // A rest of a value no type has, which fills its measure: a measure rest.
  const bool wholeMeasure =
      restTypes && !typed && cs.BEATS > 0 && cs.BEATTYPE > 0 &&
      static_cast<__int128>(RESTDURATION) * cs.BEATTYPE == static_cast<__int128>(cs.BEATS) * 4 * DIVISIONVALUE;
  cs.DATAOUT.line("<note>");
  cs.DATAOUT.line(wholeMeasure ? std::string_view(R"(  <rest measure="yes"/>)") : std::string_view("  <rest/>"));
  cs.DATAOUT.line("  <duration>", RESTDURATION, "</duration>");
  if (typed) {
    MUSICXMLTYPE(cs, type, false);
    if (type.triplet) cs.DATAOUT.line(kTripletModification);
  }
  cs.DATAOUT.line("  </note>");
}

void MUSICXMLGRACENOTE(ConversionState& cs, std::string_view NOTE) {
  const WrittenPitch pitch = WRITTENGRACEPITCH(cs, NOTE);
  CHECKACCIDENTAL(cs, pitch);

  cs.DATAOUT.line("<note>");
  cs.DATAOUT.line(R"(<grace slash="yes"/>)");
  cs.DATAOUT.line("<pitch>");
  cs.DATAOUT.line("<step>", pitch.step, "</step>");
  cs.DATAOUT.line("<alter>", pitch.alter, "</alter>");
  cs.DATAOUT.line("<octave>", pitch.octave, "</octave>");
  cs.DATAOUT.line("</pitch>");
  cs.DATAOUT.line("<voice>1</voice>");
  cs.DATAOUT.line("<type>eighth</type>");
  if (!pitch.accidental.empty()) cs.DATAOUT.line("<accidental>", pitch.accidental, "</accidental>");
  cs.DATAOUT.line("<notations>");
  cs.DATAOUT.line(R"(<slur type="start" number="2"/>)");
  cs.DATAOUT.line("</notations>");
  cs.DATAOUT.line("  </note>");
  ++cs.NOTESWRITTEN;
  cs.GRACENOTESLUR = true;
}

}  // namespace sorvik
