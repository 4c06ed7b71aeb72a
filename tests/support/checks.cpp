#include "support/checks.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "sorvik/single_tool.h"

namespace checks {

RunResult runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                     int timeoutSeconds, const fs::path& workDir, bool closeStdin) {
  ScratchDir capture;
  fs::path outFile = capture.path() / "out", errFile = capture.path() / "err";
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setpgid(0, 0);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    int in = open("/dev/null", O_RDONLY);
    int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    close(in);
    close(out);
    close(err);
    if (closeStdin) close(0);
    std::vector<char*> args;
    std::vector<std::string> copy = argv;
    for (auto& a : copy) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  setpgid(pid, pid);
  RunResult r;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      r.timedOut = true;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // whatever the program left running in its group goes too
  kill(-pid, SIGKILL);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = readFile(outFile);
  r.err = readFile(errFile);
  return r;
}

int convertInto(const fs::path& score, const std::vector<std::string>& switches, const fs::path& dir,
                fs::path& document, std::string& console) {
  fs::copy_file(score, dir / score.filename(), fs::copy_options::overwrite_existing);
  std::vector<std::string> args{score.filename().string()};
  args.insert(args.end(), switches.begin(), switches.end());
  bool print = !switches.empty() && switches.front() == "-P";  // only as argument 2
  std::string name = score.filename().string();
  size_t at = name.find(".sv2");
  std::string suffix = print ? "musescore-print.xml" : "xml";
  document = dir / (at == std::string::npos ? name + suffix : name.substr(0, at + 1) + suffix);

  fs::path back = fs::current_path();
  fs::current_path(dir);
  std::ostringstream out;
  std::istringstream keyboard;
  int status = sorvik::runCommandLine(args, out, keyboard);
  fs::current_path(back);
  console = out.str();
  return status;
}

std::vector<std::string> findCases(const fs::path& root) {
  std::vector<std::string> cases;
  if (!fs::exists(root)) return cases;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file() && e.path().filename() == "args") {
      cases.push_back(fs::relative(e.path().parent_path(), root).generic_string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

std::vector<fs::path> findExamples(const fs::path& dir) {
  std::vector<fs::path> songs;
  if (!fs::exists(dir)) return songs;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file() && e.path().extension() == ".sv2") songs.push_back(e.path());
  }
  std::sort(songs.begin(), songs.end());
  return songs;
}

Content countContent(const std::string& doc) {
  Content c;
  for (size_t at = doc.find("<note"); at != std::string::npos; at = doc.find("<note", at + 1)) {
    char next = at + 5 < doc.size() ? doc[at + 5] : '\0';
    if (next != '>' && next != ' ' && next != '\r' && next != '\n' && next != '\t')
      continue;  // <notehead>, <notations>
    size_t end = doc.find("</note>", at);
    if (end == std::string::npos) break;
    if (doc.substr(at, end - at).find("<pitch>") != std::string::npos) ++c.notes;
  }
  for (size_t at = doc.find("<measure"); at != std::string::npos; at = doc.find("<measure", at + 1)) {
    char next = at + 8 < doc.size() ? doc[at + 8] : '\0';
    if (next == '>' || next == ' ' || next == '\r' || next == '\n' || next == '\t') ++c.measures;
  }
  return c;
}

std::string testName(const std::string& text) {
  std::string name;
  for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

std::string missingPackage(const std::string& name) {
  if (fs::exists(fs::path(SORVIK_THIRDPARTY_DIR) / "node_modules" / name / "package.json")) return "";
  return "the npm package " + name + " is missing: run tests/thirdparty/install (scripts/setup does)";
}

}  // namespace checks
