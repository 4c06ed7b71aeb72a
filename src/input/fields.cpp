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

const LineCut* CUTLINE(ConversionState& cs, const InputLine& S, int64_t& tabs) {
  LineCut& cut = cs.CUTS[static_cast<size_t>(S.read) % cs.CUTS.size()];
  if (cut.read == S.read && S.read != 0) {
    std::copy(cut.positions.begin(), cut.positions.end(), cs.TABPOSITIONS.begin());
    tabs = 9;
    return &cut;
  }
  std::string_view text = S.text;
  tabs = SCANTABS(cs, text);
  if (tabs != 9) return nullptr;
  cut.read = S.read;
  std::copy(cs.TABPOSITIONS.begin(), cs.TABPOSITIONS.begin() + 9, cut.positions.begin());
  std::string_view code = STRIP(FIELD(cs, text, 1));
  cut.code = STRINGTOINT(code);
  cut.codeBlank = code.empty();
  cut.length = STRINGTOINT(FIELD(cs, text, 3));
  cut.division = STRINGTOINT(FIELD(cs, text, 4));
  cut.legato = STRINGTOINT(FIELD(cs, text, 5));
  cut.bas = STRINGTOINT(FIELD(cs, text, 6));
  cut.top = STRINGTOINT(FIELD(cs, text, 7));
  cut.timeScaled = STRINGFRACTION(FIELD(cs, text, 10));
  cut.timeInteger = STRINGTOINT(FIELD(cs, text, 10));
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

int64_t LEADINGCODE(ConversionState& cs, const InputLine& S, int64_t P) {
  const LineCut& cut = cs.CUTS[static_cast<size_t>(S.read) % cs.CUTS.size()];
  if (cut.read == S.read && S.read != 0) return cut.code;
  return P > 0 ? STRINGTOINT(std::string_view(S.text).substr(0, P - 1)) : 0;
}

}  // namespace sorvik
