#include "batch/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sorvik::batch {

namespace {

std::string reason(int error) { return std::strerror(error); }

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

void FileSource::fail(const char* what, int error) {
  failed_ = true;
  throw IoError(what + path_ + ": " + reason(error));
}

// The same messages as the single tool's.
void FileSource::open() {
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail("Cannot open ", errno);
  struct stat st;
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) fail("Cannot read ", EISDIR);
}

size_t FileSource::read(char* buffer, size_t size) {
  if (stop_.load(std::memory_order_relaxed)) throw Interrupted();
  for (;;) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) {
      utf8_.feed(buffer, static_cast<size_t>(n));
      return static_cast<size_t>(n);
    }
    if (errno != EINTR) fail("Cannot read ", errno);
  }
}

std::string FileSource::readAll() {
  std::string text;
  struct stat st;
  if (::fstat(fd_, &st) == 0 && st.st_size > 0) text.reserve(static_cast<size_t>(st.st_size));
  char block[1 << 16];
  while (size_t n = read(block, sizeof block)) text.append(block, n);
  return text;
}

size_t TextSource::read(char* buffer, size_t size) {
  size_t n = std::min(size, text_.size());
  std::memcpy(buffer, text_.data(), n);
  text_.remove_prefix(n);
  return n;
}

TempDocument::TempDocument(std::string finalPath, unsigned worker, const std::atomic<bool>& stop)
    : final_(std::move(finalPath)), worker_(worker), stop_(stop) {}

void TempDocument::fail(const char* what) {
  int error = errno;
  failed_ = true;
  discard();
  throw IoError(std::string(what) + final_ + ": " + reason(error));
}

void TempDocument::open() {
  // A hidden name in the same folder, so that the rename cannot cross file
  // systems; the process and the worker make it unique among the tool's runs.
  std::string folder = folderOf(final_);
  std::string stem = folder + "." + final_.substr(folder.size()) + ".tmp-" + std::to_string(::getpid()) + "-" +
                     std::to_string(worker_);
  for (int attempt = 0;; ++attempt) {
    temp_ = attempt == 0 ? stem : stem + "-" + std::to_string(attempt);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    if (errno != EEXIST || attempt == 100) {
      temp_.clear();
      fail("Cannot create ");
    }
  }
}

void TempDocument::write(std::string_view bytes) {
  if (stop_.load(std::memory_order_relaxed)) throw Interrupted();
  if (!writeAll(fd_, bytes.data(), bytes.size())) fail("Cannot write ");
}

void TempDocument::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("Cannot write ");
}

void TempDocument::commit() {
  close();
  if (::rename(temp_.c_str(), final_.c_str()) != 0) fail("Cannot create ");
  temp_.clear();
}

void TempDocument::discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool makeFolders(const std::string& folder, std::string& error) {
  std::string path;
  size_t from = 0;
  while (from < folder.size()) {
    size_t slash = folder.find('/', from);
    if (slash == std::string::npos) slash = folder.size();
    path = folder.substr(0, slash);
    from = slash + 1;
    if (path.empty() || path.back() == '/' || path.ends_with("/.") || path == ".") continue;
    if (::mkdir(path.c_str(), 0777) == 0) continue;
    int why = errno;
    struct stat st;
    if (why == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    error = "Cannot create folder " + path + ": " + reason(why);
    return false;
  }
  return true;
}

void copyUnlessPresent(const std::string& from, const std::string& to) {
  std::string ignored;
  if (!makeFolders(folderOf(to), ignored)) return;
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out >= 0) {
    char block[1 << 16];
    bool ok = true;
    for (;;) {
      ssize_t n = ::read(in, block, sizeof block);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      if (!writeAll(out, block, static_cast<size_t>(n))) {
        ok = false;
        break;
      }
    }
    if (::close(out) != 0) ok = false;
    if (!ok) ::unlink(to.c_str());  // no half copy
  }
  ::close(in);
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace sorvik::batch
