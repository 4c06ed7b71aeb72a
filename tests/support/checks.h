// What the checks of the converter's documents with outside software share:
// running a program with a time limit, converting a score in a scratch
// folder, finding the end-to-end cases and the example songs, and counting
// what a document holds.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/files.h"

namespace checks {

namespace fs = std::filesystem;

using testsupport::countOf;
using testsupport::readFile;
using testsupport::writeFile;

// A folder below /tmp that is removed with everything in it at the end.
using ScratchDir = testsupport::TempDir;

struct RunResult {
  int status = -1;        // exit status, 128 + signal when killed
  bool timedOut = false;  // killed at the time limit
  std::string out, err;   // standard output and standard error
};

// Runs argv[0] (looked up in PATH) with the extra environment variables in
// workDir (unless empty), in its own process group; the group is killed when
// it runs past timeoutSeconds. Standard input is empty (/dev/null), or not
// open at all with closeStdin.
RunResult runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                     int timeoutSeconds, const fs::path& workDir = {}, bool closeStdin = false);

// Converts `score` in a fresh copy inside `dir` with the converter in-process
// (the switches after the file name as given); returns the exit status and
// leaves the produced document's path in `document`.
int convertInto(const fs::path& score, const std::vector<std::string>& switches, const fs::path& dir,
                fs::path& document, std::string& console);

// Every end-to-end case folder (with an "args" file) below `root`, relative
// to it, sorted.
std::vector<std::string> findCases(const fs::path& root);

// The example songs: every *.sv2 file in `dir`, sorted by name.
std::vector<fs::path> findExamples(const fs::path& dir);

// Notes with a <pitch> and <measure> elements of a MusicXML document.
struct Content {
  int notes = 0;
  int measures = 0;
};
Content countContent(const std::string& document);

// Empty when the npm package `name` is installed beside the checks
// (tests/thirdparty/install); otherwise the reason to skip a check that
// needs it.
std::string missingPackage(const std::string& name);
#define SKIP_WITHOUT_PACKAGE(name)                                                         \
  do {                                                                                     \
    if (std::string why = checks::missingPackage(name); !why.empty()) GTEST_SKIP() << why; \
  } while (0)

// A name that GoogleTest accepts for a parameter.
std::string testName(const std::string& text);

}  // namespace checks
