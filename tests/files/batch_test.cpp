// sorvik-batch and its files: no score, document, copy or report lost, no
// hang, nothing skipped in silence, nothing that steers the terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "support.h"

namespace batchtest {
namespace {

std::string onTerminal(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
  int status = 0;
  return runOnTerminal(program, args, cwd, status);
}

TEST(BatchFiles, AReportThatWouldOverwriteAFileOfTheRunIsAUsageError) {
  TempDir d;
  writeFile(d / "in/a.sv2", faultySong());
  fs::create_directories(d / "E");
  auto before = snapshot(d.path());
  for (std::vector<std::string> args :
       std::vector<std::vector<std::string>>{{"-o", "out", "--report", "in/a.sv2", "in"},
                                             {"-o", "out", "--report", "./out/a.xml", "in"},
                                             {"--report", "in/a.xml", "in"},
                                             {"--errors", "E", "--report", "E/a.sv2", "in"}}) {
    BatchRun r = runBatch(args, d.path());
    EXPECT_EQ(2, r.status) << args[3];
    EXPECT_NE(std::string::npos, r.err.find("sorvik-batch: --report ")) << r.err;
    EXPECT_EQ(before, snapshot(d.path()));
  }
}

TEST(BatchFiles, OnlyTheFirstOfTwoScoresWithOneDocumentIsConverted) {
  TempDir d;
  writeFile(d / "A/song.sv2", goodSong("A"));
  writeFile(d / "B/song.sv2", goodSong("B"));
  BatchRun r = runBatch({"-o", "out", "--report", "r.csv", "B/song.sv2", "A/song.sv2"}, d.path());
  EXPECT_EQ(1, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["A/song.sv2"][1]);
  EXPECT_EQ("error", rows["B/song.sv2"][1]);
  EXPECT_EQ("Same document as A/song.sv2", rows["B/song.sv2"][3]);
  EXPECT_EQ("", rows["B/song.sv2"][4]);
  EXPECT_NE(std::string::npos, readFile(d / "out/song.xml").find("<work-title>A</work-title>"));

  writeFile(d / "C/song.sv2.sv2", goodSong("C2"));
  writeFile(d / "C/song.sv2", goodSong("C1"));
  r = runBatch({"C"}, d.path());
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.out.find("C/song.sv2.sv2: Same document as C/song.sv2\n")) << r.out;
  EXPECT_NE(std::string::npos, readFile(d / "C/song.xml").find("<work-title>C1</work-title>"));
}

TEST(BatchFiles, ADocumentTheUserMayNotWriteIsLeftAndReported) {
  TempDir d;
  fs::permissions(d.path(), fs::perms::all);
  writeFile(d / "s/a.sv2", goodSong());
  writeFile(d / "s/a.xml", "old");
  fs::permissions(d / "s", fs::perms::all);
  fs::permissions(d / "s/a.xml", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  BatchRun r = runBatch({"s"}, d.path(), {.asNobody = true});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.out.find("s/a.sv2: Cannot write s/a.xml: Permission denied\n")) << r.out;
  EXPECT_EQ("old", readFile(d / "s/a.xml"));
}

TEST(BatchFiles, TheErrorsCopyStaysInItsFolderAndAFailedCopyIsReported) {
  TempDir d;
  writeFile(d / "in/sub/a.sv2", faultySong());
  fs::create_directories(d / "E");
  fs::create_directories(d / "outside");
  fs::create_directory_symlink("../outside", d / "E/sub");
  BatchRun r = runBatch({"--check", "--errors", "E", "in"}, d.path());
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(fs::is_empty(d / "outside"));
  EXPECT_NE(std::string::npos, r.out.find("; Cannot copy in/sub/a.sv2 to E/sub/a.sv2: Not a directory")) << r.out;

  // The folder inside the input tree is not searched: a second run finds the same one file.
  fs::remove(d / "E/sub");
  r = runBatch({"--check", "--errors", "in/E", "in"}, d.path());
  EXPECT_EQ(readFile(d / "in/sub/a.sv2"), readFile(d / "in/E/sub/a.sv2"));
  r = runBatch({"--check", "--errors", "in/E", "in"}, d.path());
  EXPECT_EQ(0u, r.out.find("in/sub/a.sv2, line 4: ")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("1 file in ")) << r.out;
}

TEST(BatchFiles, WhatIsNoRegularFileOrCannotBeLookedAtHasItsRow) {
  TempDir d;
  ASSERT_EQ(0, ::mkfifo((d / "p.sv2").c_str(), 0644));
  fs::permissions(d.path(), fs::perms::all);
  fs::create_directories(d / "s/closed");
  fs::permissions(d / "s", fs::perms::all);
  fs::permissions(d / "s/closed", fs::perms::none);
  fs::create_symlink("loop.sv2", d / "s/loop.sv2");
  BatchRun r = runBatch({"--report", "r.csv", "p.sv2", "s"}, d.path(), {.asNobody = true});
  EXPECT_EQ(1, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ((std::vector<std::string>{"p.sv2", "unreadable", "", "Cannot read p.sv2: Not a regular file"}),
            std::vector<std::string>(rows["p.sv2"].begin(), rows["p.sv2"].begin() + 4));
  EXPECT_EQ("unreadable", rows["s/loop.sv2"][1]);
  EXPECT_NE(std::string::npos, rows["s/loop.sv2"][3].find("Too many levels of symbolic links"));
  EXPECT_EQ("Cannot read folder s/closed: Permission denied", rows["s/closed"][3]);
  fs::permissions(d / "s/closed", fs::perms::all);  // so that it can be removed
}

TEST(BatchFiles, ALongNameThatTheFileSystemTakesAlsoWorksForTheTemporaryFile) {
  TempDir d;
  std::string name(250, 'n');
  writeFile(d / "s" / (name + ".sv2"), goodSong());
  BatchRun r = runBatch({"s"}, d.path());
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_TRUE(fs::exists(d / "s" / (name + ".xml")));
}

TEST(BatchFiles, TheInstrumentIsAMidiProgram) {
  TempDir d;
  writeFile(d / "s.sv2", goodSong());
  for (const char* wrong : {"-o", "abc", "0", "200"}) {
    BatchRun r = runBatch({"-I", wrong, "s.sv2"}, d.path());
    EXPECT_EQ(2, r.status) << wrong;
    EXPECT_NE(std::string::npos, r.err.find("-I wants a MIDI program from 1 to 128")) << r.err;
  }
  EXPECT_EQ(0, runBatch({"-I", "128", "s.sv2"}, d.path()).status);
}

TEST(BatchFiles, WithoutItsReportTheRunListsTheFailedFiles) {
  TempDir d;
  for (int i = 0; i < 60; ++i)
    writeFile(d / "s" / std::string("f").append(std::to_string(i)).append(".sv2"), faultySong());
  BatchRun r = runBatch({"--check", "--report", "r.csv", "s"}, d.path(), {.fileSizeLimit = 3000});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("s/f0.sv2, line 4: Wrong note format: \"La\"\n")) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.out.find("with an error (no report: Cannot write r.csv: File too large)\n")) << r.out;
  EXPECT_EQ((std::vector<std::string>{"s"}), [&] {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(d.path())) names.push_back(e.path().filename().string());
    return names;
  }());
}

TEST(BatchFiles, WorkersThatCannotStartAreDoneWithout) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root, to run as a user with no other process under a thread limit";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers start threads of their own";
#endif
  TempDir d;
  fs::permissions(d.path(), fs::perms::all);
  for (const char* name : {"a.sv2", "b.sv2", "c.sv2"}) writeFile(d / "s" / name, goodSong());
  fs::permissions(d / "s", fs::perms::all);
  BatchRun none = runBatch({"-j", "4", "--check", "s"}, d.path(), {.asNobody = true, .processLimit = 1});
  EXPECT_EQ(1, none.status);
  EXPECT_EQ("sorvik-batch: Cannot start a worker: Resource temporarily unavailable\n", none.err);
  BatchRun some = runBatch({"-j", "4", "--check", "s"}, d.path(), {.asNobody = true, .processLimit = 2});
  EXPECT_EQ(0, some.status) << some.err;
  EXPECT_EQ(0u, some.out.find("3 files in ")) << some.out;
}

TEST(BatchFiles, TermAndHangUpStopTheRunAsCtrlCDoes) {
  TempDir d;
  std::string big = goodSong();
  for (int i = 0; i < 2000000; ++i) big += "9\tla4\t1\t4\t\t\t\t\t\t\n";
  writeFile(d / "s/a.sv2", big);
  auto names = [&] {
    std::vector<std::string> all;
    for (auto& e : fs::directory_iterator(d / "s")) all.push_back(e.path().filename().string());
    return all;
  };
  for (int signal : {SIGTERM, SIGHUP}) {
    TempDir console;
    pid_t pid = startBatch({"-j", "1", "--report", "r.csv", "s"}, d.path(), console.path());
    // The signal comes while the document is being written under its temporary name.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (names().size() < 2 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(pid, signal);
    EXPECT_EQ(128 + signal, waitBatch(pid, 120));
    EXPECT_EQ((std::vector<std::string>{"a.sv2"}), names());
    EXPECT_EQ("input,status,line,message,output,notes,bytes,milliseconds,encoding,hints\r\n", readFile(d / "r.csv"));
    EXPECT_EQ(0u, readFile(console / "out").find("Interrupted after 0 of 1 file in "));
  }
}

TEST(BatchFiles, TemporaryFilesOfDeadRunsAreRemovedAndThoseOfLiveOnesKept) {
  TempDir d;
  writeFile(d / "s/a.sv2", goodSong());
  pid_t dead = ::fork();
  if (dead == 0) _exit(0);
  ::waitpid(dead, nullptr, 0);
  auto temporary = [](const char* name, pid_t pid) { return std::string(name).append(std::to_string(pid)) + "-0"; };
  const std::string deadName = temporary(".a.xml.tmp-", dead), liveName = temporary(".b.xml.tmp-", ::getpid());
  writeFile(d / "s" / deadName, "cut");
  writeFile(d / "s" / liveName, "being written");
  writeFile(d / "out" / deadName, "cut");
  EXPECT_EQ(0, runBatch({"s"}, d.path()).status);
  EXPECT_EQ(0, runBatch({"-o", "out", "s"}, d.path()).status);
  EXPECT_FALSE(fs::exists(d / "s" / deadName));
  EXPECT_FALSE(fs::exists(d / "out" / deadName));
  EXPECT_TRUE(fs::exists(d / "s" / liveName));
}

TEST(Terminal, ControlCharactersFromAScoreAreShownEscapedOnATerminalOnly) {
  TempDir d;
  const std::string name = "t\x1b]0;owned\x07.sv2";
  writeFile(d / "s" / name, faultySong());
  std::string shown = onTerminal(SORVIK_BATCH_BINARY, {"s"}, d.path());
  EXPECT_NE(std::string::npos, shown.find("s/t\\x1b]0;owned\\x07.sv2, line 4: ")) << shown;
  EXPECT_EQ(0u, runBatch({"s"}, d.path()).out.find("s/" + name + ", line 4: "));

  shown = onTerminal(SORVIK_BINARY, {"s/" + name, "-q"}, d.path());
  EXPECT_NE(std::string::npos, shown.find("Reading s/t\\x1b]0;owned\\x07.sv2")) << shown;
  EXPECT_EQ(0u, runProgram(SORVIK_BINARY, {"s/" + name, "-q"}, d.path()).out.find("Reading s/" + name + "\n"));
}

}  // namespace
}  // namespace batchtest
