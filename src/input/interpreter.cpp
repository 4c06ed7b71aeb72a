#include "input/interpreter.h"

#include <string_view>

#include "core/diagnostics.h"
#include "core/text.h"
#include "input/hints.h"
#include "input/numbers.h"
#include "musicxml/key.h"
#include "musicxml/measures.h"
#include "musicxml/skeleton.h"

namespace sorvik {

namespace {

// Codes the notation defines besides the note codes; those no other rule
// handles are accepted and ignored.
bool isAcceptedCode(int64_t code) {
  switch (code) {
    case 1:
    case 4:
    case 7:
    case 8:
    case 10:
    case 11:
    case 12:
    case 14:
    case 15:
    case 16:
    case 21:
    case 23:
    case 24:
    case 28:
    case 32:
    case 35:
    case 62:
    case 63: return true;
    default: return code >= 50 && code <= 60;
  }
}

// A line with another TAB count than nine stops the run (a tenth TAB is
// reported as the tenth, however many follow).
void checkTabs(ConversionState& cs, const LineRecord& line) {
  if (line.cut) return;
  const std::string& S = line.text;
  const int64_t count = line.tabs > 9 ? 10 : line.tabs;
  ASSERTSORVIK(
      cs, count <= 9,
      [&] {
        return S + "\xB4" + ": Too many TAB's (" + std::to_string(count) + ") in line (not UTF8? - missing LF/CR's?)";
      },
      cs.FILENAMEIN);
  const bool atEnd = cs.DATAIN.atEnd();
  ASSERTSORVIK(
      cs, false,
      [&] {
        return (atEnd ? S + ": Unexpected End of File(Wrong number of TAB-characters("
                      : S + ": Wrong number of TAB-characters(") +
               std::to_string(count) + ") in line";
      },
      cs.FILENAMEIN);
}

void changeBeatAfterHead(ConversionState& cs) {
  if (cs.MUSICXMLHEADERISWRITTEN) MUSICXMLCHANGEBEAT(cs, cs.BEATS, cs.BEATTYPE);
}

// Codes 50 to 59: the song's data.
void processSongData(ConversionState& cs, const LineRecord& S) {
  std::string_view text = S.field(8);
  switch (S.interpretedCode()) {
    case code::MAKAM:
      HINTMAKAMLINE(cs, S);
      cs.SONGKEY.assign(S.field(9));
      cs.SONGSUBTITLE.assign("Makam: ").append(text);
      changeBeatAfterHead(cs);
      break;
    case code::USUL:
      cs.SONGTYPE.assign("Usul: ").append(text);
      cs.NEWSONGTYPE = cs.SONGTYPE;
      cs.BEATS = STRINGTOINT(STRIP(S.field(3)));
      cs.BEATTYPE = STRINGTOINT(STRIP(S.field(4)));
      changeBeatAfterHead(cs);
      break;
    case code::TEMPO:
      cs.NOTETEMPO.assign(STRIP(S.field(5)));
      HINTTEMPO(cs, cs.NOTETEMPO);
      break;
    case code::SONGTYPE:
      cs.SONGTYPE.assign(text);
      cs.BEATS = STRINGTOINT(STRIP(S.field(3)));
      cs.BEATTYPE = STRINGTOINT(STRIP(S.field(4)));
      changeBeatAfterHead(cs);
      break;
    case code::SUBTITLE:
      if (!cs.SONGSUBTITLE.empty()) cs.SONGSUBTITLE.append(" ");
      cs.SONGSUBTITLE.append(text);
      break;
    case code::COMPOSER: cs.SONGCOMPOSER.assign("Beste: ").append(text); break;
    case code::LYRICIST: cs.SONGTEXTWRITER.assign(text); break;
  }
}

// Code 60: the song's name; writes the document head, the time signature of
// measure 1 and the key signature.
void processSongName(ConversionState& cs, const LineRecord& S) {
  cs.SONGNAME.assign(S.field(8));
  MUSICXMLHEADER(cs, cs.SONGNAME, cs.SONGCOMPOSER, cs.SONGTEXTWRITER, cs.SONGSUBTITLE, cs.SONGTYPE,
                 cs.OPTIONS.instrument, cs.FILENAMEOUT);
  MUSICXMLCHANGEBEAT(cs, cs.BEATS, cs.BEATTYPE);
  MUSICXMLSONGKEY(cs, cs.SONGKEY);
  cs.MUSICXMLHEADERISWRITTEN = true;
}

}  // namespace

void PROCESSONELINE(ConversionState& cs, const LineRecord& S, TBEAM BEAM) {
  if (S.empty()) return;
  ++cs.LINENUMBER;
  checkTabs(cs, S);
  if (cs.LINENUMBER == 1) {
    // The first line carries the time signature only.
    cs.MUSICXMLHEADERISWRITTEN = false;
    cs.BEATS = STRINGTOINT(STRIP(S.field(1)));
    cs.BEATTYPE = STRINGTOINT(STRIP(S.field(2)));
    return;
  }
  const int64_t NOTECODE = S.interpretedCode();
  switch (NOTECODE) {
    case code::IGNORED: return;
    case code::SONGNAME:
      // The song name line writes the document's head: once, before the music.
      ASSERTSORVIK(cs, !cs.MUSICXMLHEADERISWRITTEN, "Second song name line", cs.FILENAMEIN);
      processSongName(cs, S);
      return;
    case code::MAKAM:
    case code::USUL:
    case code::TEMPO:
    case code::SONGTYPE:
    case code::SUBTITLE:
    case code::COMPOSER:
    case code::LYRICIST: processSongData(cs, S); return;
  }
  if (inNoteCodes(NOTECODE)) {
    ASSERTSORVIK(cs, cs.MUSICXMLHEADERISWRITTEN, "Missing song name line", cs.FILENAMEIN);
    PROCESSNOTELINE(cs, S, BEAM);
    return;
  }
  ASSERTSORVIK(cs, NOTECODE != -1, "Missing Code in first field", cs.FILENAMEIN);
  ASSERTSORVIK(
      cs, isAcceptedCode(NOTECODE), [&] { return "Unknown code in first field: \"" + std::to_string(NOTECODE) + "\""; },
      cs.FILENAMEIN);
}

void CHECKSONGNAMELINE(ConversionState& cs) {
  ASSERTSORVIK(cs, cs.MUSICXMLHEADERISWRITTEN, "Missing song name line", cs.FILENAMEIN);
}

}  // namespace sorvik
