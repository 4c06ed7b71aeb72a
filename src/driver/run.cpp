// The run: command line, start-up, the main loop with its beam-group
// look-ahead, and the end.
#include "driver/run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <istream>
#include <limits>
#include <memory>
#include <ostream>
#include <string_view>
#include <utility>

#include "driver/diagnostics.h"
#include "driver/state.h"
#include "driver/text.h"
#include "input/fields.h"
#include "input/lines.h"
#include "input/timing.h"
#include "model/duration.h"
#include "musicxml/skeleton.h"

namespace sorvik {

const std::string& ConversionState::ARG(size_t n) const {
  static const std::string kNone;
  return n >= 1 && n <= ARGS.size() ? ARGS[n - 1] : kNone;
}

namespace {

constexpr std::string_view kBanner = "SorvikToMusicXml V0.920.";

constexpr std::string_view kUsage[] = {
    "Call:",
    "A MusicXML file will be be generated with extension .xml",
    "SorvikToMusicXml <file name> [-q|-Q|-R|-M] [-I <midi instrument number>]",
    "SorvikToMusicXml <file name> -  (Normal - stop at error)",
    "SorvikToMusicXml <file name> -Q -  (Do not stop at error)",
    "SorvikToMusicXml <file name> -q    - (Do not stop at error but write messages)",
    "SorvikToMusicXml <file name> -R -  (Stop at end - press CR to teminate)",
    "SorvikToMusicXml <file name> -M    - (Stop also at measure misalignment- press CR to terminate)",
    "SorvikToMusicXml <file name> -I <midi instrument number>",
    "SorvikToMusicXml <file name> -A Show upper/lower \"kommas\" with arrows",
    "SorvikToMusicXml <file name> -P Make a MusicXml-file that looks right in MuseScore(for print)",
    "Example:",
    "SorvikToMusicXml MyNewSong.sv2",
    "Example: Make MusicXML file for Clarinet",
    "SorvikToMusicXml MyNewSong.sv2 -I 72",
};

std::ostream& say(ConversionState& cs) { return *cs.CONSOLE; }

// The output name: the input name up to and including the dot of its first
// ".sv2", or the whole name, followed by the suffix.
std::string outputName(const std::string& in, std::string_view suffix) {
  size_t at = in.find(".sv2");
  std::string out = at == std::string::npos ? in : in.substr(0, at + 1);
  return out.append(suffix);
}

bool fileExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

// Two names of one file (a link, say): the output must never overwrite the input.
bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Reads the next line into S, counts it and adds its note value to the time count.
void readNextLine(ConversionState& cs) {
  cs.DATAIN.readLine(cs.S.text);
  cs.S.read = ++cs.LINENUMBERIN;
  int64_t tabs;
  CUTLINE(cs, cs.S, tabs);  // places the TABs (and cuts the line for what follows)
  cs.P = tabs > 0 ? cs.TABPOSITIONS[0] : 0;
  cs.TIMETICK = saturatingAdd64(cs.TIMETICK, GETTIMESTEP(cs, cs.S));
}

void checkLine(ConversionState& cs) {
  CHECKBEATCHANGE(cs, cs.S, cs.P);
  CHECKTIMEVALUES(cs, cs.S, cs.P);
}

bool isNoteLine(ConversionState& cs) { return cs.P > 0 && inNoteCodes(LEADINGCODE(cs, cs.S, cs.P)); }

// Cuts the fields of S for the beaming; returns its TAB count.
int64_t cutNoteLine(ConversionState& cs) {
  if (const LineCut* cut = CUTLINE(cs, cs.S, cs.TABCOUNT)) CUTTIMINGFIELDS(cs, *cut, cs.S.text);
  return cs.TABCOUNT;
}

// An eighth or shorter (a dotted eighth is not short).
bool isShort(const ConversionState& cs) {
  return cs.NOTELENGTH > 0 &&
         static_cast<__int128>(cs.NOTEDIVISION) * SCALE / 8 >= static_cast<__int128>(cs.NOTELENGTH) * SCALE;
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
void quarterIndex(ConversionState& cs) {
  if (cs.NOTETIME.empty()) return;
  __int128 q = cs.NOTETIMESCALED;
  if (cs.NOTELENGTH > 0 && cs.NOTEDIVISION > 0 && cs.BEATS > 0) {
    q = q + 10 - divide(static_cast<__int128>(cs.NOTELENGTH) * SCALE * cs.BEATTYPE,
                        static_cast<__int128>(cs.NOTEDIVISION) * cs.BEATS);
  } else {
    q = q - 10;
  }
  cs.QUARTERCOUNT = clampTo64(divide(q * 4, SCALE));
}

// Collects short notes of one quarter (or one half) of the measure, and runs
// of triplet notes, into MEASURE.
void collectGroup(ConversionState& cs) {
  cs.BEAMS = true;
  while (cs.BEAMS && isNoteLine(cs)) {
    cs.BEAMS = false;
    if (cutNoteLine(cs) != 9) break;
    quarterIndex(cs);
    if (1.0 > cs.TIMEREALFROMLINE) cs.TIMEREAL = cs.TIMEREAL - std::floor(cs.TIMEREAL);
    if (cs.QUARTERCOUNT % 2 != 0 && cs.QUARTERCOUNT / 2 == cs.QUARTERCOUNTOLD / 2) {
      cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;  // second quarter of the same half
    }
    cs.TRIOLS = cs.TRIOLSNEW;
    cs.TRIOLSNEW = TRIOLCASE(cs.NOTELENGTH, cs.NOTEDIVISION);
    if (!cs.NOTEPITCH.empty() && cs.NOTELENGTH > 0 && cs.MEASUREINDEXIN < MEASURESLOTS) {
      cs.BEAMS = ((cs.QUARTERCOUNTOLD == cs.QUARTERCOUNT || cs.MEASUREINDEXIN == 0) && isShort(cs) &&
                  cs.TRIOLSNEW == cs.TRIOLS) ||
                 (cs.TRIOLS && cs.TRIOLSNEW);
    }
    if (cs.BEAMS) {
      // The line moves into the group; S takes the next one.
      if (cs.MEASUREINDEXIN == static_cast<int64_t>(cs.MEASURE.size())) cs.MEASURE.emplace_back();
      std::swap(cs.MEASURE[cs.MEASUREINDEXIN++], cs.S);
      readNextLine(cs);
      checkLine(cs);
      cs.NEXTLINE.clear();
      cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;
    }
  }
}

void handOnGroup(ConversionState& cs) {
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
void handleGroupEnd(ConversionState& cs) {
  cs.NEXTLINE.clear();
  if (cs.S.empty()) return;
  bool mayBeginGroup = cutNoteLine(cs) == 9 && inNoteCodes(cs.NOTECODE) && !STRIP(cs.NOTEPITCH).empty() &&
                       cs.NOTELENGTH > 0 && isShort(cs);
  if (mayBeginGroup) {
    cs.P = cs.TABPOSITIONS[0];
    CHECKTIMEVALUES(cs, cs.S, cs.P);
    std::swap(cs.NEXTLINE, cs.S);
  } else {
    PROCESSONELINE(cs, cs.S, NOBEAM);
  }
  cs.S.clear();
}

void mainLoop(ConversionState& cs) {
  while (!cs.DATAIN.atEnd() || !cs.NEXTLINE.empty()) {
    if (cs.NEXTLINE.empty()) {
      readNextLine(cs);
      checkLine(cs);
      cs.TRIOLS = cs.TRIOLSNEW;
      cs.TRIOLSNEW = TRIOLCASE(cs.NOTELENGTH, cs.NOTEDIVISION);
    } else {
      std::swap(cs.S, cs.NEXTLINE);
      cs.NEXTLINE.clear();
    }
    collectGroup(cs);
    handOnGroup(cs);
    handleGroupEnd(cs);
    cs.MEASUREINDEXOUT = 0;
    cs.MEASUREINDEXIN = 0;
    cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;
  }
}

void endOfRun(ConversionState& cs) {
  if (!cs.SWITCH2("-Q")) say(cs) << "Lines: " << cs.LINENUMBER << '\n';
  if (cs.SWITCH2("-R")) {
    say(cs) << "Press CR to terminate" << '\n';
    cs.CONSOLE->flush();
    waitForEnter(cs);
  }
}

// Everything from the banner to the end; returns the exit status.
int convert(ConversionState& cs) {
  if (!cs.SWITCH2("-Q") && !cs.SWITCH2("-q")) say(cs) << kBanner << '\n';
  if (cs.ARGS.empty()) {
    for (std::string_view line : kUsage) say(cs) << line << '\n';
    endOfRun(cs);
    return 0;
  }
  cs.FILENAMEIN = cs.ARGS[0];
  cs.FILENAMEOUT = outputName(cs.FILENAMEIN, cs.SWITCH2("-P") ? "musescore-print.xml" : "xml");
  if (!fileExists(cs.FILENAMEIN)) {
    say(cs) << "File not found: " << cs.FILENAMEIN << '\n';
    endOfRun(cs);
    return 1;
  }
  if (!cs.SWITCH2("-Q")) {
    say(cs) << "Reading " << cs.FILENAMEIN << '\n';
    say(cs) << "Writing to " << cs.FILENAMEOUT << '\n';
  }
  if (!cs.DATAIN.open(cs.FILENAMEIN)) throw IoFailure("Cannot open " + cs.FILENAMEIN + ": " + std::strerror(errno));
  if (sameFile(cs.FILENAMEIN, cs.FILENAMEOUT)) {
    throw IoFailure("Cannot create " + cs.FILENAMEOUT + ": it is the input file");
  }
  if (!cs.DATAOUT.open(cs.FILENAMEOUT)) {
    throw IoFailure("Cannot create " + cs.FILENAMEOUT + ": " + std::strerror(errno));
  }
  cs.SONGTYPE.clear();
  cs.NEWSONGTYPE.clear();
  if (!cs.DATAIN.atEnd()) {
    cs.DATAIN.readLine(cs.S.text);
    cs.S.read = ++cs.LINENUMBERIN;
    PROCESSONELINE(cs, cs.S, NOBEAM);
  }
  cs.MEASURENUMBER = 0;
  cs.MEASURENUMBEROLD = 0;
  cs.TIMETICK = 0;
  mainLoop(cs);
  CHECKSONGNAMELINE(cs);
  MUSICXMLEND(cs);
  cs.DATAIN.close();
  cs.DATAOUT.close();
  endOfRun(cs);
  return 0;
}

}  // namespace

int runConverter(const std::vector<std::string>& args, std::ostream& console, std::istream& keyboard) {
  // Default-initialised, not value-initialised: the file buffers inside
  // need no zeroing, which matters when a collection starts one process a song.
  std::unique_ptr<ConversionState> cs(new ConversionState);
  cs->ARGS = args;
  cs->CONSOLE = &console;
  cs->KEYBOARD = &keyboard;
  cs->MUSESCOREPRINT = cs->SWITCH2("-P");
  cs->MEASURESTOP = cs->SWITCH2("-M");
  for (size_t n = 2; n <= 4; ++n) cs->ARROWS = cs->ARROWS || cs->ARG(n) == "-A";
  try {
    return convert(*cs);
  } catch (const RunEnd& end) {
    console.flush();
    return end.status;
  } catch (const IoFailure& failure) {
    console << failure.what() << '\n';
    console.flush();
    return 1;
  }
}

}  // namespace sorvik
