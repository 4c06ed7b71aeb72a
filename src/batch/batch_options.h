// The batch tool's options: switches in any order, the paths to convert.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sorvik/convert.h>

namespace sorvik::batch {

struct BatchOptions {
  std::vector<std::string> paths;    // score files and folders, as given
  Variant variant = Variant::Exact;  // -P: MuseScorePrint; --music21: Music21
  bool arrows = false;               // -A
  bool strictBars = false;           // -M
  int64_t instrument = 1;            // -I N, 1 to 128
  std::string outputDir;             // -o DIR; empty: each document next to its input
  unsigned jobs = 0;                 // -j N; 0: one worker per core
  bool check = false;                // --check: no document is written
  std::string reportFile;            // --report FILE
  std::string errorsDir;             // --errors DIR
  bool quiet = false;                // -q: only the summary
  bool verbose = false;              // -v: every file on the console, with its message
  bool hints = false;                // --hints: the hints on the console
  Encoding encoding = Encoding::Utf8;
  bool autoEncoding = false;  // --encoding auto: each file's own, UTF-8 where its bytes are UTF-8
  bool help = false;
  bool version = false;
};

// What is wrong with a command line; what() says it in one line.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// `args` are the arguments after the program name.
BatchOptions parseBatchCommandLine(const std::vector<std::string>& args);

std::string_view usageText();

// The conversion options of one file, as the single tool would have them.
Options conversionOptions(const BatchOptions& batch, const std::string& inputName);

}  // namespace sorvik::batch
