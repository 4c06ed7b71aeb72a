// One conversion as the Python package asks for it, in plain C++ with no
// Python object in sight, so that it runs with the interpreter's lock
// released, on the caller's thread or on a worker's.
#pragma once

#include <sorvik/convert.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvik::python {

// The keyword arguments that every conversion takes, checked once per call.
struct Settings {
  Options options;
  Encoding encoding = Encoding::Utf8;
};

// Throws std::invalid_argument (ValueError in Python) for a variant or an
// encoding that is not known.
Settings settingsFrom(std::string_view variant, bool arrows, bool strictBars, int64_t instrument,
                      std::string_view encoding);

// The Python name of the options' variant: "exact", "musescore" or "music21".
const char* variantName(const Options& options);

// A score: its bytes in memory, which the caller keeps alive during the
// conversion, or the path of its file.
struct Source {
  std::string name;  // in messages and in the document
  std::string path;  // the file's path
  std::string_view bytes;
  bool isPath = false;
};

struct Conversion {
  Result result;
  std::string document;
  bool unreadable = false;  // the score's file could not be read (result.ioError says why)
};

// A file that cannot be read ends with `unreadable`, never with an exception.
// The document is written into `buffer` (emptied first; its room is used).
Conversion convertSource(const Source& source, const Settings& settings, std::string buffer = {});

// Writes a document to `path`; throws IoError.
void saveDocument(const std::string& path, std::string_view document);

}  // namespace sorvik::python
