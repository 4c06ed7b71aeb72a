// The forgiving number helpers decide what the converter makes of odd input.
#include <gtest/gtest.h>

#include "driver/text.h"

namespace sorvik {
namespace {

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
  auto esc = [](std::string_view s, bool attribute) {
    std::string out;
    appendXmlEscaped(out, s, attribute);
    return out;
  };
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
