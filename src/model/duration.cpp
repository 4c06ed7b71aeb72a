#include "model/duration.h"

#include <array>
#include <utility>

#include "driver/diagnostics.h"
#include "model/names.h"

namespace sorvik {

bool TRIOLCASE(int64_t L, int64_t D) {
  if ((D & (D - 1)) == 0) return false;  // a power of two (or 0): the usual note values
  while (D > 0 && D % 3 == 0 && L % 3 == 0) {
    D /= 3;
    L /= 3;
  }
  while (D > 0 && D % 2 == 0) D /= 2;
  return D == 3;
}

namespace {
void noteType(ConversionState& cs, int64_t L, int64_t D, bool CUE, std::string& out);
}  // namespace

const std::string& MUSICXMLGETNOTETYPE(ConversionState& cs, int64_t L, int64_t D, bool CUE) {
  // A song has few note values: each type text is made once and kept.
  auto& memo = cs.NOTETYPEMEMO;
  NoteTypeMemo& slot = memo[static_cast<uint64_t>(L * 31 + D * 7 + CUE) % memo.size()];
  if (slot.text.empty() || slot.L != L || slot.D != D || slot.CUE != CUE) {
    std::string text;
    noteType(cs, L, D, CUE, text);  // may stop the run: the slot is only filled after
    slot = NoteTypeMemo{L, D, CUE, std::move(text)};
  }
  return slot.text;
}

namespace {

void noteType(ConversionState& cs, int64_t L, int64_t D, bool CUE, std::string& out) {
  while (D != 0 && D % 3 == 0 && L % 3 == 0) {
    D /= 3;
    L /= 3;
  }
  int64_t T = D;
  while (T != 0 && T % 2 == 0) T /= 2;
  bool triplet = T == 3;

  // Scaled to the maxima (eight whole notes); halve until the value is at
  // least the length of type N. D reaching 0 ends the search too.
  L = L * DIVISIONVALUE;
  D = D * DIVISIONVALUE * 8;
  int64_t N = 1;
  while (L < D && D != 0) {
    ++N;
    D /= 2;
  }
  if (triplet) --N;
  ASSERTSORVIK(cs, N >= 1 && N <= 11,
               [&] { return "Note type not allowed: " + std::to_string(L) + "/" + std::to_string(D); },
               cs.FILENAMEIN);

  out.assign(NOTETYPES[N]);
  int64_t pointCase = ((L - D) * 4) / D;
  if (pointCase == 2) out.append("<dot/>");
  if (pointCase == 3) out.append("<dot/><dot/>");
  if (triplet) out.append("&").append(TRIPLETMODIFICATION);
  if (CUE) out.insert(5, " size=\"cue\"");
}

}  // namespace

void MUSICXMLREST(ConversionState& cs, int64_t RESTDURATION) {
  cs.DATAOUT.line("<note>");
  cs.DATAOUT.line("  <rest/>");
  cs.DATAOUT.line("  <duration>", RESTDURATION, "</duration>");
  cs.DATAOUT.line("  </note>");
}

}  // namespace sorvik
