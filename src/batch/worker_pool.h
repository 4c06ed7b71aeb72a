// Converting the files: one file by one worker, any number of workers at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_options.h"
#include "batch/outcome.h"
#include "batch/walk.h"

namespace sorvik::batch {

// Converts one file as the options ask: the document streamed to a
// temporary file that takes its name only when no error ended the
// conversion; the input copied below --errors after an error in it.
class FileConverter {
 public:
  FileConverter(const BatchOptions& options, const std::atomic<bool>& stop) : options_(options), stop_(stop) {}
  // False when the conversion was interrupted: then nothing of it is kept.
  bool convert(const InputFile& file, Outcome& outcome) const;
  // Where the document of the file goes.
  std::string outputPath(const InputFile& file) const;

 private:
  bool run(const InputFile& file, Outcome& outcome) const;
  const BatchOptions& options_;
  const std::atomic<bool>& stop_;
};

// Counts so far, for the progress bar.
struct Tally {
  size_t done = 0, warnings = 0, errors = 0;
};

// Workers that take the files in order, each the next one not yet taken.
// The outcomes are collected in the files' order.
class WorkerPool {
 public:
  WorkerPool(const std::vector<InputFile>& files, const FileConverter& converter, const std::atomic<bool>& stop);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool() { join(); }

  // Starts up to `workers` workers; false, with the reason in `error`, when
  // not one could be started.
  bool start(unsigned workers, std::string& error);
  // Waits at most `wait` for every worker to end (all files done, or
  // interrupted); true when they have. The workers do not wake the caller
  // for each file: on two cores that costs more than a song's conversion.
  bool waitForEnd(std::chrono::milliseconds wait);
  // The outcome of the file at `index` is there.
  bool done(size_t index);
  // The outcome of a file for which done gave true.
  Outcome take(size_t index);
  Tally tally();
  void join();

 private:
  enum class State : unsigned char { Pending, Done, Skipped };
  void work();

  const std::vector<InputFile>& files_;
  const FileConverter& converter_;
  const std::atomic<bool>& stop_;
  std::atomic<size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Outcome> outcomes_;  // guarded by mutex_, as are the three below
  std::vector<State> states_;
  unsigned running_ = 0;
  Tally tally_;
  std::vector<std::thread> threads_;
};

}  // namespace sorvik::batch
