#include "batch/plan.h"

#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>

namespace fs = std::filesystem;

namespace sorvik::batch {

namespace {

// One name for one place: the folder with its links and "." and ".." resolved
// (as far as it exists), then the last name as it is, since a rename replaces
// a link there rather than what it leads to. Folders are resolved once.
class Places {
 public:
  std::string of(const std::string& path) {
    fs::path p = fs::path(path).lexically_normal();
    std::string folder = p.parent_path().string();
    auto [it, fresh] = folders_.try_emplace(folder);
    if (fresh) {
      std::error_code ec;
      fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
      fs::path resolved = fs::weakly_canonical(absolute, ec);
      it->second = (ec ? absolute.lexically_normal() : resolved).string();
      if (it->second.empty() || it->second.back() != '/') it->second += '/';
    }
    return it->second + p.filename().string();
  }

 private:
  std::unordered_map<std::string, std::string> folders_;
};

}  // namespace

void checkReportPath(const BatchOptions& options, const std::vector<InputFile>& files, const FileConverter& converter) {
  if (options.reportFile.empty()) return;
  Places places;
  const std::string report = places.of(options.reportFile);
  const std::string what = "--report " + options.reportFile;
  if (!options.errorsDir.empty()) {
    std::string errors = places.of(options.errorsDir);
    if (report.compare(0, errors.size() + 1, errors + "/") == 0) {
      throw UsageError(what + " is inside the --errors folder " + options.errorsDir);
    }
  }
  for (const InputFile& file : files) {
    if (places.of(file.path) == report) throw UsageError(what + " is the score " + file.path);
    if (!options.check && places.of(converter.outputPath(file)) == report) {
      throw UsageError(what + " is the document of " + file.path);
    }
  }
}

void markSameDocuments(std::vector<InputFile>& files, const FileConverter& converter) {
  Places places;
  std::unordered_map<std::string, const InputFile*> first;
  for (InputFile& file : files) {
    if (!file.problem.empty()) continue;
    auto [it, fresh] = first.try_emplace(places.of(converter.outputPath(file)), &file);
    if (!fresh) file.sameDocumentAs = it->second->path;
  }
}

}  // namespace sorvik::batch
