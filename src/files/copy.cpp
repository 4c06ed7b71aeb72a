// Folders made on the way, and the copy of a faulty score that stays inside
// its folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "files/posix.h"
#include "sorvik/files.h"

namespace sorvik {

namespace {

// Closes a descriptor at the end of its scope.
struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The components of a relative path; false when one of them leads out of it.
bool components(const std::string& relative, std::vector<std::string>& parts) {
  size_t from = 0;
  while (from <= relative.size()) {
    size_t slash = relative.find('/', from);
    if (slash == std::string::npos) slash = relative.size();
    std::string part = relative.substr(from, slash - from);
    from = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return false;
    parts.push_back(part);
  }
  return !parts.empty();
}

// The folder `name` below `dirfd` (made when missing and `make`), never through a link.
int enterFolder(int dirfd, const std::string& name, bool make) {
  int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0 || errno != ENOENT || !make) return fd;
  if (::mkdirat(dirfd, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
  return ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool copyBytes(int in, int out) {
  char block[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    if (!writeAll(out, block, static_cast<size_t>(n))) return false;
  }
}

}  // namespace

void makeFolders(const std::string& folder) {
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
    throw IoError("Cannot create folder " + path + ": " + reason(why));
  }
}

bool copyScore(const std::string& from, const std::string& folder, const std::string& relative, bool makeMissing) {
  const std::string target = folder + (folder.ends_with('/') ? "" : "/") + relative;
  auto fail = [&](int error) -> bool { throw IoError("Cannot copy " + from + " to " + target + ": " + reason(error)); };
  std::vector<std::string> parts;
  if (!components(relative, parts)) return fail(EINVAL);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd < 0) return fail(errno);
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    int next = enterFolder(dir.fd, parts[i], makeMissing);
    if (next < 0) return fail(errno == ENOTDIR || errno == ELOOP ? ENOTDIR : errno);
    ::close(dir.fd);
    dir.fd = next;
  }
  const std::string& name = parts.back();
  struct stat st;
  if (::fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;  // kept as it is
  Fd in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (in.fd < 0) return fail(errno);
  std::string temp;
  Fd out(createTemporary(dir.fd, "", name, temp));
  if (out.fd < 0) return fail(errno);
  bool ok = copyBytes(in.fd, out.fd);
  int why = errno;
  if (::close(out.fd) != 0 && ok) {
    ok = false;
    why = errno;
  }
  out.fd = -1;
  // A link, unlike a rename, never replaces a copy that came in the meantime.
  if (ok && ::linkat(dir.fd, temp.c_str(), dir.fd, name.c_str(), 0) != 0) {
    ok = false;
    why = errno;
  }
  ::unlinkat(dir.fd, temp.c_str(), 0);
  if (!ok && why == EEXIST) return false;
  if (!ok) return fail(why);
  return true;
}

}  // namespace sorvik
