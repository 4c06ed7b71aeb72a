// What a MusicXML document holds and what a reader kept of it, in the same
// terms, so that the two can be compared note by note.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace readers {

// The kinds of ornament the converter writes, by their MusicXML names.
inline constexpr const char* kOrnamentKinds[] = {"fermata",          "staccato",   "mordent",
                                                 "inverted-mordent", "trill-mark", "tremolo"};

struct Note {
  std::string step;        // "A" to "G"
  std::string octave;      // digits
  std::string alter;       // semitones as written, "-" where the reader does not say
  std::string accidental;  // the accidental's name, "" for none, "-" where the reader does not say
  std::string tie;         // start, stop, continue or "" ("-" where the reader does not say)
  std::vector<std::string> lyrics;
};

struct Facts {
  std::vector<Note> notes;  // pitched notes and grace notes in order
  long measures = -1;
  long lyrics = -1;
  std::map<std::string, long> ornaments;  // by kind
  long rounded = -1;                      // notes whose alter the reader rounded (musicxml2ly)
  std::string error;                      // why the reader refused the document; empty when it read it
  std::vector<std::string> log;           // what the reader said while reading
  bool done = false;                      // the reader's report is whole
};

// The facts of a document as the converter writes it.
Facts documentFacts(const std::string& xml);

// The facts that a reader script reports for each document, by the path
// after "file" (see music21-read.py and tests/thirdparty/*-load.mjs).
std::map<std::string, Facts> readerFacts(const std::string& output);

}  // namespace readers
