// The encoding a score is read in: chosen for each file with --encoding auto,
// and watched, so that a UTF-8 file read as Windows-1254 does not pass unsaid.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include <sorvik/convert.h>

namespace sorvik::batch {

// "utf-8" or "windows-1254", as the report names it.
std::string_view encodingName(Encoding encoding);

// UTF-8 when every byte of the file is UTF-8, else Windows-1254: a first pass
// that only validates, a block at a time, so that memory stays bounded
// whatever the file's size. A file that cannot be read gives UTF-8 (its
// conversion then fails and says why); throws Interrupted when `stop` is set.
Encoding encodingOfFile(const std::string& path, const std::atomic<bool>& stop);

// Passes another source's bytes on and notes whether one of them is not
// ASCII (a Windows-1254 byte above 0x7F stays above it in UTF-8).
class AsciiWatch : public InputSource {
 public:
  explicit AsciiWatch(InputSource& source) : source_(source) {}
  void open() override { source_.open(); }
  size_t read(char* buffer, size_t size) override;
  bool sawNonAscii() const { return nonAscii_; }

 private:
  InputSource& source_;
  bool nonAscii_ = false;
};

}  // namespace sorvik::batch
