#include "batch/worker_pool.h"

#include <exception>
#include <memory>

#include "batch/files.h"

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

bool FileConverter::convert(const InputFile& file, unsigned worker, Outcome& outcome) const {
  auto start = std::chrono::steady_clock::now();
  bool kept;
  try {
    kept = run(file, worker, outcome);
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

bool FileConverter::run(const InputFile& file, unsigned worker, Outcome& outcome) const {
  if (!file.problem.empty()) {
    outcome.status = Status::Unreadable;
    outcome.message = file.problem;
    return true;
  }
  const bool writing = !options_.check;
  std::string output;
  if (writing) {
    output = outputPath(file);
    std::string error;
    if (!options_.outputDir.empty() && !makeFolders(folderOf(output), error)) {
      outcome.status = Status::Error;
      outcome.message = error;
      return true;
    }
  }

  FileSource source(file.path, stop_);
  std::string text;
  std::unique_ptr<TextSource> transcoded;
  if (options_.encoding != Encoding::Utf8) {
    // The code page is turned into UTF-8 before the conversion, as a whole.
    try {
      source.open();
      text = toUtf8(source.readAll(), options_.encoding);
    } catch (const Interrupted&) {
      return false;
    } catch (const IoError& e) {
      outcome.status = Status::Unreadable;
      outcome.message = e.what();
      return true;
    }
    transcoded = std::make_unique<TextSource>(text);
  }
  InputSource& input = transcoded ? static_cast<InputSource&>(*transcoded) : source;

  TempDocument document(output, worker, stop_);
  NoDocument nothing(stop_);
  DocumentSink& sink = writing ? static_cast<DocumentSink&>(document) : nothing;
  Options options = conversionOptions(options_, file.path);
  Result r = sorvik::convert(input, sink, options);

  if (r.failed() && stop_.load()) return false;
  if (source.failed()) {
    outcome.status = Status::Unreadable;
    outcome.message = r.ioError;
  } else if (!r.ioError.empty()) {
    outcome.status = Status::Error;
    outcome.message = r.ioError;
  } else if (r.inputError()) {
    outcome.status = Status::Error;
    outcome.line = r.diagnostics.back().line;
    outcome.message = r.diagnostics.back().message;
    outcome.inputError = true;
  } else if (r.failed()) {
    outcome.status = Status::Error;
    outcome.message = "The conversion failed";
  } else {
    if (!r.diagnostics.empty()) {
      outcome.status = Status::Warning;
      outcome.line = r.diagnostics.back().line;
      outcome.message = r.diagnostics.back().message;
    } else if (r.textReplaced || (!transcoded && !source.utf8())) {
      outcome.status = Status::Warning;
      outcome.message = kNotUtf8;
    }
    outcome.counted = true;
    outcome.notes = r.notes;
    outcome.bytes = r.bytes;
    if (writing) {
      try {
        document.commit();
        outcome.output = output;
      } catch (const IoError& e) {
        outcome = Outcome();
        outcome.status = Status::Error;
        outcome.message = e.what();
      }
    }
  }
  if (outcome.inputError && !options_.errorsDir.empty()) {
    std::string dir = options_.errorsDir;
    if (dir.back() != '/') dir += '/';
    copyUnlessPresent(file.path, dir + file.relative);
  }
  return true;
}

WorkerPool::WorkerPool(const std::vector<InputFile>& files, const FileConverter& converter,
                       const std::atomic<bool>& stop)
    : files_(files), converter_(converter), stop_(stop), outcomes_(files.size()), states_(files.size()) {}

void WorkerPool::start(unsigned workers) {
  if (workers > files_.size()) workers = static_cast<unsigned>(files_.size());
  {
    std::lock_guard lock(mutex_);
    running_ = workers;
  }
  for (unsigned w = 0; w < workers; ++w) threads_.emplace_back(&WorkerPool::work, this, w);
}

void WorkerPool::work(unsigned worker) {
  while (!stop_.load(std::memory_order_relaxed)) {
    size_t i = next_.fetch_add(1);
    if (i >= files_.size()) break;
    Outcome o;
    bool kept = converter_.convert(files_[i], worker, o);
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
