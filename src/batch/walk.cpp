#include "batch/walk.h"

#include <sys/stat.h>

#include <sorvik/files.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <unordered_set>
#include <utility>

namespace fs = std::filesystem;

namespace sorvik::batch {

namespace {

class Collector {
 public:
  Collector(const std::atomic<bool>& stop, const std::vector<std::string>& skipped) : stop_(stop) {
    for (const std::string& folder : skipped) {
      struct stat st;
      if (!folder.empty() && ::stat(folder.c_str(), &st) == 0) skipped_.insert({st.st_dev, st.st_ino});
    }
  }

  void addPath(const std::string& given) {
    std::error_code ec;
    fs::file_status st = fs::status(given, ec);
    if (st.type() == fs::file_type::directory) {
      walk(given);
    } else if (st.type() == fs::file_type::not_found || given.empty()) {
      add(given, fileName(given), "File not found: " + given);
    } else {
      add(given, fileName(given), "");
    }
  }

  std::vector<InputFile> take() {
    std::stable_sort(files_.begin(), files_.end(),
                     [](const InputFile& a, const InputFile& b) { return a.path < b.path; });
    return std::move(files_);
  }

 private:
  static std::string fileName(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    return name.empty() ? path : name;
  }

  // A path and the same path written otherwise ("./a//b.sv2") are one file.
  void add(const std::string& path, const std::string& relative, std::string problem) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    std::string key = (ec ? fs::path(path) : absolute).lexically_normal().string();
    if (!seen_.insert(std::move(key)).second) return;
    files_.push_back({path, relative, std::move(problem), {}});
  }

  void walk(const std::string& root) {
    // Below ".", paths are shown without "./".
    std::string prefix = root == "." || root == "./" ? "" : root;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    std::vector<std::string> pending{""};  // folders below root still to list, relative to it
    while (!pending.empty() && !stop_.load(std::memory_order_relaxed)) {
      std::string folder = std::move(pending.back());
      pending.pop_back();
      std::string shown = folder.empty() ? root : prefix + folder;
      removeStaleTemporaries(shown);
      std::error_code ec;
      fs::directory_iterator it(folder.empty() ? fs::path(root) : fs::path(prefix + folder), ec), end;
      if (ec) {
        add(shown, folder, "Cannot read folder " + shown + ": " + ec.message());
        continue;
      }
      for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        std::string relative = folder.empty() ? name : folder + "/" + name;
        std::error_code sec;
        fs::file_status own = it->symlink_status(sec);
        if (sec) {  // a name too long, say: said, never skipped in silence
          add(prefix + relative, relative, "Cannot read " + prefix + relative + ": " + sec.message());
          continue;
        }
        if (own.type() == fs::file_type::directory) {
          if (!isSkipped(prefix + relative)) pending.push_back(relative);
          continue;
        }
        if (!isScoreName(name)) continue;
        if (own.type() == fs::file_type::symlink) {
          // A link to a score is converted; a link to a folder is not followed;
          // a dangling link gets its row as a file that cannot be read.
          fs::file_type target = it->status(sec).type();
          if (sec && target != fs::file_type::not_found) {  // a link loop
            add(prefix + relative, relative, "Cannot read " + prefix + relative + ": " + sec.message());
            continue;
          }
          if (target != fs::file_type::regular && target != fs::file_type::not_found) continue;
        } else if (own.type() != fs::file_type::regular) {
          continue;  // pipes and devices are no scores
        }
        add(prefix + relative, relative, "");
      }
      if (ec) add(shown, folder, "Cannot read folder " + shown + ": " + ec.message());
    }
  }

  // The folders the tool writes into (-o, --errors) are not searched.
  bool isSkipped(const std::string& folder) const {
    struct stat st;
    return !skipped_.empty() && ::stat(folder.c_str(), &st) == 0 && skipped_.count({st.st_dev, st.st_ino}) > 0;
  }

  const std::atomic<bool>& stop_;
  std::set<std::pair<dev_t, ino_t>> skipped_;
  std::vector<InputFile> files_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

bool isScoreName(const std::string& name) {
  if (name.size() < 4) return false;
  const char* end = name.data() + name.size() - 4;
  return end[0] == '.' && (end[1] | 0x20) == 's' && (end[2] | 0x20) == 'v' && end[3] == '2';
}

std::vector<InputFile> findInputs(const std::vector<std::string>& paths, const std::atomic<bool>& stop,
                                  const std::vector<std::string>& skipped) {
  Collector c(stop, skipped);
  for (const std::string& p : paths) {
    if (stop.load(std::memory_order_relaxed)) break;
    c.addPath(p);
  }
  return c.take();
}

}  // namespace sorvik::batch
