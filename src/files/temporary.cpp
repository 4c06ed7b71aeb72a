// Temporary names: ".NAME.tmp-PID-N" beside the file they become, so that a
// rename never crosses file systems, and so that a later run can tell the
// leftovers of a run that no longer lives (killed outright) from those of a
// run that still does.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "files/posix.h"
#include "sorvik/files.h"

namespace sorvik {

namespace {

constexpr std::string_view kMark = ".tmp-";

// The process that made a temporary file, or 0 when the name is none.
pid_t makerOf(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return 0;
  size_t mark = name.rfind(kMark);
  if (mark == std::string_view::npos || mark == 0) return 0;
  std::string_view rest = name.substr(mark + kMark.size());
  pid_t pid = 0;
  unsigned attempt = 0;
  auto [dash, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
  if (ec != std::errc() || pid <= 0 || dash == rest.data() + rest.size() || *dash != '-') return 0;
  auto [end, ec2] = std::from_chars(dash + 1, rest.data() + rest.size(), attempt);
  return ec2 == std::errc() && end == rest.data() + rest.size() ? pid : 0;
}

}  // namespace

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

std::string nameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int createTemporary(int dirfd, const std::string& folder, const std::string& name, std::string& temp) {
  const std::string mark = std::string(kMark) + std::to_string(::getpid()) + "-";
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    std::string tail = mark + std::to_string(attempt);
    // A name the file system takes for the document also fits as the temporary name.
    std::string stem = name.substr(0, std::min(name.size(), size_t{NAME_MAX} - 1 - tail.size()));
    temp = folder + "." + stem + tail;
    int fd = ::openat(dirfd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void removeStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    pid_t pid = makerOf(entry->d_name);
    if (pid == 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or another user's
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace sorvik
