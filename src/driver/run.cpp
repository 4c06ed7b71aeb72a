// One conversion, from the progress lines to the end of the document: the
// main loop with its beam-group look-ahead.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
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

namespace {

std::ostream& say(ConversionState& cs) { return *cs.CONSOLE; }

// Reads the next line into S, counts it and adds its note value to the time count.
// Reads the next line into S, cut once, counts it and adds its note value
// to the time count.
void readNextLine(ConversionState& cs) {
  cs.DATAIN.readLine(cs.S.text);
  ++cs.LINENUMBERIN;
  CUTLINE(cs.S);
  cs.TIMETICK = saturatingAdd64(cs.TIMETICK, GETTIMESTEP(cs, cs.S));
}

void checkLine(ConversionState& cs) {
  CHECKBEATCHANGE(cs, cs.S);
  CHECKTIMEVALUES(cs, cs.S);
}

bool isNoteLine(const ConversionState& cs) { return cs.S.tabs > 0 && inNoteCodes(cs.S.leadingCode); }

// Takes the timing fields of S for the beaming; false when S is not cut.
bool timeNoteLine(ConversionState& cs) {
  if (cs.S.cut) CUTTIMINGFIELDS(cs, cs.S);
  return cs.S.cut;
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
    if (!timeNoteLine(cs)) break;
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
  bool mayBeginGroup = timeNoteLine(cs) && inNoteCodes(cs.NOTECODE) && !STRIP(cs.NOTEPITCH).empty() &&
                       cs.NOTELENGTH > 0 && isShort(cs);
  if (mayBeginGroup) {
    CHECKTIMEVALUES(cs, cs.S);
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
    cs.MEASUREINDEXIN = 0;
    cs.QUARTERCOUNTOLD = cs.QUARTERCOUNT;
  }
}

// From the progress lines to the end of the document.
void convertLines(ConversionState& cs, InputSource& input, DocumentSink& document) {
  if (!cs.OPTIONS.silent) {
    say(cs) << "Reading " << cs.FILENAMEIN << '\n';
    say(cs) << "Writing to " << cs.FILENAMEOUT << '\n';
  }
  input.open();
  cs.DATAIN.open(input);
  document.open();
  cs.DATAOUT.open(document);
  cs.SONGTYPE.clear();
  cs.NEWSONGTYPE.clear();
  if (!cs.DATAIN.atEnd()) {
    cs.DATAIN.readLine(cs.S.text);
    ++cs.LINENUMBERIN;
    CUTLINE(cs.S);
    PROCESSONELINE(cs, cs.S, NOBEAM);
  }
  cs.MEASURENUMBER = 0;
  cs.MEASURENUMBEROLD = 0;
  cs.TIMETICK = 0;
  mainLoop(cs);
  MUSICXMLEND(cs);
  cs.DATAIN.close();
  cs.DATAOUT.close();
  if (!cs.OPTIONS.silent) say(cs) << "Lines: " << cs.LINENUMBER << '\n';
}

}  // namespace

std::string_view bannerLine() { return "SorvikToMusicXml V0.920."; }

Result convert(InputSource& input, DocumentSink& document, const Options& options) {
  // Default-initialised, not value-initialised: the buffers inside need no zeroing.
  std::unique_ptr<ConversionState> cs(new ConversionState);
  std::ostringstream console;
  cs->OPTIONS = options;
  cs->CONSOLE = &console;
  cs->FILENAMEIN = options.inputName;
  cs->FILENAMEOUT = outputName(options.inputName, options.musescorePrint);
  Result result;
  if (!options.quiet && !options.silent) console << bannerLine() << '\n';
  try {
    convertLines(*cs, input, document);
  } catch (const RunEnd& end) {
    result.status = end.status;
  } catch (const IoError& failure) {
    result.status = 1;
    result.ioError = failure.what();
    console << result.ioError << '\n';
  }
  result.console = console.str();
  result.diagnostics = std::move(cs->DIAGNOSTICS);
  result.lines = cs->LINENUMBER;
  result.notes = cs->NOTESWRITTEN;
  result.bytes = cs->DATAOUT.written();
  result.copyInput = cs->COPYINPUT;
  return result;
}

namespace {

// A score in memory, handed out in the pieces the reader asks for.
class MemorySource : public InputSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  size_t read(char* buffer, size_t size) override {
    size_t n = std::min(size, rest_.size());
    if (n > 0) std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view rest_;
};

class StringSink : public DocumentSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void write(std::string_view bytes) override { out_.append(bytes); }

 private:
  std::string& out_;
};

}  // namespace

Result convert(std::string_view input, const Options& options, std::string& document) {
  MemorySource source(input);
  StringSink sink(document);
  return convert(source, sink, options);
}

}  // namespace sorvik
