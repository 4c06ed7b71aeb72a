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
    const char* stop = start;
    while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
    line.append(start, stop);
    pos_ += static_cast<size_t>(stop - start);
    if (stop == end) continue;  // the line goes on in the next block
    ++pos_;
    if (*stop == '\r' && !atEnd() && buf_[pos_] == '\n') ++pos_;
    return;
  }
}

LineWriter::~LineWriter() {
  if (file_) std::fclose(file_);
}

bool LineWriter::open(const std::string& path) {
  path_ = path;
  buf_.clear();
  buf_.reserve(kFlushAt + 4096);
  file_ = std::fopen(path.c_str(), "wb");
  if (file_) std::setvbuf(file_, nullptr, _IONBF, 0);  // this writer buffers itself
  return file_ != nullptr;
}

void LineWriter::put(XmlText t) { appendXmlEscaped(buf_, t.text, false); }
void LineWriter::put(XmlAttribute t) { appendXmlEscaped(buf_, t.text, true); }

void LineWriter::putNumber(int64_t n) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  buf_.append(digits, end);
}

void LineWriter::flush() {
  if (!file_) {
    buf_.clear();
    return;
  }
  if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) {
    std::string why = reason();
    std::fclose(file_);
    file_ = nullptr;
    buf_.clear();
    throw IoFailure("Cannot write " + path_ + ": " + why);
  }
  buf_.clear();
}

void LineWriter::close() {
  if (!file_) return;
  flush();
  std::FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) throw IoFailure("Cannot write " + path_ + ": " + reason());
}

}  // namespace sorvik
