// The one place that reads scores and writes documents for every front end
// (the command-line tool, sorvik-batch): a score file that is refused at once
// unless it is a regular file, a document that takes its name only when it is
// committed, and the copy of a faulty score that never leaves its folder.
// Every failure is an IoError whose what() is the line that says so.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "sorvik/convert.h"

namespace sorvik {

// Thrown by a source or sink once the flag given to stopWhen is set, so that
// an interrupted conversion ends at its next read or write.
struct Interrupted : IoError {
  Interrupted() : IoError("Interrupted") {}
};

// Follows bytes given in pieces of any size (a sequence may be split between
// two pieces). Overlong forms, surrogates and values above U+10FFFF are not UTF-8.
class Utf8Check {
 public:
  void feed(const char* data, size_t size);
  // All bytes so far are UTF-8 and no sequence is left open.
  bool valid() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;                         // continuation bytes still wanted
  unsigned char low_ = 0x80, high_ = 0xBF;  // the range of the next continuation byte
};

// The text with each byte that does not belong to a UTF-8 sequence replaced by U+FFFD.
std::string validUtf8(std::string_view text);

// The encoding a score's bytes are read in when the user leaves the choice to
// the converter: UTF-8 when they are UTF-8, else the code page of older
// Turkish collections, Windows-1254.
Encoding chooseEncoding(std::string_view bytes);

// A score file, read as it is converted: opened without blocking, refused at
// once unless it is a regular file ("Cannot read NAME: Not a regular file"),
// transcoded to UTF-8 as it streams when `encoding` is Windows1254.
class ScoreFile : public InputSource {
 public:
  explicit ScoreFile(std::string path, Encoding encoding = Encoding::Utf8);
  ScoreFile(const ScoreFile&) = delete;
  ScoreFile& operator=(const ScoreFile&) = delete;
  ~ScoreFile() override;

  void stopWhen(const std::atomic<bool>& stop) { stop_ = &stop; }
  void open() override;
  size_t read(char* buffer, size_t size) override;
  // The file could not be opened or read (not the conversion that failed).
  bool failed() const { return failed_; }
  // Every byte of the file read so far is UTF-8.
  bool utf8() const { return utf8_.valid(); }

 private:
  [[noreturn]] void fail(const char* what, int error);
  size_t readRaw(char* buffer, size_t size);
  std::string path_;
  Encoding encoding_;
  std::string pending_;  // transcoded bytes not yet handed out
  Utf8Check utf8_;
  const std::atomic<bool>* stop_ = nullptr;
  int fd_ = -1;
  bool failed_ = false;
};

// The document written under a temporary name beside `path` and renamed to
// `path` by commit(); whatever is not committed is removed. An existing
// document that may not be written is refused before anything is written; a
// link at `path` is replaced, never written through.
class DocumentFile : public DocumentSink {
 public:
  explicit DocumentFile(std::string path);
  DocumentFile(const DocumentFile&) = delete;
  DocumentFile& operator=(const DocumentFile&) = delete;
  ~DocumentFile() override { discard(); }

  void stopWhen(const std::atomic<bool>& stop) { stop_ = &stop; }
  void open() override;
  void write(std::string_view bytes) override;
  void close() override;
  // Gives the document its name; throws IoError when that fails (the
  // temporary file is removed then).
  void commit();
  // Removes the temporary file, if any.
  void discard();

 private:
  [[noreturn]] void fail(const char* what, int error);
  std::string path_, temp_;
  const std::atomic<bool>* stop_ = nullptr;
  int fd_ = -1;
};

// Creates the folder and those above it; throws IoError ("Cannot create
// folder PATH: REASON").
void makeFolders(const std::string& folder);

// Copies the score at `from` to `relative` below the folder `folder` (which
// must exist), making the folders between when `makeMissing`. The copy never leaves
// `folder` (no "..", no link followed below it), an existing file is never
// overwritten, and it is written under a temporary name and renamed, so a
// failure leaves nothing behind. False when a copy is already there; throws
// IoError when it cannot be made.
bool copyScore(const std::string& from, const std::string& folder, const std::string& relative, bool makeMissing);

// The folder part of a path, with its last "/"; empty for a bare name.
std::string folderOf(const std::string& path);

// Removes the temporary files that runs no longer alive left in `folder`
// (killed outright, say); those of live runs stay. Failures are ignored.
void removeStaleTemporaries(const std::string& folder);

// Shows text from a score on a terminal: control characters other than TAB
// and LF (C0, DEL and the C1 range, U+0080 to U+009F) as "\x1b"; the rest unchanged.
std::string terminalSafe(std::string_view text);

}  // namespace sorvik
