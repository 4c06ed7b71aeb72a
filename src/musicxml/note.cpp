#include "musicxml/note.h"

#include <cassert>
#include <string_view>

#include "model/duration.h"
#include "model/names.h"
#include "model/pitch.h"
#include "musicxml/xml_text.h"

namespace sorvik {

namespace {

constexpr std::string_view kBeamBegin = R"(    <beam number="1">begin</beam>)";
constexpr std::string_view kBeamContinue = R"(    <beam number="1">continue</beam>)";
constexpr std::string_view kBeamEnd = R"(    <beam number="1">end</beam>)";

constexpr std::string_view kGraceSlurStop[] = {R"(    <notations>)", R"(      <slur type="stop" number="2"/>)",
                                               R"(    </notations>)"};
constexpr std::string_view kTiedStart[] = {R"(        <notations>)", R"(          <tied type="start"/>)",
                                           R"(          </notations>)"};
constexpr std::string_view kTiedStop[] = {R"(        <notations>)", R"(          <tied type="stop"/>)",
                                          R"(          </notations>)"};
constexpr std::string_view kSlurStart[] = {R"(        <notations>)", R"(          <slur type="start" number="1"/>)",
                                           R"(          </notations>)"};
constexpr std::string_view kSlurStop[] = {R"(        <notations>)", R"(          <slur type="stop" number="1"/>)",
                                          R"(          </notations>)"};
constexpr std::string_view kFermata[] = {R"(        <notations>)", R"(          <fermata type="upright"/>)",
                                         R"(          </notations>)"};
constexpr std::string_view kTremolo[] = {R"(        <notations>)", R"(        <ornaments>)",
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
void MUSICXMLTIEDSTART(ConversionState& cs) { cs.DATAOUT.lines(kTiedStart); }
void MUSICXMLTIEDSTOP(ConversionState& cs) { cs.DATAOUT.lines(kTiedStop); }
void MUSICXMLSLURSTART(ConversionState& cs) { cs.DATAOUT.lines(kSlurStart); }
void MUSICXMLSLURSTOP(ConversionState& cs) { cs.DATAOUT.lines(kSlurStop); }
void MUSICXMLFERMAT(ConversionState& cs) { cs.DATAOUT.lines(kFermata); }
void MUSICXMLTREMOLO(ConversionState& cs) { cs.DATAOUT.lines(kTremolo); }

void writeBeam(ConversionState& cs, TBEAM BEAM) {
  switch (BEAM) {
    case BEAMBEGIN: MUSICXMLBEAMBEGIN(cs); break;
    case BEAMCONTINUE: MUSICXMLBEAMCONTINUE(cs); break;
    case BEAMEND: MUSICXMLBEAMEND(cs); break;
    case NOBEAM: break;
  }
}

// Each notation in a notations element of its own, in this order.
void writeNotations(ConversionState& cs, TSLUR SLUR, TTIE TIE, bool STACCATO, bool FERMAT, int64_t CODE) {
  if (cs.GRACENOTESLUR) {
    cs.GRACENOTESLUR = false;
    cs.DATAOUT.lines(kGraceSlurStop);
  }
  if (TIE == STARTTIE) MUSICXMLTIEDSTART(cs);
  if (TIE == STOPTIE) MUSICXMLTIEDSTOP(cs);
  if (SLUR == STARTSLUR) MUSICXMLSLURSTART(cs);
  if (SLUR == STOPSLUR) MUSICXMLSLURSTOP(cs);
  if (FERMAT) MUSICXMLFERMAT(cs);
  if (CODE == code::TREMOLO) MUSICXMLTREMOLO(cs);
  if (STACCATO) cs.DATAOUT.lines(kStaccato);
  if (isMordentCode(CODE)) cs.DATAOUT.lines(kMordent);
  if (CODE == code::TRILL) cs.DATAOUT.lines(kTrill);
}

}  // namespace

void MUSICXMLNOTE(ConversionState& cs, std::string_view NOTE, int64_t NOTEDURATION, std::string_view NOTETEXT1,
                  std::string_view NOTETEXT2, int64_t NOTELENGTH, int64_t NOTEDIVISION, TSLUR SLUR, TTIE TIE,
                  bool STACCATO, TBEAM BEAM, bool FERMAT, int64_t CODE, std::string& NEWSONGTYPE) {
  const bool CUE = CODE == code::CUE;
  const WrittenPitch pitch = WRITTENNOTEPITCH(cs, NOTE);

  if (!NEWSONGTYPE.empty()) {
    writeWords(cs, NEWSONGTYPE);
    NEWSONGTYPE.clear();
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
  cs.DATAOUT.line("    <duration>", NOTEDURATION, "</duration>");
  if (TIE == STARTTIE) cs.DATAOUT.line(R"(    <tie type="start"/>)");
  if (TIE == STOPTIE) cs.DATAOUT.line(R"(    <tie type="stop"/>)");

  const NoteType type = NOTETYPE(cs, NOTELENGTH, NOTEDIVISION);
  MUSICXMLTYPE(cs, type, CUE);
  if (!pitch.accidental.empty()) cs.DATAOUT.line("    <accidental>", pitch.accidental, "</accidental>");
  if (type.triplet) cs.DATAOUT.line(kTripletModification);

  writeBeam(cs, BEAM);
  writeNotations(cs, SLUR, TIE, STACCATO, FERMAT, CODE);
  MUSICXMLNOTELYRIC(cs, NOTETEXT1, '1');
  MUSICXMLNOTELYRIC(cs, NOTETEXT2, '2');
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

void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION) {
  cs.DATAOUT.line("<note>");
  cs.DATAOUT.line("  <rest/>");
  cs.DATAOUT.line("  <duration>", RESTDURATION, "</duration>");
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
