#include "core/line_io.h"

#include <charconv>
#include <cstring>

namespace sorvik {

void LineReader::open(InputSource& source) {
  source_ = &source;
  pos_ = len_ = 0;
}

void LineReader::close() {
  source_ = nullptr;
  pos_ = len_ = 0;
}

bool LineReader::fill() {
  if (!source_) return false;
  pos_ = 0;
  len_ = source_->read(buf_, sizeof buf_);
  return len_ > 0;
}

bool LineReader::atEnd() { return pos_ >= len_ && !fill(); }

bool LineReader::readLine(std::string& line) {
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
    if (line.size() + static_cast<size_t>(stop - start) > kLongestLine) return false;
    line.append(start, stop);
    pos_ += static_cast<size_t>(stop - start);
    if (stop == end) continue;  // the line goes on in the next block
    ++pos_;
    if (*stop == '\r' && !atEnd() && buf_[pos_] == '\n') ++pos_;
    return true;
  }
  return true;
}

// Not zeroed: only what is written is read.
LineWriter::LineWriter() : buf_(new char[kCapacity]) {}

LineWriter::~LineWriter() = default;

void LineWriter::open(DocumentSink& sink) {
  sink_ = open_ = &sink;
  len_ = 0;
  written_ = 0;
  notUtf8_ = false;
  flushAt_ = kSmallFlushAt;
}

char* LineWriter::appendNumber(char* at, int64_t n) { return std::to_chars(at, at + 20, n).ptr; }

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
  if (!sink_ || size == 0) return;
  try {
    sink_->write(std::string_view(data, size));
  } catch (...) {
    sink_ = nullptr;  // nothing more goes out
    throw;
  }
  written_ += size;
}

void LineWriter::flush() {
  size_t size = len_;
  len_ = 0;
  writeOut(buf_.get(), size);
  if (written_ >= kLargeAfter) flushAt_ = kLargeFlushAt;
}

void LineWriter::close() {
  if (sink_) flush();
  sink_ = nullptr;
  DocumentSink* sink = open_;
  open_ = nullptr;
  if (sink) sink->close();
}

void LineWriter::abandon() {
  sink_ = nullptr;
  len_ = 0;
  DocumentSink* sink = open_;
  open_ = nullptr;
  try {
    if (sink) sink->close();
  } catch (...) {  // the run has failed already; its first failure is the one reported
  }
}

}  // namespace sorvik
