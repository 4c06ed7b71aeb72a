#include "input/fields.h"

#include <algorithm>
#include <array>

#include "driver/text.h"

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

// Counts the TABs of S and keeps the positions of the first 256 in
// TABPOSITIONS (1-based), and collects the classes of all its bytes;
// returns the count.
int64_t SCANTABS(ConversionState& cs, std::string_view S, uint8_t& classes) {
  int64_t count = 0;
  uint8_t seen = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(S.data());
  const int64_t size = static_cast<int64_t>(S.size());
  for (int64_t i = 0; i < size; ++i) {
    uint8_t c = kByteClass[p[i]];
    seen |= c;
    if (!(c & kTab)) continue;
    if (count < TABSLOTS) cs.TABPOSITIONS[count] = i + 1;
    ++count;
  }
  classes = seen;
  return count;
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

const LineCut* cutAnew(ConversionState& cs, const InputLine& S, int64_t& tabs) {
  LineCut& cut = cs.CUTS[static_cast<size_t>(S.read) % cs.CUTS.size()];
  std::string_view text = S.text;
  uint8_t classes;
  tabs = SCANTABS(cs, text, classes);
  cs.TABSREAD = 0;
  if (tabs != 9) return nullptr;
  cs.TABSREAD = S.read;
  cut.read = S.read;
  std::copy(cs.TABPOSITIONS.begin(), cs.TABPOSITIONS.begin() + 9, cut.positions.begin());
  cut.markerSign = classes & kMarker;
  cut.barlineSign = classes & kBarline;
  std::string_view code = STRIP(FIELD(cs, text, 1));
  cut.code = STRINGTOINT(code);
  cut.codeBlank = code.empty();
  cut.length = STRINGTOINT(FIELD(cs, text, 3));
  cut.division = STRINGTOINT(FIELD(cs, text, 4));
  cut.legato = STRINGTOINT(FIELD(cs, text, 5));
  cut.bas = STRINGTOINT(FIELD(cs, text, 6));
  cut.top = STRINGTOINT(FIELD(cs, text, 7));
  std::string_view time = FIELD(cs, text, 10);
  if (!readPlainTime(time, cut.timeScaled, cut.timeInteger)) {
    cut.timeScaled = STRINGFRACTION(time);
    cut.timeInteger = STRINGTOINT(time);
  }
  return &cut;
}

int64_t leadingCodeAnew(const InputLine& S, int64_t P) {
  return P > 0 ? STRINGTOINT(std::string_view(S.text).substr(0, P - 1)) : 0;
}

}  // namespace sorvik
