#include "input/numbers.h"

#include <limits>

#include "core/text.h"

namespace sorvik {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int64_t readIntForgiving(std::string_view s) {
  // Leading text other than a sign, a point or a digit is skipped (blanks
  // included). What follows the digits cannot change the value, so the text
  // is read in one pass.
  size_t i = 0;
  while (i < s.size() && s[i] != '-' && s[i] != '.' && !isDigit(s[i])) ++i;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  bool minus = false, ready = false, starting = true;
  int64_t n = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (starting && c == '-') {
      minus = true;
    } else if (isDigit(c)) {
      starting = false;
      if (!ready) n = n > (kMax - (c - '0')) / 10 ? kMax : n * 10 + (c - '0');
    } else {
      ready = true;
      if (!starting) break;  // no later digit counts
    }
  }
  return minus ? -n : n;
}

int64_t STRINGFRACTION(std::string_view s) {
  s = STRIP(s);
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t r = 0;
  size_t i = 0;
  bool saturated = false;
  for (; i < s.size() && isDigit(s[i]); ++i) {
    if (r > (kMax - (s[i] - '0')) / 10) saturated = true;
    if (!saturated) r = r * 10 + (s[i] - '0');
  }
  ++i;  // the separator, whatever it is
  if (saturated || r > kMax / 1000000) return kMax;
  r *= 1000000;
  // Every later character counts, digit or not, at falling weights; from the
  // seventh on the weight is 0.
  int64_t j = 100000;
  for (; i < s.size() && j > 0; ++i, j /= 10) {
    int64_t add = (static_cast<unsigned char>(s[i]) - 48) * j;
    if (add > 0 && r > kMax - add) return kMax;
    r += add;
  }
  return r;
}

}  // namespace sorvik
