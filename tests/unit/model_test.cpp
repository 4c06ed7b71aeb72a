// The music model: note values, pitch tokens, alter texts and accidentals.
#include <gtest/gtest.h>

#include <sstream>

#include "core/diagnostics.h"
#include "model/duration.h"
#include "model/names.h"
#include "model/pitch.h"

namespace sorvik {
namespace {

// A state for calling the model directly; errors end with RunEnd and their
// message on `console`.
struct Model : testing::Test {
  ConversionState cs;
  std::ostringstream console;
  Model() {
    cs.OPTIONS = parseCommandLine({"song.sv2", "-q"});
    cs.FILENAMEIN = "song.sv2";
    cs.CONSOLE = &console;
  }
  // The type as "name", a dot per dot and "3:2" for a triplet.
  std::string noteType(int64_t L, int64_t D) {
    NoteType t = NOTETYPE(cs, L, D);
    return std::string(NOTETYPENAMES[t.number]) + std::string(static_cast<size_t>(t.dots), '.') +
           (t.triplet ? " 3:2" : "");
  }
  // The message of the error that `f` stops the run with.
  template <class F>
  std::string errorOf(F f) {
    console.str("");
    try {
      f();
    } catch (const RunEnd& end) {
      EXPECT_EQ(1, end.status);
      std::string text = console.str();
      const std::string lead = "Error in Line 000000: ";
      size_t from = text.find(lead);
      if (from == std::string::npos) return text;
      return text.substr(from + lead.size(), text.size() - from - lead.size() - 3);  // without ": \n"
    }
    return "no error";
  }
};

TEST(Triplets, AreThreeTimesAPowerOfTwoAfterCancelling) {
  for (auto [L, D] : {std::pair{1, 3}, {1, 6}, {1, 12}, {2, 3}, {3, 9}, {2, 6}, {1, 192}}) {
    EXPECT_TRUE(TRIOLCASE(L, D)) << L << "/" << D;
  }
  for (auto [L, D] : {std::pair{1, 4}, {1, 9}, {3, 12}, {1, 5}, {1, 0}, {1, -3}, {0, 0}}) {
    EXPECT_FALSE(TRIOLCASE(L, D)) << L << "/" << D;
  }
}

TEST_F(Model, NoteTypesOfTheWorkedValues) {
  EXPECT_EQ("maxima", noteType(8, 1));
  EXPECT_EQ("breve", noteType(2, 1));
  EXPECT_EQ("whole", noteType(1, 1));
  EXPECT_EQ("quarter", noteType(1, 4));
  EXPECT_EQ("quarter.", noteType(3, 8));
  EXPECT_EQ("quarter..", noteType(7, 16));
  EXPECT_EQ("half..", noteType(15, 16));
  EXPECT_EQ("128th", noteType(1, 128));
  EXPECT_EQ("quarter 3:2", noteType(1, 6));
  EXPECT_EQ("eighth 3:2", noteType(1, 12));
  EXPECT_EQ("whole 3:2", noteType(2, 3));
  EXPECT_EQ("half 3:2", noteType(2, 6));
  EXPECT_EQ("quarter", noteType(3, 12));
  EXPECT_EQ("64th 3:2", noteType(1, 96));
  EXPECT_EQ("128th 3:2", noteType(1, 192));
  EXPECT_EQ("maxima 3:2", noteType(16, 3));
  EXPECT_EQ("maxima.", noteType(12, 1));
  EXPECT_EQ("maxima", noteType(16, 1));
  EXPECT_EQ("half", noteType(5, 10));
}

TEST_F(Model, ValuesWithoutATypeStopTheRun) {
  EXPECT_EQ("Note type not allowed: 4800/4608", errorOf([&] { noteType(25, 3); }));
  EXPECT_EQ("Note type not allowed: 0/0", errorOf([&] { noteType(0, 4); }));
  // Far outside the eleven types, in both directions: no hang.
  EXPECT_EQ("Note type not allowed: -192/0", errorOf([&] { noteType(-1, 4); }));
  EXPECT_EQ("Note type not allowed: 192/192", errorOf([&] { noteType(1, 1 << 20); }));
}

// Rests of the music21 variant: a type only where it is exactly the value.
TEST(ExactNoteTypes, OnlyForValuesThatAreATypeWithDotsOrTriplet) {
  auto exact = [](int64_t L, int64_t D) -> std::string {
    NoteType t;
    if (!EXACTNOTETYPE(L, D, t)) return "none";
    return std::string(NOTETYPENAMES[t.number]) + std::string(static_cast<size_t>(t.dots), '.') +
           (t.triplet ? " 3:2" : "");
  };
  EXPECT_EQ("quarter", exact(3, 12));
  EXPECT_EQ("quarter.", exact(3, 8));
  EXPECT_EQ("half..", exact(7, 8));
  EXPECT_EQ("quarter.. 3:2", exact(7, 24));  // NOTETYPE gives it no dots
  EXPECT_EQ("128th 3:2", exact(1, 192));
  EXPECT_EQ("maxima.", exact(12, 1));
  for (auto [L, D] : {std::pair{5, 8}, {9, 8}, {15, 16}, {16, 1}, {0, 4}, {1, 0}, {-1, 4}, {int64_t{1} << 50, 1}}) {
    EXPECT_EQ("none", exact(L, D)) << L << "/" << D;
  }
}

TEST(Durations, AreLengthTimes768OverDivision) {
  EXPECT_EQ(480, noteDuration(5, 8));
  EXPECT_EQ(432, noteDuration(9, 16));
  EXPECT_EQ(288, noteDuration(3, 8));
  EXPECT_EQ(64, noteDuration(1, 12));
  EXPECT_EQ(6144, noteDuration(8, 1));
}

TEST_F(Model, NaturalsHaveTheirTabledAlterTexts) {
  const char* names[] = {"do4", "re4", "mi4", "fa4", "sol4", "la4", "si4"};
  const char* note[] = {"-0.05660377", "-0.01886792", "0.01886793", "-0.07547169",
                        "-0.03773585", "0.00000000",  "0.03773585"};
  const char* grace[] = {"0.00000000", "0.03773585", "0.07547170", "-0.01886792",
                         "0.01886792", "0.05660377", "0.09433962"};
  const char steps[] = {'C', 'D', 'E', 'F', 'G', 'A', 'B'};
  for (int i = 0; i < 7; ++i) {
    Pitch p = READPITCH(cs, names[i], false);
    EXPECT_EQ(steps[i], p.step);
    EXPECT_EQ('4', p.octave);
    EXPECT_EQ(note[i], ALTERTEXT(p, false)) << names[i];
    EXPECT_EQ(grace[i], ALTERTEXT(READPITCH(cs, names[i], true), true)) << names[i];
  }
}

TEST_F(Model, InflectionsMoveByCommas) {
  EXPECT_EQ("-0.90566037", ALTERTEXT(READPITCH(cs, "la4b4", false), false));
  EXPECT_EQ("0.16981132", ALTERTEXT(READPITCH(cs, "do4#1", false), false));
  Pitch p = READPITCH(cs, "mib24", false);  // the octave is the first digit
  EXPECT_EQ('2', p.octave);
  EXPECT_EQ("mib4", p.reduced);
  EXPECT_EQ(14, p.commas);
  EXPECT_EQ("la", READPITCH(cs, "La4", false).reduced);
  EXPECT_EQ(0, READPITCH(cs, "do4b12", false).commas);  // too long to inflect
  EXPECT_EQ(31, READPITCH(cs, "so4", true).commas);     // grace notes read "so" as "sol"
}

TEST_F(Model, BadTokensStopTheRun) {
  EXPECT_EQ("Missing note", errorOf([&] { READPITCH(cs, "", false); }));
  EXPECT_EQ("Wrong note format: \"La\"", errorOf([&] { READPITCH(cs, "La", false); }));
  EXPECT_EQ("Wrong format of note: lax2", errorOf([&] { READPITCH(cs, "la4x2", false); }));
  EXPECT_EQ("Undefined note level: so", errorOf([&] { READPITCH(cs, "so4", false); }));
  EXPECT_EQ("Did not find grace note value \" la\" in list of 53 notes", errorOf([&] { READPITCH(cs, " la4", true); }));
}

TEST_F(Model, AccidentalNamesByCommaCount) {
  const char* flats[] = {"quarter-flat", "quarter-flat", "slash-flat",        "slash-flat",
                         "flat",         "flat",         "double-slash-flat", "double-slash-flat"};
  const char* sharps[] = {"quarter-sharp",       "quarter-sharp",       "sharp",       "sharp",
                          "slash-quarter-sharp", "slash-quarter-sharp", "slash-sharp", "slash-sharp"};
  for (int n = 1; n <= 8; ++n) {
    EXPECT_EQ(flats[n - 1], GETNOTEACCIDENTAL(cs, "lab" + std::to_string(n)));
    EXPECT_EQ(sharps[n - 1], GETNOTEACCIDENTAL(cs, "la#" + std::to_string(n)));
  }
  EXPECT_EQ("", GETNOTEACCIDENTAL(cs, "la"));
  EXPECT_EQ("", GETNOTEACCIDENTAL(cs, "mib"));  // a sign at the end is ignored
  EXPECT_EQ("quarter-sharp", GETNOTEACCIDENTAL(cs, "lab5#1"));
  EXPECT_EQ("No adequate accidental for note: lab9", errorOf([&] { GETNOTEACCIDENTAL(cs, "lab9"); }));
}

TEST(PrintVariant, NotesAndGraceNotesUseDifferentAlters) {
  EXPECT_EQ("-0.8", PRINTNOTEALTER("lab4"));
  EXPECT_EQ("1", PRINTNOTEALTER("la#4"));
  EXPECT_EQ("-1.0", PRINTNOTEALTER("lab5"));
  EXPECT_EQ("1.2", PRINTNOTEALTER("la#5"));
  EXPECT_EQ("-1.8", PRINTNOTEALTER("lab8"));
  EXPECT_EQ("", PRINTNOTEALTER("la"));
  EXPECT_EQ("-1.2", PRINTGRACEALTER("slash-flat", "x"));
  EXPECT_EQ("0", PRINTGRACEALTER("", "x"));
  EXPECT_EQ("x", PRINTGRACEALTER("double-slash-flat", "x"));
  EXPECT_EQ("x", PRINTGRACEALTER("slash-quarter-sharp", "x"));
}

TEST(Arrows, MarkTheCommaBetweenWrittenAndPrinted) {
  EXPECT_EQ("↑", ARROWS("lab3").flat);
  EXPECT_EQ("↓", ARROWS("lab2").flat);
  EXPECT_EQ("↓", ARROWS("la#7").sharp);
  EXPECT_EQ("↑", ARROWS("la#6").sharp);
  EXPECT_TRUE(ARROWS("lab4").flat.empty());
  EXPECT_TRUE(ARROWS("la").sharp.empty());
}

TEST_F(Model, AccidentalsInForceAreNotPrintedAgain) {
  cs.PREDEFINEDOLDKEY.add('B');
  cs.PREDEFINEDOLDKEY.accidental('B') = "quarter-flat";
  cs.CURRENTOLDKEY = cs.PREDEFINEDOLDKEY;
  auto decide = [&](char step, std::string_view accidental) {
    std::string_view alter = "x";
    ACCIDENTALDECISION(cs, step, accidental, alter);
    return std::string(accidental);
  };
  EXPECT_EQ("", decide('B', "quarter-flat"));  // the key's own
  EXPECT_EQ("natural", decide('B', ""));
  EXPECT_EQ("", decide('B', ""));
  EXPECT_EQ("slash-flat", decide('E', "slash-flat"));
  EXPECT_EQ("", decide('E', "slash-flat"));
  EXPECT_EQ("flat", decide('E', "flat"));
  EXPECT_EQ("", decide('A', ""));  // a letter nobody touched
}

TEST_F(Model, PrintVariantDropsTheAlterOfMicrotonesInForceAndGivesFlatsAndSharpsASemitone) {
  cs.OPTIONS.variant = Variant::MuseScorePrint;
  auto alterAfterRepeat = [&](char step, std::string_view accidental) {
    std::string_view first = accidental, alter = "a";
    ACCIDENTALDECISION(cs, step, first, alter);
    std::string_view again = accidental;
    alter = "a";
    ACCIDENTALDECISION(cs, step, again, alter);
    return std::string(alter);
  };
  EXPECT_EQ("", alterAfterRepeat('E', "slash-flat"));
  EXPECT_EQ("-1.0", alterAfterRepeat('D', "flat"));
  EXPECT_EQ("1", alterAfterRepeat('G', "sharp"));
}

}  // namespace
}  // namespace sorvik
