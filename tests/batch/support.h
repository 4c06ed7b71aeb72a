// What the tests of sorvik-batch share: temporary folders, runs of the
// tool with their console and exit status, the report read back.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/files.h"

namespace batchtest {

namespace fs = std::filesystem;

using testsupport::readFile;
using testsupport::snapshot;
using testsupport::writeFile;

using testsupport::TempDir;

struct BatchRun {
  int status = -1;
  std::string out, err;
};

struct RunOptions {
  long fileSizeLimit = -1;  // RLIMIT_FSIZE in bytes, when not negative (a write past it fails: a full disk)
  bool asNobody = false;    // run as the user nobody when the test runs as root, so that modes count
  long processLimit = -1;   // RLIMIT_NPROC (threads count) when not negative
};

// Runs sorvik-batch with the arguments in the folder `cwd`, standard input
// closed, and waits for it.
BatchRun runBatch(const std::vector<std::string>& args, const fs::path& cwd, RunOptions options = {});

// The same for any program.
BatchRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                    RunOptions options = {});

// Starts it the same way, its console into files of `console`, without waiting.
pid_t startBatch(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& console);

// The exit status of a run started by startBatch; kills it after `seconds`
// (a safety net against a hang, not a measure of speed).
int waitBatch(pid_t pid, int seconds);

// Runs `program` on a pseudo-terminal (its standard output and error), and
// returns what the terminal showed.
std::string runOnTerminal(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                          int& status);

// RFC 4180: rows of fields, quoted fields unquoted.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

// The rows of a report after its header, by input path.
std::map<std::string, std::vector<std::string>> reportRows(const fs::path& report);

// A song that converts without a message, with the name `title`.
std::string goodSong(const std::string& title = "Song");
// A song that ends in an error at its fourth line ("Wrong note format").
std::string faultySong();

}  // namespace batchtest
