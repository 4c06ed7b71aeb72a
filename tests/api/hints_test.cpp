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
};

TEST(Hints, EachTrapNamesItsLineAndSaysWhatWasDoneAndWhatToWrite) {
  for (const Trap& trap : kTraps) {
    SCOPED_TRACE(trap.what);
    sorvik::Options options;
    options.inputName = "song.sv2";
    std::string document;
    const sorvik::Result r = sorvik::convert(kHead + trap.lines, options, document);
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(r.diagnostics.empty());
    ASSERT_EQ(1u, r.hints.size());
    EXPECT_EQ(trap.line, r.hints[0].line);
    EXPECT_EQ(trap.kind, r.hints[0].kind);
    EXPECT_EQ(trap.text, r.hints[0].text);
  }
}

TEST(Hints, ARestThatEndsItsOwnMeasureAndAMarkerWithoutANoteHaveNone) {
  sorvik::Options options;
  options.inputName = "song.sv2";
  std::string document;
  const std::string fine = kQuarters + "9\t\t1\t2\t0\t0\t0\t\t\t1\n9\t\t0\t0\t0\t0\t0\t(\t\t1\n" +
                           "9\tla4\t1\t2\t0\t0\t0\t\t\t1.5\n9\t\t1\t2\t0\t0\t0\t\t\t2\n";
  EXPECT_TRUE(sorvik::convert(kHead + fine, options, document).hints.empty());
}

}  // namespace
