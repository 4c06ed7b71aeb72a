// Forgiving text-to-number helpers (they never fail: text that is not a
// number gives 0 or the partial value), and the few text formats the
// converter prints.
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

// Every "," replaced by ".".
std::string COMMATOPOINT(std::string_view s);

// Length of the character reference (&name; &#digits; &#xhex;) that begins
// at text[0] == '&', or 0 when it begins none.
size_t referenceLength(std::string_view text);

// Hands `text` to `out` piece by piece as it goes into the document: "<" as
// "&lt;", an "&" that does not begin a reference as "&amp;", and in an
// attribute value '"' as "&quot;". All other bytes are copied unchanged.
template <class Out>
void writeXmlEscaped(Out&& out, std::string_view text, bool attribute) {
  size_t done = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    std::string_view with;
    if (c == '<') {
      with = "&lt;";
    } else if (c == '&' && referenceLength(text.substr(i)) == 0) {
      with = "&amp;";
    } else if (c == '"' && attribute) {
      with = "&quot;";
    } else {
      continue;
    }
    out(text.substr(done, i - done));
    out(with);
    done = i + 1;
  }
  out(text.substr(done));
}

inline void appendXmlEscaped(std::string& out, std::string_view text, bool attribute) {
  writeXmlEscaped([&out](std::string_view piece) { out.append(piece); }, text, attribute);
}

// A double as C's "%.15g" prints it, always with "." as decimal separator.
std::string formatG15(double x);

// A line number padded with zeros to six digits.
std::string lineNumberText(int64_t n);

}  // namespace sorvik
