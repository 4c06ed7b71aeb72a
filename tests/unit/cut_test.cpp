// Shortcuts of the line interpreter and the writer must give exactly what the
// plain rules give: the cut of a line against reading its fields one by one,
// kept pitch tokens against a fresh reading, and the line writer's unchecked
// path against its checked one.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/text.h"
#include "input/fields.h"
#include "input/numbers.h"
#include "model/pitch.h"
#include "musicxml/xml_text.h"

namespace sorvik {
namespace {

std::string randomText(std::mt19937& rng, std::string_view alphabet, size_t most) {
  std::string s(rng() % (most + 1), ' ');
  for (char& c : s) c = alphabet[rng() % alphabet.size()];
  return s;
}

TEST(LineCut, AgreesWithReadingEachField) {
  std::mt19937 rng(7);
  const std::string_view anyByte("0123456789 .-x,()[]:$><{}+ab\xC3\xBC");
  const std::string_view positionByte("0123456789..  -x,");
  for (int n = 1; n <= 20000; ++n) {
    std::string fields[10];
    for (auto& f : fields) f = randomText(rng, anyByte, 12);
    if (n % 2) fields[9] = std::to_string(rng() % 1000) + "." + std::to_string(rng() % 10000000);
    if (n % 3 == 0) fields[9] = randomText(rng, positionByte, 14);
    std::string text = fields[0];
    for (int k = 1; k < 10; ++k) text += "\t" + fields[k];
    LineRecord line;
    line.text = text;
    CUTLINE(line);
    ASSERT_TRUE(line.cut) << text;
    EXPECT_EQ(9, line.tabs);
    EXPECT_EQ(STRINGTOINT(fields[0]), line.leadingCode) << text;
    const LineRecord moved = std::move(line);  // fields are positions: they move with the text
    const LineRecord* cut = &moved;
    for (int k = 1; k <= 10; ++k) ASSERT_EQ(fields[k - 1], moved.field(k)) << text;
    EXPECT_EQ(STRINGTOINT(STRIP(fields[0])), cut->code) << text;
    EXPECT_EQ(STRINGTOINT(fields[2]), cut->length) << text;
    EXPECT_EQ(STRINGTOINT(fields[6]), cut->top) << text;
    EXPECT_EQ(STRINGFRACTION(fields[9]), cut->timeScaled) << text;
    EXPECT_EQ(STRINGTOINT(fields[9]), cut->timeInteger) << text;
    EXPECT_EQ(text.find_first_of("()[]:$><{}+-") != std::string::npos, cut->markerSign) << text;
    EXPECT_EQ(text.find_first_of("()[]:$") != std::string::npos, cut->barlineSign) << text;
  }
}

TEST(LineCut, LinesWithAnotherTabCountKeepOnlyTheirLeadingCode) {
  struct Row {
    std::string text;
    int64_t tabs, leadingCode;
  };
  for (const Row& row : {Row{"", 0, 0}, Row{"51", 0, 0}, Row{" 51 \tx", 1, 51}, Row{"9\tla4\t1\t8", 3, 9},
                         Row{"56\t" + std::string(300, '\t'), 301, 56}, Row{"x\t\t\t\t\t\t\t\t\t\t", 10, 0}}) {
    LineRecord line;
    line.text = row.text;
    CUTLINE(line);
    EXPECT_FALSE(line.cut) << row.text;
    EXPECT_EQ(row.tabs, line.tabs) << row.text;
    EXPECT_EQ(row.leadingCode, line.leadingCode) << row.text;
  }
}

// Tokens of up to seven bytes are kept; the same token with trailing blanks
// (eight bytes or more) is read afresh each time, and must read the same.
TEST(PitchTokens, KeptReadingsEqualFreshOnes) {
  ConversionState cs;
  std::vector<std::string> tokens;
  for (std::string name : {"do", "re", "mi", "fa", "sol", "la", "si"}) {
    for (char octave : {'3', '4', '5'}) {
      tokens.push_back(name + octave);
      for (char sign : {'b', '#'}) {
        for (char commas = '1'; commas <= '8'; ++commas) tokens.push_back(name + octave + sign + commas);
      }
    }
  }
  std::mt19937 rng(11);
  for (int round = 0; round < 4; ++round) {
    std::shuffle(tokens.begin(), tokens.end(), rng);
    for (bool grace : {false, true}) {
      for (const std::string& token : tokens) {
        Pitch kept = READPITCH(cs, token, grace);
        std::string keptAlter = ALTERTEXT(kept, grace);
        const Pitch& fresh = READPITCH(cs, token + "     ", grace);
        EXPECT_EQ(fresh.reduced, kept.reduced) << token;
        EXPECT_EQ(fresh.step, kept.step) << token;
        EXPECT_EQ(fresh.octave, kept.octave) << token;
        EXPECT_EQ(fresh.commas, kept.commas) << token;
        EXPECT_EQ(fresh.accidental, kept.accidental) << token;
        EXPECT_EQ(ALTERTEXT(fresh, grace), keptAlter) << token;
        EXPECT_EQ(GETNOTEACCIDENTAL(cs, fresh.reduced), GETNOTEACCIDENTAL(cs, kept.reduced)) << token;
        EXPECT_EQ(fresh.accidental, kept.accidental) << token;
      }
    }
  }
}

// Lines of every length around the buffer's room, with texts that grow when
// escaped, come out whole and in order.
TEST(LineWriter, WritesLinesOfAnyLengthWhole) {
  struct Collect : DocumentSink {
    std::string text;
    int writes = 0, closes = 0;
    void write(std::string_view bytes) override {
      text.append(bytes);
      ++writes;
    }
    void close() override { ++closes; }
  } sink;
  std::string expected;
  {
    LineWriter out;
    out.open(sink);
    std::mt19937 rng(3);
    for (int n = 0; n < 3000; ++n) {
      size_t size = n % 200 == 0 ? rng() % 700000 : rng() % 3000;
      std::string text(size, 'a');
      if (n % 3 == 0) std::fill(text.begin(), text.end(), '"');
      if (n % 3 == 0) {
        out.line("<a t=\"", XmlAttribute{text}, "\">", n, '!');
        std::string quoted;
        for (size_t i = 0; i < size; ++i) quoted += "&quot;";
        expected += "<a t=\"" + quoted + "\">" + std::to_string(n) + "!\r\n";
      } else {
        out.line(std::string_view(text), -static_cast<int64_t>(n));
        expected += text + std::to_string(-static_cast<int64_t>(n)) + "\r\n";
      }
    }
    EXPECT_EQ(expected.size(), out.written());
    out.close();
    out.close();  // a second close does nothing
  }
  const std::string& written = sink.text;
  ASSERT_EQ(expected.size(), written.size());
  EXPECT_TRUE(expected == written);
  EXPECT_EQ(1, sink.closes);
  EXPECT_GT(sink.writes, 10);  // handed over in pieces, not held whole
}

}  // namespace
}  // namespace sorvik
