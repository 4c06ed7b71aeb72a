#include "input/fields.h"

#include <algorithm>

#include "driver/text.h"

namespace sorvik {

int64_t SCANTABS(ConversionState& cs, std::string_view S) {
  // A plain loop: fields are short, and memchr's start-up per field costs more.
  int64_t count = 0;
  const int64_t size = static_cast<int64_t>(S.size());
  for (int64_t i = 0; i < size; ++i) {
    if (S[i] != '\t') continue;
    if (count < TABSLOTS) cs.TABPOSITIONS[count] = i + 1;
    ++count;
  }
  return count;
}

std::string_view FIELD(const ConversionState& cs, std::string_view S, int k) {
  const auto& p = cs.TABPOSITIONS;
  if (k == 1) return S.substr(0, p[0] - 1);
  if (k == 10) return S.substr(p[8]);
  return S.substr(p[k - 2], p[k - 1] - p[k - 2] - 1);
}

namespace {

// The most recent cuts are looked at first.
LineCut* findCut(ConversionState& cs, std::string_view S) {
  const size_t n = cs.CUTS.size();
  for (size_t back = 1; back <= n; ++back) {
    LineCut& cut = cs.CUTS[(cs.CUTNEXT - back) % n];
    if (cut.line.size() == S.size() && !S.empty() && cut.line == S) return &cut;
  }
  return nullptr;
}

}  // namespace

const LineCut* CUTLINE(ConversionState& cs, std::string_view S, int64_t& tabs) {
  if (LineCut* cut = findCut(cs, S)) {
    std::copy(cut->positions.begin(), cut->positions.end(), cs.TABPOSITIONS.begin());
    tabs = 9;
    return cut;
  }
  tabs = SCANTABS(cs, S);
  if (tabs != 9) return nullptr;
  LineCut& cut = cs.CUTS[cs.CUTNEXT++ % cs.CUTS.size()];
  cut.line.assign(S);
  std::copy(cs.TABPOSITIONS.begin(), cs.TABPOSITIONS.begin() + 9, cut.positions.begin());
  std::string_view code = STRIP(FIELD(cs, S, 1));
  cut.code = STRINGTOINT(code);
  cut.codeBlank = code.empty();
  cut.length = STRINGTOINT(FIELD(cs, S, 3));
  cut.division = STRINGTOINT(FIELD(cs, S, 4));
  cut.legato = STRINGTOINT(FIELD(cs, S, 5));
  cut.bas = STRINGTOINT(FIELD(cs, S, 6));
  cut.top = STRINGTOINT(FIELD(cs, S, 7));
  cut.timeScaled = STRINGFRACTION(FIELD(cs, S, 10));
  cut.timeInteger = STRINGTOINT(FIELD(cs, S, 10));
  return &cut;
}

void CUTTIMINGFIELDS(ConversionState& cs, const LineCut& cut, std::string_view S) {
  cs.NOTECODE = cut.code;
  cs.NOTEPITCH.assign(FIELD(cs, S, 2));
  cs.NOTELENGTH = cut.length;
  cs.NOTEDIVISION = cut.division;
  cs.NOTETIME.assign(FIELD(cs, S, 10));
  cs.NOTETIMESCALED = cut.timeScaled;
  cs.NOTETIMEINTEGER = cut.timeInteger;
}

int64_t LEADINGCODE(ConversionState& cs, std::string_view S, int64_t P) {
  if (const LineCut* cut = findCut(cs, S)) return cut->code;
  return P > 0 ? STRINGTOINT(S.substr(0, P - 1)) : 0;
}

}  // namespace sorvik
