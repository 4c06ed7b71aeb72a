// The conversion state: every variable the converter works on, in one record
// made of named parts. Operations are free functions that take this record and
// use its variables by their own names, as the notation's converter always has.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/codes.h"
#include "core/line_io.h"
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

// One line of the input, read once: its text, where its TABs are, and what
// the time count, the look-ahead and the interpreter read of it. The fields
// are kept as positions, so a record may be moved and copied freely.
struct LineRecord {
  std::string text;
  int64_t tabs = 0;  // TAB characters in the line
  // The number before the first TAB, 0 in a line without one: what the time
  // count takes as the line's code, whatever the TAB count.
  int64_t leadingCode = 0;
  // The rest holds only for a line with exactly nine TABs (cut).
  bool cut = false;
  std::array<uint32_t, 9> tabAt{};  // 0-based positions of the nine TABs
  int64_t code = 0;                 // field 1 as a number
  bool codeBlank = false;           // field 1 holds nothing but blanks
  int64_t length = 0, division = 0, legato = 0, bas = 0;
  int64_t top = 0;                          // field 7 as a number
  int64_t timeScaled = 0, timeInteger = 0;  // field 10 as a fraction and as a number
  bool markerSign = false;                  // the line holds one of ()[]:$><{}+-
  bool barlineSign = false;                 // the line holds one of ()[]:$

  bool empty() const { return text.empty(); }
  // Field 1 as the interpreter takes it: a blank field is a plain note (the
  // time count takes `code`, in which it is 0).
  int64_t interpretedCode() const { return codeBlank ? code::PLAIN : code; }
  void clear() {
    text.clear();
    tabs = 0;
    leadingCode = 0;
    cut = false;
  }
  // Field k (1 to 10) of a cut line.
  std::string_view field(int k) const {
    assert(cut && k >= 1 && k <= 10);
    const std::string_view t = text;
    const size_t from = k == 1 ? 0 : tabAt[k - 2] + 1;
    const size_t to = k == 10 ? t.size() : tabAt[k - 1];
    return t.substr(from, to - from);
  }
};

// A pitch token as read: what the note writers need of it.
struct Pitch {
  std::string reduced;  // the token without its octave digit, in lower case
  char octave = 0;      // the octave digit as written
  char step = 0;        // MusicXML step letter A..G
  int name = 0;         // index of the solfege name
  int64_t commas = 0;   // comma position in the octave, inflection included
  // The accidental, worked out with the pitch; not valid when the token's
  // sign is followed by anything but a digit 1 to 8.
  std::string_view accidental;
  bool accidentalValid = false;
  std::string alter;  // the alter text for the kind of note (grace or not) it was read for
};

// Pitch tokens of up to seven bytes read without error, found by their key
// (bytes, length and grace flag) in a table that is never more than half full.
struct PitchMemo {
  static constexpr size_t kSlots = 512, kMostKept = kSlots / 2;
  std::array<uint64_t, kSlots> keys{};  // 0 for an empty slot
  std::array<uint16_t, kSlots> kept{};  // index into `pitches`
  std::vector<Pitch> pitches;
  Pitch unkept;  // the last token read that is not kept
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
  PitchMemo PITCHES;
};

}  // namespace sorvik
