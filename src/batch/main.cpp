// sorvik-batch: converts a whole collection of scores, each exactly as
// SorvikToMusicXml converts it, on as many cores as asked, and reports what
// became of every file.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sorvik/files.h>

#include "batch/batch_options.h"
#include "batch/plan.h"
#include "batch/progress.h"
#include "batch/report.h"
#include "batch/walk.h"
#include "batch/worker_pool.h"

namespace {

// Set by Ctrl-C, SIGTERM or SIGHUP (the signal in `stopSignal`); the workers
// end their conversions at the next read or write.
std::atomic<bool> interrupted{false};
std::atomic<int> stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void onInterrupt(int signal) {
  stopSignal.store(signal);
  interrupted.store(true);
}

void watchSignals() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // A parent may have left them blocked; the workers inherit this mask.
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
    sigaddset(&stops, signal);
  }
  pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
  // A limit on file sizes fails the write (one row) instead of ending the run.
  signal(SIGXFSZ, SIG_IGN);
}

// On a terminal a score's name or text cannot steer it: its control
// characters are shown escaped.
std::string failureLine(const std::string& input, const sorvik::batch::Outcome& o, bool terminal) {
  std::string line =
      o.line >= 0 ? input + ", line " + std::to_string(o.line) + ": " + o.message : input + ": " + o.message;
  return terminal ? sorvik::terminalSafe(line) : line;
}

// With -v every file gets a line: "PATH: converted", or its status and message.
std::string verboseLine(const std::string& input, const sorvik::batch::Outcome& o, bool terminal) {
  std::string line = input;
  if (o.line >= 0) line += ", line " + std::to_string(o.line);
  line += ": ";
  line += sorvik::batch::statusName(o.status);
  if (!o.message.empty()) line += ": " + o.message;
  return terminal ? sorvik::terminalSafe(line) : line;
}

std::string hintLine(const std::string& input, const sorvik::Hint& hint, bool terminal) {
  std::string line = input + ", line " + std::to_string(hint.line) + ": hint: " + hint.text;
  return terminal ? sorvik::terminalSafe(line) : line;
}

// A wrong command line is answered in one line; the usage is one option away.
int usageError(const char* what) {
  std::fprintf(stderr, "sorvik-batch: %s; try --help\n", what);
  return 2;
}

// Folders the run writes into, where runs killed outright may have left
// temporary files; the searched folders are cleaned as they are searched.
void removeStaleTemporariesBelow(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) return;
  sorvik::removeStaleTemporaries(folder);
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) sorvik::removeStaleTemporaries(it->path().string());
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sorvik;
  using namespace sorvik::batch;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fwrite(usageText().data(), 1, usageText().size(), stderr);
    return 2;
  }
  BatchOptions options;
  try {
    options = parseBatchCommandLine(args);
  } catch (const UsageError& e) {
    return usageError(e.what());
  }
  if (options.help) {
    std::fwrite(usageText().data(), 1, usageText().size(), stdout);
    return 0;
  }
  if (options.version) {
    std::string_view banner = sorvik::bannerLine();
    std::printf("sorvik-batch, converting as %.*s\n", static_cast<int>(banner.size()), banner.data());
    return 0;
  }
  watchSignals();
  auto start = std::chrono::steady_clock::now();

  std::vector<InputFile> files = findInputs(options.paths, interrupted, {options.outputDir, options.errorsDir});
  FileConverter converter(options, interrupted);
  try {
    checkReportPath(options, files, converter);
  } catch (const UsageError& e) {
    return usageError(e.what());
  }
  if (!options.check) markSameDocuments(files, converter);
  removeStaleTemporariesBelow(options.outputDir);
  removeStaleTemporariesBelow(options.errorsDir);
  if (!options.reportFile.empty()) removeStaleTemporaries(folderOf(options.reportFile));
  Report report;
  if (std::string error; !options.reportFile.empty() && !report.open(options.reportFile, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  unsigned jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  WorkerPool pool(files, converter, interrupted);
  ProgressBar bar(stderr, !options.quiet && ::isatty(STDERR_FILENO), files.size());
  bar.update(Tally{}, true);
  if (std::string error; !pool.start(jobs, error)) {
    bar.clear();
    std::fprintf(stderr, "sorvik-batch: %s\n", error.c_str());
    return 1;
  }

  Totals totals;
  const bool terminal = ::isatty(STDOUT_FILENO) != 0;
  std::vector<std::string> failures;
  auto handle = [&](size_t i) {
    Outcome o = pool.take(i);
    ++totals.files;
    switch (o.status) {
      case Status::Converted: ++totals.converted; break;
      case Status::Warning: ++totals.warnings; break;
      case Status::Error: ++totals.errors; break;
      case Status::Unreadable: ++totals.unreadable; break;
    }
    // -v and --hints list as the files come, the bar cleared for them (it is
    // drawn again below); the failed files are listed at the end.
    if (options.verbose || (options.hints && !o.hints.empty())) bar.clear();
    if (options.verbose) {
      std::printf("%s\n", verboseLine(files[i].path, o, terminal).c_str());
    } else if (!options.quiet && (o.status == Status::Error || o.status == Status::Unreadable)) {
      failures.push_back(failureLine(files[i].path, o, terminal));
    }
    if (options.hints) {
      for (const Hint& h : o.hints) std::printf("%s\n", hintLine(files[i].path, h, terminal).c_str());
    }
    std::fflush(stdout);
    report.add(files[i].path, o);
  };
  // The outcomes in the files' order, as they come; after an interruption,
  // those of the files that were done.
  size_t next = 0;
  for (;;) {
    bool ended = pool.waitForEnd(std::chrono::milliseconds(100));
    while (next < files.size() && pool.done(next)) handle(next++);
    bar.update(pool.tally());
    if (ended || interrupted.load()) break;
  }
  pool.join();
  for (; next < files.size(); ++next) {
    if (pool.done(next)) handle(next);
  }
  bar.clear();

  int status = totals.errors + totals.unreadable > 0 ? 1 : 0;
  // Without a report (none asked for, or it could not be written) the failed
  // files are listed on the console.
  std::string reportError;
  const bool reported = !options.reportFile.empty() && report.close(reportError);
  if (!reportError.empty()) {
    std::fprintf(stderr, "%s\n", reportError.c_str());
    status = 1;
  }
  if (!reported) {
    for (const std::string& line : failures) std::printf("%s\n", line.c_str());
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string summary =
      summaryLine(totals, files.size(), seconds, interrupted.load(), reported ? options.reportFile : "");
  if (!reportError.empty()) summary += " (no report: " + reportError + ")";
  std::printf("%s\n", (terminal ? terminalSafe(summary) : summary).c_str());
  std::fflush(stdout);
  return interrupted.load() ? 128 + (stopSignal.load() != 0 ? stopSignal.load() : SIGINT) : status;
}
