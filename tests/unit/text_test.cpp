// The forgiving number helpers decide what the converter makes of odd input;
// the XML text rules decide what of it reaches the document.
#include <gtest/gtest.h>

#include "core/text.h"
#include "input/numbers.h"
#include "musicxml/xml_text.h"

namespace sorvik {
namespace {

// The text as the document takes it.
std::string escaped(std::string_view text, bool attribute) {
  std::string out;
  writeXmlEscaped([&out](std::string_view piece) { out.append(piece); }, text, attribute);
  return out;
}

TEST(Strip, RemovesOnlyOuterBlanks) {
  EXPECT_EQ("", STRIP("    "));
  EXPECT_EQ("a b", STRIP("  a b "));
  EXPECT_EQ("\ta\t", STRIP(" \ta\t "));
}

TEST(StringToInt, TakesTheFirstRunOfDigits) {
  EXPECT_EQ(12, STRINGTOINT("12"));
  EXPECT_EQ(-7, STRINGTOINT(" -7 "));
  EXPECT_EQ(3, STRINGTOINT("3/4"));
  EXPECT_EQ(1, STRINGTOINT("1.5"));
  EXPECT_EQ(12, STRINGTOINT("x12y"));
  EXPECT_EQ(-3, STRINGTOINT("--3"));
  EXPECT_EQ(0, STRINGTOINT(".5"));
  EXPECT_EQ(0, STRINGTOINT("-"));
  EXPECT_EQ(0, STRINGTOINT("abc"));
  EXPECT_EQ(0, STRINGTOINT(""));
  EXPECT_EQ(7, STRINGTOINT("007"));
  EXPECT_EQ(4, STRINGTOINT("4 4"));
  EXPECT_EQ(-12, STRINGTOINT("-12abc"));
  EXPECT_EQ(12, STRINGTOINT("12-3"));
}

TEST(StringToInt, SaturatesAtTheLargest32BitValue) {
  EXPECT_EQ(2147483647, STRINGTOINT("2147483647"));
  EXPECT_EQ(2147483647, STRINGTOINT("2147483648"));
  EXPECT_EQ(2147483647, STRINGTOINT("999999999999999999999999999999"));
  EXPECT_EQ(-2147483647, STRINGTOINT("-999999999999999999999999999999"));
}

TEST(StringFraction, ScalesByAMillion) {
  EXPECT_EQ(2250000, STRINGFRACTION("2.25"));
  EXPECT_EQ(125000, STRINGFRACTION("0.125"));
  EXPECT_EQ(1000000, STRINGFRACTION("1"));
  EXPECT_EQ(3500000, STRINGFRACTION("3,5"));
  EXPECT_EQ(500000, STRINGFRACTION(".5"));
  EXPECT_EQ(1234567, STRINGFRACTION("1.2345678"));
  EXPECT_EQ(0, STRINGFRACTION(""));
  EXPECT_EQ(10000000, STRINGFRACTION("10"));
  EXPECT_EQ(2000000, STRINGFRACTION("2."));
  EXPECT_EQ(1, STRINGFRACTION("0.0000015"));
  EXPECT_EQ(500000, STRINGFRACTION("-5"));  // a minus sign is only a separator
}

TEST(StringFraction, CountsEveryCharacterAfterTheSeparator) {
  // Not only digits: "x" is 72 tenths.
  EXPECT_EQ(1000000 + 72 * 100000, STRINGFRACTION("1.x"));
}

TEST(StringFraction, SaturatesAtTheLargest64BitValue) {
  EXPECT_EQ(INT64_MAX, STRINGFRACTION("999999999999999999999999999999"));
  EXPECT_EQ(INT64_MAX, STRINGFRACTION("9999999999999.5"));
}

TEST(CommaToPoint, ReplacesEveryComma) { EXPECT_EQ("1.5.2", COMMATOPOINT("1,5,2")); }

TEST(XmlEscaping, EscapesWhatWouldBreakTheDocument) {
  auto esc = escaped;
  EXPECT_EQ("Ali &amp; Veli", esc("Ali & Veli", false));
  EXPECT_EQ("a &lt;b> c", esc("a <b> c", false));
  EXPECT_EQ("&amp;&lt;", esc("&<", false));
  EXPECT_EQ("&amp; &amp;", esc("& &", false));
  // References are kept as written.
  EXPECT_EQ("&amp;x &#231; &#xE7; &lt;", esc("&amp;x &#231; &#xE7; &lt;", false));
  EXPECT_EQ("&amp;#; &amp;#x; &amp;name", esc("&#; &#x; &name", false));
  EXPECT_EQ("say \"hi\"", esc("say \"hi\"", false));
  EXPECT_EQ("say &quot;hi&quot;", esc("say \"hi\"", true));
  EXPECT_EQ("Şarkı ağır", esc("Şarkı ağır", true));
}

// What the document takes of tricky texts: invalid UTF-8 replaced part by
// part as Python's bytes.decode("utf-8", "replace") does, characters XML
// cannot carry, and every kind of reference, kept or not.
TEST(XmlEscaping, MakesAnyBytesSoundXml) {
  using namespace std::string_view_literals;  // the texts hold NUL bytes
  struct Row {
    std::string_view in, text, attribute = {};
  };
  const Row rows[] = {
      {"\xC0\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xE2\x82"sv, "\xEF\xBF\xBD"sv},
      {"\xED\xA0\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xE2\x82"
       "A"sv,
       "\xEF\xBF\xBD"
       "A"sv},
      {"\xF0\x9F\x98"sv, "\xEF\xBF\xBD"sv},
      {"\xF0\x9F\x98\x80"sv, "\xF0\x9F\x98\x80"sv},
      {"\xF4\x90\x80\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xF5\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\x80\xBF"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xE0\x80\x80"sv, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xE0\xA0\x80"sv, "\xE0\xA0\x80"sv},
      {"\xEF\xBF\xBE"sv, "\xEF\xBF\xBD"sv},
      {"\xEF\xBF\xBF"sv, "\xEF\xBF\xBD"sv},
      {"\xEF\xBF\xBD"sv, "\xEF\xBF\xBD"sv},
      {"\xC2\x80"sv, "\xC2\x80"sv},
      {"a\x00"
       "b\x1F"
       "c\x7F"sv,
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD"
       "c\x7F"sv},
      {"\x0B\x0C"sv, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
      {"\xDE"
       "ark\xFD a\xF0\xFDr"sv,
       "\xEF\xBF\xBD"
       "ark\xEF\xBF\xBD a\xEF\xBF\xBD\xEF\xBF\xBDr"sv},
      {"\xE2<"sv, "\xEF\xBF\xBD&lt;"sv},
      {"\xC3&amp;"sv, "\xEF\xBF\xBD&amp;"sv},
      {"\xC3\xA7ift\xC3\xA7i"sv, "\xC3\xA7ift\xC3\xA7i"sv},
      {"x&y;"sv, "x&amp;y;"sv},
      {"&#0;"sv, "&amp;#0;"sv},
      {"&#X41;"sv, "&amp;#X41;"sv},
      {"&;"sv, "&amp;;"sv},
      {"&#231;"sv, "&#231;"sv},
      {"&#xE7; &#xe7; &#x10FFFF;"sv, "&#xE7; &#xe7; &#x10FFFF;"sv},
      {"&amp; &apos;&quot;&lt;&gt;"sv, "&amp; &apos;&quot;&lt;&gt;"sv},
      {"&nbsp; &ccedil;"sv, "&amp;nbsp; &amp;ccedil;"sv},
      {"&#xD800; &#xFFFE; &#x110000;"sv, "&amp;#xD800; &amp;#xFFFE; &amp;#x110000;"sv},
      {"&#9; &#31; &#99999999999999999999; &#0065;"sv, "&#9; &amp;#31; &amp;#99999999999999999999; &#0065;"sv},
      {"&#4294967361; &#x100000041;"sv, "&amp;#4294967361; &amp;#x100000041;"sv},  // not 65 modulo 2^32
      {"&#x; &#; &AMP; &amp &lt"sv, "&amp;#x; &amp;#; &amp;AMP; &amp;amp &amp;lt"sv},
      {"]]> ]> ]]]> ] ]>"sv, "]]&gt; ]> ]]]&gt; ] ]>"sv},
      {"]]\xC0> ]]&gt;"sv, "]]\xEF\xBF\xBD> ]]&gt;"sv},
      {"say \x22hi\x22 & <b>"sv, "say \x22hi\x22 &amp; &lt;b>"sv, "say &quot;hi&quot; &amp; &lt;b>"sv},
  };
  for (const Row& r : rows) {
    std::string text = escaped(r.in, false), attribute = escaped(r.in, true);
    EXPECT_EQ(r.text, text) << r.in;
    EXPECT_EQ(r.attribute.data() ? r.attribute : r.text, attribute) << r.in;
  }
}

// Every character XML allows passes byte for byte, apart from the five that
// markup needs.
TEST(XmlEscaping, KeepsEveryAllowedCharacter) {
  auto utf8 = [](char32_t c) {
    std::string s;
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (c >> 18));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
  };
  int changed = 0;
  for (char32_t c = 0x9; c <= 0x10FFFF; ++c) {
    if ((c > 0xD && c < 0x20) || c == 0xB || c == 0xC || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
      continue;
    }
    if (c == '<' || c == '>' || c == '&' || c == '"') continue;
    std::string in = utf8(c), out = escaped(in, true);
    if (out != in && ++changed < 5) ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(c) << " changed";
  }
  EXPECT_EQ(0, changed);
}

TEST(Formatting, PrintsFifteenSignificantDigits) {
  EXPECT_EQ("1", formatG15(1.0));
  EXPECT_EQ("0.75", formatG15(0.75));
  EXPECT_EQ("1.000001", formatG15(1.000001));
  EXPECT_EQ("0.249999", formatG15(0.249999));
  EXPECT_EQ("2.25", formatG15(2.25));
}

TEST(Formatting, PadsLineNumbersToSixDigits) {
  EXPECT_EQ("000012", lineNumberText(12));
  EXPECT_EQ("000000", lineNumberText(0));
  EXPECT_EQ("1234567", lineNumberText(1234567));
}

}  // namespace
}  // namespace sorvik
