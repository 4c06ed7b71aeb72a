#include "support.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace batchtest {

namespace {

[[noreturn]] void execProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                              int out, int err, RunOptions options) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int in = ::open("/dev/null", O_RDONLY);
  if (in < 0 || ::chdir(cwd.c_str()) != 0) _exit(127);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  if (options.fileSizeLimit >= 0) {
    struct rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);  // the write fails instead, as on a full disk
  }
  if (options.asNobody && ::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(126);
  if (options.processLimit >= 0) {
    struct rlimit limit = {static_cast<rlim_t>(options.processLimit), static_cast<rlim_t>(options.processLimit)};
    ::setrlimit(RLIMIT_NPROC, &limit);
  }
  // As from a shell: no signal blocked or ignored.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGINT, SIG_DFL);
  ::execv(all[0].c_str(), argv.data());
  _exit(127);
}

int statusOf(int wstatus) { return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus); }

}  // namespace

pid_t startBatch(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& console) {
  std::string out = (console / "out").string(), err = (console / "err").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0) _exit(127);
    execProgram(SORVIK_BATCH_BINARY, args, cwd, o, e, {});
  }
  return pid;
}

int waitBatch(pid_t pid, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &wstatus, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return statusOf(wstatus);
}

BatchRun runBatch(const std::vector<std::string>& args, const fs::path& cwd, RunOptions options) {
  return runProgram(SORVIK_BATCH_BINARY, args, cwd, options);
}

BatchRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                    RunOptions options) {
  TempDir console;
  fs::path out = console / "out", err = console / "err";
  pid_t pid = ::fork();
  if (pid == 0) {
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0) _exit(127);
    execProgram(program, args, cwd, o, e, options);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  return {statusOf(wstatus), readFile(out), readFile(err)};
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      ++i;
    } else {
      field += c;
    }
  }
  if (!field.empty() || !row.empty() || quoted) {
    // A last row without its line end: marked, so that a test sees it.
    row.push_back(field);
    row.push_back("<no line end>");
    rows.push_back(row);
  }
  return rows;
}

std::map<std::string, std::vector<std::string>> reportRows(const fs::path& report) {
  std::map<std::string, std::vector<std::string>> rows;
  auto all = parseCsv(readFile(report));
  for (size_t i = 1; i < all.size(); ++i) rows[all[i].at(0)] = all[i];
  return rows;
}

std::string goodSong(const std::string& title) {
  return "4\t4\t\t\t\t\t\t\t\t\n"
         "60\t\t\t\t\t\t\t" +
         title +
         "\t\t\n"
         "9\tla4\t1\t4\t\t\t\t\t\t0.25\n"
         "9\tsi4b1\t1\t4\t\t\t\t\t\t0.5\n"
         "9\tdo5\t1\t2\t\t\t\t\t\t1\n";
}

std::string faultySong() {
  return "4\t4\t\t\t\t\t\t\t\t\n"
         "60\t\t\t\t\t\t\tSong\t\t\n"
         "9\tla4\t1\t4\t\t\t\t\t\t0.25\n"
         "9\tLa\t1\t4\t\t\t\t\t\t0.5\n";
}

std::string runOnTerminal(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                          int& status) {
  int master = -1;
  pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::chdir(cwd.c_str()) != 0) _exit(127);
    ::execv(all[0].c_str(), argv.data());
    _exit(127);
  }
  std::string shown;
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n > 0) {
      shown.append(buf, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the tool has ended
    }
  }
  ::close(master);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return shown;
}

}  // namespace batchtest
