// Hints: lines that convert without a message into what their writer
// probably did not mean. Each trap, the line it names and its whole text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sorvik/convert.h"

namespace {

struct Trap {
  const char* what;
  std::string lines;  // after the time signature and song name lines
  int64_t line;
  const char* kind;
  const char* text;
};

const char* const kHead = "4\t4\t\t\t\t\t\t\t\t\n60\t\t\t\t\t\t\tSong\t\t\n";
const std::string kQuarters = "9\tla4\t1\t4\t0\t0\t0\t\t\t0.25\n9\tla4\t1\t4\t0\t0\t0\t\t\t0.5\n";

const Trap kTraps[] = {
    {"hyphen in a lyric", "9\tla4\t1\t4\t0\t0\t0\tge-\t\t0.25\n", 3, "marker-sign-in-lyric",
     "The note \"la4\" is not written: the \"-\" in field 8 makes this a marker line. Write the syllable without it; "
     "a syllable that ends with a blank continues its word."},
    {"hyphen in a tied note's lyric", "9\tla4\t1\t4\t100\t0\t0\t\tge-\t0.25\n", 3, "marker-sign-in-lyric",
     "The note \"la4\" is written as a rest: the \"-\" in field 9 makes this a marker line, and a marker line with "
     "legato 100 stands for a rest. Write the syllable without it; a syllable that ends with a blank continues its "
     "word."},
    {"x in the second lyric", kQuarters + "9\t\t1\t4\t0\t0\t0\t\tXa\t0.75\n", 5, "marker-sign-in-lyric",
     "The rest is not written: the \"X\" in field 9 makes this a marker line. Write the syllable without it; a "
     "syllable that ends with a blank continues its word."},
    {"plus in the pitch", "9\tla4+\t1\t4\t0\t0\t0\t\t\t0.25\n", 3, "marker-sign-in-note",
     "The note \"la4+\" is not written: the \"+\" in field 2 makes this a marker line. Take it out of the line."},
    {"a bar line written 1.0", kQuarters + "9\tla4\t1\t2\t0\t0\t0\t\t\t1.0\n", 5, "position-point-zero",
     "The position \"1.0\" puts this note into the measure that starts on the bar line 1, although it ends there: "
     "write \"1\"."},
    {"a whole rest after a whole note", "9\tla4\t1\t1\t0\t0\t0\t\t\t1\n9\t\t1\t1\t0\t0\t0\t\t\t2\n", 4,
     "rest-in-open-measure",
     "This rest ends on the bar line 2 but is written into the open measure, which ends on the bar line 1: a rest "
     "whose position is a whole number stays in the open measure. Start that measure with a note, or split the rest "
     "so that the first part's position has a \".\"."},
    {"a lyric on a rest", "9\t\t1\t4\t0\t0\t0\tSa \t\t0.25\n", 3, "lyric-on-rest",
     "The lyric \"Sa \" on this rest is not written. Only pitched notes carry lyrics: put it on the note it belongs "
     "to."},
    {"dynamics on a rest", "9\t\t1\t4\t0\t84\t0\t\t\t0.25\n", 3, "dynamics-on-rest",
     "The p on this rest is not written. A rest carries no dynamics mark or wedge start: put it on the next note."},
    {"a makam after the song name", "50\t\t\t\t\t\t\tHicaz\tB4b4/C5#4\t\n" + kQuarters, 3, "makam-after-song-name",
     "This makam line comes after the song name line, so its key \"B4b4/C5#4\" is not written. Put the makam line "
     "before the song name line."},
    {"an empty code field", "\tla4\t1\t4\t0\t0\t0\t\t\t0.25\n", 3, "code-missing",
     "Field 1 is empty: the line is written as a code-9 line, but the bar check does not count its value and it is "
     "never beamed, so the positions after it no longer agree with the count. Write 9 (or the note's code) in field "
     "1."},
    {"a sign without its count", "9\tmi4b\t1\t4\t0\t0\t0\t\t\t0.25\n", 3, "inflection-not-read",
     "The inflection of \"mi4b\" is not read as written: a sign counts only as the last but one character, followed "
     "by its count. Write the sign and the count of commas, 1 to 8, as the token's last two characters, after the "
     "name and the octave (si4b1, fa5#4)."},
    {"a count of ten", "9\tsi4b10\t1\t4\t0\t0\t0\t\t\t0.25\n", 3, "inflection-not-read",
     "The inflection of \"si4b10\" is not read as written: a sign counts only as the last but one character, "
     "followed by its count. Write the sign and the count of commas, 1 to 8, as the token's last two characters, "
     "after the name and the octave (si4b1, fa5#4)."},
    {"a grace note with a value", "8\tla4\t1\t8\t0\t0\t0\t\t\t0.125\n", 3, "grace-note-with-value",
     "This grace note is drawn without a value, but its value 1/8 is counted by the bar check. Give a grace note "
     "length 0 and division 0."},
    {"a slur on a grace note", "8\tla4\t0\t0\t99\t0\t0\t\t\t0\n" + kQuarters, 3, "legato-on-grace-note",
     "The legato value 99 on this grace note draws nothing, but it changes the slur or tie that is open in the "
     "melody. Leave field 5 of a grace note at 0 and put the value on the note it belongs to."},
    {"a tempo with its unit", "52\t\t\t\t84 bpm\t\t\t\t\t\n" + kQuarters, 3, "tempo-not-a-number",
     "The tempo \"84 bpm\" is copied into the score as written, where a program that plays it finds no number: write "
     "\"84\"."},
};

// Traps in the head, before the song name line.
const Trap kHeadTraps[] = {
    {"a makam after the subtitle", "57\t\t\t\t\t\t\tŞarkı\t\t\n50\t\t\t\t\t\t\tHicaz\tB4b4/C5#4\t\n", 3,
     "makam-after-subtitle",
     "This makam line comes after the subtitle line, so the subtitle \"Şarkı\" is replaced by \"Makam: \" and the "
     "makam's name. Put the makam line before the subtitle line."},
};

sorvik::Result convertScore(const std::string& score) {
  sorvik::Options options;
  options.inputName = "song.sv2";
  std::string document;
  return sorvik::convert(score, options, document);
}

void expectOneHint(const Trap& trap, const std::string& score) {
  SCOPED_TRACE(trap.what);
  const sorvik::Result r = convertScore(score);
  EXPECT_EQ(0, r.status);
  EXPECT_TRUE(r.diagnostics.empty());
  ASSERT_EQ(1u, r.hints.size());
  EXPECT_EQ(trap.line, r.hints[0].line);
  EXPECT_EQ(trap.kind, r.hints[0].kind);
  EXPECT_EQ(trap.text, r.hints[0].text);
}

TEST(Hints, EachTrapNamesItsLineAndSaysWhatWasDoneAndWhatToWrite) {
  for (const Trap& trap : kTraps) expectOneHint(trap, kHead + trap.lines);
  // Traps of the head stand before the song name line.
  for (const Trap& trap : kHeadTraps) {
    expectOneHint(trap, "4\t4\t\t\t\t\t\t\t\t\n" + trap.lines + "60\t\t\t\t\t\t\tSong\t\t\n" + kQuarters);
  }
}

TEST(Hints, ARestThatEndsItsOwnMeasureAndAMarkerWithoutANoteHaveNone) {
  const std::string fine = kQuarters + "9\t\t1\t2\t0\t0\t0\t\t\t1\n9\t\t0\t0\t0\t0\t0\t(\t\t1\n" +
                           "9\tla4\t1\t2\t0\t0\t0\t\t\t1.5\n9\t\t1\t2\t0\t0\t0\t\t\t2\n";
  EXPECT_TRUE(convertScore(kHead + fine).hints.empty());
}

}  // namespace
