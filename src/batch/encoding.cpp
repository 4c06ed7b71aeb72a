#include "batch/encoding.h"

#include <algorithm>

#include <sorvik/files.h>

namespace sorvik::batch {

std::string_view encodingName(Encoding encoding) {
  return encoding == Encoding::Windows1254 ? "windows-1254" : "utf-8";
}

Encoding encodingOfFile(const std::string& path, const std::atomic<bool>& stop) {
  ScoreFile file(path, Encoding::Utf8);
  file.stopWhen(stop);
  char block[1 << 16];
  try {
    file.open();
    while (file.read(block, sizeof block) > 0) {
    }
  } catch (const Interrupted&) {
    throw;
  } catch (const IoError&) {
    return Encoding::Utf8;
  }
  return file.utf8() ? Encoding::Utf8 : Encoding::Windows1254;
}

size_t AsciiWatch::read(char* buffer, size_t size) {
  size_t n = source_.read(buffer, size);
  if (!nonAscii_) {
    nonAscii_ = std::any_of(buffer, buffer + n, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  }
  return n;
}

}  // namespace sorvik::batch
