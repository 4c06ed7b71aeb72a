// The record of one input line, made once as the line is read.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/codes.h"

namespace sorvik {

// One line of the input, read once: its text, where its TABs are, and what
// the time count, the look-ahead and the interpreter read of it. The fields
// are kept as positions, so a record may be moved and copied freely.
struct LineRecord {
  std::string text;
  int64_t tabs = 0;  // TAB characters in the line
  // The number before the first TAB, 0 in a line without one: what the time
  // count takes as the line's code, whatever the TAB count.
  int64_t leadingCode = 0;
  // The rest holds only for a line with exactly nine TABs (cut).
  bool cut = false;
  std::array<uint32_t, 9> tabAt{};  // 0-based positions of the nine TABs
  int64_t code = 0;                 // field 1 as a number
  bool codeBlank = false;           // field 1 holds nothing but blanks
  int64_t length = 0, division = 0, legato = 0, bas = 0;
  int64_t top = 0;                          // field 7 as a number
  int64_t timeScaled = 0, timeInteger = 0;  // field 10 as a fraction and as a number
  bool markerSign = false;                  // the line holds one of ()[]:$><{}+-
  bool barlineSign = false;                 // the line holds one of ()[]:$

  bool empty() const { return text.empty(); }
  // Field 1 as the interpreter takes it: a blank field is a plain note (the
  // time count takes `code`, in which it is 0).
  int64_t interpretedCode() const { return codeBlank ? code::PLAIN : code; }
  void clear() {
    text.clear();
    tabs = 0;
    leadingCode = 0;
    cut = false;
  }
  // Field k (1 to 10) of a cut line.
  std::string_view field(int k) const {
    assert(cut && k >= 1 && k <= 10);
    const std::string_view t = text;
    const size_t from = k == 1 ? 0 : tabAt[k - 2] + 1;
    const size_t to = k == 10 ? t.size() : tabAt[k - 1];
    return t.substr(from, to - from);
  }
};

}  // namespace sorvik
