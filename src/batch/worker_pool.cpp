#include "batch/worker_pool.h"

#include <exception>
#include <memory>
#include <system_error>

#include <sorvik/files.h>

#include "batch/encoding.h"

namespace sorvik::batch {

namespace {

std::string nameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string FileConverter::outputPath(const InputFile& file) const {
  std::string name = outputName(nameOf(file.relative), options_.variant);
  if (options_.outputDir.empty()) return folderOf(file.path) + name;
  std::string dir = options_.outputDir;
  if (dir.back() != '/') dir += '/';
  return dir + folderOf(file.relative) + name;
}

bool FileConverter::convert(const InputFile& file, Outcome& outcome) const {
  auto start = std::chrono::steady_clock::now();
  bool kept;
  try {
    kept = run(file, outcome);
  } catch (const Interrupted&) {
    kept = false;
  } catch (const std::exception& e) {
    // Never stop on a bad file: whatever went wrong is its row.
    outcome = Outcome();
    outcome.status = Status::Error;
    outcome.message = e.what();
    kept = !stop_.load();
  }
  outcome.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return kept;
}

namespace {

// The document of --check: counted, not kept.
class NoDocument : public DocumentSink {
 public:
  explicit NoDocument(const std::atomic<bool>& stop) : stop_(stop) {}
  void write(std::string_view) override {
    if (stop_.load(std::memory_order_relaxed)) throw Interrupted();
  }

 private:
  const std::atomic<bool>& stop_;
};

void failedWith(Outcome& outcome, Status status, std::string message) {
  outcome = Outcome();
  outcome.status = status;
  outcome.message = std::move(message);
}

// The outcome of a conversion that ran, before its document is committed.
void judge(const Result& r, const ScoreFile& source, Encoding encoding, bool nonAscii, Outcome& outcome) {
  if (source.failed()) {
    failedWith(outcome, Status::Unreadable, r.ioError);
  } else if (!r.ioError.empty()) {
    failedWith(outcome, Status::Error, r.ioError);
  } else if (r.inputError()) {
    failedWith(outcome, Status::Error, r.diagnostics.back().message);
    outcome.line = r.diagnostics.back().line;
    outcome.inputError = true;
  } else if (r.failed()) {
    failedWith(outcome, Status::Error, "The conversion failed");
  } else {
    if (!r.diagnostics.empty()) {
      outcome.status = Status::Warning;
      outcome.line = r.diagnostics.back().line;
      outcome.message = r.diagnostics.back().message;
    } else if (r.textReplaced || (encoding == Encoding::Utf8 && !source.utf8())) {
      outcome.status = Status::Warning;
      outcome.message = kNotUtf8;
    } else if (encoding == Encoding::Windows1254 && nonAscii && source.utf8()) {
      outcome.status = Status::Warning;
      outcome.message = kUtf8As1254;
    }
    outcome.counted = true;
    outcome.notes = r.notes;
    outcome.bytes = r.bytes;
  }
}

}  // namespace

bool FileConverter::run(const InputFile& file, Outcome& outcome) const {
  if (!file.problem.empty()) {
    failedWith(outcome, Status::Unreadable, file.problem);
    return true;
  }
  if (!file.sameDocumentAs.empty()) {
    failedWith(outcome, Status::Error, "Same document as " + file.sameDocumentAs);
    return true;
  }
  const bool writing = !options_.check;
  const std::string output = writing ? outputPath(file) : std::string();
  if (writing && !options_.outputDir.empty()) makeFolders(folderOf(output));

  const Encoding encoding = options_.autoEncoding ? encodingOfFile(file.path, stop_) : options_.encoding;
  ScoreFile source(file.path, encoding);
  source.stopWhen(stop_);
  AsciiWatch watched(source);
  DocumentFile document(output);
  document.stopWhen(stop_);
  NoDocument nothing(stop_);
  DocumentSink& sink = writing ? static_cast<DocumentSink&>(document) : nothing;
  Result r = sorvik::convert(watched, sink, conversionOptions(options_, file.path));
  if (r.failed() && stop_.load()) return false;
  judge(r, source, encoding, watched.sawNonAscii(), outcome);
  if (outcome.status != Status::Unreadable) outcome.encoding = encodingName(encoding);
  outcome.hints = std::move(r.hints);
  if (outcome.counted && writing) {
    try {
      document.commit();
      outcome.output = output;
    } catch (const IoError& e) {
      failedWith(outcome, Status::Error, e.what());
    }
  }
  if (outcome.inputError && !options_.errorsDir.empty()) {
    try {
      makeFolders(options_.errorsDir);
      copyScore(file.path, options_.errorsDir, file.relative, true);
    } catch (const IoError& e) {
      outcome.message += "; ";
      outcome.message += e.what();
    }
  }
  return true;
}

WorkerPool::WorkerPool(const std::vector<InputFile>& files, const FileConverter& converter,
                       const std::atomic<bool>& stop)
    : files_(files), converter_(converter), stop_(stop), outcomes_(files.size()), states_(files.size()) {}

bool WorkerPool::start(unsigned workers, std::string& error) {
  if (workers > files_.size()) workers = static_cast<unsigned>(files_.size());
  // A thread the system refuses (a limit on processes, say) is done without:
  // the files are shared by those that started.
  for (unsigned w = 0; w < workers; ++w) {
    std::lock_guard lock(mutex_);
    try {
      threads_.emplace_back(&WorkerPool::work, this);
    } catch (const std::system_error& e) {
      if (threads_.empty()) {
        error = std::string("Cannot start a worker: ") + e.what();
        return files_.empty();
      }
      break;
    }
    ++running_;
  }
  return true;
}

void WorkerPool::work() {
  while (!stop_.load(std::memory_order_relaxed)) {
    size_t i = next_.fetch_add(1);
    if (i >= files_.size()) break;
    Outcome o;
    bool kept = converter_.convert(files_[i], o);
    {
      std::lock_guard lock(mutex_);
      if (kept) {
        ++tally_.done;
        if (o.status == Status::Warning) ++tally_.warnings;
        if (o.status == Status::Error || o.status == Status::Unreadable) ++tally_.errors;
        outcomes_[i] = std::move(o);
        states_[i] = State::Done;
      } else {
        states_[i] = State::Skipped;
      }
    }
  }
  {
    std::lock_guard lock(mutex_);
    --running_;
  }
  changed_.notify_all();
}

bool WorkerPool::waitForEnd(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, wait, [&] { return running_ == 0; });
}

bool WorkerPool::done(size_t index) {
  std::lock_guard lock(mutex_);
  return states_[index] == State::Done;
}

Outcome WorkerPool::take(size_t index) {
  std::lock_guard lock(mutex_);
  return std::move(outcomes_[index]);
}

Tally WorkerPool::tally() {
  std::lock_guard lock(mutex_);
  return tally_;
}

void WorkerPool::join() {
  for (std::thread& t : threads_) {
    if (t.joinable()) t.join();
  }
  threads_.clear();
}

}  // namespace sorvik::batch
