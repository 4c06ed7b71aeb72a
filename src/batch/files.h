// Reading a score and writing its document for the batch tool: the document
// goes to a temporary file beside its final name and takes that name only
// when the conversion ended without an error.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include <sorvik/convert.h>

#include "batch/utf8.h"

namespace sorvik::batch {

// Thrown by the sources and sinks below once `stop` is set, so that an
// interrupted conversion ends at its next read or write.
struct Interrupted : IoError {
  Interrupted() : IoError("Interrupted") {}
};

// A score file, read as it is converted.
class FileSource : public InputSource {
 public:
  FileSource(std::string path, const std::atomic<bool>& stop) : path_(std::move(path)), stop_(stop) {}
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() override;

  void open() override;
  size_t read(char* buffer, size_t size) override;
  // The whole file at once (for a file that is transcoded first).
  std::string readAll();
  // A read failed (the file is unreadable), not the conversion.
  bool failed() const { return failed_; }
  // Every byte read so far is UTF-8.
  bool utf8() const { return utf8_.valid(); }

 private:
  [[noreturn]] void fail(const char* what, int error);
  std::string path_;
  Utf8Check utf8_;
  const std::atomic<bool>& stop_;
  int fd_ = -1;
  bool failed_ = false;
};

// A score already in memory.
class TextSource : public InputSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  size_t read(char* buffer, size_t size) override;

 private:
  std::string_view text_;
};

// The document under a temporary name in the folder of `finalPath` (which
// must exist), renamed to `finalPath` by commit(). Whatever is not committed
// is removed.
class TempDocument : public DocumentSink {
 public:
  TempDocument(std::string finalPath, unsigned worker, const std::atomic<bool>& stop);
  TempDocument(const TempDocument&) = delete;
  TempDocument& operator=(const TempDocument&) = delete;
  ~TempDocument() override { discard(); }

  void open() override;
  void write(std::string_view bytes) override;
  void close() override;
  // Gives the document its name; throws IoError when that fails (the
  // temporary file is removed then).
  void commit();
  void discard();
  bool failed() const { return failed_; }

 private:
  [[noreturn]] void fail(const char* what);
  std::string final_, temp_;
  unsigned worker_;
  const std::atomic<bool>& stop_;
  int fd_ = -1;
  bool failed_ = false;
};

// The document of --check: counted, not kept.
class NoDocument : public DocumentSink {
 public:
  explicit NoDocument(const std::atomic<bool>& stop) : stop_(stop) {}
  void write(std::string_view) override {
    if (stop_.load(std::memory_order_relaxed)) throw Interrupted();
  }

 private:
  const std::atomic<bool>& stop_;
};

// Creates the folder and those above it; false with the reason in `error`.
bool makeFolders(const std::string& folder, std::string& error);

// Copies `from` to `to`, making the folders above `to`; an existing file at
// `to` is kept. Failures are ignored, as the single tool ignores them.
void copyUnlessPresent(const std::string& from, const std::string& to);

// The folder part of a path, with its last "/"; empty for a bare name.
std::string folderOf(const std::string& path);

}  // namespace sorvik::batch
