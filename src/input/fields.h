// Cutting an input line into its ten TAB-separated fields.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "driver/state.h"

namespace sorvik {

// Field k (1 to 10) of S, by the TAB positions of the last scan, which must
// be the scan of S and have found nine TABs.
inline std::string_view FIELD(const ConversionState& cs, std::string_view S, int k) {
  const auto& p = cs.TABPOSITIONS;
  const char* d = S.data();
  if (k == 1) return {d, static_cast<size_t>(p[0] - 1)};
  if (k == 10) return {d + p[8], S.size() - static_cast<size_t>(p[8])};
  return {d + p[k - 2], static_cast<size_t>(p[k - 1] - p[k - 2] - 1)};
}

// Cuts S when it has exactly nine TABs (TABPOSITIONS then describe it) and
// returns its cut; otherwise returns nullptr with `tabs` counted and the
// positions of the first 256 kept.
const LineCut* cutAnew(ConversionState& cs, const InputLine& S, int64_t& tabs);
inline const LineCut* CUTLINE(ConversionState& cs, const InputLine& S, int64_t& tabs) {
  // The look-ahead and the time count ask for the same line several times.
  LineCut& cut = cs.CUTS[static_cast<size_t>(S.read) % cs.CUTS.size()];
  if (cut.read != S.read || S.read == 0) return cutAnew(cs, S, tabs);
  if (cs.TABSREAD != S.read) {
    std::copy(cut.positions.begin(), cut.positions.end(), cs.TABPOSITIONS.begin());
    cs.TABSREAD = S.read;
  }
  tabs = 9;
  return &cut;
}

// The fields the time count and the beaming read: code, pitch, length,
// division and position.
inline void CUTTIMINGFIELDS(ConversionState& cs, const LineCut& cut, std::string_view S) {
  cs.NOTECODE = cut.code;
  cs.NOTEPITCH = FIELD(cs, S, 2);
  cs.NOTELENGTH = cut.length;
  cs.NOTEDIVISION = cut.division;
  cs.NOTETIME = FIELD(cs, S, 10);
  cs.NOTETIMESCALED = cut.timeScaled;
  cs.NOTETIMEINTEGER = cut.timeInteger;
}

// The code before the first TAB (P is its position, 0 when there is none).
int64_t leadingCodeAnew(const InputLine& S, int64_t P);
inline int64_t LEADINGCODE(ConversionState& cs, const InputLine& S, int64_t P) {
  const LineCut& cut = cs.CUTS[static_cast<size_t>(S.read) % cs.CUTS.size()];
  if (cut.read == S.read && S.read != 0) return cut.code;
  return leadingCodeAnew(S, P);
}

}  // namespace sorvik
