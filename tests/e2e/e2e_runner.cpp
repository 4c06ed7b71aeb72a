// Runs every end-to-end case below SORVIK_CASES_DIR (layout in cases/README.md)
// twice: in-process through runCommandLine, and as the real executable. Both
// runs must leave the same files, print the same console text and end with the
// same status, byte for byte, as the case expects.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sorvik/command_line.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;
using testsupport::snapshot;

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
  expectOutcome(dir, runInProcess(dir));
}

TEST_P(Case, Executable) {
  fs::path dir = fs::path(SORVIK_CASES_DIR) / GetParam();
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
