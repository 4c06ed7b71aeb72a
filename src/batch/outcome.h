// What became of one file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sorvik/convert.h>

namespace sorvik::batch {

enum class Status { Converted, Warning, Error, Unreadable };

struct Outcome {
  Status status = Status::Converted;
  int64_t line = -1;     // the line of the message; -1 when it names none
  std::string message;   // the error or warning line's text, or the failed read or write
  std::string output;    // the document written; empty when none was kept
  bool counted = false;  // converted to the end: notes and bytes are known
  int64_t notes = 0;
  uint64_t bytes = 0;
  double milliseconds = 0;
  bool inputError = false;  // an error in the score itself (not a failed read or write)
  std::string encoding;     // what the score was read as ("utf-8", "windows-1254"); empty when it was not read
  std::vector<Hint> hints;  // of a conversion that ran, in the order of their lines
};

// "converted", "warning", "error", "unreadable".
std::string_view statusName(Status status);

// The batch tool's own messages, about the encoding.
inline constexpr std::string_view kNotUtf8 = "Text is not UTF-8; try --encoding windows-1254";
inline constexpr std::string_view kUtf8As1254 = "Text is UTF-8 but was read as Windows-1254; try --encoding auto";

}  // namespace sorvik::batch
