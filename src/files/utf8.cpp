#include "sorvik/files.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sorvik {

namespace {

// How many continuation bytes follow a lead byte, and the range of the first
// of them; -1 for a byte that cannot start a sequence.
int leadByte(unsigned char b, unsigned char& low, unsigned char& high) {
  low = 0x80;
  high = 0xBF;
  if (b < 0x80) return 0;
  if (b >= 0xC2 && b <= 0xDF) return 1;
  if (b >= 0xE0 && b <= 0xEF) {
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
    return 2;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
    return 3;
  }
  return -1;
}

// The length of the UTF-8 sequence at the start of `s`, 0 when none is there.
size_t sequenceLength(std::string_view s) {
  unsigned char low, high;
  int more = leadByte(static_cast<unsigned char>(s[0]), low, high);
  if (more < 0 || s.size() < static_cast<size_t>(more) + 1) return 0;
  for (int i = 1; i <= more; ++i) {
    auto b = static_cast<unsigned char>(s[static_cast<size_t>(i)]);
    if (b < low || b > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return static_cast<size_t>(more) + 1;
}

std::string escaped(unsigned char value) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02x", value);
  return text;
}

bool isControl(unsigned char b) { return (b < 0x20 && b != '\t' && b != '\n') || b == 0x7F; }

}  // namespace

void Utf8Check::feed(const char* data, size_t size) {
  if (!valid_) return;
  for (size_t i = 0; i < size; ++i) {
    // Scores are nearly all ASCII: eight bytes at a time while no sequence is open.
    while (pending_ == 0 && size - i >= 8) {
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      if (word & 0x8080808080808080u) break;
      i += 8;
    }
    if (i == size) break;
    auto b = static_cast<unsigned char>(data[i]);
    if (pending_ > 0) {
      if (b < low_ || b > high_) {
        valid_ = false;
        return;
      }
      --pending_;
      low_ = 0x80;
      high_ = 0xBF;
    } else if (b >= 0x80) {
      pending_ = leadByte(b, low_, high_);
      if (pending_ < 0) {
        valid_ = false;
        return;
      }
    }
  }
}

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    size_t n = sequenceLength(text);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      n = 1;
    } else {
      out.append(text.data(), n);
    }
    text.remove_prefix(n);
  }
  return out;
}

// A control character on a terminal would be obeyed (retitle the window,
// clear the screen) rather than shown. C1 comes as U+0080 to U+009F, or as a
// lone byte that an 8-bit terminal obeys.
std::string terminalSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    auto b = static_cast<unsigned char>(text[0]);
    size_t n = sequenceLength(text);
    if (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F) {
      out += escaped(static_cast<unsigned char>(text[1]));
    } else if (n == 0 && b >= 0x80 && b <= 0x9F) {
      out += escaped(b);
      n = 1;
    } else if (n == 1 && isControl(b)) {
      out += escaped(b);
    } else {
      out.append(text.data(), n == 0 ? 1 : n);
      n = n == 0 ? 1 : n;
    }
    text.remove_prefix(n);
  }
  return out;
}

Encoding chooseEncoding(std::string_view bytes) {
  Utf8Check check;
  check.feed(bytes.data(), bytes.size());
  return check.valid() ? Encoding::Utf8 : Encoding::Windows1254;
}

}  // namespace sorvik
