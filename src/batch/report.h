// The report: a CSV file (RFC 4180, UTF-8), a header row and one row per file.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <sorvik/files.h>

#include "batch/outcome.h"

namespace sorvik::batch {

// Written under a temporary name and renamed when it is complete, so that it
// is never cut; after a failed write (a full disk) there is none at all.
class Report {
 public:
  // Creates the temporary file and writes the header row; false with the
  // reason in `error`.
  bool open(const std::string& path, std::string& error);
  void add(const std::string& input, const Outcome& outcome);
  // Writes the rest and gives the report its name; false with the reason in
  // `error` (then there is no report).
  bool close(std::string& error);

 private:
  void field(std::string_view text);
  void flush();
  std::unique_ptr<DocumentFile> file_;
  std::string error_;  // the first failed write
  std::string row_, pending_;
};

// The hints of a file as one field: "line N: text" for each, one a line
// (a line feed between them), so that a spreadsheet shows them one below the other.
std::string hintsField(const std::vector<Hint>& hints);

// The field as CSV: quoted when it holds a comma, a quote or a line end
// (quotes doubled inside); bytes that are not UTF-8 become U+FFFD.
std::string csvField(std::string_view text);

}  // namespace sorvik::batch
