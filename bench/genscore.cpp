// sorvik-genscore: writes large, valid, realistic Sorvik scores for the
// benchmark, and checks that a score's position fields agree with its note
// values.
//
//   sorvik-genscore score  --notes N [--seed S] [--crlf] OUT.sv2
//       One score of about N notes: a fasil, a suite of songs in one makam,
//       each song starting on its own usul line (which restarts the time
//       count and the positions) with its own tempo.
//   sorvik-genscore folder --songs K --notes-per-song P [--seed S] [--crlf] DIR
//       K separate songs (song-00001.sv2, ...), each in its own makam and usul.
//   sorvik-genscore check FILE...
//       Converts each file with the converter's strict bar check and reports
//       its first message (a position 0.001 measure or more off the count)
//       and every hint (a line that converts into what it probably does not
//       mean).
//
// The output depends only on the arguments: the random numbers come from a
// fixed 64-bit generator, never from the standard library's distributions.
//
// The scores use what real songs use: measured usuls (4/4, 8/8, 9/8, 3/4,
// 10/8, 5/8, 7/8, 2/4, 6/8), makam key signatures with comma accidentals,
// chromatic inflections that cancel or change the key's accidental within a
// measure, eighths and sixteenths that the converter beams, triplets, dotted
// and tied values, notes longer than a half that the converter writes as two
// tied notes (5/8, 5/16, 9/16), rests, grace notes, slurs, ties across bar
// lines, staccato, trills, mordents, fermatas, dynamics, wedges, tempo marks,
// repeats with first and second endings, segno, [SON] and D.S., and two lines
// of Turkish lyrics with words split into syllables. Every note line states
// where its note ends, in measures, so the converter's bar check stays quiet.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "sorvik/convert.h"

namespace {

// ---------------------------------------------------------------- randomness

struct Random {
  uint64_t state;
  explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
  uint64_t next() {  // splitmix64
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(static_cast<int>(N))];
  }
};

// ---------------------------------------------------------------- the music

struct Makam {
  const char* name;
  const char* key;                 // key text of the makam line
  std::vector<const char*> scale;  // pitch tokens, low to high
  // Occasional inflections: scale degree index and the token used instead.
  std::vector<std::pair<int, const char*>> inflections;
};

const std::vector<Makam>& makams() {
  static const std::vector<Makam> all = {
      {"Rast",
       "B4b1/F5#4",
       {"sol4", "la4", "si4b1", "do5", "re5", "mi5", "fa5#4", "sol5", "la5"},
       {{2, "si4b2"}, {6, "fa5"}, {3, "do5#3"}, {6, "fa5#2"}}},
      {"Uşşak",
       "B4b1",
       {"sol4", "la4", "si4b1", "do5", "re5", "mi5", "fa5", "sol5", "la5"},
       {{2, "si4b2"}, {2, "si4"}, {6, "fa5#4"}, {5, "mi5b1"}}},
      {"Hicaz",
       "B4b4/C5#4",
       {"sol4", "la4", "si4b4", "do5#4", "re5", "mi5", "fa5", "sol5", "la5"},
       {{2, "si4b5"}, {3, "do5"}, {5, "mi5b1"}, {4, "re5b3"}}},
      {"Nihavend",
       "B4b5/E5b5",
       {"sol4", "la4", "si4b5", "do5", "re5", "mi5b5", "fa5", "sol5", "la5"},
       {{6, "fa5#4"}, {5, "mi5"}, {2, "si4b6"}, {6, "fa5#6"}}},
      {"Saba",
       "B4b1/D5b4",
       {"sol4", "la4", "si4b1", "do5", "re5b4", "mi5", "fa5", "sol5", "la5"},
       {{4, "re5b7"}, {4, "re5"}, {6, "fa5#1"}, {2, "si4b8"}}},
      {"Segah",
       "B4b1/E5b1/F5#4",
       {"sol4", "la4", "si4b1", "do5", "re5", "mi5b1", "fa5#4", "sol5", "la5"},
       {{5, "mi5"}, {6, "fa5#5"}, {6, "fa5#7"}, {2, "si4b3"}}},
      {"Kürdi",
       "B4b4",
       {"sol4", "la4", "si4b4", "do5", "re5", "mi5", "fa5", "sol5", "la5"},
       {{2, "si4b1"}, {5, "mi5b4"}, {3, "do5#4"}, {2, "si4b4"}}},
  };
  return all;
}

struct Usul {
  const char* name;
  int beats, beatType;
};
const Usul kUsuls[] = {
    {"Sofyan", 4, 4},      {"Düyek", 8, 8},        {"Aksak", 9, 8},      {"Semai", 3, 4},       {"Curcuna", 10, 8},
    {"Türk aksağı", 5, 8}, {"Devr-i hindi", 7, 8}, {"Nim sofyan", 2, 4}, {"Yürük semai", 6, 8},
};
// "Devr-i hindi" holds a "-": fine on a usul line (code 51 is no note line).

const char* const kForms[] = {"Şarkı", "Türkü", "Saz semaisi", "İlahi", "Köçekçe"};
const char* const kComposers[] = {"Hacı Arif Bey", "Dede Efendi", "Sadettin Kaynak",  "Şevki Bey",
                                  "Rahmi Bey",     "Lemi Atlı",   "Tanburi Cemil Bey"};
const char* const kLyricists[] = {"Nedim", "Yahya Kemal", "Fuzuli", "Baki", "Nef'i", "Şeyh Galib"};
const char* const kTitleWords[] = {"Gönül", "Bahar",  "Hicran", "Ayrılık", "Sabah",  "Gül",
                                   "Deniz", "Hasret", "Yâr",    "Bülbül",  "Mehtap", "Sevda"};
const char* const kSyllables[] = {"gö", "nül", "aş",  "kı",  "ya",  "re",  "sev", "dim", "se",  "ni",  "bu",  "ge",
                                  "ce", "ay",  "dın", "hü",  "zün", "bül", "bül", "gül", "şen", "ça",  "ğır", "gel",
                                  "me", "di",  "yâr", "dil", "ber", "cân", "ı",   "sı",  "ra",  "lar", "ka",  "der",
                                  "öm", "rüm", "sa",  "bah", "ol",  "du",  "ney", "le",  "yim", "hic", "ran", "göz"};

// A note value as it stands in fields 3 and 4, and its length in 48ths of a
// whole note (every value below is a whole number of 48ths).
struct Value {
  int length, division, units;
};
constexpr Value V1{1, 1, 48}, V2{1, 2, 24}, V34{3, 4, 36}, V4{1, 4, 12}, V38{3, 8, 18}, V8{1, 8, 6}, V316{3, 16, 9},
    V16{1, 16, 3}, V12{1, 12, 4}, V24{1, 24, 2}, V58{5, 8, 30}, V516{5, 16, 15}, V916{9, 16, 27};

// One rhythm cell: a short figure of note values (a value marked rest is a
// rest) that fills a whole number of eighths.
struct Cell {
  int units;
  std::vector<std::pair<Value, bool>> items;  // value, is a rest
};

const std::vector<Cell>& cells() {
  static const std::vector<Cell> all = [] {
    std::vector<Cell> c;
    auto add = [&](std::initializer_list<std::pair<Value, bool>> items) {
      Cell cell{0, items};
      for (auto& [v, r] : cell.items) cell.units += v.units;
      c.push_back(cell);
    };
    const bool N = false, R = true;
    add({{V8, N}});
    add({{V16, N}, {V16, N}});
    add({{V24, N}, {V24, N}, {V24, N}});
    add({{V4, N}});
    add({{V4, N}});
    add({{V8, N}, {V8, N}});
    add({{V8, N}, {V8, N}});
    add({{V8, N}, {V16, N}, {V16, N}});
    add({{V16, N}, {V16, N}, {V8, N}});
    add({{V16, N}, {V16, N}, {V16, N}, {V16, N}});
    add({{V316, N}, {V16, N}});
    add({{V12, N}, {V12, N}, {V12, N}});
    add({{V8, R}, {V8, N}});
    add({{V8, N}, {V8, R}});
    add({{V38, N}});
    add({{V4, N}, {V8, N}});
    add({{V8, N}, {V8, N}, {V8, N}});
    add({{V516, N}, {V16, N}});
    add({{V2, N}});
    add({{V38, N}, {V8, N}});
    add({{V58, N}});
    add({{V916, N}, {V16, N}});
    add({{V34, N}});
    add({{V916, N}, {V316, N}});
    add({{V1, N}});
    return c;
  }();
  return all;
}

// ---------------------------------------------------------------- writing

struct Counts {
  uint64_t lines = 0, notes = 0, rests = 0, graces = 0, markers = 0, measures = 0, songs = 0;
};

class Writer {
 public:
  explicit Writer(bool crlf) : eol_(crlf ? "\r\n" : "\n") {}
  std::string text;
  Counts counts;

  // One line of ten fields.
  void line(std::string_view code, std::string_view pitch, std::string_view length, std::string_view division,
            std::string_view legato, std::string_view bas, std::string_view top, std::string_view text1,
            std::string_view text2, std::string_view time) {
    const std::string_view fields[10] = {code, pitch, length, division, legato, bas, top, text1, text2, time};
    for (int i = 0; i < 10; ++i) {
      if (i) text += '\t';
      text += fields[i];
    }
    text += eol_;
    ++counts.lines;
  }
  void meta(int code, std::string_view f3, std::string_view f4, std::string_view f5, std::string_view f8,
            std::string_view f9) {
    line(std::to_string(code), "", f3, f4, f5, "", "", f8, f9, "");
  }

 private:
  const char* eol_;
};

// The position field: measure index plus the fraction of the measure, with
// at most six decimals and no trailing zeros; a bar line is written as a
// whole number (no point), as the notation expects for a note that ends on it.
std::string position(long measure, int units, int measureUnits) {
  if (units == 0) return std::to_string(measure);
  long micro = std::lround(static_cast<double>(units) * 1e6 / measureUnits);
  if (micro >= 1000000) return std::to_string(measure + 1);  // cannot happen: units < measureUnits
  char buf[64];
  std::snprintf(buf, sizeof buf, "%ld.%06ld", measure, micro);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  return s;
}

class SongWriter {
 public:
  SongWriter(Writer& w, Random& rnd) : w_(w), rnd_(rnd) {}

  // Writes the lines of one song's body (its notes and markers), starting at
  // position 0 after a usul line, until at least `notes` notes are written and
  // a measure is complete.
  void body(const Makam& makam, const Usul& usul, uint64_t notes) {
    makam_ = &makam;
    measureUnits_ = 48 * usul.beats / usul.beatType;
    degree_ = 3 + rnd_.below(3);
    const uint64_t start = w_.counts.notes;
    long m = 0;
    // Plan: A (repeated, with first and second endings), then B with segno,
    // then further phrases until the notes are written; [SON] ends B's first
    // phrase, D.S. the song.
    const long voltaAt = 3, secondAt = 4, segnoAt = 5, sonAt = 8;
    marker("(", "", m);
    dynamicsNext_ = 84;
    for (;; ++m) {
      if (m == voltaAt) marker("(1", "", m);
      if (m == secondAt) {
        marker("1)", ":", m);
        marker("(2", "", m);
      }
      if (m == secondAt + 1) marker("2)", "", m);
      if (m == segnoAt) marker("[", "", m);
      if (m == sonAt) marker("", ">", m);
      if (m == segnoAt + 2) dynamicsNext_ = 108;
      secondVerse_ = m < secondAt;  // the repeated part has a second verse
      const bool last = m >= sonAt && w_.counts.notes - start >= notes;
      // No tie out of a measure that a repeat, an ending or a segno follows.
      const long next = m + 1;
      const bool tieOut =
          next != voltaAt && next != secondAt && next != secondAt + 1 && next != segnoAt && next != sonAt;
      measure(m, last, tieOut);
      ++w_.counts.measures;
      if (last) break;
    }
    marker("", "$", m + 1);
  }

 private:
  Writer& w_;
  Random& rnd_;
  const Makam* makam_ = nullptr;
  int measureUnits_ = 48;
  int degree_ = 4;
  bool tieNext_ = false;  // the next note repeats the pitch and stops a tie
  std::string tiePitch_;
  int wedgeLeft_ = -1;
  int dynamicsNext_ = 0;
  bool secondVerse_ = false;
  int wordLeft_ = 0;

  void marker(std::string_view text1, std::string_view text2, long m) {
    w_.line("9", "", "0", "0", "0", "0", "0", text1, text2, std::to_string(m));
    ++w_.counts.markers;
  }

  std::string nextPitch() {
    const auto& scale = makam_->scale;
    const int n = static_cast<int>(scale.size());
    static const int steps[] = {-2, -1, -1, -1, 0, 1, 1, 1, 2, -3, 3};
    degree_ += rnd_.pick(steps);
    if (degree_ < 0) degree_ = 1;
    if (degree_ >= n) degree_ = n - 2;
    if (rnd_.chance(6)) {
      for (auto& [deg, token] : makam_->inflections)
        if (deg == degree_) return token;
    }
    return scale[degree_];
  }

  std::string syllable(bool allow) {
    if (!allow) return "";
    if (wordLeft_ == 0) {
      if (!rnd_.chance(80)) return "";
      wordLeft_ = 1 + rnd_.below(3);
    }
    --wordLeft_;
    std::string s = rnd_.pick(kSyllables);
    if (wordLeft_ > 0) s += ' ';  // the word goes on: "begin" syllable
    return s;
  }

  void measure(long m, bool last, bool tieOut) {
    // Choose cells that fill the measure exactly.
    std::vector<const Cell*> chosen;
    int left = measureUnits_;
    while (left > 0) {
      const Cell* c;
      do {
        c = &cells()[rnd_.below(static_cast<int>(cells().size()))];
      } while (c->units > left || (c->units >= 24 && rnd_.chance(50)));
      chosen.push_back(c);
      left -= c->units;
    }
    int units = 0;
    for (size_t ci = 0; ci < chosen.size(); ++ci) {
      const Cell& cell = *chosen[ci];
      const bool lastCell = ci + 1 == chosen.size();
      const size_t count = cell.items.size();
      bool hasRest = false;
      for (auto& it : cell.items) hasRest |= it.second;
      // A slur over a whole cell of two or more notes, unless a tie ends on
      // its first note.
      const bool slurred = !tieNext_ && !hasRest && count >= 2 && !(last && lastCell) && rnd_.chance(20);
      for (size_t i = 0; i < count; ++i) {
        const Value v = cell.items[i].first;
        const bool rest = cell.items[i].second;
        const bool lastInMeasure = lastCell && i + 1 == count;
        const bool lastOfSong = last && lastInMeasure;
        const int startUnits = units;
        units += v.units;
        const std::string pos =
            units == measureUnits_ ? position(m + 1, 0, measureUnits_) : position(m, units, measureUnits_);
        if (rest) {
          w_.line("9", "", std::to_string(v.length), std::to_string(v.division), "0", "0", "0", "", "", pos);
          ++w_.counts.rests;
          continue;
        }
        // A grace note now and then before a note of a quarter or longer.
        if (v.units >= 12 && !tieNext_ && !slurred && rnd_.chance(8)) {
          w_.line("8", nextPitch(), "0", "0", "0", "0", "0", "", "", position(m, startUnits, measureUnits_));
          ++w_.counts.graces;
          ++w_.counts.notes;
        }
        std::string pitch;
        int legato = 0;
        bool sing = true;
        if (tieNext_) {
          pitch = tiePitch_;
          legato = 95;  // ends the tie
          tieNext_ = false;
          sing = false;
        } else {
          pitch = nextPitch();
        }
        if (slurred) {
          if (i == 0)
            legato = 99;
          else
            sing = false;  // melisma: one syllable for the slurred notes
          if (i + 1 == count) legato = 95;
        }
        // A tie into the next note, often across the bar line.
        if (legato == 0 && !lastOfSong && (tieOut || !lastInMeasure) && rnd_.chance(i + 1 == count ? 12 : 3)) {
          legato = 100;
          tieNext_ = true;
          tiePitch_ = pitch;
        } else if (legato == 0 && v.units >= 6 && !lastOfSong && rnd_.chance(4)) {
          legato = 50;  // staccato
        }
        if (lastOfSong && legato == 0) legato = 101;  // fermata
        const char* code = "9";
        if (!lastOfSong && rnd_.chance(2)) code = rnd_.chance(50) ? "12" : "23";  // trill, mordent
        int bas = 0;
        if (dynamicsNext_) {
          bas = dynamicsNext_;
          dynamicsNext_ = 0;
        } else if (wedgeLeft_ < 0 && !lastOfSong && rnd_.chance(2)) {
          bas = rnd_.chance(50) ? 2 : 125;  // crescendo, diminuendo
          wedgeLeft_ = 3 + rnd_.below(4);
        }
        const char* top = "0";
        if (wedgeLeft_ == 0 || (lastOfSong && wedgeLeft_ > 0)) {
          top = "2";  // ends the wedge
          wedgeLeft_ = -1;
        } else if (wedgeLeft_ > 0 && bas == 0) {
          --wedgeLeft_;
        }
        const std::string text1 = syllable(sing);
        const std::string text2 = secondVerse_ && !text1.empty() ? rnd_.pick(kSyllables) : "";
        w_.line(code, pitch, std::to_string(v.length), std::to_string(v.division), std::to_string(legato),
                std::to_string(bas), top, text1, text2, pos);
        ++w_.counts.notes;
      }
    }
  }
};

void header(Writer& w, Random& rnd, const Makam& makam, const Usul& usul, const std::string& title, int tempo) {
  const std::string beats = std::to_string(usul.beats), beatType = std::to_string(usul.beatType);
  w.line(beats, beatType, "", "", "", "", "", "", "", "");
  w.meta(50, "", "", "", makam.name, makam.key);
  w.meta(51, beats, beatType, "", usul.name, "");
  w.meta(57, "", "", "", rnd.pick(kForms), "");
  w.meta(58, "", "", "", rnd.pick(kComposers), "");
  w.meta(59, "", "", "", rnd.pick(kLyricists), "");
  w.meta(52, "", "", std::to_string(tempo), "", "");
  w.meta(60, "", "", "", title, "");
}

std::string title(Random& rnd, const Makam& makam, uint64_t number) {
  return std::string(makam.name) + " " + rnd.pick(kForms) + " " + rnd.pick(kTitleWords) + " " + std::to_string(number);
}

int tempoFor(Random& rnd, const Usul& usul) { return (usul.beatType == 8 ? 120 : 60) + 4 * rnd.below(15); }

bool writeFile(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    return false;
  }
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    std::perror(path.c_str());
    return false;
  }
  return true;
}

void report(const char* what, const Counts& c, uint64_t bytes) {
  std::printf("%s: %" PRIu64 " songs, %" PRIu64 " notes (%" PRIu64 " grace), %" PRIu64 " rests, %" PRIu64
              " markers, %" PRIu64 " measures, %" PRIu64 " lines, %" PRIu64 " bytes\n",
              what, c.songs, c.notes, c.graces, c.rests, c.markers, c.measures, c.lines, bytes);
}

// One score: a fasil of songs of `perSong` notes in one makam.
int makeScore(uint64_t notes, uint64_t seed, bool crlf, const std::string& out) {
  Random rnd(seed);
  Writer w(crlf);
  w.text.reserve(notes * 48 + 4096);
  const Makam& makam = makams()[rnd.below(static_cast<int>(makams().size()))];
  const Usul* usul = &rnd.pick(kUsuls);
  int tempo = tempoFor(rnd, *usul);
  header(w, rnd, makam, *usul, std::string(makam.name) + " Fasıl " + std::to_string(seed), tempo);
  SongWriter songs(w, rnd);
  const uint64_t perSong = 400;
  while (w.counts.notes < notes) {
    if (w.counts.songs > 0) {
      usul = &rnd.pick(kUsuls);
      w.meta(51, std::to_string(usul->beats), std::to_string(usul->beatType), "", usul->name, "");
      w.meta(52, "", "", std::to_string(tempoFor(rnd, *usul)), "", "");
    }
    const uint64_t left = notes - w.counts.notes;
    songs.body(makam, *usul, left < perSong ? left : perSong);
    ++w.counts.songs;
  }
  if (!writeFile(out, w.text)) return 1;
  report(out.c_str(), w.counts, w.text.size());
  return 0;
}

int makeFolder(uint64_t songs, uint64_t perSong, uint64_t seed, bool crlf, const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "%s: %s\n", dir.c_str(), ec.message().c_str());
    return 1;
  }
  Random rnd(seed);
  Counts total;
  uint64_t bytes = 0;
  for (uint64_t i = 1; i <= songs; ++i) {
    Writer w(crlf);
    const Makam& makam = makams()[rnd.below(static_cast<int>(makams().size()))];
    const Usul& usul = rnd.pick(kUsuls);
    header(w, rnd, makam, usul, title(rnd, makam, i), tempoFor(rnd, usul));
    SongWriter(w, rnd).body(makam, usul, perSong);
    char name[64];
    std::snprintf(name, sizeof name, "/song-%05" PRIu64 ".sv2", i);
    if (!writeFile(dir + name, w.text)) return 1;
    total.lines += w.counts.lines;
    total.notes += w.counts.notes;
    total.rests += w.counts.rests;
    total.graces += w.counts.graces;
    total.markers += w.counts.markers;
    total.measures += w.counts.measures;
    ++total.songs;
    bytes += w.text.size();
  }
  report(dir.c_str(), total, bytes);
  return 0;
}

// ---------------------------------------------------------------- checking

// Converts each file with the converter's strict bar check (-M): a
// generated song must convert without any message, so every position agrees
// with the converter's own time count, and without a hint.
int checkFile(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::perror(path);
    return 1;
  }
  std::string text;
  char buf[1 << 16];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
  std::fclose(f);

  std::string document;
  const sorvik::Result r = sorvik::convert(text, sorvik::parseCommandLine({path, "-M"}), document);
  if (!r.diagnostics.empty()) {
    const sorvik::Diagnostic& d = r.diagnostics.front();
    std::printf("%s: interpreted line %" PRId64 ": %s\n", path, d.line, d.message.c_str());
    return 1;
  }
  // Nor may it hold a trap that the converter hints at.
  for (const sorvik::Hint& h : r.hints)
    std::printf("%s: interpreted line %" PRId64 ": hint: %s\n", path, h.line, h.text.c_str());
  if (!r.hints.empty()) return 1;
  std::printf("%s: %" PRId64 " lines agree with their positions\n", path, r.lines);
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: sorvik-genscore score --notes N [--seed S] [--crlf] OUT.sv2\n"
               "       sorvik-genscore folder --songs K --notes-per-song P [--seed S] [--crlf] DIR\n"
               "       sorvik-genscore check FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string mode = argv[1];
  if (mode == "check") {
    if (argc < 3) return usage();
    int status = 0;
    for (int i = 2; i < argc; ++i) status |= checkFile(argv[i]);
    return status;
  }
  uint64_t notes = 0, songs = 0, perSong = 400, seed = 1;
  bool crlf = false;
  std::string out;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto number = [&](uint64_t& v) {
      if (i + 1 >= argc) return false;
      v = std::strtoull(argv[++i], nullptr, 10);
      return true;
    };
    if (a == "--notes") {
      if (!number(notes)) return usage();
    } else if (a == "--songs") {
      if (!number(songs)) return usage();
    } else if (a == "--notes-per-song") {
      if (!number(perSong)) return usage();
    } else if (a == "--seed") {
      if (!number(seed)) return usage();
    } else if (a == "--crlf") {
      crlf = true;
    } else if (out.empty() && a.rfind("--", 0) != 0) {
      out = a;
    } else {
      return usage();
    }
  }
  if (out.empty()) return usage();
  if (mode == "score" && notes > 0) return makeScore(notes, seed, crlf, out);
  if (mode == "folder" && songs > 0 && perSong > 0) return makeFolder(songs, perSong, seed, crlf, out);
  return usage();
}
