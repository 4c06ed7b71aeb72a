// sorvik-batch: converts a whole collection of scores, each exactly as
// SorvikToMusicXml converts it, on as many cores as asked, and reports what
// became of every file.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch/command_line.h"
#include "batch/progress.h"
#include "batch/report.h"
#include "batch/walk.h"
#include "batch/worker_pool.h"

namespace {

// Set by Ctrl-C; the workers end their conversions at the next read or write.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) { interrupted.store(true); }

void watchSignals() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  // A parent may have left it blocked; the workers inherit this mask.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
  // A limit on file sizes fails the write (one row) instead of ending the run.
  signal(SIGXFSZ, SIG_IGN);
}

std::string failureLine(const std::string& input, const sorvik::batch::Outcome& o) {
  if (o.line >= 0) return input + ", line " + std::to_string(o.line) + ": " + o.message;
  return input + ": " + o.message;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sorvik::batch;
  std::vector<std::string> args(argv + 1, argv + argc);
  BatchOptions options;
  try {
    options = parseBatchCommandLine(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "sorvik-batch: %s\n\n", e.what());
    std::fwrite(usageText().data(), 1, usageText().size(), stderr);
    return 2;
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

  std::vector<InputFile> files = findInputs(options.paths, interrupted);
  Report report;
  if (std::string error; !options.reportFile.empty() && !report.open(options.reportFile, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  unsigned jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  FileConverter converter(options, interrupted);
  WorkerPool pool(files, converter, interrupted);
  ProgressBar bar(stderr, !options.quiet && ::isatty(STDERR_FILENO), files.size());
  bar.update(Tally{}, true);
  pool.start(jobs);

  Totals totals;
  const bool listFailures = !options.quiet && options.reportFile.empty();
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
    if (listFailures && (o.status == Status::Error || o.status == Status::Unreadable)) {
      failures.push_back(failureLine(files[i].path, o));
    }
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
  if (std::string error; !report.close(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    status = 1;
  }
  for (const std::string& line : failures) std::printf("%s\n", line.c_str());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s\n", summaryLine(totals, files.size(), seconds, interrupted.load(), options.reportFile).c_str());
  std::fflush(stdout);
  return interrupted.load() ? 130 : status;
}
