// Cutting an input line into its ten TAB-separated fields.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/state.h"

namespace sorvik {

// Counts the TABs of S and keeps the positions of the first 256 in
// TABPOSITIONS (1-based); returns the count.
int64_t SCANTABS(ConversionState& cs, std::string_view S);

// Field k (1 to 10) of S, by the TAB positions of the last scan (nine TABs).
std::string_view FIELD(const ConversionState& cs, std::string_view S, int k);

// Cuts S when it has exactly nine TABs (TABPOSITIONS then describe it) and
// returns its cut; otherwise returns nullptr with `tabs` counted and the
// positions of the first 256 kept.
const LineCut* CUTLINE(ConversionState& cs, const InputLine& S, int64_t& tabs);

// The fields the time count and the beaming read: code, pitch, length,
// division and position.
void CUTTIMINGFIELDS(ConversionState& cs, const LineCut& cut, std::string_view S);

// The code before the first TAB (P is its position, 0 when there is none).
int64_t LEADINGCODE(ConversionState& cs, const InputLine& S, int64_t P);

}  // namespace sorvik
