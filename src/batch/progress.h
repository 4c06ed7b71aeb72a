// The console: a progress bar on a terminal, the summary at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

#include "batch/worker_pool.h"

namespace sorvik::batch {

// Redraws one line of standard error, at most ten times a second, with
// the files done of the total, the warnings and errors so far, files per
// second and the time left. Draws nothing when not enabled.
class ProgressBar {
 public:
  ProgressBar(std::FILE* out, bool enabled, size_t total);
  // Draws when a tenth of a second has passed since the last drawing (or
  // always, with `force`).
  void update(const Tally& tally, bool force = false);
  // Removes the bar from the terminal.
  void clear();

 private:
  std::FILE* out_;
  bool enabled_;
  size_t total_;
  std::chrono::steady_clock::time_point start_, last_;
  bool drawn_ = false;
};

// The bar's text, without the line's return and clearing.
std::string progressLine(const Tally& tally, size_t total, double seconds);

struct Totals {
  size_t files = 0, converted = 0, warnings = 0, errors = 0, unreadable = 0;
};

// "2000 files in 0.4 s: 1950 converted, 38 with a warning, 12 with an error (report.csv)";
// after an interruption "Interrupted after 120 of 2000 files in ...".
std::string summaryLine(const Totals& totals, size_t total, double seconds, bool interrupted,
                        const std::string& reportFile);

}  // namespace sorvik::batch
