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

namespace {

// The type of L/D by the rules of NOTETYPE; its number is outside 1 to 11
// for a value that has none.
NoteType typeOf(int64_t& L, int64_t& D) {
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
  type.number = N;
  if (D != 0) {
    const int64_t pointCase = ((L - D) * 4) / D;
    type.dots = pointCase == 2 ? 1 : pointCase == 3 ? 2 : 0;
  }
  return type;
}

}  // namespace

NoteType NOTETYPE(ConversionState& cs, int64_t L, int64_t D) {
  const NoteType type = typeOf(L, D);
  ASSERTSORVIK(
      cs, type.number >= 1 && type.number <= 11,
      [&] { return "Note type not allowed: " + std::to_string(L) + "/" + std::to_string(D); }, cs.FILENAMEIN);
  return type;
}

bool EXACTNOTETYPE(int64_t L, int64_t D, NoteType& type) {
  constexpr int64_t kLargest = int64_t{1} << 40;  // far from overflow in the products below
  if (L <= 0 || D <= 0 || L >= kLargest || D >= kLargest) return false;
  const int64_t length = L, division = D;
  type = typeOf(L, D);
  if (type.number < 1 || type.number > 11) return false;
  // The type's length in whole notes is 8 / 2^(N-1); dots make it 3/2 or
  // 7/4 of that, a triplet 2/3. Compare length/division with it, times 12.
  static constexpr int64_t kDotted[] = {4, 6, 7};  // quarters of the plain length
  const int64_t shift = type.number - 1;
  int64_t typeTwelfths = 8 * 12 * kDotted[type.dots] / 4;  // of a whole note, before the halvings
  if (type.triplet) typeTwelfths = typeTwelfths * 2 / 3;
  return length * 12 * (int64_t{1} << shift) == typeTwelfths * division;
}

}  // namespace sorvik
