// The notation programs that users open the converter's documents with load
// them completely: MuseScore 4.0's engine (npm webmscore 1.2.1) and Verovio
// (npm verovio 6.3.0) each load every example song's document, render page 1
// and keep every pitched note and every measure of it. MuseScore gets the
// document as it is and the "-P" variant made for it, in which it must draw
// no natural sign that the document does not write; Verovio also the "-A"
// variant.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/checks.h"

namespace {

using namespace checks;

const fs::path kDir = SORVIK_THIRDPARTY_DIR;

struct EngineReport {
  std::vector<std::string> log;  // "PHASE TEXT" for webmscore, "TEXT" for Verovio
  long measures = -1, notes = -1, naturals = -1, pages = -1, svg = -1;
  bool done = false;
  std::string error;
};

EngineReport parse(const std::string& out) {
  EngineReport r;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    size_t space = line.find(' ');
    std::string key = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (key == "log")
      r.log.push_back(rest);
    else if (key == "measures")
      r.measures = std::stol(rest);
    else if (key == "notes")
      r.notes = std::stol(rest);
    else if (key == "naturals")
      r.naturals = std::stol(rest);
    else if (key == "pages")
      r.pages = std::stol(rest);
    else if (key == "svg")
      r.svg = std::stol(rest);
    else if (key == "done")
      r.done = true;
    else if (key == "error")
      r.error = rest;
  }
  return r;
}

EngineReport runEngine(const std::string& script, const fs::path& doc) {
  fs::path program = kDir / script;
  if (!fs::exists(kDir / "node_modules/webmscore/package.json") ||
      !fs::exists(kDir / "node_modules/verovio/package.json")) {
    ADD_FAILURE() << "the npm clients are missing: run tests/thirdparty/install";
    return {};
  }
  RunResult run = runProgram({"node", program.string(), doc.string()}, {}, 180);
  EngineReport r = parse(run.out);
  EXPECT_FALSE(run.timedOut) << script << " ran out of time";
  EXPECT_EQ(0, run.status) << script << " failed:\n" << run.out << run.err;
  EXPECT_EQ("", r.error);
  EXPECT_TRUE(r.done) << run.out << run.err;
  return r;
}

struct Variant {
  fs::path song;
  std::string variantSwitch;  // empty for the document as it is
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.song.filename().string() << ' ' << v.variantSwitch; }

std::vector<Variant> variants(std::initializer_list<const char*> switches) {
  std::vector<Variant> all;
  for (const fs::path& song : findExamples(SORVIK_EXAMPLES_DIR)) {
    for (const char* s : switches) all.push_back({song, s});
  }
  return all;
}

std::string variantName(const testing::TestParamInfo<Variant>& info) {
  const Variant& v = info.param;
  std::string name = v.song.stem().string();
  if (!v.variantSwitch.empty()) name += "_" + v.variantSwitch;
  return testName(name);
}

// Converts the song of the variant into dir; the document's path.
fs::path convert(const Variant& v, const fs::path& dir) {
  fs::path doc;
  std::string console;
  std::vector<std::string> switches;
  if (!v.variantSwitch.empty()) switches.push_back(v.variantSwitch);
  EXPECT_EQ(0, convertInto(v.song, switches, dir, doc, console)) << console;
  EXPECT_TRUE(fs::exists(doc)) << console;
  return doc;
}

// --- MuseScore 4.0 -------------------------------------------------------------

// What MuseScore's MusicXML reader says while it loads, and may say: chatter
// about barlines without a style (volta ends), tuplets it infers from the time
// modification, grace notes placed after a note.
bool isChatter(const std::string& line) {
  for (const char* s : {"determineBarLineType: empty bar type", "implicit tuplet start", "addGraceChordsAfter: "}) {
    if (line.find(s) != std::string::npos) return true;
  }
  return false;
}

// A number with a decimal point: an optional minus, digits, '.', digits.
bool isDecimal(const std::string& text) {
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0, point = text.find('.');
  if (point == std::string::npos || point + 1 >= text.size()) return false;
  for (; i < text.size(); ++i) {
    if (i != point && !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// The text between `before` and `after` at the end of line, if it is there.
bool endsWith(const std::string& line, const std::string& before, const std::string& after, std::string& middle) {
  size_t at = line.rfind(before);
  if (at == std::string::npos || line.size() < at + before.size() + after.size()) return false;
  if (line.compare(line.size() - after.size(), after.size(), after) != 0) return false;
  middle = line.substr(at + before.size(), line.size() - after.size() - at - before.size());
  return true;
}

// Its reader knows only whole-number alters: every alter with decimals, such
// as the 53-comma alters of makam notes (and "0.00000000"), is logged as
// invalid, with a failed guess at a microtonal accidental for most values.
// That is all it may say. The "-P" variant keeps decimals only where the
// notes ask for them (quarter tones such as -0.5, the alter table of grace
// notes such as -1.2), so there it says this a few times at most.
bool isAboutDecimalAlter(const std::string& line) {
  std::string value;
  if (endsWith(line, "invalid alter '", "'", value)) return isDecimal(value);
  if (endsWith(line, "microtonalGuess: Guess for microtonal accidental corresponding to value ", " failed.", value)) {
    return isDecimal(value);
  }
  return false;
}

class MuseScore : public testing::TestWithParam<Variant> {};

TEST_P(MuseScore, LoadsEveryNoteAndMeasure) {
  SKIP_WITHOUT_PACKAGE("webmscore");
  ScratchDir dir;
  fs::path doc = convert(GetParam(), dir.path());
  if (HasFailure()) return;
  Content have = countContent(readFile(doc));
  EngineReport r = runEngine("webmscore-load.mjs", doc);
  EXPECT_EQ(have.notes, r.notes) << "pitched notes kept";
  EXPECT_EQ(have.measures, r.measures) << "measures kept";
  EXPECT_GT(r.pages, 0);
  EXPECT_GT(r.svg, 0) << "page 1 was not rendered as a whole SVG";
  int alters = 0;
  for (const std::string& line : r.log) {
    bool loading = line.rfind("load ", 0) == 0;
    if (loading && isChatter(line)) continue;
    if (loading && isAboutDecimalAlter(line)) {
      ++alters;
      continue;
    }
    if (!loading && line.find("| ERROR") == std::string::npos && line.find("| WARN") == std::string::npos) continue;
    ADD_FAILURE() << "MuseScore logged: " << line;
  }
  if (GetParam().variantSwitch == "-P") {
    // The variant made for MuseScore: a note whose sharp or flat the key
    // signature carries is drawn without a natural, so MuseScore draws one
    // only where the document writes one.
    EXPECT_EQ(static_cast<long>(countOf(readFile(doc), "<accidental>natural</accidental>")), r.naturals)
        << "natural signs drawn";
  }
  RecordProperty("notes", std::to_string(r.notes));
  RecordProperty("alter_lines", std::to_string(alters));
  std::cout << doc.filename().string() << ": MuseScore kept " << r.notes << " of " << have.notes << " notes, "
            << r.measures << " of " << have.measures << " measures; " << alters << " lines about non-integer alters\n";
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MuseScore);
INSTANTIATE_TEST_SUITE_P(Examples, MuseScore, testing::ValuesIn(variants({"", "-P"})), variantName);

// --- Verovio ---------------------------------------------------------------------

class Verovio : public testing::TestWithParam<Variant> {};

TEST_P(Verovio, LoadsEveryNoteAndMeasure) {
  SKIP_WITHOUT_PACKAGE("verovio");
  ScratchDir dir;
  fs::path doc = convert(GetParam(), dir.path());
  if (HasFailure()) return;
  Content have = countContent(readFile(doc));
  EngineReport r = runEngine("verovio-load.mjs", doc);
  EXPECT_EQ(have.notes, r.notes) << "pitched notes kept";
  EXPECT_EQ(have.measures, r.measures) << "measures kept";
  EXPECT_GT(r.pages, 0);
  EXPECT_GT(r.svg, 0) << "page 1 was not rendered as a whole SVG";
  for (const std::string& line : r.log) ADD_FAILURE() << "Verovio logged: " << line;
  std::cout << doc.filename().string() << ": Verovio kept " << r.notes << " of " << have.notes << " notes, "
            << r.measures << " of " << have.measures << " measures\n";
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Verovio);
INSTANTIATE_TEST_SUITE_P(Examples, Verovio, testing::ValuesIn(variants({"", "-P", "-A"})), variantName);

// --- the counting the checks rest on -------------------------------------------

// Rests, <notehead> and <notations> are no pitched notes; <measure-style> and
// <measure-numbering> are no measures.
TEST(Counting, CountsPitchedNotesAndMeasures) {
  std::string doc =
      "<measure number=\"1\">\r\n<note>\r\n<rest/>\r\n</note>\r\n"
      "<note default-x=\"3\">\r\n<pitch><step>A</step></pitch><notehead>x</notehead><notations/>\r\n</note>\r\n"
      "<measure-style/></measure>\r\n<measure>\r\n<note><grace/><pitch><step>B</step></pitch></note></measure>\r\n";
  Content c = countContent(doc);
  EXPECT_EQ(2, c.notes);
  EXPECT_EQ(2, c.measures);
}

// MuseScore's lines about alters with decimals are told apart from the lines
// that must fail a check.
TEST(Counting, TellsMuseScoreLinesApart) {
  const std::string head = "load 05:17:06.100 | DEBUG | main_thread | engraving  | ";
  EXPECT_TRUE(isAboutDecimalAlter(head + "to_xml_log: Error at line 114 col 32: invalid alter '-0.90566037'"));
  EXPECT_TRUE(isAboutDecimalAlter(head + "to_xml_log: Error at line 210 col 31: invalid alter '0.00000000'"));
  EXPECT_TRUE(isAboutDecimalAlter(head + "microtonalGuess: Guess for microtonal accidental corresponding to value "
                                         "-0.905660 failed."));
  EXPECT_FALSE(isAboutDecimalAlter(head + "to_xml_log: Error at line 9 col 3: invalid alter '1'"));
  EXPECT_FALSE(isAboutDecimalAlter(head + "to_xml_log: Error at line 9 col 3: invalid alter 'x.5'"));
  EXPECT_FALSE(isAboutDecimalAlter(head + "to_xml_log: Error at line 9 col 3: invalid step 'H'"));
  EXPECT_TRUE(isChatter(head + "determineBarLineType: empty bar type"));
  EXPECT_FALSE(isChatter(head + "name measure line 12"));
}

}  // namespace
