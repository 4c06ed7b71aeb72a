// Many conversions on worker threads, handed out in the order of their
// sources. The workers run at most `window` sources ahead of the reader, so
// that memory does not grow with the number of sources when the reader is
// slower than the workers. Nobody is woken without cause: a reader that has to
// wait waits for half a window of songs at once, and the workers are woken
// only when they wait for room. On two cores a wake-up per song costs as much
// as a small song's conversion.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "conversion.h"

namespace sorvik::python {

// Document buffers given back by the results that were dropped, for the next
// conversions: fresh memory costs a page fault per 4 KB, which made the
// system time of a collection four times that of sorvik-batch.
class BufferRecycler {
 public:
  explicit BufferRecycler(size_t keep) : keep_(keep) {}
  // A buffer with room from an earlier document, or an empty one.
  std::string take();
  // Kept while fewer than `keep` are there and it is not larger than a big song's.
  void give(std::string buffer);

 private:
  const size_t keep_;
  std::mutex mutex_;
  std::vector<std::string> buffers_;  // guarded by mutex_
};

class OrderedPool {
 public:
  OrderedPool(std::vector<Source> sources, Settings settings, unsigned jobs);
  OrderedPool(const OrderedPool&) = delete;
  OrderedPool& operator=(const OrderedPool&) = delete;
  ~OrderedPool();

  // Waits for the conversion of the next source in order and takes it with
  // the source's index; false when every source has been taken.
  bool next(Conversion& conversion, size_t& index);
  const Source& source(size_t index) const { return sources_[index]; }
  // Where a result gives its document buffer back.
  const std::shared_ptr<BufferRecycler>& recycler() const { return recycler_; }

 private:
  void work();
  // The sources from taken_ to readerTarget_ are all converted.
  bool targetReady() const;

  const std::vector<Source> sources_;
  const Settings settings_;
  const size_t window_;
  const std::shared_ptr<BufferRecycler> recycler_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::vector<std::optional<Conversion>> slots_;  // source i in slot i % window_; guarded by mutex_
  size_t claimed_ = 0, taken_ = 0;                // guarded by mutex_
  size_t readerTarget_ = 0;                       // guarded by mutex_, as are the two below
  bool readerWaiting_ = false;
  unsigned waitingWorkers_ = 0;
  bool stopping_ = false;  // guarded by mutex_
  std::vector<std::thread> threads_;
};

}  // namespace sorvik::python
