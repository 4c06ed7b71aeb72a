// UTF-8: checking bytes as they stream by, and making text valid for the report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sorvik::batch {

// Follows bytes given in pieces of any size (a sequence may be split
// between two pieces). Overlong forms, surrogates and values above U+10FFFF
// are not UTF-8.
class Utf8Check {
 public:
  void feed(const char* data, size_t size);
  // All bytes so far are UTF-8 and no sequence is left open.
  bool valid() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;                         // continuation bytes still wanted
  unsigned char low_ = 0x80, high_ = 0xBF;  // the range of the next continuation byte
};

// The text with each byte that does not belong to a UTF-8 sequence replaced by U+FFFD.
std::string validUtf8(std::string_view text);

}  // namespace sorvik::batch
