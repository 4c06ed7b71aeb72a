// The report: a CSV file (RFC 4180, UTF-8), a header row and one row per file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "batch/outcome.h"

namespace sorvik::batch {

class Report {
 public:
  Report() = default;
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;
  ~Report();

  // Creates the file and writes the header row; false with the reason in `error`.
  bool open(const std::string& path, std::string& error);
  void add(const std::string& input, const Outcome& outcome);
  // Flushes and closes; false with the reason in `error`.
  bool close(std::string& error);

 private:
  void field(std::string_view text);
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string row_;
};

// The field as CSV: quoted when it holds a comma, a quote or a line end
// (quotes doubled inside); bytes that are not UTF-8 become U+FFFD.
std::string csvField(std::string_view text);

}  // namespace sorvik::batch
