#include "ordered_pool.h"

#include <algorithm>

namespace sorvik::python {

namespace {
// Sources a worker may convert ahead of the reader, per worker.
constexpr size_t kAheadPerJob = 16;
// A buffer larger than this is not kept for another document.
constexpr size_t kLargestKept = size_t{8} << 20;
}  // namespace

std::string BufferRecycler::take() {
  std::lock_guard lock(mutex_);
  if (buffers_.empty()) return {};
  std::string buffer = std::move(buffers_.back());
  buffers_.pop_back();
  return buffer;
}

void BufferRecycler::give(std::string buffer) {
  if (buffer.capacity() > kLargestKept) return;
  std::lock_guard lock(mutex_);
  if (buffers_.size() < keep_) buffers_.push_back(std::move(buffer));
}

OrderedPool::OrderedPool(std::vector<Source> sources, Settings settings, unsigned jobs)
    : sources_(std::move(sources)),
      settings_(std::move(settings)),
      window_(std::max<size_t>(1, jobs) * kAheadPerJob),
      recycler_(std::make_shared<BufferRecycler>(window_)),
      slots_(window_) {
  jobs = static_cast<unsigned>(std::clamp<size_t>(jobs, 1, std::max<size_t>(1, sources_.size())));
  try {
    for (unsigned i = 0; i < jobs; ++i) threads_.emplace_back(&OrderedPool::work, this);
  } catch (const std::system_error&) {
    // Threads that cannot be started: go on with those there are.
    if (threads_.empty()) throw;
  }
}

OrderedPool::~OrderedPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  room_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void OrderedPool::work() {
  for (;;) {
    size_t index;
    {
      std::unique_lock lock(mutex_);
      ++waitingWorkers_;
      room_.wait(lock, [&] { return stopping_ || claimed_ >= sources_.size() || claimed_ < taken_ + window_; });
      --waitingWorkers_;
      if (stopping_ || claimed_ >= sources_.size()) return;
      index = claimed_++;
    }
    Conversion done;
    try {
      done = convertSource(sources_[index], settings_, recycler_->take());
    } catch (const std::exception& failure) {  // out of memory: that source fails, not the process
      done.result.status = 1;
      done.result.ioError = failure.what();
    }
    bool wake;
    {
      std::lock_guard lock(mutex_);
      slots_[index % window_] = std::move(done);
      wake = readerWaiting_ && targetReady();
    }
    if (wake) ready_.notify_one();
  }
}

bool OrderedPool::targetReady() const {
  for (size_t i = taken_; i <= readerTarget_; ++i) {
    if (!slots_[i % window_]) return false;
  }
  return true;
}

bool OrderedPool::next(Conversion& conversion, size_t& index) {
  std::unique_lock lock(mutex_);
  if (taken_ >= sources_.size()) return false;
  std::optional<Conversion>& slot = slots_[taken_ % window_];
  if (!slot) {
    readerTarget_ = std::min(taken_ + window_ / 2, sources_.size()) - 1;
    readerWaiting_ = true;
    ready_.wait(lock, [&] { return targetReady(); });
    readerWaiting_ = false;
  }
  conversion = std::move(*slot);
  slot.reset();
  index = taken_++;
  bool waiting = waitingWorkers_ > 0;
  lock.unlock();
  if (waiting) room_.notify_all();
  return true;
}

}  // namespace sorvik::python
