// Small text helpers that every layer uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvik {

// Removes leading and trailing blanks (code 32 only).
inline std::string_view STRIP(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Every "," replaced by ".".
std::string COMMATOPOINT(std::string_view s);

// A double as C's "%.15g" prints it, always with "." as decimal separator.
std::string formatG15(double x);

// A line number padded with zeros to six digits.
std::string lineNumberText(int64_t n);

}  // namespace sorvik
