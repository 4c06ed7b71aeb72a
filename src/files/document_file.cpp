// A document that takes its name only when it is committed: a full disk, a
// failed read or an interruption leaves an older document as it was and no
// cut one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/posix.h"
#include "sorvik/files.h"

namespace sorvik {

DocumentFile::DocumentFile(std::string path) : path_(std::move(path)) {}

void DocumentFile::fail(const char* what, int error) {
  discard();
  throw IoError(what + path_ + ": " + reason(error));
}

// What is in the way is said before anything is written: a folder of the
// document's name, or a document the user may not write (it is left as it
// is). A link is not looked through: the rename replaces it.
void DocumentFile::open() {
  struct stat st;
  if (::lstat(path_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail("Cannot create ", EISDIR);
    if (S_ISREG(st.st_mode) && ::access(path_.c_str(), W_OK) != 0) fail("Cannot write ", errno);
  }
  fd_ = createTemporary(AT_FDCWD, folderOf(path_), nameOf(path_), temp_);
  if (fd_ < 0) {
    temp_.clear();
    fail("Cannot create ", errno);
  }
}

void DocumentFile::write(std::string_view bytes) {
  if (stop_ && stop_->load(std::memory_order_relaxed)) throw Interrupted();
  if (!writeAll(fd_, bytes.data(), bytes.size())) fail("Cannot write ", errno);
}

void DocumentFile::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("Cannot write ", errno);
}

void DocumentFile::commit() {
  close();
  if (temp_.empty()) return;
  if (::rename(temp_.c_str(), path_.c_str()) != 0) fail("Cannot create ", errno);
  temp_.clear();
}

void DocumentFile::discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

}  // namespace sorvik
