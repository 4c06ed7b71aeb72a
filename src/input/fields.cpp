#include "input/fields.h"

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

void CUTTIMINGFIELDS(ConversionState& cs, std::string_view S) {
  cs.NOTECODE = STRINGTOINT(STRIP(FIELD(cs, S, 1)));
  cs.NOTEPITCH.assign(FIELD(cs, S, 2));
  cs.NOTELENGTH = STRINGTOINT(FIELD(cs, S, 3));
  cs.NOTEDIVISION = STRINGTOINT(FIELD(cs, S, 4));
  cs.NOTETIME.assign(FIELD(cs, S, 10));
}

int64_t LEADINGCODE(std::string_view S, int64_t P) { return P > 0 ? STRINGTOINT(S.substr(0, P - 1)) : 0; }

}  // namespace sorvik
