#include "files.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

std::string readFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void writeFile(const fs::path& p, const std::string& text) {
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f << text;
  if (!f) throw std::runtime_error("cannot write " + p.string());
}

std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    std::string name = fs::relative(it->path(), root).generic_string();
    if (it->is_symlink()) {
      files[name] = "-> " + fs::read_symlink(it->path()).string();
    } else if (it->is_regular_file()) {
      files[name] = readFile(it->path());
    }
  }
  return files;
}

size_t countOf(std::string_view text, std::string_view what) {
  if (what.empty()) return 0;
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/sorvik-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("cannot make a temporary folder");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace testsupport
