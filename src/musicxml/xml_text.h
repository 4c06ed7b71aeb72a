// The rules by which text of the input or the command line goes into the
// document as sound XML, and the two kinds of such text a document line holds.
#pragma once

#include <cstddef>
#include <string_view>

namespace sorvik {

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

// Text as a part of a document line (core/line_io.h): element content, or
// an attribute value, which also escapes '"'. "&quot;" is the longest text a
// byte can become.
template <bool Attribute>
struct XmlTextPart {
  std::string_view text;
  size_t most() const { return 6 * text.size(); }
  template <class Out>
  bool writeTo(Out&& out) const {
    return writeXmlEscaped(out, text, Attribute);
  }
};
using XmlText = XmlTextPart<false>;
using XmlAttribute = XmlTextPart<true>;

}  // namespace sorvik
