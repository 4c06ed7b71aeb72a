// Forgiving text-to-number reading of the notation's fields: it never fails;
// text that is not a number gives 0 or the partial value.
#pragma once

#include <cstdint>
#include <string_view>

namespace sorvik {

// STRINGTOINT for any text.
int64_t readIntForgiving(std::string_view s);

// The value of the first run of digits, with a leading minus sign; digits
// after the first other character are ignored. Saturates at 2147483647.
inline int64_t STRINGTOINT(std::string_view s) {
  // Most fields are a few plain digits or nothing.
  if (s.size() <= 9) {
    int64_t n = 0;
    size_t i = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0');
    if (i == s.size()) return n;
  }
  return readIntForgiving(s);
}

// A decimal number scaled by 1000000: integer part, any one separator
// character, then up to six fraction digits. Saturates at the 64-bit maximum.
int64_t STRINGFRACTION(std::string_view s);

}  // namespace sorvik
