#include "musicxml/note.h"

#include <string_view>

#include "model/duration.h"
#include "model/pitch.h"

namespace sorvik {

namespace {

constexpr std::string_view kBeamBegin = R"(    <beam number="1">begin</beam>)";
constexpr std::string_view kBeamContinue = R"(    <beam number="1">continue</beam>)";
constexpr std::string_view kBeamEnd = R"(    <beam number="1">end</beam>)";

constexpr std::string_view kGraceSlurStop[] = {
    R"(    <notations>)", R"(      <slur type="stop" number="2"/>)", R"(    </notations>)"};
constexpr std::string_view kTiedStart[] = {
    R"(        <notations>)", R"(          <tied type="start"/>)", R"(          </notations>)"};
constexpr std::string_view kTiedStop[] = {
    R"(        <notations>)", R"(          <tied type="stop"/>)", R"(          </notations>)"};
constexpr std::string_view kSlurStart[] = {
    R"(        <notations>)", R"(          <slur type="start" number="1"/>)", R"(          </notations>)"};
constexpr std::string_view kSlurStop[] = {
    R"(        <notations>)", R"(          <slur type="stop" number="1"/>)", R"(          </notations>)"};
constexpr std::string_view kFermata[] = {
    R"(        <notations>)", R"(          <fermata type="upright"/>)", R"(          </notations>)"};
constexpr std::string_view kTremolo[] = {
    R"(        <notations>)", R"(        <ornaments>)", R"(          <tremolo>1</tremolo>)",
    R"(          </ornaments>)", R"(          </notations>)"};
constexpr std::string_view kStaccato[] = {
    R"(    <notations>)", R"(      <articulations>)", R"(        <staccato/>)", R"(        </articulations>)",
    R"(    </notations>)"};
constexpr std::string_view kMordent[] = {
    R"(    <notations>)", R"(      <ornaments><mordent/></ornaments>)", R"(    </notations>)"};
constexpr std::string_view kTrill[] = {
    R"(    <notations>)", R"(      <ornaments>)", R"(        <trill-mark default-y="39"/>)", R"(      </ornaments>)",
    R"(    </notations>)"};

bool isMordentCode(int64_t code) { return (code >= 23 && code <= 29) || (code >= 43 && code <= 47); }

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
  if (CODE == 7) MUSICXMLTREMOLO(cs);
  if (STACCATO) cs.DATAOUT.lines(kStaccato);
  if (isMordentCode(CODE)) cs.DATAOUT.lines(kMordent);
  if (CODE == 12) cs.DATAOUT.lines(kTrill);
}

}  // namespace

void MUSICXMLNOTE(ConversionState& cs, std::string_view NOTE, int64_t NOTEDURATION, std::string_view NOTETEXT1,
                  std::string_view NOTETEXT2, int64_t NOTELENGTH, int64_t NOTEDIVISION, TSLUR SLUR, TTIE TIE,
                  bool STACCATO, TBEAM BEAM, bool FERMAT, int64_t CODE, std::string& NEWSONGTYPE) {
  const bool CUE = CODE == 1;
  const Pitch& pitch = READPITCH(cs, NOTE, false);
  std::string_view alter = pitch.alter;  // read for a note

  if (!NEWSONGTYPE.empty()) {
    writeWords(cs, NEWSONGTYPE);
    NEWSONGTYPE.clear();
  }
  if (cs.OPTIONS.arrows) {
    Arrows arrows = ARROWS(pitch.reduced);
    if (!arrows.flat.empty()) writeWords(cs, arrows.flat);
    if (!arrows.sharp.empty()) writeWords(cs, arrows.sharp);
  }
  // Runs of lines are written as one where nothing can come between them
  // (the line ends are in the literals).
  cs.DATAOUT.line("  <note>\r\n    <pitch>\r\n      <step>", pitch.step, "</step>");

  std::string_view accidental = GETNOTEACCIDENTAL(cs, pitch);
  if (cs.OPTIONS.musescorePrint) alter = PRINTNOTEALTER(pitch.reduced);
  ACCIDENTALDECISION(cs, pitch.step, accidental, alter);

  if (!alter.empty()) cs.DATAOUT.line("      <alter>", alter, "</alter>");
  cs.DATAOUT.line("      <octave>", pitch.octave, "</octave>\r\n      </pitch>\r\n    <duration>", NOTEDURATION,
                  "</duration>");
  if (TIE == STARTTIE) cs.DATAOUT.line(R"(    <tie type="start"/>)");
  if (TIE == STOPTIE) cs.DATAOUT.line(R"(    <tie type="stop"/>)");

  const std::string& type = MUSICXMLGETNOTETYPE(cs, NOTELENGTH, NOTEDIVISION, CUE);
  size_t split = type.find('&');
  cs.DATAOUT.line("    ", std::string_view(type).substr(0, split));
  if (!accidental.empty()) cs.DATAOUT.line("    <accidental>", accidental, "</accidental>");
  if (split != std::string::npos) cs.DATAOUT.line("    ", std::string_view(type).substr(split + 1));

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
  // Four lines, written as one (the line ends are in the literals).
  cs.DATAOUT.line(R"(    <lyric number=")", LYRICNUMBER, "\">\r\n      <syllabic>", syllabic,
                  "</syllabic>\r\n      <text>", XmlText{NOTETEXT}, "</text>\r\n    </lyric>");
}

void MUSICXMLGRACENOTE(ConversionState& cs, std::string_view NOTE) {
  const Pitch& pitch = READPITCH(cs, NOTE, true);
  std::string_view alter = pitch.alter;  // read for a grace note
  std::string_view accidental = GETNOTEACCIDENTAL(cs, pitch);
  if (cs.OPTIONS.musescorePrint) alter = PRINTGRACEALTER(accidental, alter);

  cs.DATAOUT.line("<note>");
  cs.DATAOUT.line(R"(<grace slash="yes"/>)");
  cs.DATAOUT.line("<pitch>");
  cs.DATAOUT.line("<step>", pitch.step, "</step>");
  cs.DATAOUT.line("<alter>", alter, "</alter>");
  cs.DATAOUT.line("<octave>", pitch.octave, "</octave>");
  cs.DATAOUT.line("</pitch>");
  cs.DATAOUT.line("<voice>1</voice>");
  cs.DATAOUT.line("<type>eighth</type>");
  if (!accidental.empty()) cs.DATAOUT.line("<accidental>", accidental, "</accidental>");
  cs.DATAOUT.line("<notations>");
  cs.DATAOUT.line(R"(<slur type="start" number="2"/>)");
  cs.DATAOUT.line("</notations>");
  cs.DATAOUT.line("  </note>");
  ++cs.NOTESWRITTEN;
  cs.GRACENOTESLUR = true;
}

}  // namespace sorvik
