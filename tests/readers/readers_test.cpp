// The programs that people read the converter's documents with, each given
// every document of one fixed collection in every variant: the example songs,
// 30 songs that sorvik-genscore writes (always the same) and the inputs of
// the music21 variant's end-to-end cases, converted by sorvik-batch as they
// are, with -P and with --music21. Each reader runs once over all documents,
// in one process, and must keep:
//   music21 (.venv): every music21-variant document parsed, every note at the
//     document's exact pitch (step, octave, alter within 0.01 cent) with its
//     tie and lyrics, every measure;
//   LilyPond's musicxml2ly: every music21-variant document converted;
//   MuseScore 4.0 (webmscore): every note of every variant, and in -P no sign
//     but the one the document writes;
//   Verovio: every note of every variant, and every ornament of the copy
//     that the page draws.
// What each reader kept of each variant is printed as one table at the end
// (docs/readers.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "facts.h"
#include "sorvik/convert.h"
#include "support/checks.h"

namespace {

using namespace checks;
using namespace readers;

const fs::path kHere = SORVIK_READERS_DIR;
const fs::path kThirdParty = SORVIK_THIRDPARTY_DIR;
const fs::path kVenvPython = fs::path(SORVIK_SOURCE_DIR) / ".venv/bin/python";
const fs::path kMusic21Cases = fs::path(SORVIK_CASES_DIR) / "music21";
constexpr int kGeneratedSongs = 30;

struct Variant {
  const char* name;
  const char* batchSwitch;  // empty for the document as it is
  sorvik::Variant variant;
};
constexpr Variant kVariants[] = {{"exact", "", sorvik::Variant::Exact},
                                 {"-P", "-P", sorvik::Variant::MuseScorePrint},
                                 {"music21", "--music21", sorvik::Variant::Music21}};

struct Document {
  std::string variant;
  fs::path path;
  Facts facts;
  fs::path drawing;  // the copy of it that the page hands to Verovio (before its clef)
};

// The collection in every variant, converted once a test program.
class Collection {
 public:
  Collection() {
    fs::path songs = dir_.path() / "songs";
    RunResult gen = runProgram({SORVIK_GENSCORE, "folder", "--songs", std::to_string(kGeneratedSongs),
                                "--notes-per-song", "80", "--seed", "16", songs.string()},
                               {}, 60);
    if (gen.status != 0) throw std::runtime_error("sorvik-genscore failed: " + gen.err);
    for (const fs::path& song : findExamples(SORVIK_EXAMPLES_DIR)) fs::copy_file(song, songs / song.filename());
    // The shapes that the generator never writes (rests of every length, keys
    // with every accidental, odd tempo texts), from the music21 variant's cases.
    for (const std::string& name : findCases(kMusic21Cases)) {
      for (const fs::path& song : findExamples(kMusic21Cases / name / "in")) {
        fs::copy_file(song, songs / (testName(name) + ".sv2"));
      }
    }
    for (const Variant& v : kVariants) convert(v, songs);
  }
  const std::vector<Document>& documents() const { return documents_; }

 private:
  void convert(const Variant& v, const fs::path& songs) {
    fs::path out = dir_.path() / v.name, drawings = dir_.path() / (std::string(v.name) + "-drawing");
    std::vector<std::string> args{SORVIK_BATCH, "-q", "-o", out.string()};
    if (*v.batchSwitch) args.push_back(v.batchSwitch);
    args.push_back(songs.string());
    RunResult run = runProgram(args, {}, 120);
    // 1: a song ended in an error and has no document
    if (run.status > 1) throw std::runtime_error(std::string("sorvik-batch failed on ") + v.name + ": " + run.err);
    fs::create_directory(drawings);
    for (const fs::path& song : findExamples(songs)) {
      fs::path doc = out / sorvik::outputName(song.filename().string(), v.variant);
      if (!fs::exists(doc)) continue;
      sorvik::Options options;
      options.inputName = song.filename().string();
      options.variant = v.variant;
      options.drawingCopy = true;
      std::string drawing;
      sorvik::convert(readFile(song), options, drawing);
      writeFile(drawings / doc.filename(), drawing);
      documents_.push_back({v.name, doc, documentFacts(readFile(doc)), drawings / doc.filename()});
    }
  }

  ScratchDir dir_;
  std::vector<Document> documents_;
};

const Collection& collection() {
  static const Collection c;
  return c;
}

// --- the figures -------------------------------------------------------------

// A kept/total pair; a total of -1 shows the count alone, -2 a column that
// the reader does not tell.
struct Figure {
  long kept = 0, total = 0;
  void add(long k, long t) { kept += k, total += t; }
};

struct Row {
  std::string reader, variant;
  Figure documents, notes, pitches, accidentals, unasked, ornaments, lyrics, measures;
};

std::vector<Row>& table() {
  static std::vector<Row> rows;
  return rows;
}

// Each accidental of the converter as the engines name the glyph they draw
// for it: MuseScore's MSCX subtype and Verovio's MEI value.
struct Glyph {
  const char* musicxml;
  const char* mscx;
  const char* mei;
};
constexpr Glyph kGlyphs[] = {{"natural", "accidentalNatural", "n"},
                             {"flat", "accidentalFlat", "f"},
                             {"sharp", "accidentalSharp", "s"},
                             {"quarter-flat", "accidentalQuarterToneFlatStein", "1qf"},
                             {"quarter-sharp", "accidentalQuarterToneSharpStein", "1qs"},
                             {"slash-flat", "accidentalBakiyeFlat", "bf"},
                             {"double-slash-flat", "accidentalBuyukMucennebFlat", "bmf"},
                             {"slash-quarter-sharp", "accidentalKucukMucennebSharp", "bms"},
                             {"slash-sharp", "accidentalBuyukMucennebSharp", "ks"}};

bool drawnAsWritten(const std::string& written, const std::string& drawn) {
  for (const Glyph& g : kGlyphs) {
    if (written == g.musicxml) return drawn == g.mscx || drawn == g.mei;
  }
  return false;
}

bool samePitch(const Note& want, const Note& got) {
  if (want.step != got.step || want.octave != got.octave) return false;
  return got.alter == "-" || std::fabs(std::stod(want.alter) - std::stod(got.alter)) < 1e-4;  // 0.01 cent
}

// What the reader kept of one document, added to the row.
void tally(Row& row, const Facts& want, const Facts* got) {
  bool read = got && got->done && got->error.empty();
  row.documents.add(read ? 1 : 0, 1);
  row.notes.total += static_cast<long>(want.notes.size());
  row.lyrics.total += want.lyrics;
  row.measures.total += want.measures;
  for (const auto& [kind, n] : want.ornaments) row.ornaments.total += n;
  for (const Note& n : want.notes) row.accidentals.total += !n.accidental.empty();
  if (!read) return;
  size_t common = std::min(want.notes.size(), got->notes.size());
  row.notes.kept += static_cast<long>(common);
  for (size_t i = 0; i < common; ++i) {
    const Note &w = want.notes[i], &g = got->notes[i];
    row.pitches.kept += samePitch(w, g);
    row.accidentals.kept += !w.accidental.empty() && drawnAsWritten(w.accidental, g.accidental);
    row.unasked.kept += w.accidental.empty() && !g.accidental.empty();
  }
  if (got->rounded >= 0) row.pitches.kept += std::max(0L, static_cast<long>(want.notes.size()) - got->rounded);
  row.lyrics.kept += std::min(want.lyrics, got->lyrics);
  row.measures.kept += std::min(want.measures, got->measures);
  for (const auto& [kind, n] : want.ornaments) {
    auto it = got->ornaments.find(kind);
    row.ornaments.kept += std::min(n, it == got->ornaments.end() ? 0L : it->second);
  }
}

// One row per variant of what the reader kept. `columns` names those it
// tells: n notes, p pitches, a accidentals drawn, u accidentals not asked
// for, o ornaments, l lyrics, m measures.
void addRows(const std::string& reader, const std::map<std::string, Facts>& facts, const std::string& columns,
             bool drawings = false) {
  for (const Variant& v : kVariants) {
    Row row{reader, v.name, {}, {}, {}, {}, {}, {}, {}, {}};
    for (const Document& d : collection().documents()) {
      if (d.variant != v.name) continue;
      auto it = facts.find((drawings ? d.drawing : d.path).string());
      tally(row, d.facts, it == facts.end() ? nullptr : &it->second);
    }
    if (row.documents.total == 0) continue;
    row.pitches.total = row.notes.total;
    row.unasked.total = -1;
    for (auto [column, figure] : {std::pair{'n', &row.notes},
                                  {'p', &row.pitches},
                                  {'a', &row.accidentals},
                                  {'u', &row.unasked},
                                  {'o', &row.ornaments},
                                  {'l', &row.lyrics},
                                  {'m', &row.measures}}) {
      if (columns.find(column) == std::string::npos) *figure = {0, -2};
    }
    table().push_back(row);
  }
}

std::string number(long n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string cell(const Figure& f) {
  if (f.total == -2) return "–";
  if (f.total == -1) return number(f.kept);
  return number(f.kept) + " of " + number(f.total);
}

class PrintTable : public testing::Environment {
 public:
  void TearDown() override {
    if (table().empty()) return;
    std::cout << "\n| Reader | Variant | Documents read | Notes kept | Pitches as written | Accidentals drawn "
                 "as written | Accidentals not asked for | Ornaments kept | Lyrics kept | Measures kept |\n"
                 "|---|---|---|---|---|---|---|---|---|---|\n";
    for (const Row& r : table()) {
      std::cout << "| " << r.reader << " | " << r.variant << " | " << cell(r.documents) << " | " << cell(r.notes)
                << " | " << cell(r.pitches) << " | " << cell(r.accidentals) << " | " << cell(r.unasked) << " | "
                << cell(r.ornaments) << " | " << cell(r.lyrics) << " | " << cell(r.measures) << " |\n";
    }
  }
};
const auto* const kTable = testing::AddGlobalTestEnvironment(new PrintTable);

// --- running the readers -------------------------------------------------------

// Every document, or with `drawings` the page's copy of every document.
std::vector<std::string> paths(bool drawings = false) {
  std::vector<std::string> all;
  for (const Document& d : collection().documents()) all.push_back((drawings ? d.drawing : d.path).string());
  return all;
}

// Runs the reader once over every document; its facts by path.
std::map<std::string, Facts> runReader(std::vector<std::string> argv, const std::vector<std::string>& docs) {
  argv.insert(argv.end(), docs.begin(), docs.end());
  RunResult run = runProgram(argv, {}, 280);
  EXPECT_FALSE(run.timedOut) << argv[1] << " ran out of time";
  std::map<std::string, Facts> facts = readerFacts(run.out);
  EXPECT_EQ(docs.size(), facts.size()) << argv[1] << " reported on too few documents:\n" << run.err;
  return facts;
}

const Facts& factsOf(const std::map<std::string, Facts>& facts, const Document& d, bool drawing = false) {
  static const Facts none;
  auto it = facts.find((drawing ? d.drawing : d.path).string());
  return it == facts.end() ? none : it->second;
}

std::string trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The first note at which music21 differs from the document; empty when none.
std::string firstDifference(const Facts& want, const Facts& got) {
  if (want.measures != got.measures) return "measures " + number(got.measures) + " of " + number(want.measures);
  if (want.notes.size() != got.notes.size()) {
    return "notes " + number(static_cast<long>(got.notes.size())) + " of " +
           number(static_cast<long>(want.notes.size()));
  }
  for (size_t i = 0; i < want.notes.size(); ++i) {
    const Note &w = want.notes[i], &g = got.notes[i];
    std::vector<std::string> wl, gl;
    for (const auto& l : w.lyrics) wl.push_back(trimmed(l));
    for (const auto& l : g.lyrics) gl.push_back(trimmed(l));
    if (samePitch(w, g) && w.tie == g.tie && wl == gl) continue;
    std::ostringstream d;
    d << "note " << i + 1 << ": written " << w.step << w.octave << " alter " << w.alter << " tie '" << w.tie << "' "
      << wl.size() << " lyrics; read " << g.step << g.octave << " alter " << g.alter << " tie '" << g.tie << "' "
      << gl.size() << " lyrics";
    return d.str();
  }
  return "";
}

TEST(Readers, Music21) {
  if (!fs::exists(kVenvPython)) GTEST_SKIP() << kVenvPython << " is missing: run scripts/setup";
  if (runProgram({kVenvPython.string(), "-c", "import music21"}, {}, 60).status != 0) {
    GTEST_SKIP() << "music21 is missing from .venv: run scripts/setup";
  }
  auto facts = runReader({kVenvPython.string(), (kHere / "music21-read.py").string()}, paths());
  addRows("music21", facts, "nplm");
  for (const Document& d : collection().documents()) {
    if (d.variant != "music21") continue;
    const Facts& got = factsOf(facts, d);
    EXPECT_TRUE(got.done && got.error.empty()) << d.path.filename() << ": " << got.error;
    if (got.done) {
      EXPECT_EQ("", firstDifference(d.facts, got)) << d.path.filename();
    }
  }
}

// musicxml2ly's path and the interpreter of its first line; empty when missing.
std::vector<std::string> musicxml2ly() {
  std::istringstream dirs(std::getenv("PATH") ? std::getenv("PATH") : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    fs::path script = fs::path(dir) / "musicxml2ly";
    std::string head = fs::exists(script) ? readFile(script).substr(0, 200) : "";
    if (head.rfind("#!", 0) != 0) continue;
    std::istringstream line(head.substr(2, head.find('\n') - 2));
    std::string interpreter;
    line >> interpreter;
    return {interpreter, script.string()};
  }
  return {};
}

TEST(Readers, MusicXml2ly) {
  std::vector<std::string> program = musicxml2ly();
  if (program.empty()) GTEST_SKIP() << "musicxml2ly is missing (Debian lilypond): run scripts/setup";
  ScratchDir out;
  auto facts =
      runReader({program[0], (kHere / "musicxml2ly-batch.py").string(), program[1], out.path().string()}, paths());
  addRows("LilyPond musicxml2ly", facts, "p");
  for (const Document& d : collection().documents()) {
    if (d.variant != "music21") continue;
    const Facts& got = factsOf(facts, d);
    EXPECT_TRUE(got.done && got.error.empty()) << d.path.filename() << ": " << got.error;
  }
}

TEST(Readers, MuseScore) {
  SKIP_WITHOUT_PACKAGE("webmscore");
  auto facts = runReader({"node", (kThirdParty / "webmscore-load.mjs").string()}, paths());
  addRows("MuseScore 4.0", facts, "npauolm");
  for (const Document& d : collection().documents()) {
    const Facts& got = factsOf(facts, d);
    EXPECT_TRUE(got.done && got.error.empty()) << d.path.filename() << ": " << got.error;
    EXPECT_EQ(d.facts.notes.size(), got.notes.size()) << d.path.filename() << ": notes kept";
    if (d.variant != "-P" || got.notes.size() != d.facts.notes.size()) continue;
    for (size_t i = 0; i < got.notes.size(); ++i) {
      const Note &w = d.facts.notes[i], &g = got.notes[i];
      // A sign drawn is the one the document writes: no natural that it does
      // not ask for, no quarter-tone glyph of MuseScore's own.
      EXPECT_TRUE(g.accidental.empty() || drawnAsWritten(w.accidental, g.accidental))
          << d.path.filename() << ", note " << i + 1 << " (" << w.step << w.octave << " alter " << w.alter
          << "): MuseScore draws " << g.accidental << " where the document writes "
          << (w.accidental.empty() ? "no accidental" : w.accidental);
    }
  }
}

// Documents that Verovio cannot read, by song and variant, with the reason;
// the page's copies of them too. A listed document that it reads fails.
struct KnownLoss {
  const char* song;
  const char* variant;
  const char* why;
};
constexpr const char* kBeatType0 =
    "an unmeasured song whose time gives beats keeps <beat-type>0</beat-type>, and Verovio 6.3 divides by it";
constexpr KnownLoss kVerovioLosses[] = {{"unmeasured_with_beats_is_senza_misura", "exact", kBeatType0},
                                        {"unmeasured_with_beats_is_senza_misura", "-P", kBeatType0}};

const char* verovioLoss(const Document& d) {
  std::string song = d.path.filename().string();
  song = song.substr(0, song.find('.'));
  for (const KnownLoss& k : kVerovioLosses) {
    if (song == k.song && d.variant == k.variant) return k.why;
  }
  return nullptr;
}

// Every note of every document that Verovio reads; the listed ones it cannot.
// The page's copies it reads all.
void expectEveryNote(const std::map<std::string, Facts>& facts, bool drawings) {
  for (const Document& d : collection().documents()) {
    const Facts& got = factsOf(facts, d, drawings);
    bool read = got.done && got.error.empty();
    if (const char* why = drawings ? nullptr : verovioLoss(d)) {
      EXPECT_FALSE(read) << d.path.filename() << ": Verovio reads it now, though " << why;
      continue;
    }
    EXPECT_TRUE(read) << d.path.filename() << ": " << got.error;
    EXPECT_EQ(d.facts.notes.size(), got.notes.size()) << d.path.filename() << ": notes kept";
  }
}

TEST(Readers, Verovio) {
  SKIP_WITHOUT_PACKAGE("verovio");
  const std::string script = (kThirdParty / "verovio-load.mjs").string();
  auto facts = runReader({"node", script}, paths());
  addRows("Verovio", facts, "npauolm");
  expectEveryNote(facts, false);
  // The page's copy: the converter's drawing copy, and the clef the page adds.
  auto copies = runReader({"node", script, "--with-clef"}, paths(true));
  addRows("Verovio, the page's copy", copies, "npauolm", true);
  expectEveryNote(copies, true);
  for (const Document& d : collection().documents()) {
    const Facts& got = factsOf(copies, d, true);
    for (const auto& [kind, n] : d.facts.ornaments) {
      auto it = got.ornaments.find(kind);
      long drawn = it == got.ornaments.end() ? 0 : it->second;
      EXPECT_EQ(n, drawn) << d.path.filename() << ": Verovio draws " << drawn << " of " << n << " " << kind;
    }
  }
}

}  // namespace
