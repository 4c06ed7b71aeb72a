// The conversion state: every variable the converter works on, in one record
// made of named parts. Operations are free functions that take this record and
// use its variables by their own names, as the notation's converter always has.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/codes.h"
#include "core/line_io.h"
#include "core/line_record.h"
#include "sorvik/convert.h"

namespace sorvik {

constexpr int64_t DIVISIONVALUE = 192;  // MusicXML divisions per quarter note
constexpr int64_t SCALE = 1000000;      // fixed-point unit of time counts: one whole note

enum TBEAM : uint8_t { NOBEAM, BEAMBEGIN, BEAMCONTINUE, BEAMEND };
enum TSLUR : uint8_t { NOSLUR, STARTSLUR, STOPSLUR };
enum TTIE : uint8_t { NOTIE, STARTTIE, STOPTIE };

// Accidentals in force per step letter A..G; a letter outside KEYS carries none.
struct TOLDKEY {
  std::array<std::string, 7> ACCIDENTALS;
  uint8_t KEYS = 0;  // bit (letter - 'A')

  bool has(char letter) const {
    assert(letter >= 'A' && letter <= 'G');
    return KEYS & (1u << (letter - 'A'));
  }
  void add(char letter) {
    assert(letter >= 'A' && letter <= 'G');
    KEYS |= static_cast<uint8_t>(1u << (letter - 'A'));
  }
  std::string& accidental(char letter) {
    assert(letter >= 'A' && letter <= 'G');
    return ACCIDENTALS[letter - 'A'];
  }
};

constexpr int MEASURESLOTS = 1001;  // lines a beam group may hold

// Readings of pitch tokens, kept for the run by the pitch model (which alone
// knows the record, and makes it at its first reading).
struct PitchMemo;
struct PitchMemoDelete {
  void operator()(PitchMemo* memo) const;
};

// The parts of the conversion state. Each is a record of its own, and the
// state is made of all of them: a variable keeps its name (cs.TIMETICK), and
// a procedure that works on one part may take only that part.

// The run: what it is asked to do, its files, and what it reports.
struct RunPart {
  Options OPTIONS;
  std::ostream* CONSOLE = nullptr;
  std::vector<Diagnostic> DIAGNOSTICS;
  std::vector<Hint> HINTS;
  std::string FILENAMEIN, FILENAMEOUT;
  LineReader DATAIN;
  LineWriter DATAOUT;
  int64_t LINENUMBER = 0;    // lines handed to the interpreter, the first included
  int64_t NOTESWRITTEN = 0;  // notes and grace notes in the document
  bool WARNING = false;      // a warning was printed: no other will be
  bool COPYINPUT = false;    // the error asks for a copy of the input in Errors
};

// The line being read and the beam-group look-ahead.
struct ReadingPart {
  LineRecord S;
  LineRecord NEXTLINE;              // read, counted and checked, not yet handed on
  std::vector<LineRecord> MEASURE;  // grows as a group needs, up to MEASURESLOTS lines
  int64_t MEASUREINDEXIN = 0;
  bool BEAMS = true;
  int64_t QUARTERCOUNT = 0, QUARTERCOUNTOLD = 0;
  bool TRIOLS = false, TRIOLSNEW = false;  // the last two lines looked at are triplets
};

// The note value and position of the last cut line the time count took in.
struct CountedNote {
  int64_t NOTELENGTH = 0, NOTEDIVISION = 0, NOTETIMESCALED = 0;
};

// The running time count and what the bar check made of it.
struct TimeCountPart {
  int64_t TIMETICK = 0;  // in whole notes scaled by SCALE
  CountedNote COUNTED;
  double TIMEREAL = 0, TIMEREALFROMLINE = 0;  // the count and the stated position, in measures
};

// The open measure: its number and the accidentals in force in it.
struct MeasurePart {
  int64_t MEASURENUMBER = 0, MEASURENUMBEROLD = 0, MEASURENUMBEROFFSET = 0;
  int64_t NOTECOUNT = 0;  // notes since an unmeasured song's last break
  TOLDKEY PREDEFINEDOLDKEY, CURRENTOLDKEY;
};

// Slurs and ties: what the note being written starts or stops, what is open.
struct SlurPart {
  TSLUR SLUR = NOSLUR;
  TTIE TIE = NOTIE;
  bool INSLUR = false, INTIE = false, GRACENOTESLUR = false;
};

// The song's data: its texts, meter and tempo, and whether its head is written.
struct SongPart {
  std::string SONGNAME, SONGSUBTITLE, SONGKEY, SONGCOMPOSER, SONGTEXTWRITER;
  std::string SONGTYPE, NEWSONGTYPE;  // NEWSONGTYPE waits for the next note
  int64_t BEATS = 4, BEATTYPE = 4;
  std::string NOTETEMPO, NOTETEMPOOLD;
  bool MUSICXMLHEADERISWRITTEN = false;
};

struct ConversionState : RunPart, ReadingPart, TimeCountPart, MeasurePart, SlurPart, SongPart {
  // Kept readings: a song uses few pitch tokens many times.
  std::unique_ptr<PitchMemo, PitchMemoDelete> PITCHES;
};

}  // namespace sorvik
