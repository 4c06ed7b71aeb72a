// The page's entry points (web/binding.cpp), built natively: the options they
// take become the right conversion, the texts come back whole, and one
// conversion leaves nothing behind for the next.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "binding.h"
#include "sorvik/convert.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

std::string text(int which) { return std::string(sorvik_web_text(which), sorvik_web_text_size(which)); }

std::string message(int index) {
  return std::string(sorvik_web_diagnostic_message(index), sorvik_web_diagnostic_message_size(index));
}

int convertText(const std::string& input, const std::string& name, int flags = 0, int instrument = 1,
                const char* encoding = "utf-8") {
  return sorvik_web_convert(input.data(), input.size(), name.c_str(), encoding, flags, instrument);
}

// The command-line tool's conversion of the same bytes, through the library.
std::string cliDocument(const std::string& input, const std::vector<std::string>& args) {
  std::string document;
  sorvik::convert(input, sorvik::parseCommandLine(args), document);
  return document;
}

struct Variant {
  const char* song;
  const char* suffix;  // of the case folder in tests/cases/examples
  int flags;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.song << " " << v.suffix; }

class Examples : public testing::TestWithParam<Variant> {};

// Each example in each variant: the bytes, the name and the console text of
// the command-line tool's case.
TEST_P(Examples, GiveTheCommandLineCase) {
  const Variant& v = GetParam();
  const std::string name = std::string(v.song) + ".sv2";
  const fs::path dir = fs::path(SORVIK_CASES_DIR) / "examples" / (std::string(v.song) + "-" + v.suffix);
  const std::string expectedName =
      v.flags & SORVIK_WEB_PRINT ? std::string(v.song) + ".musescore-print.xml" : std::string(v.song) + ".xml";
  ASSERT_EQ(0, convertText(readFile(fs::path(SORVIK_EXAMPLES_DIR) / name), name, v.flags));
  EXPECT_EQ(expectedName, text(SORVIK_WEB_OUTPUT_NAME));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == readFile(dir / "out" / expectedName)) << "document differs";
  EXPECT_EQ(readFile(dir / "console"), text(SORVIK_WEB_CONSOLE));
  EXPECT_EQ(0, sorvik_web_diagnostic_count());
  EXPECT_EQ("", text(SORVIK_WEB_IO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    Songs, Examples,
    testing::Values(Variant{"sabah-sarki", "normal", 0}, Variant{"sabah-sarki", "P", SORVIK_WEB_PRINT},
                    Variant{"sabah-sarki", "A", SORVIK_WEB_ARROWS}, Variant{"yayla-yolunda", "normal", 0},
                    Variant{"yayla-yolunda", "P", SORVIK_WEB_PRINT}, Variant{"yayla-yolunda", "A", SORVIK_WEB_ARROWS},
                    Variant{"saba-taksim", "normal", 0}, Variant{"saba-taksim", "P", SORVIK_WEB_PRINT},
                    Variant{"saba-taksim", "A", SORVIK_WEB_ARROWS}),
    [](const testing::TestParamInfo<Variant>& info) {
      std::string n = std::string(info.param.song) + "_" + info.param.suffix;
      for (char& c : n)
        if (c == '-') c = '_';
      return n;
    });

const std::string& song() {
  static const std::string s = readFile(fs::path(SORVIK_EXAMPLES_DIR) / "sabah-sarki.sv2");
  return s;
}

// The README's mistyped song: line 22 holds a half note for a quarter.
std::string mistyped() {
  std::string s = song();
  size_t at = 0;
  for (int line = 1; line < 22; ++line) at = s.find('\n', at) + 1;
  size_t value = s.find("\t1\t4\t", at);
  EXPECT_LT(value, s.find('\n', at));
  return s.replace(value, 5, "\t1\t2\t");
}

TEST(Options, InstrumentAndTheirCombinations) {
  ASSERT_EQ(0, convertText(song(), "sabah-sarki.sv2", 0, 72));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(song(), {"sabah-sarki.sv2", "-I", "72"}));
  EXPECT_NE(std::string::npos, text(SORVIK_WEB_DOCUMENT).find("<midi-program>72</midi-program>"));

  ASSERT_EQ(0, convertText(song(), "sabah-sarki.sv2", SORVIK_WEB_PRINT | SORVIK_WEB_ARROWS));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(song(), {"sabah-sarki.sv2", "-P", "-A"}));

  ASSERT_EQ(0, convertText(song(), "sabah-sarki.sv2", SORVIK_WEB_ARROWS, 41));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(song(), {"sabah-sarki.sv2", "-I", "41", "-A"}));
}

TEST(Options, Music21VariantAndTheCopyToDraw) {
  ASSERT_EQ(0, convertText(song(), "sabah-sarki.sv2", SORVIK_WEB_MUSIC21 | SORVIK_WEB_ARROWS));
  EXPECT_EQ("sabah-sarki.music21.xml", text(SORVIK_WEB_OUTPUT_NAME));
  sorvik::Options music21 = sorvik::parseCommandLine({"sabah-sarki.sv2", "-A"});
  music21.variant = sorvik::Variant::Music21;
  std::string document;
  sorvik::convert(song(), music21, document);
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == document);
  EXPECT_TRUE(text(SORVIK_WEB_DRAWING) == document) << "the music21 variant draws as it is";

  // The copy to draw: rests with their types, a note's notations in one
  // element; the document keeps the converter's bytes.
  ASSERT_EQ(0, convertText(song(), "sabah-sarki.sv2"));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(song(), {"sabah-sarki.sv2"}));
  const std::string drawing = text(SORVIK_WEB_DRAWING);
  EXPECT_NE(std::string::npos, drawing.find("  <rest/>\r\n  <duration>192</duration>\r\n    <type>quarter</type>\r\n"));
  EXPECT_NE(std::string::npos, text(SORVIK_WEB_DOCUMENT).find("  <rest/>\r\n  <duration>192</duration>\r\n  </note>"));
  EXPECT_EQ(std::string::npos, drawing.find("</notations>\r\n    <notations>"));
  EXPECT_EQ(std::string::npos, drawing.find("</notations>\r\n        <notations>"));

  ASSERT_EQ(1, convertText(mistyped(), "song.sv2", SORVIK_WEB_STRICT_BARS));
  EXPECT_EQ(0u, sorvik_web_text_size(SORVIK_WEB_DRAWING));
}

TEST(Options, StrictBarCheckMakesTheWarningAnError) {
  const std::string s = mistyped();
  ASSERT_EQ(0, convertText(s, "song.sv2"));
  ASSERT_EQ(1, sorvik_web_diagnostic_count());
  EXPECT_FALSE(sorvik_web_diagnostic_is_error(0));
  EXPECT_EQ(17, sorvik_web_diagnostic_line(0));
  EXPECT_EQ("Measure overfull: 1.75 - 2", message(0));

  ASSERT_EQ(1, convertText(s, "song.sv2", SORVIK_WEB_STRICT_BARS));
  ASSERT_EQ(1, sorvik_web_diagnostic_count());
  EXPECT_TRUE(sorvik_web_diagnostic_is_error(0));
  EXPECT_EQ(17, sorvik_web_diagnostic_line(0));
  std::string document;
  sorvik::convert(s, sorvik::parseCommandLine({"song.sv2", "-M"}), document);
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == document) << "the unfinished document, as the tool leaves it";
  EXPECT_NE(std::string::npos, text(SORVIK_WEB_CONSOLE).find("Error in Line 000017: Measure overfull: 1.75 - 2: \n"));
}

TEST(Results, NothingStaysFromTheConversionBefore) {
  ASSERT_EQ(1, convertText(mistyped(), "song.sv2", SORVIK_WEB_STRICT_BARS));
  ASSERT_EQ(1, sorvik_web_diagnostic_count());
  ASSERT_EQ(0, convertText(song(), "other.sv2"));
  EXPECT_EQ(0, sorvik_web_diagnostic_count());
  EXPECT_EQ("other.xml", text(SORVIK_WEB_OUTPUT_NAME));
  EXPECT_EQ(69, sorvik_web_lines());
  EXPECT_EQ(55, sorvik_web_notes());
  EXPECT_EQ(0, text(SORVIK_WEB_DOCUMENT).find("<?xml"));
  EXPECT_EQ(std::string::npos, text(SORVIK_WEB_DOCUMENT).find("Error in Line"));

  EXPECT_EQ(SORVIK_WEB_UNKNOWN_ENCODING, convertText(song(), "song.sv2", 0, 1, "ebcdic"));
  for (int which : {SORVIK_WEB_DOCUMENT, SORVIK_WEB_CONSOLE, SORVIK_WEB_SOURCE, SORVIK_WEB_OUTPUT_NAME})
    EXPECT_EQ(0u, sorvik_web_text_size(which)) << "text " << which;
  EXPECT_EQ(0, sorvik_web_lines());
  // Out of range, a diagnostic reads as nothing.
  EXPECT_EQ(0u, sorvik_web_diagnostic_message_size(0));
  EXPECT_EQ(0, sorvik_web_diagnostic_line(-1));
}

// The header and title of a song whose title is "Şarkı" (Windows-1254: DE 61 72 6B FD).
std::string titled(const std::string& title) {
  return "4\t4\t\t\t\t\t\t\t\t\n60\t\t\t\t\t\t\t" + title + "\t\t\n9\tla4\t1\t1\t0\t0\t0\t\t\t1\n";
}

TEST(Encodings, Windows1254IsConvertedAsItsUtf8) {
  const std::string cp1254 = titled(
      "\xDE"
      "ark\xFD");
  const std::string utf8 = titled(
      "\xC5\x9E"
      "ark\xC4\xB1");
  ASSERT_EQ(0, convertText(cp1254, "song.sv2", 0, 1, "windows-1254"));
  EXPECT_EQ(utf8, text(SORVIK_WEB_SOURCE));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(utf8, {"song.sv2"}));
  EXPECT_NE(std::string::npos, text(SORVIK_WEB_DOCUMENT)
                                   .find("<work-title>\xC5\x9E"
                                         "ark\xC4\xB1</work-title>"));
  EXPECT_FALSE(sorvik_web_text_replaced());

  // Read as UTF-8, the same bytes are converted as the tool converts them.
  ASSERT_EQ(0, convertText(cp1254, "song.sv2", 0, 1, "utf-8"));
  EXPECT_EQ(cp1254, text(SORVIK_WEB_SOURCE));
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == cliDocument(cp1254, {"song.sv2"}));
  EXPECT_STREQ("utf-8", sorvik_web_encoding());

  // "auto" reads each as what it is, and says which.
  ASSERT_EQ(0, convertText(cp1254, "song.sv2", 0, 1, "auto"));
  EXPECT_EQ(utf8, text(SORVIK_WEB_SOURCE));
  EXPECT_STREQ("windows-1254", sorvik_web_encoding());
  ASSERT_EQ(0, convertText(utf8, "song.sv2", 0, 1, "auto"));
  EXPECT_EQ(utf8, text(SORVIK_WEB_SOURCE));
  EXPECT_STREQ("utf-8", sorvik_web_encoding());
}

TEST(Hints, AreTheLibrarysHints) {
  std::string document;
  std::string withHint = titled("Song") + "9\tsi4\t1\t4\t0\t0\t0\tge-\t\t1.25\n";
  sorvik::Result expected = sorvik::convert(withHint, sorvik::parseCommandLine({"song.sv2"}), document);
  ASSERT_EQ(1u, expected.hints.size());
  convertText(withHint, "song.sv2");
  ASSERT_EQ(1, sorvik_web_hint_count());
  EXPECT_EQ(expected.hints[0].line, sorvik_web_hint_line(0));
  EXPECT_STREQ("marker-sign-in-lyric", sorvik_web_hint_kind(0));
  EXPECT_EQ(expected.hints[0].text, std::string(sorvik_web_hint_text(0), sorvik_web_hint_text_size(0)));
  EXPECT_STREQ("", sorvik_web_hint_kind(1));
}

TEST(Inputs, BytesAfterANulAreRead) {
  // The input is the size it is given, not the string up to its first NUL.
  std::string s = song();
  s.insert(s.find("\n9\t") + 1, std::string("0\t\0\t\t\t\t\t\t\t\t\n", 12));
  std::string document;
  sorvik::Result expected = sorvik::convert(s, sorvik::parseCommandLine({"song.sv2"}), document);
  convertText(s, "song.sv2");
  EXPECT_EQ(expected.lines, sorvik_web_lines());
  EXPECT_EQ(70, sorvik_web_lines());
  EXPECT_TRUE(text(SORVIK_WEB_DOCUMENT) == document);
  EXPECT_EQ(s, text(SORVIK_WEB_SOURCE));
}

TEST(Banner, IsTheToolsBanner) { EXPECT_STREQ("SorvikToMusicXml V0.920.", sorvik_web_banner()); }

}  // namespace
