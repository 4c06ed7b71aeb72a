// 64-bit arithmetic that stays defined for absurd inputs: results beyond the
// range are held at its ends.
#pragma once

#include <cstdint>
#include <limits>

namespace sorvik {

constexpr int64_t clampTo64(__int128 v) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  return v > kMax ? kMax : v < kMin ? kMin : static_cast<int64_t>(v);
}

constexpr int64_t saturatingAdd64(int64_t a, int64_t b) { return clampTo64(static_cast<__int128>(a) + b); }

}  // namespace sorvik
