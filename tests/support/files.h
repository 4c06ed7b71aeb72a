// File and text helpers that the test programs share.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace testsupport {

namespace fs = std::filesystem;

// The whole file, byte for byte ("" when it cannot be read).
std::string readFile(const fs::path& p);

// Writes the file anew, making its folder first; throws when it cannot.
void writeFile(const fs::path& p, const std::string& text);

// Every regular file below root by its path relative to root ('/' between
// folders), with its bytes; a symbolic link as "-> " and its target.
std::map<std::string, std::string> snapshot(const fs::path& root);

// How often `what` stands in `text`, not overlapping.
size_t countOf(std::string_view text, std::string_view what);

// A fresh folder below /tmp, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

}  // namespace testsupport
