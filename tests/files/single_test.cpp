// SorvikToMusicXml and its files: nothing lost, nothing hangs, nothing
// written where it must not go.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "support.h"

namespace batchtest {
namespace {

BatchRun runSingle(const std::vector<std::string>& args, const fs::path& cwd, RunOptions options = {}) {
  return runProgram(SORVIK_BINARY, args, cwd, options);
}

// A song whose document is larger than `bytes`.
std::string longSong(size_t bytes) {
  std::string song = goodSong();
  while (song.size() * 10 < bytes) song += "9\tla4\t1\t4\t\t\t\t\t\t\n";
  return song;
}

TEST(SingleTool, AFailedWriteLeavesTheOldDocumentAndNoTemporaryFile) {
  TempDir d;
  writeFile(d / "s.sv2", longSong(200000));
  writeFile(d / "s.xml", "old");
  BatchRun r = runSingle({"s.sv2", "-Q"}, d.path(), {.fileSizeLimit = 100000});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("Cannot write s.xml: File too large\n", r.out);
  EXPECT_EQ((std::map<std::string, std::string>{{"s.sv2", readFile(d / "s.sv2")}, {"s.xml", "old"}}),
            snapshot(d.path()));
}

TEST(SingleTool, OnAFullDiskTheOldDocumentStaysWholeAndNoCopyIsCut) {
  TempDir d;
  const fs::path disk = d / "disk";
  fs::create_directories(disk);
  if (::getuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "needs root, to mount a small tmpfs";
  }
  struct Unmount {
    const fs::path& at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{disk};
  writeFile(disk / "s.sv2", longSong(200000).substr(0, 30000));
  writeFile(disk / "s.xml", "old");
  BatchRun r = runSingle({"s.sv2", "-Q"}, disk);
  EXPECT_EQ("Cannot write s.xml: No space left on device\n", r.out);
  EXPECT_EQ("old", readFile(disk / "s.xml"));
  fs::create_directories(disk / "Errors");
  writeFile(disk / "e.sv2", faultySong() + std::string(14000, '#'));
  struct statvfs space;
  ASSERT_EQ(0, ::statvfs(disk.c_str(), &space));
  writeFile(disk / "filler", std::string(space.f_bavail * space.f_frsize - 8192, 'f'));  // room for e.xml only
  EXPECT_EQ(1, runSingle({"e.sv2", "-Q"}, disk).status);
  EXPECT_FALSE(fs::exists(disk / "Errors/e.sv2"));
  EXPECT_EQ(5u, snapshot(disk).size());  // s.sv2, s.xml, e.sv2, e.xml, filler: no temporary file
}

TEST(SingleTool, ALinkAtTheOutputNameIsReplacedNotWrittenThrough) {
  TempDir d;
  writeFile(d / "s.sv2", goodSong());
  writeFile(d / "target", "keep");
  fs::create_symlink("target", d / "s.xml");
  EXPECT_EQ(0, runSingle({"s.sv2", "-Q"}, d.path()).status);
  EXPECT_EQ("keep", readFile(d / "target"));
  EXPECT_FALSE(fs::is_symlink(d / "s.xml"));
  EXPECT_NE(std::string::npos, readFile(d / "s.xml").find("<work-title>Song</work-title>"));
}

// That the copy stays in its folder is the batch tool's test: both tools copy alike.
TEST(SingleTool, TheErrorsCopyIsNeverCut) {
  TempDir d;
  fs::create_directories(d / "Errors/d");
  writeFile(d / "d/s.sv2", faultySong() + std::string(20000, '#'));
  EXPECT_EQ(1, runSingle({"d/s.sv2", "-q"}, d.path(), {.fileSizeLimit = 10000}).status);
  EXPECT_TRUE(fs::is_empty(d / "Errors/d"));  // no cut copy, no temporary file
  EXPECT_EQ(1, runSingle({"d/s.sv2", "-q"}, d.path()).status);
  EXPECT_EQ(readFile(d / "d/s.sv2"), readFile(d / "Errors/d/s.sv2"));
}

TEST(SingleTool, WhatIsNoRegularFileIsRefusedAtOnce) {
  TempDir d;
  ASSERT_EQ(0, ::mkfifo((d / "p.sv2").c_str(), 0644));
  BatchRun r = runSingle({"p.sv2", "-q"}, d.path());  // a FIFO without a writer would block an open
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("Reading p.sv2\nWriting to p.xml\nCannot read p.sv2: Not a regular file\n", r.out);
  r = runSingle({"/dev/zero", "-Q"}, d.path());
  EXPECT_EQ("Cannot read /dev/zero: Not a regular file\n", r.out);
  EXPECT_FALSE(fs::exists(d / "p.xml"));
}

TEST(SingleTool, ALineLongerThanOneMebibyteIsAnError) {
  TempDir d;
  fs::create_directories(d / "Errors");
  std::string song = goodSong() + "9\tla4\t1\t4\t\t\t\t\t\t" + std::string(1 << 20, '1') + "\n";
  writeFile(d / "s.sv2", song);
  BatchRun r = runSingle({"s.sv2", "-q"}, d.path());
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(
      "Reading s.sv2\nWriting to s.xml\nError in File s.sv2\n"
      "Error in Line 000005: Line longer than 1048576 bytes: \n",
      r.out);
  EXPECT_EQ("Error in Line 000005: Line longer than 1048576 bytes\r\n",
            readFile(d / "s.xml").substr(readFile(d / "s.xml").rfind("Error in")));
  EXPECT_EQ(song, readFile(d / "Errors/s.sv2"));
  // Exactly the longest line is still read.
  writeFile(d / "t.sv2", goodSong() + "13\t" + std::string((1 << 20) - 3, 'x') + "\n");
  EXPECT_EQ(0u, runSingle({"t.sv2", "-Q"}, d.path()).out.find("Error in File t.sv2\nError in Line 000006: 13\txxx"));
}

}  // namespace
}  // namespace batchtest
