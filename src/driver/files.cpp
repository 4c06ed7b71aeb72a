#include "driver/files.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "driver/text.h"

namespace sorvik {

namespace {
std::string reason() { return std::strerror(errno); }
}  // namespace

bool LineReader::open(const std::string& path) {
  close();
  path_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void LineReader::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  pos_ = len_ = 0;
}

bool LineReader::fill() {
  if (!file_) return false;
  pos_ = 0;
  len_ = std::fread(buf_, 1, sizeof buf_, file_);
  if (len_ == 0 && std::ferror(file_)) throw IoFailure("Cannot read " + path_ + ": " + reason());
  return len_ > 0;
}

bool LineReader::atEnd() { return pos_ >= len_ && !fill(); }

void LineReader::readLine(std::string& line) {
  line.clear();
  while (pos_ < len_ || fill()) {
    const char* start = buf_ + pos_;
    const char* end = buf_ + len_;
    // The line ends at the first LF or CR; CR is rare, so look for LF first.
    const char* stop = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
    if (!stop) stop = end;
    if (const void* cr = std::memchr(start, '\r', static_cast<size_t>(stop - start))) {
      stop = static_cast<const char*>(cr);
    }
    line.append(start, stop);
    pos_ += static_cast<size_t>(stop - start);
    if (stop == end) continue;  // the line goes on in the next block
    ++pos_;
    if (*stop == '\r' && !atEnd() && buf_[pos_] == '\n') ++pos_;
    return;
  }
}

LineWriter::LineWriter() : buf_(std::make_unique_for_overwrite<char[]>(kCapacity)) {}

LineWriter::~LineWriter() {
  if (file_) std::fclose(file_);
}

bool LineWriter::open(const std::string& path) {
  path_ = path;
  len_ = 0;
  written_ = 0;
  flushAt_ = kSmallFlushAt;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_) std::setvbuf(file_, nullptr, _IONBF, 0);  // this writer buffers itself
  return file_ != nullptr;
}

char* LineWriter::append(char* at, XmlText t) {
  writeXmlEscaped([&at](std::string_view piece) { at = append(at, piece); }, t.text, false);
  return at;
}
char* LineWriter::append(char* at, XmlAttribute t) {
  writeXmlEscaped([&at](std::string_view piece) { at = append(at, piece); }, t.text, true);
  return at;
}

char* LineWriter::appendNumber(char* at, int64_t n) { return std::to_chars(at, at + 20, n).ptr; }

void LineWriter::put(XmlText t) {
  writeXmlEscaped([this](std::string_view piece) { put(piece); }, t.text, false);
}
void LineWriter::put(XmlAttribute t) {
  writeXmlEscaped([this](std::string_view piece) { put(piece); }, t.text, true);
}

// A piece larger than the room left (a long lyric, say): out it goes.
void LineWriter::putLong(std::string_view s) {
  flush();
  if (s.size() <= kCapacity) {
    std::memcpy(buf_.get(), s.data(), s.size());
    len_ = s.size();
  } else {
    writeOut(s.data(), s.size());
  }
}

void LineWriter::writeOut(const char* data, size_t size) {
  if (!file_ || size == 0) return;
  if (std::fwrite(data, 1, size, file_) != size) {
    std::string why = reason();
    std::fclose(file_);
    file_ = nullptr;
    throw IoFailure("Cannot write " + path_ + ": " + why);
  }
}

void LineWriter::flush() {
  size_t size = len_;
  len_ = 0;
  writeOut(buf_.get(), size);
  written_ += size;
  if (written_ >= kLargeAfter) flushAt_ = kLargeFlushAt;
}

void LineWriter::close() {
  if (!file_) return;
  flush();
  std::FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) throw IoFailure("Cannot write " + path_ + ": " + reason());
}

}  // namespace sorvik
