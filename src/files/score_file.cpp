// A score file read as it is converted.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/posix.h"
#include "sorvik/files.h"

namespace sorvik {

ScoreFile::ScoreFile(std::string path, Encoding encoding) : path_(std::move(path)), encoding_(encoding) {}

ScoreFile::~ScoreFile() {
  if (fd_ >= 0) ::close(fd_);
}

void ScoreFile::fail(const char* what, int error) {
  failed_ = true;
  throw IoError(what + path_ + ": " + reason(error));
}

// Without blocking, so that a FIFO with no writer cannot hold the run; what
// is no regular file is refused before a byte of it is read.
void ScoreFile::open() {
  fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) fail("Cannot open ", errno);
  struct stat st;
  if (::fstat(fd_, &st) != 0) fail("Cannot read ", errno);
  if (S_ISDIR(st.st_mode)) fail("Cannot read ", EISDIR);
  if (!S_ISREG(st.st_mode)) {
    failed_ = true;
    throw IoError("Cannot read " + path_ + ": Not a regular file");
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

size_t ScoreFile::readRaw(char* buffer, size_t size) {
  if (stop_ && stop_->load(std::memory_order_relaxed)) throw Interrupted();
  for (;;) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) {
      utf8_.feed(buffer, static_cast<size_t>(n));
      return static_cast<size_t>(n);
    }
    if (errno != EINTR) fail("Cannot read ", errno);
  }
}

// A block at a time is turned into UTF-8 (a Windows-1254 byte takes up to
// three bytes), so memory does not grow with the score.
size_t ScoreFile::read(char* buffer, size_t size) {
  if (encoding_ == Encoding::Utf8) return readRaw(buffer, size);
  if (pending_.empty()) {
    char raw[1 << 14];
    size_t n = readRaw(raw, std::min(sizeof raw, std::max<size_t>(size / 3, 1)));
    pending_ = toUtf8(std::string_view(raw, n), encoding_);
  }
  size_t n = std::min(size, pending_.size());
  std::memcpy(buffer, pending_.data(), n);
  pending_.erase(0, n);
  return n;
}

}  // namespace sorvik
