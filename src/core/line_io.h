// The input score read line by line from its source, and the output document
// written line by line through one buffer into its sink. A failing read or
// write throws IoError; the run reports it as one line and ends with status 1.
#pragma once

#include <concepts>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "sorvik/convert.h"

namespace sorvik {

// A line part that writes itself in pieces, as the document's XML text
// does (musicxml/xml_text.h): most() is the most bytes it can take, and
// writeTo(out) hands its pieces to out and says whether it had to put
// U+FFFD in place of text bytes that are no UTF-8.
template <class P>
concept PieceWriter = requires(const P& p, void (*out)(std::string_view)) {
  p.most();
  { p.writeTo(out) } -> std::same_as<bool>;
};

// Reads lines ended by LF, CR LF or a lone CR; a last line without an end is
// still a line. Every other byte, NUL included, is kept.
class LineReader {
 public:
  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader() { close(); }

  void open(InputSource& source);
  // The longest line read: a longer one is not held, so memory stays bounded.
  static constexpr size_t kLongestLine = size_t{1} << 20;
  // The next line without its end into `line`; at the end of the input the
  // line is empty. False for a line longer than kLongestLine (then `line`
  // holds its start and the rest is left unread).
  bool readLine(std::string& line);
  // No byte is left to read.
  bool atEnd();
  void close();

 private:
  bool fill();
  InputSource* source_ = nullptr;
  char buf_[1 << 16];
  size_t pos_ = 0, len_ = 0;
};

class LineWriter {
 public:
  LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;
  ~LineWriter();

  void open(DocumentSink& sink);
  uint64_t written() const { return written_ + len_; }
  // Text bytes that are no UTF-8 went into the document as U+FFFD.
  bool replacedNotUtf8() const { return notUtf8_; }
  // Writes the parts joined, then the document's line end CR LF. A part may
  // be a literal, a string or string_view (not a bare char pointer, whose
  // length is unknown), a character, a whole number, or a PieceWriter.
  template <class... T>
  void line(const T&... parts) {
    const size_t most = (bound(parts) + ... + 2);
    if (most <= kCapacity - len_) {
      // Room for the longest the line can be: no check per part.
      char* at = buf_.get() + len_;
      ((at = append(at, parts)), ...);
      at = append(at, "\r\n");
      len_ = static_cast<size_t>(at - buf_.get());
    } else {
      (put(parts), ...);
      put("\r\n");
    }
    if (len_ >= flushAt_) flush();
  }
  // Writes each text of a table as one line.
  template <size_t N>
  void lines(const std::string_view (&table)[N]) {
    for (std::string_view l : table) line(l);
  }
  void close();  // flushes and closes the sink (once); throws IoError when the data cannot be written
  // Closes the sink, if it is still open, without writing what is left: the
  // end of a run that failed. Whatever the sink throws then is dropped.
  void abandon();

 private:
  // The most bytes a part can take in the document.
  template <size_t N>
  static constexpr size_t bound(const char (&)[N]) {
    return N - 1;
  }
  static size_t bound(std::string_view s) { return s.size(); }
  static size_t bound(const std::string& s) { return s.size(); }
  static constexpr size_t bound(char) { return 1; }
  template <PieceWriter P>
  static size_t bound(const P& p) {
    return p.most();
  }
  template <class I,
            std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, char> && !std::is_same_v<I, bool>, int> = 0>
  static constexpr size_t bound(I) {
    return 20;
  }

  // A song's document goes out in small pieces, so that few pages of the
  // buffer are ever touched (a page touched first costs more than a write);
  // a long document in large ones, as fewer writes cost the system less.
  static constexpr size_t kCapacity = 1 << 19;
  static constexpr size_t kSmallFlushAt = 1 << 15, kLargeFlushAt = 1 << 18;
  static constexpr uint64_t kLargeAfter = 1 << 22;

  // Unchecked appends: the caller made sure of the room.
  template <size_t N>
  static char* append(char* at, const char (&s)[N]) {
    std::memcpy(at, s, N - 1);
    return at + N - 1;
  }
  static char* append(char* at, std::string_view s) {
    if (!s.empty()) std::memcpy(at, s.data(), s.size());
    return at + s.size();
  }
  static char* append(char* at, const std::string& s) { return append(at, std::string_view(s)); }
  static char* append(char* at, char c) {
    *at = c;
    return at + 1;
  }
  template <PieceWriter P>
  char* append(char* at, const P& p) {
    notUtf8_ |= p.writeTo([&at](std::string_view piece) { at = append(at, piece); });
    return at;
  }
  template <class I,
            std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, char> && !std::is_same_v<I, bool>, int> = 0>
  static char* append(char* at, I n) {
    return appendNumber(at, static_cast<int64_t>(n));
  }
  static char* appendNumber(char* at, int64_t n);

  // Checked writes, for lines longer than the room left.
  void put(std::string_view s) {
    if (s.empty()) return;  // an empty view may have no data at all
    if (s.size() <= kCapacity - len_) {
      std::memcpy(buf_.get() + len_, s.data(), s.size());
      len_ += s.size();
    } else {
      putLong(s);
    }
  }
  template <size_t N>
  void put(const char (&s)[N]) {
    put(std::string_view(s, N - 1));
  }
  void put(const std::string& s) { put(std::string_view(s)); }
  void put(char c) { put(std::string_view(&c, 1)); }
  template <PieceWriter P>
  void put(const P& p) {
    notUtf8_ |= p.writeTo([this](std::string_view piece) { put(piece); });
  }
  template <class I,
            std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, char> && !std::is_same_v<I, bool>, int> = 0>
  void put(I n) {
    char digits[24];
    put(std::string_view(digits, static_cast<size_t>(appendNumber(digits, static_cast<int64_t>(n)) - digits)));
  }
  void putLong(std::string_view s);

  void flush();
  void writeOut(const char* data, size_t size);

  DocumentSink* sink_ = nullptr;  // where the bytes go; none after a failed write
  DocumentSink* open_ = nullptr;  // the sink to close, even after a failed write
  std::unique_ptr<char[]> buf_;
  size_t len_ = 0;
  size_t flushAt_ = kSmallFlushAt;
  bool notUtf8_ = false;
  uint64_t written_ = 0;
};

}  // namespace sorvik
