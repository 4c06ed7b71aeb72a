#include "musicxml/skeleton.h"

#include <string_view>

#include "model/key.h"
#include "model/variant.h"
#include "musicxml/xml_text.h"

namespace sorvik {

namespace {

// What stands between the fixed texts of a head line.
enum class Value { None, Name, Composer, Lyricist, Subtitle, SongType, FileName, Instrument };

struct HeadLine {
  std::string_view before;
  Value value = Value::None;
  std::string_view after = {};
};

// The head of the document, line by line; the indentation is part of the text.
constexpr HeadLine kHead[] = {
    {R"(<?xml version="1.0" encoding="UTF-8"?>)"},
    {R"(<!DOCTYPE score-partwise PUBLIC "-//Recordare//DTD MusicXML 3.0 Partwise//EN" "http://www.musicxml.org/dtds/partwise.dtd">)"},
    {R"(<score-partwise version="3.0">)"},
    {R"(  <work>)"},
    {R"(    <work-title>)", Value::Name, R"(</work-title>)"},
    {R"(  </work>)"},
    {R"(  <identification>)"},
    {R"(  <creator type="composer">)", Value::Composer, R"(</creator>)"},
    {R"(  <creator type="lyricist">)", Value::Lyricist, R"(</creator>)"},
    {R"(  <rights>)", Value::FileName, R"(</rights>)"},
    {R"(  </identification>)"},
    {R"(<defaults>)"},
    {R"(  <scaling>)"},
    {R"(      <millimeters>7.05556</millimeters>)"},
    {R"(      <tenths>40</tenths>)"},
    {R"(      </scaling>)"},
    {R"(    <page-layout>)"},
    {R"(      <page-height>1683.36</page-height>)"},
    {R"(      <page-width>1190.88</page-width>)"},
    {R"(      <page-margins type="even">)"},
    {R"(        <left-margin>100</left-margin>)"},
    {R"(        <right-margin>100</right-margin>)"},
    {R"(        <top-margin>56.6929</top-margin>)"},
    {R"(        <bottom-margin>113.386</bottom-margin>)"},
    {R"(        </page-margins>)"},
    {R"(      <page-margins type="odd">)"},
    {R"(        <left-margin>100</left-margin>)"},
    {R"(        <right-margin>100</right-margin>)"},
    {R"(        <top-margin>56.6929</top-margin>)"},
    {R"(        <bottom-margin>113.386</bottom-margin>)"},
    {R"(        </page-margins>)"},
    {R"(      </page-layout>)"},
    {R"(    <word-font font-family="FreeSerif" font-size="10"/>)"},
    {R"(    <lyric-font font-family="FreeSerif" font-size="11"/>)"},
    {R"(    </defaults>)"},
    {R"(  <credit page="1">)"},
    {R"(    <credit-words default-x="595.276" default-y="1627.09" justify="center" valign="top" font-size="24">)",
     Value::Name, R"(</credit-words>)"},
    {R"(    </credit>)"},
    {R"(  <credit page="1">)"},
    {R"(    <credit-words default-x="1133.86" default-y="1527.09" justify="right" valign="bottom" font-size="12">)",
     Value::Composer, R"(</credit-words>)"},
    // The lyricist stands below the composer: its text begins with a carriage return.
    {"          <credit-words>\r", Value::Lyricist, R"(</credit-words>)"},
    {R"(    </credit>)"},
    {R"(  <credit page="1">)"},
    {R"(    <credit-words default-x="595.44" default-y="1569.97" justify="center" valign="top" font-size="14">)",
     Value::Subtitle, R"(</credit-words>)"},
    {R"(    </credit>)"},
    {R"(  <credit page="1">)"},
    {R"(    <credit-words default-x="56.6929" default-y="1526.67" justify="left" valign="bottom" font-size="12">)",
     Value::SongType, R"(</credit-words>)"},
    {R"(    </credit>)"},
    {R"(  <credit page="1">)"},
    {R"(    <credit-words default-x="595.44" default-y="113.386" justify="center" valign="bottom">)", Value::FileName,
     R"(</credit-words>)"},
    {R"(</credit>)"},
    {R"(<part-list>)"},
    {R"(<score-part id="P1">)"},
    {R"(<part-name>S</part-name>)"},
    {R"(<part-abbreviation>S</part-abbreviation>)"},
    {R"(<score-instrument id="P1-I1">)"},
    {R"(<instrument-name>S</instrument-name>)"},
    {R"(</score-instrument>)"},
    {R"(<midi-device id="P1-I1" port="1"></midi-device>)"},
    {R"(<midi-instrument id="P1-I1">)"},
    {R"(<midi-channel>1</midi-channel>)"},
    {R"(<midi-program>)", Value::Instrument, R"(</midi-program>)"},
    {R"(<volume>80</volume>)"},
    {R"(<pan>0</pan>)"},
    {R"(</midi-instrument>)"},
    {R"(</score-part>)"},
    {R"(</part-list>)"},
    {R"(<part id="P1">)"},
    {R"(<measure number="1">)"},
};
static_assert(std::size(kHead) == 69);

constexpr std::string_view kEnd[] = {"</measure>", "</part>", "</score-partwise>"};

// The last component of a path: what follows the last "\", "/" or ":".
std::string_view lastComponent(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace

void MUSICXMLHEADER(ConversionState& cs, const std::string& SONGNAME, const std::string& SONGCOMPOSER,
                    const std::string& SONGTEXTWRITER, const std::string& SONGSUBTITLE, const std::string& SONGTYPE,
                    int64_t INSTRUMENT, const std::string& FILENAME) {
  std::string_view fileName = lastComponent(FILENAME);
  for (const HeadLine& l : kHead) {
    switch (l.value) {
      case Value::None: cs.DATAOUT.line(l.before); break;
      case Value::Name: cs.DATAOUT.line(l.before, XmlText{SONGNAME}, l.after); break;
      case Value::Composer: cs.DATAOUT.line(l.before, XmlText{SONGCOMPOSER}, l.after); break;
      case Value::Lyricist: cs.DATAOUT.line(l.before, XmlText{SONGTEXTWRITER}, l.after); break;
      case Value::Subtitle: cs.DATAOUT.line(l.before, XmlText{SONGSUBTITLE}, l.after); break;
      case Value::SongType: cs.DATAOUT.line(l.before, XmlText{SONGTYPE}, l.after); break;
      case Value::FileName: cs.DATAOUT.line(l.before, XmlText{fileName}, l.after); break;
      case Value::Instrument:
        // The schema wants a program 1 to 128.
        if (!RULES(cs.OPTIONS).schemaValues || (INSTRUMENT >= 1 && INSTRUMENT <= 128)) {
          cs.DATAOUT.line(l.before, INSTRUMENT, l.after);
        }
        break;
    }
  }
  CLEARKEY(cs);
}

void MUSICXMLEND(ConversionState& cs) { cs.DATAOUT.lines(kEnd); }

}  // namespace sorvik
