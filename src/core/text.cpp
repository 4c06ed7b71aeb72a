#include "core/text.h"

#include <cstdio>

namespace sorvik {

std::string COMMATOPOINT(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c == ',') c = '.';
  }
  return r;
}

std::string formatG15(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  return COMMATOPOINT(buf);
}

std::string lineNumberText(int64_t n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return digits;
}

}  // namespace sorvik
