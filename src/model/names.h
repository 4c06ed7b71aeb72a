// Every MusicXML name table of the converter, in one place: names and
// values only, the elements around them are the writers'.
#pragma once

#include <cstdint>
#include <string_view>

namespace sorvik {

// Solfege names in scale order, their comma positions in the 53-comma octave
// and their step letters.
constexpr std::string_view DOREMI[7] = {"do", "re", "mi", "fa", "sol", "la", "si"};
constexpr int64_t NOTENUMBERS53[7] = {0, 9, 18, 22, 31, 40, 49};
constexpr char DOREMILETTERS[7] = {'C', 'D', 'E', 'F', 'G', 'A', 'B'};
// Semitone of each natural step letter A..G above C.
constexpr int64_t NOTESTEPS[7] = {9, 11, 0, 2, 4, 5, 7};

// Accidental name by comma count 1..8 (index 0 unused), for notes and keys.
constexpr std::string_view FLATACCIDENTALS[9] = {"",           "quarter-flat",      "quarter-flat",
                                                 "slash-flat", "slash-flat",        "flat",
                                                 "flat",       "double-slash-flat", "double-slash-flat"};
constexpr std::string_view SHARPACCIDENTALS[9] = {
    "",           "quarter-sharp",       "quarter-sharp",       "sharp",
    "sharp",      "slash-quarter-sharp", "slash-quarter-sharp", "slash-sharp",
    "slash-sharp"};

// key-alter by comma count: grouped 1-3, 4-6, 7-8.
constexpr std::string_view KEYFLATALTERS[9] = {"", "-0.5", "-0.5", "-0.5", "-1", "-1", "-1", "-1.5", "-1.5"};
constexpr std::string_view KEYSHARPALTERS[9] = {"", "0.5", "0.5", "0.5", "1", "1", "1", "1.5", "1.5"};

// Alter of a note in the variant for printing with MuseScore, by comma count.
constexpr std::string_view PRINTFLATALTERS[9] = {"", "-0.5", "-0.5", "-0.5", "-0.8", "-1.0", "-1.5", "-1.5", "-1.8"};
constexpr std::string_view PRINTSHARPALTERS[9] = {"", "0.5", "0.5", "0.5", "1", "1.2", "1.5", "1.5", "1.8"};

// Alter of a note in the variant for printing with MuseScore whose flat or
// sharp is in force and not written again: the semitone MuseScore plays for
// that sign. Any other accidental in force leaves the alter out.
struct PrintAlterInForce {
  std::string_view accidental, alter;
};
constexpr PrintAlterInForce PRINTALTERSINFORCE[] = {{"flat", "-1.0"}, {"sharp", "1"}};

// Alter of a grace note in the variant for printing with MuseScore, by its
// accidental; other accidentals keep their computed alter.
struct GracePrintAlter {
  std::string_view accidental, alter;
};
constexpr GracePrintAlter GRACEPRINTALTERS[] = {{"", "0"},
                                                {"sharp", "1"},
                                                {"flat", "-1"},
                                                {"quarter-flat", "-0.5"},
                                                {"quarter-sharp", "0.5"},
                                                {"slash-sharp", "1.2"},
                                                {"slash-flat", "-1.2"}};

// Note type names by type number 1 (maxima) to 11 (128th).
constexpr std::string_view NOTETYPENAMES[12] = {"",        "maxima", "long", "breve", "whole", "half",
                                                "quarter", "eighth", "16th", "32nd",  "64th",  "128th"};

// Beat unit of a metronome mark by beat type.
struct BeatUnit {
  int64_t beatType;
  std::string_view name;
};
constexpr BeatUnit BEATUNITS[] = {{0, "quarter"}, {1, "whole"}, {2, "half"},  {4, "quarter"}, {8, "eighth"},
                                  {16, "16th"},   {32, "32nd"}, {64, "64th"}, {128, "128th"}};

}  // namespace sorvik
