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

// Length of the reference that begins at text[0] == '&' and that the
// document keeps: one of XML's own five (&lt; &gt; &amp; &quot; &apos;) or a
// character reference (&#digits; or &#xhex;) to a character XML allows;
// 0 when it begins none of them.
size_t referenceLength(std::string_view text);

// What the document takes of text[at...]: `kept` bytes as they are, then, in
// place of the next `replaced` bytes, `with` (nothing is replaced at the end
// of the text).
struct XmlPiece {
  size_t kept = 0, replaced = 0;
  std::string_view with;
  bool notUtf8 = false;  // the replaced bytes are no UTF-8
};
XmlPiece nextXmlPiece(std::string_view text, size_t at, bool attribute);

// Hands `text` to `out` piece by piece as it goes into the document, in one
// pass: "<" as "&lt;", an "&" that does not begin a kept reference as
// "&amp;", a ">" after "]]" as "&gt;", in an attribute value '"' as
// "&quot;"; each maximal part of a byte sequence that is not UTF-8, and each
// character XML cannot carry (controls other than TAB, LF and CR, U+FFFE,
// U+FFFF), as U+FFFD. Everything else is copied unchanged. No byte grows to
// more than six. Returns whether bytes that are no UTF-8 were replaced.
template <class Out>
bool writeXmlEscaped(Out&& out, std::string_view text, bool attribute) {
  size_t at = 0;
  bool notUtf8 = false;
  while (at < text.size()) {
    XmlPiece p = nextXmlPiece(text, at, attribute);
    if (p.kept) out(text.substr(at, p.kept));
    if (p.replaced == 0) break;
    out(p.with);
    notUtf8 = notUtf8 || p.notUtf8;
    at += p.kept + p.replaced;
  }
  return notUtf8;
}

inline void appendXmlEscaped(std::string& out, std::string_view text, bool attribute) {
  writeXmlEscaped([&out](std::string_view piece) { out.append(piece); }, text, attribute);
}

// A double as C's "%.15g" prints it, always with "." as decimal separator.
std::string formatG15(double x);

// A line number padded with zeros to six digits.
std::string lineNumberText(int64_t n);

}  // namespace sorvik
