// The console of sorvik-batch: the progress bar only on a terminal, and
// Ctrl-C, which ends the run early with a summary and no temporary file.
#include <gtest/gtest.h>

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "support.h"

namespace batchtest {
namespace {

std::string runOnTerminal(const std::vector<std::string>& args, const fs::path& cwd, int& status) {
  return batchtest::runOnTerminal(std::string(SORVIK_BATCH_BINARY), args, cwd, status);
}

TEST(ProgressBar, DrawnOnATerminalOnlyAndNotWithQ) {
  TempDir d;
  writeFile(d / "s/a.sv2", goodSong());
  writeFile(d / "s/b.sv2", goodSong());
  writeFile(d / "s/c.sv2", faultySong());
  int status = -1;
  std::string shown = runOnTerminal({"s"}, d.path(), status);
  EXPECT_EQ(1, status);
  EXPECT_NE(std::string::npos, shown.find("\r[........................] 0/3 files, 0 warnings, 0 errors\x1b[K"))
      << shown;
  // The bar is cleared before the list and the summary.
  EXPECT_NE(std::string::npos, shown.find("\r\x1b[Ks/c.sv2, line 4: Wrong note format: \"La\"\r\n3 files in "))
      << shown;

  std::string quiet = runOnTerminal({"-q", "s"}, d.path(), status);
  EXPECT_EQ(0u, quiet.find("3 files in ")) << quiet;
  EXPECT_EQ(std::string::npos, quiet.find('['));

  BatchRun notTerminal = runBatch({"s"}, d.path());
  EXPECT_EQ("", notTerminal.err);
  EXPECT_EQ(0u, notTerminal.out.find("s/c.sv2, line 4: "));
}

TEST(Interruption, CtrlCEndsTheRunWithTheSummaryAndLeavesNoTemporaryFile) {
  TempDir d;
  // A score long enough to be in the middle of its conversion when the signal comes.
  std::string big = goodSong();
  big.reserve(big.size() + 1000000 * 22);
  for (int i = 0; i < 1000000; ++i) big += "9\tla4\t1\t4\t\t\t\t\t\t\n";
  writeFile(d / "s/a-big.sv2", big);
  big = std::string();
  for (const char* name : {"b.sv2", "c.sv2", "d.sv2"}) writeFile(d / "s" / name, goodSong());

  TempDir console;
  pid_t pid = startBatch({"-j", "1", "--report", "r.csv", "s"}, d.path(), console.path());
  // Wait until the long document is being written under its temporary name.
  bool writing = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!writing && std::chrono::steady_clock::now() < deadline) {
    for (const auto& e : fs::directory_iterator(d / "s")) {
      writing = writing || e.path().filename().string().rfind(".a-big.xml.tmp-", 0) == 0;
    }
    if (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(writing) << "the long document never appeared under a temporary name";
  ::kill(pid, SIGINT);
  EXPECT_EQ(130, waitBatch(pid, 120));

  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(d / "s")) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ((std::vector<std::string>{"a-big.sv2", "b.sv2", "c.sv2", "d.sv2"}), left);
  EXPECT_EQ("Interrupted after 0 of 4 files in ", readFile(console / "out").substr(0, 34));
  EXPECT_EQ("input,status,line,message,output,notes,bytes,milliseconds,encoding,hints\r\n", readFile(d / "r.csv"));
}

}  // namespace
}  // namespace batchtest
