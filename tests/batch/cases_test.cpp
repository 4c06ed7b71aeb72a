// Every end-to-end case's score converted by sorvik-batch, all at once, with
// the case's switches: the same document bytes as the single tool's, the
// same message in the report, and nothing else left in the case's folder
// (no half-written document after an error, no temporary file, no copy).
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include <sorvik/convert.h>

#include "support.h"

namespace batchtest {
namespace {

struct Case {
  std::string name;                          // its folder below the cases
  std::vector<std::string> switches;         // sorvik-batch's spelling of the case's switches
  std::string input;                         // the score's path from the tree's root
  std::string output;                        // the document's path from the tree's root
  std::string status, line, message;         // the report row it must get
  bool silent = false;                       // -Q: the console shows no warning to compare with
  std::map<std::string, std::string> files;  // the case's folder afterwards
};

// The length of the UTF-8 sequence at `i`, 0 when none starts there.
size_t utf8Length(const std::string& s, size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  auto b1 = static_cast<unsigned char>(n > 1 ? s[i + 1] : 0);
  if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 > 0x8F)) {
    return 0;
  }
  return n;
}

bool isUtf8(const std::string& s) {
  for (size_t i = 0, n; i < s.size(); i += n) {
    if ((n = utf8Length(s, i)) == 0) return false;
  }
  return true;
}

// The report is UTF-8: a byte that is no part of a sequence shows as U+FFFD.
std::string asInReport(const std::string& s) {
  std::string out;
  for (size_t i = 0, n; i < s.size(); i += n) {
    n = utf8Length(s, i);
    out += n == 0 ? "\xEF\xBF\xBD" : s.substr(i, n);
    n = std::max<size_t>(n, 1);
  }
  return out;
}

// What the case's console says became of the file, in the report's terms.
void expectFromConsole(Case& c, const std::string& console, const std::string& givenName) {
  static const std::regex diagnostic("^(Error|Warning) in Line 0*([0-9]+): (.*)$");
  std::istringstream lines(console);
  c.status = "converted";
  for (std::string l; std::getline(lines, l);) {
    std::smatch m;
    if (std::regex_match(l, m, diagnostic)) {
      bool error = m[1] == "Error";
      // The line ends in ": " and, for a warning, the input's name.
      std::string tail = error ? ": " : ": " + givenName;
      std::string text = m[3];
      EXPECT_TRUE(text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0) << l;
      if (c.status == "warning" && !error) continue;  // only the first warning is printed anyway
      c.status = error ? "error" : "warning";
      c.line = m[2];
      c.message = text.substr(0, text.size() - tail.size());
    } else if (l.rfind("Cannot ", 0) == 0 || l.rfind("File not found: ", 0) == 0) {
      // The line names a file of the case: in the batch run, below the case's folder.
      size_t at = l.rfind("File not found: ", 0) == 0 ? 16 : l.find(' ', 7) + 1;
      c.message = l.substr(0, at) + c.name + "/" + l.substr(at);
      c.status =
          l.rfind("Cannot open ", 0) == 0 || l.rfind("Cannot read ", 0) == 0 || l[0] == 'F' ? "unreadable" : "error";
      c.line.clear();
    }
  }
}

std::vector<Case> loadCases(const fs::path& tree) {
  std::vector<Case> cases;
  fs::path root = SORVIK_CASES_DIR;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.path().filename() != "args") continue;
    fs::path dir = e.path().parent_path();
    std::vector<std::string> args;
    std::istringstream lines(readFile(e.path()));
    for (std::string l; std::getline(lines, l);) args.push_back(l);
    if (args.empty() || args[0].empty()) continue;  // the usage text: the batch tool wants a path
    fs::path in = dir / "in";
    std::string given = args[0];
    std::string local = fs::path(given).is_absolute() ? fs::path(given).filename().string() : given;
    if (fs::is_directory(in / local)) continue;  // a folder is searched by the batch tool
    if (!isUtf8(local)) continue;                // the report, in UTF-8, names such a file with U+FFFD

    Case c;
    c.name = fs::relative(dir, root).generic_string();
    sorvik::Options o = sorvik::parseCommandLine(args);
    if (o.instrument < 1 || o.instrument > 128) continue;  // the batch tool takes a MIDI program only
    // A case of the music21 variant (cases/README.md).
    if (fs::exists(dir / "variant")) o.variant = sorvik::Variant::Music21;
    if (o.variant == sorvik::Variant::MuseScorePrint) c.switches.push_back("-P");
    if (o.variant == sorvik::Variant::Music21) c.switches.push_back("--music21");
    if (o.arrows) c.switches.push_back("-A");
    if (o.strictBars) c.switches.push_back("-M");
    if (o.instrument != 1) c.switches.insert(c.switches.end(), {"-I", std::to_string(o.instrument)});
    c.input = c.name + "/" + local;
    std::string outName = sorvik::outputName(fs::path(local).filename().string(), o.variant);
    c.output = c.name + "/" + (fs::path(local).parent_path() / outName).generic_string();
    expectFromConsole(c, readFile(dir / "console"), given);
    c.message = asInReport(c.message);
    c.silent = o.silent;
    if (c.status == "converted" && fs::exists(in / local) && !isUtf8(readFile(in / local))) {
      c.status = "warning";
      c.message = "Text is not UTF-8; try --encoding windows-1254";
    }

    fs::create_directories(tree / c.name);
    if (fs::exists(in)) fs::copy(in, tree / c.name, fs::copy_options::recursive);
    c.files = snapshot(in);
    if (c.status == "converted" || c.status == "warning") {
      // The single tool's document, and nothing else it writes.
      for (auto& [name, bytes] : snapshot(dir / "out")) {
        if (name.size() >= 3 && name.compare(name.size() - 3, 3, "xml") == 0) c.files[name] = bytes;
      }
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

void convertAllCases(const std::string& jobs) {
  TempDir tree;
  std::vector<Case> cases = loadCases(tree.path());
  ASSERT_GT(cases.size(), 250u);
  // One run for each set of switches, with all the cases that use it.
  std::map<std::vector<std::string>, std::vector<const Case*>> groups;
  for (const Case& c : cases) groups[c.switches].push_back(&c);
  std::map<std::string, std::vector<std::string>> rows;
  int group = 0;
  for (auto& [switches, members] : groups) {
    std::string report = (tree / ("report-" + std::to_string(group++) + ".csv")).string();
    std::vector<std::string> args{"-j", jobs, "--report", report};
    args.insert(args.end(), switches.begin(), switches.end());
    bool failing = false;
    for (const Case* c : members) {
      args.push_back(c->input);
      failing = failing || c->status == "error" || c->status == "unreadable";
    }
    BatchRun run = runBatch(args, tree.path());
    EXPECT_EQ(failing ? 1 : 0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    auto got = reportRows(report);
    rows.insert(got.begin(), got.end());
    fs::remove(report);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto it = rows.find(c.input);
    ASSERT_NE(it, rows.end()) << "no row for " << c.input;
    const std::vector<std::string>& row = it->second;
    ASSERT_EQ(10u, row.size());
    if (c.silent && c.status == "converted" && row[1] == "warning") {
      // The single tool printed no warning; the document must still be the same.
    } else {
      EXPECT_EQ(c.status, row[1]);
      EXPECT_EQ(c.line, row[2]);
      EXPECT_EQ(c.message, row[3]);
    }
    bool kept = c.status == "converted" || c.status == "warning";
    EXPECT_EQ(kept ? c.output : "", row[4]);
    if (kept) {
      EXPECT_EQ(std::to_string(fs::file_size(tree / c.output)), row[6]);
    }
    auto files = snapshot(tree / c.name);
    for (auto& [name, bytes] : c.files) {
      auto f = files.find(name);
      if (f == files.end()) {
        ADD_FAILURE() << "missing " << name;
      } else {
        EXPECT_TRUE(bytes == f->second) << name << " differs";
      }
    }
    for (auto& [name, bytes] : files) EXPECT_TRUE(c.files.count(name)) << "unexpected " << name;
  }
}

TEST(BatchCases, EveryCaseAsTheSingleToolConvertsItOnOneWorker) { convertAllCases("1"); }

TEST(BatchCases, EveryCaseAsTheSingleToolConvertsItOnFourWorkers) { convertAllCases("4"); }

}  // namespace
}  // namespace batchtest
