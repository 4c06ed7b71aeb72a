// SorvikToMusicXml as a library: one Sorvik score (.sv2) in, one MusicXML 3.0
// document out, in memory. No file system, no standard input, no waits: the
// caller supplies the bytes and takes the document, the console text and the
// diagnostics. Conversions share nothing: any number may run at once on as
// many threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sorvik {

// The converter's name and version as its banner prints them.
std::string_view bannerLine();  // "SorvikToMusicXml V0.920."

// Which document a run writes. Exact: the exact 53-comma alters, as the
// single tool writes it. MuseScorePrint (-P): alters MuseScore reads, for
// printing with it. Music21: the exact alters with nothing left for a reader
// to infer (an accidental on every note, a type on every rest, a note's
// notations in one element) and valid against MusicXML 3.0 for every input,
// for music21 and other analysis software.
enum class Variant { Exact, MuseScorePrint, Music21 };

// What a run is asked to do. parseCommandLine reads the arguments of the
// command-line tool by the rules of their positions; a caller may also fill
// the fields itself.
struct Options {
  std::string inputName;             // named in messages; its last component goes into the document
  bool quiet = false;                // -q: no banner; an error does not wait
  bool silent = false;               // -Q: no banner, progress lines, warning or summary
  bool waitAtEnd = false;            // -R: the tool waits for Enter at the very end
  bool strictBars = false;           // -M: a bar check that fails is an error
  Variant variant = Variant::Exact;  // -P: Variant::MuseScorePrint
  bool arrows = false;               // -A: arrow marks for comma inflections
  int64_t instrument = 1;            // -I n: MIDI program of the part
  // A copy for drawing with Verovio, never saved (the page's): the variant's
  // document, but every rest of a note value with its type, a note's
  // notations in one element and a beat type of 0 as senza misura, as the
  // music21 variant writes them.
  bool drawingCopy = false;
};

// `args` are the arguments after the program name; the first is the input.
Options parseCommandLine(const std::vector<std::string>& args);

// The document's name beside the input: the input name up to and including
// the dot of its first ".sv2" (or the whole name) followed by "xml",
// "musescore-print.xml" or "music21.xml" ("song.sv2" gives "song.xml",
// "song.musescore-print.xml", "song.music21.xml").
std::string outputName(const std::string& inputName, Variant variant);

// A read or write that fails; what() is the console line that says so
// ("Cannot read song.sv2: Is a directory").
struct IoError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where the score comes from. open() is called once, after the progress
// lines are printed; read() fills up to `size` bytes and returns how many,
// 0 at the end. Both may throw IoError.
class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual void open() {}
  virtual size_t read(char* buffer, size_t size) = 0;
};

// Where the document goes, in pieces as it is written. open() is called once,
// after the input is opened and before anything is written; close() once at
// the end (also after an error in the input). All may throw IoError.
class DocumentSink {
 public:
  virtual ~DocumentSink() = default;
  virtual void open() {}
  virtual void write(std::string_view bytes) = 0;
  virtual void close() {}
};

enum class DiagnosticKind { Error, Warning };

struct Diagnostic {
  DiagnosticKind kind;
  int64_t line;         // the count of interpreted lines when it was raised
  std::string message;  // the text after "Error in Line 000012: " or "Warning in Line ...: "
};

// A line that converts without a message into something its writer probably
// did not mean (a note that vanishes, a rest in the wrong measure). Hints are
// data for the front ends; the console text never shows them.
struct Hint {
  int64_t line;      // the count of interpreted lines, as in a Diagnostic
  std::string kind;  // a short fixed name of the trap, such as "lyric-makes-marker"
  std::string text;  // what the converter did and how to write what was probably meant
};

struct Result {
  int status = 0;                       // 0 at the normal end; 1 after an error in the input or a failed read or write
  std::string console;                  // what the command-line tool prints, from the banner to "Lines: "
  std::vector<Diagnostic> diagnostics;  // an error is always the last; at most one warning
  std::vector<Hint> hints;              // in the order of their lines
  std::string ioError;                  // the failed read or write, as printed; empty when none
  int64_t lines = 0;                    // non-empty lines interpreted
  int64_t notes = 0;                    // notes written, grace notes included (rests are not notes)
  uint64_t bytes = 0;                   // bytes of the document
  bool textReplaced = false;            // text bytes that are not UTF-8 were replaced by U+FFFD
  bool copyInput = false;               // the error asks the tool to keep a copy of the input (all but one do)

  bool failed() const { return status != 0; }
  // An error in the input (not a failed read or write): the tool waits and keeps a copy.
  bool inputError() const { return !diagnostics.empty() && diagnostics.back().kind == DiagnosticKind::Error; }
};

// Converts the score that `input` yields into `document`.
Result convert(InputSource& input, DocumentSink& document, const Options& options);

// The same for a score in memory; the document is appended to `document`.
Result convert(std::string_view input, const Options& options, std::string& document);

// The same for a score from any source; the document is appended to `document`.
Result convert(InputSource& input, const Options& options, std::string& document);

// Code pages of older score collections. The notation's own signs are ASCII,
// so a file is turned into UTF-8 as a whole before it is converted.
enum class Encoding { Utf8, Windows1254 };

// "utf-8" (also "utf8"), "windows-1254", "cp1254", "iso-8859-9", "latin5",
// in any letter case; false for any other name.
bool encodingByName(std::string_view name, Encoding& encoding);

// The bytes as UTF-8: UTF-8 passes unchanged, Windows-1254 is transcoded
// byte by byte (its seven unassigned bytes become U+FFFD).
std::string toUtf8(std::string_view bytes, Encoding encoding);

}  // namespace sorvik
