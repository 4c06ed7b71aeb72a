// Hostile input that is too big or too odd for a committed end-to-end case
// (cases/hostile/ holds the small ones): every run must end with the outcome
// the notation defines, never crash or hang, write nothing but the output file
// next to the input and the copy below Errors, and leave the input unchanged.
// Each score is made here and run through the real executable.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "../../fuzz/one_run.h"
#include "support/checks.h"

namespace {

using namespace checks;

const std::string kTab = "\t";

// A run ends with status 1 exactly when its console tells why it stopped: the
// second line of an error ("Error in Line ...") or a file that could not be
// opened, read, created or written ("Cannot ..."); otherwise with status 0.
bool stopsTheRun(const std::string& console) {
  for (size_t at = 0; at < console.size();) {
    size_t end = console.find('\n', at);
    if (end == std::string::npos) end = console.size();
    std::string_view text(console.data() + at, end - at);
    if (text.substr(0, 14) == "Error in Line " || text.substr(0, 7) == "Cannot ") return true;
    at = end + 1;
  }
  return false;
}

// One line of ten fields.
std::string line(const std::vector<std::string>& fields) {
  std::string s;
  for (size_t i = 0; i < 10; ++i) {
    if (i) s += '\t';
    if (i < fields.size()) s += fields[i];
  }
  return s;
}

// A note line: code, pitch, length, division, ..., lyric (field 8), position.
std::string note(const std::string& pitch, int length, int division, const std::string& position,
                 const std::string& lyric = "") {
  return line({"9", pitch, std::to_string(length), std::to_string(division), "", "", "", lyric, "", position});
}

// The head of a score in 4/4 with a title: meter line and song-name line.
std::string head(const std::string& title = "Hostile") {
  return line({"4", "4"}) + "\n" + line({"60", "", "", "", "", "", "", title}) + "\n";
}

// A folder tree for one run: root/work is the current folder of the run and
// holds the input; everything below root is compared before and after.
class Sandbox {
 public:
  Sandbox() : work_(dir_.path() / "work") { fs::create_directories(work_); }
  const fs::path& root() const { return dir_.path(); }
  const fs::path& work() const { return work_; }
  void put(const std::string& relative, const std::string& text) {
    fs::create_directories((work_ / relative).parent_path());
    writeFile(work_ / relative, text);
  }
  // Runs the executable in work; `allowed` are the paths (relative to root)
  // that the run may create or change. Everything else must stay as it was.
  RunResult run(const std::vector<std::string>& args, const std::set<std::string>& allowed, bool closeStdin = false,
                int timeoutSeconds = 120) {
    auto before = sorvikfuzz::filesBelow(root());
    std::vector<std::string> argv{SORVIK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    RunResult r = runProgram(argv, {}, timeoutSeconds, work_, closeStdin);
    EXPECT_FALSE(r.timedOut) << "the converter hung";
    EXPECT_EQ(stopsTheRun(r.out) ? 1 : 0, r.status) << r.out.substr(0, 2000) << r.err.substr(0, 2000);
    EXPECT_EQ("", r.err.substr(0, 2000)) << "wrote to standard error";
    auto after = sorvikfuzz::filesBelow(root());
    for (const auto& [file, text] : before) {
      if (allowed.count(file)) continue;
      auto it = after.find(file);
      EXPECT_TRUE(it != after.end() && it->second == text) << file << " was removed or changed";
    }
    for (const auto& [file, text] : after) {
      EXPECT_TRUE(before.count(file) || allowed.count(file)) << "the run wrote " << file;
    }
    return r;
  }
  std::string read(const std::string& relative) const { return readFile(work_ / relative); }

 private:
  ScratchDir dir_;
  fs::path work_;
};

const std::string kProgress = "Reading s.sv2\nWriting to s.xml\n";

// The two console lines of an error.
std::string errorLines(const std::string& number, const std::string& message) {
  return "Error in File s.sv2\nError in Line " + number + ": " + message + ": \n";
}

// --- huge lines ---------------------------------------------------------------

// A line of 100,000 TABs stops the run at its tenth TAB, and the message
// quotes the whole line, followed by the single byte 0xB4.
TEST(HugeLines, HundredThousandTabs) {
  const std::string tabs(100000, '\t');
  const std::string message = tabs + "\xB4: Too many TAB's (10) in line (not UTF8? - missing LF/CR's?)";
  {
    SCOPED_TRACE("as the first line");
    Sandbox box;
    box.put("s.sv2", tabs + "\n" + head());
    RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.out == kProgress + errorLines("000001", message)) << r.out.substr(0, 300);
    EXPECT_TRUE(box.read("s.xml") == "Error in Line 000001: " + message + "\r\n");
  }
  {
    SCOPED_TRACE("after the head, with the copy into Errors");
    Sandbox box;
    box.put("s.sv2", head() + tabs + "\n" + note("la4", 1, 4, "0.25") + "\n");
    box.put("Errors/.keep", "");
    RunResult r = box.run({"s.sv2", "-Q"}, {"work/s.xml", "work/Errors/s.sv2"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.out == errorLines("000003", message)) << r.out.substr(0, 300);
    std::string doc = box.read("s.xml");
    EXPECT_EQ(0u, doc.find("<?xml"));
    std::string last = "\r\nError in Line 000003: " + message + "\r\n";
    EXPECT_TRUE(doc.size() > last.size() && doc.compare(doc.size() - last.size(), last.size(), last) == 0);
    EXPECT_TRUE(box.read("Errors/s.sv2") == box.read("s.sv2"));
  }
}

// A line of 1 MiB, the longest read, without TABs in the middle of a score:
// the wrong-count message, quoting the line; a syllable almost as long is
// copied into the document like a short one. One byte more is an error of
// its own, and memory stays bounded (a 10 MB line or /dev/zero).
TEST(HugeLines, UpToOneMebibyte) {
  const std::string big(1 << 20, 'x');
  {
    SCOPED_TRACE("a line without TABs");
    Sandbox box;
    box.put("s.sv2", head() + note("la4", 1, 4, "0.25") + "\n" + big + "\n" + note("la4", 1, 4, "0.5") + "\n");
    RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.out == kProgress + errorLines("000004", big + ": Wrong number of TAB-characters(0) in line"))
        << r.out.substr(0, 300);
  }
  {
    SCOPED_TRACE("a line of 10 MB");
    Sandbox box;
    box.put("s.sv2", head() + note("la4", 1, 4, "0.25") + "\n" + std::string(10 << 20, 'x') + "\n");
    RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(kProgress + errorLines("000003", "Line longer than 1048576 bytes"), r.out);
  }
  {
    SCOPED_TRACE("a lyric syllable");
    Sandbox small, huge;
    auto score = [](const std::string& lyric) {
      return head() + note("la4", 1, 4, "0.25", lyric) + "\n" + note("si4", 3, 4, "1") + "\n";
    };
    small.put("s.sv2", score("ya"));
    const std::string syllable = big.substr(0, big.size() - 64);
    huge.put("s.sv2", score(syllable));
    RunResult a = small.run({"s.sv2", "-q"}, {"work/s.xml"});
    RunResult b = huge.run({"s.sv2", "-q"}, {"work/s.xml"});
    EXPECT_EQ(0, a.status);
    EXPECT_EQ(0, b.status);
    EXPECT_EQ(a.out, b.out);
    std::string want = small.read("s.xml");
    size_t at = want.find(">ya<");
    ASSERT_NE(std::string::npos, at);
    want.replace(at + 1, 2, syllable);
    EXPECT_TRUE(want == huge.read("s.xml"));
  }
}

// --- a beam group of 5,000 notes --------------------------------------------

// Two triplet notes in a row always join a group, so 5,000 triplet eighths
// make one long run; a group takes at most 1001 lines, and the line that
// cannot join begins the next one: groups of 1001, 1001, 1001, 1001, 996.
// The positions are those the time count reaches (a twelfth counts 83333
// millionths), so that no bar check speaks.
TEST(BeamGroups, FiveThousandTripletNotes) {
  std::string score = head();
  for (long i = 1; i <= 5000; ++i) {
    char position[32];
    snprintf(position, sizeof position, "%ld.%06ld", i * 83333 / 1000000, i * 83333 % 1000000);
    score += note(i % 2 ? "la4" : "si4", 1, 12, position) + "\n";
  }
  Sandbox box;
  box.put("s.sv2", score);
  RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml"});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(kProgress + "Lines: 5002\n", r.out);
  std::string doc = box.read("s.xml");
  EXPECT_EQ(5000u, countOf(doc, "<pitch>"));
  EXPECT_EQ(5u, countOf(doc, ">begin</beam>"));
  EXPECT_EQ(5u, countOf(doc, ">end</beam>"));
  EXPECT_EQ(4990u, countOf(doc, ">continue</beam>"));
}

// --- absurd positions --------------------------------------------------------

// Positions far past any song (10^13 measures and more, past 64 bits, tiny,
// negative) under ordinary, unmeasured and absurd meters: what such a run
// writes is not defined, but it must end soon, without undefined behaviour
// (the sanitizer build runs this too), and keep to its files. Every line has
// nine TABs, a known code and a value that may be written (eighths, a
// quarter, a dotted half, a grace note, a tied rest, a repeat sign), and the
// bar check only warns without -M, which -Q silences: so every run ends
// normally, with nothing on the console.
TEST(Numbers, AbsurdPositionsStayWellDefined) {
  const std::string big = "123456789012345678901234567890";
  const std::vector<std::string> positions = {big,
                                              big + ".5",
                                              "9223372036854.775807",
                                              "9223372036854.775808",
                                              "10000000000000",
                                              "-" + big,
                                              "0.000000000000000000000001",
                                              "1e308",
                                              big + big + "." + big};
  const std::vector<std::pair<std::string, std::string>> meters = {{"4", "4"}, {"9", "8"}, {"0", "0"}, {big, big}};
  for (const auto& [beats, beatType] : meters) {
    for (const std::string& position : positions) {
      SCOPED_TRACE(beats + "/" + beatType + " at " + position);
      std::string score =
          line({beats, beatType}) + "\n" + line({"60", "", "", "", "", "", "", "Far"}) + "\n" +
          note("la4", 1, 8, position) + "\n" + note("si4", 1, 8, "") + "\n" + note("do5", 1, 4, position) + "\n" +
          line({"8", "re5", "0", "0", "", "", "", "", "", position}) + "\n" +
          line({"9", "", "1", "4", "100", "", "+", "", "", position}) + "\n" +
          line({"9", "", "1", "4", "", "", "", "(", "", position}) + "\n" + note("mi5", 3, 4, "2") + "\n";
      Sandbox box;
      box.put("s.sv2", score);
      RunResult r = box.run({"s.sv2", "-Q"}, {"work/s.xml"}, false, 60);
      EXPECT_EQ(0, r.status);
      EXPECT_EQ("", r.out);
    }
  }
}

// --- standard input closed ------------------------------------------------------

// The waits for Enter end at once when standard input is not even open: the
// wait of -R at the end, and the wait after an error.
TEST(ClosedInput, WaitsEndAtOnce) {
  {
    Sandbox box;
    box.put("s.sv2", head() + note("la4", 1, 1, "1") + "\n");
    RunResult r = box.run({"s.sv2", "-R"}, {"work/s.xml"}, true, 60);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("SorvikToMusicXml V0.920.\n" + kProgress + "Lines: 3\nPress CR to terminate\n", r.out);
  }
  {
    Sandbox box;
    box.put("s.sv2", head() + line({"99"}) + "\n");
    RunResult r = box.run({"s.sv2"}, {"work/s.xml"}, true, 60);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("SorvikToMusicXml V0.920.\n" + kProgress + errorLines("000003", "Unknown code in first field: \"99\""),
              r.out);
  }
}

// --- files that cannot be written or read -----------------------------------------

// The output cannot be created (a folder has its name, or its folder is
// /proc) or written (it leads to a device that is always full), or the input
// cannot be read (it is a folder): one line naming the file, status 1,
// nothing else written.
TEST(Files, OutputOrInputUnusable) {
  const std::string score = head() + note("la4", 1, 1, "1") + "\n";
  {
    SCOPED_TRACE("output name taken by a folder");
    Sandbox box;
    box.put("s.sv2", score);
    box.put("s.xml/keep", "");
    RunResult r = box.run({"s.sv2", "-q"}, {});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("s.xml")) << r.out;
    EXPECT_EQ(kProgress, r.out.substr(0, kProgress.size()));
    EXPECT_EQ(1, std::count(r.out.begin() + kProgress.size(), r.out.end(), '\n')) << r.out;
  }
  {
    SCOPED_TRACE("output name a link to a full device: the link is replaced, not written through");
    Sandbox box;
    box.put("s.sv2", score);
    fs::create_symlink("/dev/full", box.work() / "s.xml");
    // The listing names a link by where it leads; the link goes, /dev/full stays.
    RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml", fs::relative("/dev/full", box.root()).generic_string()});
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(box.work() / "s.xml")));
  }
  {
    SCOPED_TRACE("output folder not writable, even for root: /proc");
    Sandbox box;
    box.put("Errors/.keep", "");
    RunResult r = box.run({"/proc/version", "-q"}, {});
    EXPECT_EQ(1, r.status);
    const std::string progress = "Reading /proc/version\nWriting to /proc/versionxml\n";
    EXPECT_EQ(progress, r.out.substr(0, progress.size()));
    EXPECT_NE(std::string::npos, r.out.find("/proc/versionxml", progress.size())) << r.out;
    EXPECT_EQ(1, std::count(r.out.begin() + progress.size(), r.out.end(), '\n')) << r.out;
  }
  {
    SCOPED_TRACE("input is a folder");
    Sandbox box;
    box.put("s.sv2/keep", "");
    RunResult r = box.run({"s.sv2", "-q"}, {"work/s.xml"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("s.sv2")) << r.out;
  }
}

// --- names that lead out of the folder ----------------------------------------------

// An input named through ".." or by an absolute path: the output goes next to
// the input, and the copy after an error lands inside Errors or nowhere.
TEST(Names, NeverLeadOutOfErrors) {
  const std::string bad = head() + line({"99"}) + "\n";
  {
    SCOPED_TRACE("../other/s.sv2");
    Sandbox box;
    box.put("Errors/.keep", "");
    fs::create_directories(box.root() / "other");
    writeFile(box.root() / "other/s.sv2", bad);
    RunResult r = box.run({"../other/s.sv2", "-q"}, {"other/s.xml"});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(fs::exists(box.root() / "other/s.xml"));
  }
  {
    SCOPED_TRACE("an absolute name, Errors with the folders below it");
    Sandbox box;
    box.put("s.sv2", bad);
    fs::path abs = box.work() / "s.sv2";
    fs::path copy = box.work() / "Errors" / abs.relative_path();
    fs::create_directories(copy.parent_path());
    std::string copyRel = fs::relative(copy, box.root()).generic_string();
    RunResult r = box.run({abs.string(), "-q"}, {"work/s.xml", copyRel});
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(fs::exists(copy)) << "the copy belongs inside Errors";
    EXPECT_EQ(bad, readFile(copy));
  }
  {
    SCOPED_TRACE("an absolute name, Errors without those folders");
    Sandbox box;
    box.put("s.sv2", bad);
    box.put("Errors/.keep", "");
    RunResult r = box.run({(box.work() / "s.sv2").string(), "-q"}, {"work/s.xml"});
    EXPECT_EQ(1, r.status);
  }
}

// --- what the fuzzer found ---------------------------------------------------------

// Every input in fuzz/regressions/ once crashed the converter, tripped a
// sanitizer, hung it or made it write where it must not; replayed in-process
// (under the sanitizers in the sanitizer build) with the fuzz target's checks.
std::vector<std::string> findings() {
  std::vector<std::string> names;
  fs::path dir = SORVIK_FUZZ_REGRESSIONS;
  if (fs::exists(dir)) {
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') names.push_back(e.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FuzzFinding : public testing::TestWithParam<std::string> {};

TEST_P(FuzzFinding, RunsCleanly) {
  std::string data = readFile(fs::path(SORVIK_FUZZ_REGRESSIONS) / GetParam());
  ScratchDir dir;
  fs::path back = fs::current_path();
  int status = -1;
  std::string console, document;
  std::string broken = sorvikfuzz::runOne(reinterpret_cast<const uint8_t*>(data.data()), data.size(), dir.path(),
                                          &status, &console, &document);
  fs::current_path(back);
  EXPECT_EQ("", broken);
  if (!data.empty()) {
    EXPECT_EQ(stopsTheRun(console) ? 1 : 0, status) << console;
  }
  if (status == 0) {
    // Well-formed: xmllint says nothing at all (an undefined entity is only
    // a message, not an error, in a document with an external DTD).
    fs::path doc = dir.path() / "document.xml";
    writeFile(doc, document);
    RunResult lint = runProgram({"xmllint", "--nonet", "--noout", doc.string()}, {{"LC_ALL", "C"}}, 120);
    EXPECT_EQ(0, lint.status) << lint.err.substr(0, 2000);
    EXPECT_EQ("", lint.err.substr(0, 2000)) << "the document is no well-formed XML";
  }
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzFinding);
INSTANTIATE_TEST_SUITE_P(Regressions, FuzzFinding, testing::ValuesIn(findings()),
                         [](const auto& info) { return testName(info.param); });

}  // namespace
