// Conversions share nothing: every end-to-end input and every example, in
// its variants, converted on four threads at once gives what it gives alone.
// (CI also runs this under ThreadSanitizer.)
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sorvik/convert.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

struct Job {
  std::string name;
  std::string input;
  sorvik::Options options;
};

struct Outcome {
  std::string document, console;
  int status = -1;
  std::vector<std::string> diagnostics;
  bool operator==(const Outcome&) const = default;
};

using testsupport::readFile;

std::vector<Job> jobs() {
  std::vector<Job> all;
  for (const auto& e : fs::recursive_directory_iterator(SORVIK_CASES_DIR)) {
    if (e.path().filename() != "args") continue;
    std::vector<std::string> args;
    std::istringstream lines(readFile(e.path()));
    for (std::string l; std::getline(lines, l);) args.push_back(l);
    if (args.empty()) continue;
    fs::path input = e.path().parent_path() / "in" / args[0];
    if (!fs::is_regular_file(input)) continue;
    all.push_back({e.path().parent_path().string(), readFile(input), sorvik::parseCommandLine(args)});
  }
  for (const auto& e : fs::directory_iterator(SORVIK_EXAMPLES_DIR)) {
    if (e.path().extension() != ".sv2") continue;
    for (std::vector<std::string> args :
         {std::vector<std::string>{"s.sv2"}, {"s.sv2", "-P", "-A"}, {"s.sv2", "-M", "-I", "72"}}) {
      all.push_back({e.path().string(), readFile(e.path()), sorvik::parseCommandLine(args)});
    }
    sorvik::Options music21 = sorvik::parseCommandLine({"s.sv2"});
    music21.variant = sorvik::Variant::Music21;
    all.push_back({e.path().string(), readFile(e.path()), music21});
  }
  return all;
}

Outcome run(const Job& job) {
  Outcome o;
  sorvik::Result r = sorvik::convert(job.input, job.options, o.document);
  o.console = r.console;
  o.status = r.status;
  for (const auto& d : r.diagnostics) o.diagnostics.push_back(std::to_string(d.line) + " " + d.message);
  return o;
}

TEST(Threads, FourConversionsAtOnceGiveWhatEachGivesAlone) {
  const std::vector<Job> all = jobs();
  ASSERT_GT(all.size(), 200u);
  std::vector<Outcome> alone;
  for (const Job& job : all) alone.push_back(run(job));

  constexpr size_t kThreads = 4;
  std::vector<std::vector<size_t>> differing(kThreads);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread goes through all jobs from its own starting point, so
      // that different songs are converted side by side.
      for (size_t k = 0; k < all.size(); ++k) {
        size_t i = (k + t * all.size() / kThreads) % all.size();
        if (!(run(all[i]) == alone[i])) differing[t].push_back(i);
      }
    });
  }
  for (auto& th : threads) th.join();
  for (size_t t = 0; t < kThreads; ++t) {
    for (size_t i : differing[t]) ADD_FAILURE() << "thread " << t << " differs on " << all[i].name;
  }
}

}  // namespace
