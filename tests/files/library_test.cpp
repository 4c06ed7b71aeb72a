// The library's promise to every front end: whatever a source or a sink
// throws ends that conversion, never the process, and an opened sink is closed.
#include <gtest/gtest.h>
#include <sorvik/convert.h>
#include <sorvik/files.h>
#include <unistd.h>

#include <fstream>

#include <new>
#include <stdexcept>

namespace {

struct Source : sorvik::InputSource {
  int throwAt;  // the read that throws: 0 none; 1 std::bad_alloc, 2 std::runtime_error, 3 an int
  explicit Source(int t) : throwAt(t) {}
  size_t read(char* buffer, size_t) override {
    if (throwAt == 1) throw std::bad_alloc();
    if (throwAt == 2) throw std::runtime_error("disk went away");
    if (throwAt == 3) throw 3;
    if (done) return 0;
    done = true;
    std::string_view song = "4\t4\t\t\t\t\t\t\t\t\n60\t\t\t\t\t\t\tSong\t\t\n";
    song.copy(buffer, song.size());
    return song.size();
  }
  bool done = false;
};

struct Sink : sorvik::DocumentSink {
  bool failWrite = false;
  int closed = 0;
  void write(std::string_view) override {
    if (failWrite) throw std::bad_alloc();
  }
  void close() override { ++closed; }
};

TEST(Library, WhateverASourceOrSinkThrowsEndsThatConversionAndAnOpenedSinkIsClosed) {
  const char* expected[] = {"", "Cannot convert s.sv2: out of memory", "Cannot convert s.sv2: disk went away",
                            "Cannot convert s.sv2: unknown failure"};
  for (int t = 1; t <= 3; ++t) {
    Source source(t);
    Sink sink;
    sorvik::Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2", "-Q"}));
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(expected[t], r.ioError);
    EXPECT_EQ(std::string(expected[t]) + "\n", r.console);
    EXPECT_EQ(1, sink.closed) << t;
  }
  Source source(0);
  Sink sink;
  sink.failWrite = true;
  sorvik::Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2", "-Q"}));
  EXPECT_EQ("Cannot convert s.sv2: out of memory", r.ioError);
  EXPECT_EQ(1, sink.closed);
}

// A score in a code page comes out as the whole file turned into UTF-8,
// whatever the size of the pieces asked for.
TEST(ScoreFile, TurnsACodePageIntoUtf8AsItStreams) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += static_cast<char>(i * 37 % 256);
  const std::string path = "/tmp/sorvik-files-test-" + std::to_string(::getpid()) + ".sv2";
  std::ofstream(path, std::ios::binary) << bytes;
  for (size_t piece : {1, 2, 7, 65536}) {
    sorvik::ScoreFile file(path, sorvik::Encoding::Windows1254);
    file.open();
    std::string text, buffer(piece, '\0');
    while (size_t n = file.read(buffer.data(), piece)) text.append(buffer, 0, n);
    EXPECT_EQ(sorvik::toUtf8(bytes, sorvik::Encoding::Windows1254), text) << piece;
  }
  ::unlink(path.c_str());
}

}  // namespace
