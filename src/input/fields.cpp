#include "input/fields.h"

#include <array>

#include "core/text.h"
#include "input/numbers.h"

namespace sorvik {

namespace {

// What a byte is to the line scan: a TAB, a marker sign (a line holding one
// is a marker line), a barline sign among them.
enum : uint8_t { kTab = 1, kMarker = 2, kBarline = 4 };

constexpr std::array<uint8_t, 256> kByteClass = [] {
  std::array<uint8_t, 256> c{};
  c['\t'] = kTab;
  for (char m : std::string_view("()[]:$><{}+-")) c[static_cast<unsigned char>(m)] |= kMarker;
  for (char m : std::string_view("()[]:$")) c[static_cast<unsigned char>(m)] |= kBarline;
  return c;
}();

// Counts the TABs of the line, keeps the positions of the first nine and
// collects the classes of all its bytes.
void SCANTABS(LineRecord& line, uint8_t& classes) {
  int64_t count = 0;
  uint8_t seen = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(line.text.data());
  const size_t size = line.text.size();
  for (size_t i = 0; i < size; ++i) {
    uint8_t c = kByteClass[p[i]];
    seen |= c;
    if (!(c & kTab)) continue;
    if (count < 9) line.tabAt[static_cast<size_t>(count)] = static_cast<uint32_t>(i);
    ++count;
  }
  line.tabs = count;
  classes = seen;
}

// The position field as a fraction and as a whole number at once, when it
// is plain digits with at most one point (as almost every line has it);
// false otherwise.
bool readPlainTime(std::string_view s, int64_t& scaled, int64_t& integer) {
  size_t i = 0;
  int64_t whole = 0;
  while (i < s.size() && i < 9 && s[i] >= '0' && s[i] <= '9') whole = whole * 10 + (s[i++] - '0');
  if (i == 0 || (i < s.size() && s[i] != '.')) return false;
  int64_t fraction = 0, weight = 100000;
  for (size_t j = i + 1; j < s.size(); ++j, weight /= 10) {
    if (s[j] < '0' || s[j] > '9' || weight == 0) return false;
    fraction += (s[j] - '0') * weight;
  }
  scaled = whole * 1000000 + fraction;
  integer = whole;
  return true;
}

}  // namespace

void CUTLINE(LineRecord& line) {
  uint8_t classes;
  SCANTABS(line, classes);
  line.cut = line.tabs == 9;
  const std::string_view text = line.text;
  line.leadingCode = line.tabs > 0 ? STRINGTOINT(text.substr(0, line.tabAt[0])) : 0;
  if (!line.cut) return;
  line.markerSign = classes & kMarker;
  line.barlineSign = classes & kBarline;
  std::string_view code = STRIP(line.field(1));
  line.code = STRINGTOINT(code);
  line.codeBlank = code.empty();
  line.length = STRINGTOINT(line.field(3));
  line.division = STRINGTOINT(line.field(4));
  line.legato = STRINGTOINT(line.field(5));
  line.bas = STRINGTOINT(line.field(6));
  line.top = STRINGTOINT(line.field(7));
  std::string_view time = line.field(10);
  if (!readPlainTime(time, line.timeScaled, line.timeInteger)) {
    line.timeScaled = STRINGFRACTION(time);
    line.timeInteger = STRINGTOINT(time);
  }
}

}  // namespace sorvik
