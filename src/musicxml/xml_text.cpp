#include "musicxml/xml_text.h"

#include <cstdint>

namespace sorvik {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A character that XML 1.0 allows in a document.
bool isXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Length of the character reference &#digits; or &#xhex; at text[0], or 0;
// a number past the last character counts as none.
size_t characterReferenceLength(std::string_view text) {
  if (text.size() < 4 || text[1] != '#') return 0;
  const bool hex = text[2] == 'x';
  const int base = hex ? 16 : 10;
  size_t i = hex ? 3 : 2;
  const size_t first = i;
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    int digit = hex ? hexValue(text[i]) : (isDigit(text[i]) ? text[i] - '0' : -1);
    if (digit < 0) break;
    value = value > 0x10FFFF ? value : value * base + static_cast<uint32_t>(digit);
  }
  if (i == first || i >= text.size() || text[i] != ';' || !isXmlChar(value)) return 0;
  return i + 1;
}

// Bytes that may need another text in the document; all others below 0x80
// pass unchanged.
struct AsciiTable {
  bool special[128] = {};
  constexpr AsciiTable() {
    for (int c = 0; c < 0x20; ++c) special[c] = c != '\t' && c != '\n' && c != '\r';
    special[static_cast<int>('<')] = special[static_cast<int>('>')] = special[static_cast<int>('&')] = true;
    special[static_cast<int>('"')] = true;
  }
};
constexpr AsciiTable kAscii;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the UTF-8 sequence that begins at text[i] (a byte of 0x80 or
// more), or, when it is not one, the negated length of its maximal subpart:
// the longest start of a well-formed sequence, at least one byte.
int utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  int length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return -1;  // a continuation byte, C0, C1 or F5 to FF
  }
  for (int k = 1; k < length; ++k) {
    if (i + k >= text.size()) return -k;
    unsigned char b = byte(i + k);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return -k;
  }
  return length;
}

}  // namespace

size_t referenceLength(std::string_view text) {
  for (std::string_view named : {"&lt;", "&gt;", "&amp;", "&quot;", "&apos;"}) {
    if (text.starts_with(named)) return named.size();
  }
  return characterReferenceLength(text);
}

XmlPiece nextXmlPiece(std::string_view text, size_t at, bool attribute) {
  XmlPiece p;
  size_t i = at;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (!kAscii.special[c]) {
        ++i;
        continue;
      }
      if (c == '<') {
        p.with = "&lt;";
      } else if (c == '&') {
        size_t kept = referenceLength(text.substr(i));
        if (kept) {
          i += kept;
          continue;
        }
        p.with = "&amp;";
      } else if (c == '>') {
        // "]]>" may not stand in XML text; a "]" is always copied as it is.
        if (i < 2 || text[i - 1] != ']' || text[i - 2] != ']') {
          ++i;
          continue;
        }
        p.with = "&gt;";
      } else if (c == '"') {
        if (!attribute) {
          ++i;
          continue;
        }
        p.with = "&quot;";
      } else {
        p.with = kReplacement;  // a control character
      }
      p.replaced = 1;
      break;
    }
    int length = utf8Length(text, i);
    if (length < 0) {
      p.with = kReplacement;
      p.replaced = static_cast<size_t>(-length);
      p.notUtf8 = true;
      break;
    }
    // U+FFFE and U+FFFF are well-formed UTF-8 but no XML characters.
    if (length == 3 && c == 0xEF && text[i + 1] == '\xBF' && (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
      p.with = kReplacement;
      p.replaced = 3;
      break;
    }
    i += static_cast<size_t>(length);
  }
  p.kept = i - at;
  return p;
}

}  // namespace sorvik
