// Many conversions on worker threads, handed out in the order of their
// sources. The workers run at most `window` sources ahead of the reader, so
// that memory does not grow with the number of sources when the reader is
// slower than the workers. Nobody is woken without cause: the reader only by
// the source it waits for, the workers only when they wait for room. On two
// cores a wake-up per song costs as much as a small song's conversion.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "conversion.h"

namespace sorvik::python {

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

 private:
  void work();

  const std::vector<Source> sources_;
  const Settings settings_;
  const size_t window_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::vector<std::optional<Conversion>> slots_;  // source i in slot i % window_; guarded by mutex_
  size_t claimed_ = 0, taken_ = 0;                // guarded by mutex_
  unsigned waitingWorkers_ = 0;                   // guarded by mutex_
  bool stopping_ = false;                         // guarded by mutex_
  std::vector<std::thread> threads_;
};

}  // namespace sorvik::python
