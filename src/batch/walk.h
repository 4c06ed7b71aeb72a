// The files to convert: the score files given, and those found below the
// folders given.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace sorvik::batch {

struct InputFile {
  std::string path;            // as reported and named in messages: the PATH given, joined with the path below it
  std::string relative;        // the path below the PATH it was found under; its name for a PATH that is a file
  std::string problem;         // why it cannot be read, when that is known before reading it
  std::string sameDocumentAs;  // the file before it whose document takes the same path
};

// Folders are searched recursively for files whose names end in ".sv2" in
// any letter case; links to folders are not followed (a folder given on the
// command line is searched even when it is a link). A file given or found
// twice is listed once, as it was first found. Files come in the byte order
// of their paths. A folder that cannot be listed is listed itself, with its
// problem; so has an entry that cannot be looked at (a name too long, a link
// loop). The folders `skipped` (those the tool writes into) are not searched
// below a folder given. Temporary files of runs no longer alive are removed
// from every folder searched. The search ends early, with what it found so
// far, once `stop` is set.
std::vector<InputFile> findInputs(const std::vector<std::string>& paths, const std::atomic<bool>& stop,
                                  const std::vector<std::string>& skipped);

// True for a name ending in ".sv2" in any letter case.
bool isScoreName(const std::string& name);

}  // namespace sorvik::batch
