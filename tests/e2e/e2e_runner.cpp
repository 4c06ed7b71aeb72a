// Runs every end-to-end case below SORVIK_CASES_DIR (layout in cases/README.md)
// twice: in-process through runCommandLine, and as the real executable. Both
// runs must leave the same files, print the same console text and end with the
// same status, byte for byte, as the case expects. A case of another document
// variant (a file "variant") runs in-process only, through the library, which
// the single tool offers no switch for; the batch tool's test runs it as an
// executable.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sorvik/convert.h"
#include "sorvik/single_tool.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;
using testsupport::snapshot;
using testsupport::writeFile;

bool present(const fs::path& p) { return fs::exists(fs::symlink_status(p)); }

std::vector<std::string> readArgs(const fs::path& caseDir) {
  std::vector<std::string> args;
  std::istringstream in(readFile(caseDir / "args"));
  for (std::string line; std::getline(in, line);) args.push_back(line);
  return args;
}

// A short account of where two texts first differ.
std::string firstDifference(const std::string& want, const std::string& got) {
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  size_t line = 1 + std::count(want.begin(), want.begin() + static_cast<long>(i), '\n');
  auto around = [i](const std::string& s) {
    size_t from = i > 40 ? i - 40 : 0;
    return s.substr(from, 100);
  };
  std::ostringstream m;
  m << "first difference at byte " << i << " (line " << line << ")\n  expected: ..." << around(want)
    << "...\n  actual:   ..." << around(got) << "...";
  return m.str();
}

struct Outcome {
  std::map<std::string, std::string> files;
  std::string console;
  int status = -1;
};

class WorkDir {
 public:
  explicit WorkDir(const fs::path& caseDir) {
    char tmpl[] = "/tmp/sorvik-e2e-XXXXXX";
    root_ = mkdtemp(tmpl);
    work_ = root_ / "work";
    fs::create_directories(work_);
    if (fs::exists(caseDir / "in")) fs::copy(caseDir / "in", work_, fs::copy_options::recursive);
  }
  ~WorkDir() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& work() const { return work_; }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_, work_;
};

Outcome runInProcess(const fs::path& caseDir) {
  WorkDir dir(caseDir);
  Outcome o;
  fs::path back = fs::current_path();
  fs::current_path(dir.work());
  std::ostringstream console;
  std::istringstream keyboard(present(caseDir / "stdin") ? readFile(caseDir / "stdin") : "");
  o.status = sorvik::runCommandLine(readArgs(caseDir), console, keyboard);
  fs::current_path(back);
  o.console = console.str();
  o.files = snapshot(dir.work());
  return o;
}

// The variant a case names in its file "variant" ("music21"); the exact
// document when it has none.
bool variantOf(const fs::path& caseDir, sorvik::Variant& variant) {
  variant = sorvik::Variant::Exact;
  if (!present(caseDir / "variant")) return false;
  const std::string name = readFile(caseDir / "variant");
  if (name != "music21\n") throw std::runtime_error("unknown variant in " + (caseDir / "variant").string());
  variant = sorvik::Variant::Music21;
  return true;
}

// The library's conversion of the case's score in its variant, with the
// command line's other options; the document goes where the tool would
// write it.
Outcome runVariant(const fs::path& caseDir, sorvik::Variant variant) {
  WorkDir dir(caseDir);
  sorvik::Options options = sorvik::parseCommandLine(readArgs(caseDir));
  options.variant = variant;
  std::string document;
  const sorvik::Result result = sorvik::convert(readFile(dir.work() / options.inputName), options, document);
  writeFile(dir.work() / sorvik::outputName(options.inputName, variant), document);
  Outcome o;
  o.status = result.status;
  o.console = result.console;
  o.files = snapshot(dir.work());
  return o;
}

// Writes the case's expected files from the outcome (tests/e2e/bless).
void bless(const fs::path& caseDir, const Outcome& o) {
  const std::map<std::string, std::string> in = snapshot(caseDir / "in");
  fs::remove_all(caseDir / "out");
  for (const auto& [name, text] : o.files) {
    auto it = in.find(name);
    if (it == in.end() || it->second != text) writeFile(caseDir / "out" / name, text);
  }
  writeFile(caseDir / "console", o.console);
  writeFile(caseDir / "status", std::to_string(o.status) + "\n");
}

Outcome runExecutable(const fs::path& caseDir) {
  WorkDir dir(caseDir);
  Outcome o;
  std::vector<std::string> args = readArgs(caseDir);
  fs::path consoleFile = dir.root() / "console";
  fs::path stdinFile = present(caseDir / "stdin") ? caseDir / "stdin" : fs::path("/dev/null");
  pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    std::string program = SORVIK_BINARY;
    argv.push_back(program.data());
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int in = open(stdinFile.c_str(), O_RDONLY);
    int out = open(consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || chdir(dir.work().c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  o.console = readFile(consoleFile);
  o.files = snapshot(dir.work());
  return o;
}

void expectOutcome(const fs::path& caseDir, const Outcome& o) {
  std::map<std::string, std::string> want = snapshot(caseDir / "in");
  for (auto& [name, text] : snapshot(caseDir / "out")) want[name] = text;

  EXPECT_EQ(std::stoi(readFile(caseDir / "status")), o.status) << "exit status";
  std::string console = readFile(caseDir / "console");
  EXPECT_TRUE(console == o.console) << "console: " << firstDifference(console, o.console);
  for (auto& [name, text] : want) {
    auto it = o.files.find(name);
    if (it == o.files.end()) {
      ADD_FAILURE() << "missing file " << name;
    } else {
      EXPECT_TRUE(text == it->second) << name << ": " << firstDifference(text, it->second);
    }
  }
  for (auto& [name, text] : o.files) {
    EXPECT_TRUE(want.count(name)) << "unexpected file " << name;
  }
}

std::vector<std::string> findCases() {
  std::vector<std::string> cases;
  fs::path root = SORVIK_CASES_DIR;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file() && e.path().filename() == "args") {
      cases.push_back(fs::relative(e.path().parent_path(), root).generic_string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

class Case : public testing::TestWithParam<std::string> {};

TEST_P(Case, InProcess) {
  fs::path dir = fs::path(SORVIK_CASES_DIR) / GetParam();
  sorvik::Variant variant;
  if (!variantOf(dir, variant)) {
    expectOutcome(dir, runInProcess(dir));
  } else if (std::getenv("SORVIK_BLESS")) {
    bless(dir, runVariant(dir, variant));
  } else {
    expectOutcome(dir, runVariant(dir, variant));
  }
}

TEST_P(Case, Executable) {
  fs::path dir = fs::path(SORVIK_CASES_DIR) / GetParam();
  sorvik::Variant variant;
  if (variantOf(dir, variant)) GTEST_SKIP() << "the single tool writes no other variant";
  expectOutcome(dir, runExecutable(dir));
}

std::string caseName(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

// The example cases convert copies of the bundled songs: the copies must be
// the songs as they are.
TEST(ExampleCases, ConvertTheBundledSongsAsTheyAre) {
  fs::path cases = fs::path(SORVIK_CASES_DIR) / "examples";
  int copies = 0;
  for (const auto& e : fs::recursive_directory_iterator(cases)) {
    if (e.path().extension() != ".sv2" || e.path().parent_path().filename() != "in") continue;
    fs::path song = fs::path(SORVIK_EXAMPLES_DIR) / e.path().filename();
    ASSERT_TRUE(fs::exists(song)) << e.path() << " is not a bundled song";
    EXPECT_TRUE(readFile(song) == readFile(e.path())) << e.path() << " differs from " << song;
    ++copies;
  }
  EXPECT_GT(copies, 0);
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Case);
INSTANTIATE_TEST_SUITE_P(Cases, Case, testing::ValuesIn(findCases()), caseName);

}  // namespace
