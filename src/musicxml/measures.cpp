#include "musicxml/measures.h"

#include <string_view>

#include "core/arithmetic.h"
#include "core/diagnostics.h"
#include "model/names.h"
#include "model/variant.h"
#include "musicxml/xml_text.h"

namespace sorvik {

namespace {

constexpr std::string_view kRepeatBegin[] = {R"(    <barline location="left">)",
                                             R"(      <bar-style>heavy-light</bar-style>)",
                                             R"(        <repeat direction="forward"/>)", R"(        </barline>)"};
constexpr std::string_view kRepeatEnd[] = {R"(    <barline location="right">)",
                                           R"(      <bar-style>light-heavy</bar-style>)",
                                           R"(        <repeat direction="backward"/>)", R"(        </barline>)"};
constexpr std::string_view kSegno[] = {
    R"(    <direction placement="above">)", R"(      <direction-type>)",         R"(        <segno/>)",
    R"(        </direction-type>)",         R"(        <sound segno="segno"/>)", R"(        </direction>)"};
constexpr std::string_view kToSegno[] = {R"(     <direction placement="above">)", R"(      <direction-type>)",
                                         R"(        <words>D.S.</words>)",        R"(        </direction-type>)",
                                         R"(        <sound dalsegno="segno"/>)",  R"(        </direction>)"};
constexpr std::string_view kSegnoReturn[] = {R"(     <direction placement="below">)", R"(      <direction-type>)",
                                             R"(        <words>[SON]</words>)", R"(        </direction-type>)",
                                             R"(        </direction>)"};
constexpr std::string_view kCrescendo[] = {R"(    <direction placement="above">)", R"(      <direction-type>)",
                                           R"(        <wedge type="crescendo" number="1"/>)",
                                           R"(        </direction-type>)", R"(      </direction>)"};
constexpr std::string_view kDiminuendo[] = {R"(      <direction placement="above">)", R"(      <direction-type>)",
                                            R"(        <wedge type="diminuendo" number="1"/>)",
                                            R"(        </direction-type>)", R"(      </direction>)"};
constexpr std::string_view kWedgeEnd[] = {R"(    <direction placement="above">)", R"(      <direction-type>)",
                                          R"(        <wedge type="stop" number="1"/>)", R"(        </direction-type>)",
                                          R"(      </direction>)"};
constexpr std::string_view kDynamicsOpen[] = {R"(    <direction placement="above">)", R"(      <direction-type>)",
                                              R"(        <dynamics>)"};
constexpr std::string_view kDynamicsClose[] = {R"(          </dynamics>)", R"(        </direction-type>)",
                                               R"(      <sound dynamics="140.00"/>)", R"(      </direction>)"};
constexpr std::string_view kTimeOpen[] = {R"(    <attributes>)", R"(      <divisions>192</divisions>)",
                                          R"(      <time>)"};
constexpr std::string_view kSenzaMisura[] = {R"(      <senza-misura/>)", R"(      </time>)", R"(      </attributes>)"};
constexpr std::string_view kTimeClose[] = {R"(      </time>)", R"(      </attributes>)"};
constexpr std::string_view kMetronomeOpen[] = {R"(    <direction placement="above">)", R"(      <direction-type>)",
                                               R"(        <metronome parentheses="no">)"};
constexpr std::string_view kMetronomeClose[] = {R"(          </metronome>)", R"(        </direction-type>)"};

void writeBarlineEnding(ConversionState& cs, int64_t I, std::string_view type) {
  cs.DATAOUT.line(R"(    <barline location="left">)");
  cs.DATAOUT.line(R"(      <ending number=")", I, R"(" type=")", type, R"("/>)");
  cs.DATAOUT.line(R"(        </barline>)");
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The tempo as the schema's non-negative decimal without blanks,
// \+?([0-9]+(\.[0-9]*)?|\.[0-9]+), each "," read as "."; false when it is none.
bool schemaTempo(std::string_view text, std::string& tempo) {
  tempo.assign(text);
  for (char& c : tempo) {
    if (c == ',') c = '.';
  }
  std::string_view t = tempo;
  if (t.starts_with('+')) t.remove_prefix(1);
  size_t digits = 0, points = 0;
  for (char c : t) {
    if (isDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  return digits > 0 && points <= 1;
}

}  // namespace

void CHECKMEASURE(ConversionState& cs) {
  if (cs.MEASURENUMBER > cs.MEASURENUMBEROLD) {
    MUSICXMLMEASURECHANGE(cs, cs.MEASURENUMBER + 1, cs.MEASURENUMBEROFFSET);
    cs.MEASURENUMBEROLD = cs.MEASURENUMBER;
  } else if (cs.MEASURENUMBER < cs.MEASURENUMBEROLD) {
    // The positions went back (a repeat written out, say): numbers go on rising.
    cs.MEASURENUMBEROFFSET = saturatingAdd64(cs.MEASURENUMBEROFFSET, cs.MEASURENUMBEROLD);
    cs.MEASURENUMBEROLD = cs.MEASURENUMBER;
    MUSICXMLMEASURECHANGE(cs, cs.MEASURENUMBER + 1, cs.MEASURENUMBEROFFSET);
  }
}

void MUSICXMLMEASURECHANGE(ConversionState& cs, int64_t MEASURENUMBER, int64_t MEASURENUMBEROFFSET) {
  MUSICXMLMEASUREEND(cs);
  MUSICXMLMEASURE(cs, saturatingAdd64(MEASURENUMBER, MEASURENUMBEROFFSET));
}

void MUSICXMLMEASUREEND(ConversionState& cs) { cs.DATAOUT.line("</measure>"); }

void MUSICXMLMEASURE(ConversionState& cs, int64_t MEASURENUMBER) {
  cs.DATAOUT.line("<measure number=\"", MEASURENUMBER, "\">");
  cs.CURRENTOLDKEY = cs.PREDEFINEDOLDKEY;
}

void MUSICXMLREPEATBEGIN(ConversionState& cs) { cs.DATAOUT.lines(kRepeatBegin); }
void MUSICXMLREPEATEND(ConversionState& cs) { cs.DATAOUT.lines(kRepeatEnd); }
void MUSICXMLVOLTASTART(ConversionState& cs, int64_t I) { writeBarlineEnding(cs, I, "start"); }
void MUSICXMLVOLTASTOP(ConversionState& cs, int64_t I) { writeBarlineEnding(cs, I, "stop"); }

void MUSICXMLSEGNO(ConversionState& cs) { cs.DATAOUT.lines(kSegno); }
void MUSICXMLTOSEGNO(ConversionState& cs) { cs.DATAOUT.lines(kToSegno); }
void MUSICXMLSEGNORETURN(ConversionState& cs) { cs.DATAOUT.lines(kSegnoReturn); }
void MUSICXMLCRESCENDO(ConversionState& cs) { cs.DATAOUT.lines(kCrescendo); }
void MUSICXMLDIMINUENDO(ConversionState& cs) { cs.DATAOUT.lines(kDiminuendo); }
void MUSICXMLCRESCENDODIMINUENDOEND(ConversionState& cs) { cs.DATAOUT.lines(kWedgeEnd); }

void MUSICXMLDYNAMICS(ConversionState& cs, std::string_view S) {
  cs.DATAOUT.lines(kDynamicsOpen);
  cs.DATAOUT.line("          <", S, "/>");
  cs.DATAOUT.lines(kDynamicsClose);
}

void MUSICXMLCHANGEBEAT(ConversionState& cs, int64_t BEATS, int64_t BEATTYPE) {
  cs.DATAOUT.lines(kTimeOpen);
  if (BEATS <= 0 || (BEATTYPE <= 0 && RULES(cs.OPTIONS).senzaMisuraUnmeasured)) {
    cs.DATAOUT.lines(kSenzaMisura);
    return;
  }
  cs.DATAOUT.line("        <beats>", BEATS, "</beats>");
  cs.DATAOUT.line("        <beat-type>", BEATTYPE, "</beat-type>");
  cs.DATAOUT.lines(kTimeClose);
}

void MUSICXMLCHANGETEMPO(ConversionState& cs, const std::string& TEMPO, int64_t BEATTYPE) {
  cs.DATAOUT.lines(kMetronomeOpen);
  std::string_view unit;
  for (const BeatUnit& b : BEATUNITS) {
    if (b.beatType == BEATTYPE) unit = b.name;
  }
  ASSERTSORVIK(
      cs, !unit.empty(), [&] { return "BeatType " + std::to_string(BEATTYPE) + " is not in 0,1,2,4,8,16,32,64,128"; },
      cs.FILENAMEIN);
  cs.DATAOUT.line("          <beat-unit>", unit, "</beat-unit>");
  cs.DATAOUT.line("          <per-minute>", XmlText{TEMPO}, "</per-minute>");
  cs.DATAOUT.lines(kMetronomeClose);
  if (!RULES(cs.OPTIONS).schemaValues) {
    cs.DATAOUT.line(R"(      <sound tempo=")", XmlAttribute{TEMPO}, R"("/>)");
  } else if (std::string tempo; schemaTempo(TEMPO, tempo)) {
    cs.DATAOUT.line(R"(      <sound tempo=")", tempo, R"("/>)");
  }
  cs.DATAOUT.line(R"(      </direction>)");
}

}  // namespace sorvik
