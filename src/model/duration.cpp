#include "model/duration.h"

#include <string>

#include "core/diagnostics.h"

namespace sorvik {

namespace {

// Cancels the threes that L and D have in common.
void cancelThrees(int64_t& L, int64_t& D) {
  while (D > 0 && D % 3 == 0 && L % 3 == 0) {
    D /= 3;
    L /= 3;
  }
}

// What is left of D without its twos is 3.
bool threeTimesPowerOfTwo(int64_t D) {
  while (D > 0 && D % 2 == 0) D /= 2;
  return D == 3;
}

}  // namespace

bool TRIOLCASE(int64_t L, int64_t D) {
  if ((D & (D - 1)) == 0) return false;  // a power of two (or 0): the usual note values
  cancelThrees(L, D);
  return threeTimesPowerOfTwo(D);
}

NoteType NOTETYPE(ConversionState& cs, int64_t L, int64_t D) {
  cancelThrees(L, D);
  NoteType type;
  type.triplet = threeTimesPowerOfTwo(D);

  // Scaled to the maxima (eight whole notes); halve until the value is at
  // least the length of type N. D reaching 0 ends the search too.
  L = L * DIVISIONVALUE;
  D = D * DIVISIONVALUE * 8;
  int N = 1;
  while (L < D && D != 0) {
    ++N;
    D /= 2;
  }
  if (type.triplet) --N;
  ASSERTSORVIK(
      cs, N >= 1 && N <= 11, [&] { return "Note type not allowed: " + std::to_string(L) + "/" + std::to_string(D); },
      cs.FILENAMEIN);
  type.number = N;
  const int64_t pointCase = ((L - D) * 4) / D;
  type.dots = pointCase == 2 ? 1 : pointCase == 3 ? 2 : 0;
  return type;
}

bool EXACTNOTETYPE(int64_t L, int64_t D, NoteType& type) {
  constexpr int64_t kLargest = int64_t{1} << 40;  // far from overflow in the products below
  if (L <= 0 || D <= 0 || L >= kLargest || D >= kLargest) return false;
  // Type N lasts 8 / 2^(N-1) whole notes; one dot makes it 3/2 of that, two
  // 7/4, a triplet 2/3. In twelfths of a whole note before the halvings:
  static constexpr int64_t kTwelfths[2][3] = {{96, 144, 168}, {64, 96, 112}};
  for (int triplet = 0; triplet < 2; ++triplet) {
    for (int N = 1; N <= 11; ++N) {
      for (int dots = 0; dots <= 2; ++dots) {
        if (L * 12 * (int64_t{1} << (N - 1)) == kTwelfths[triplet][dots] * D) {
          type = NoteType{N, dots, triplet == 1};
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace sorvik
