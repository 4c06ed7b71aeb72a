// The command-line tool: the conversion of one file named on the command
// line, with what only a console program does around it: the usage text, the
// files, the copy into Errors and the waits for Enter.
#include "sorvik/command_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string_view>

#include "sorvik/convert.h"

namespace sorvik {

namespace {

constexpr std::string_view kUsage[] = {
    "Call:",
    "A MusicXML file will be be generated with extension .xml",
    "SorvikToMusicXml <file name> [-q|-Q|-R|-M] [-I <midi instrument number>]",
    "SorvikToMusicXml <file name> -  (Normal - stop at error)",
    "SorvikToMusicXml <file name> -Q -  (Do not stop at error)",
    "SorvikToMusicXml <file name> -q    - (Do not stop at error but write messages)",
    "SorvikToMusicXml <file name> -R -  (Stop at end - press CR to teminate)",
    "SorvikToMusicXml <file name> -M    - (Stop also at measure misalignment- press CR to terminate)",
    "SorvikToMusicXml <file name> -I <midi instrument number>",
    "SorvikToMusicXml <file name> -A Show upper/lower \"kommas\" with arrows",
    "SorvikToMusicXml <file name> -P Make a MusicXml-file that looks right in MuseScore(for print)",
    "Example:",
    "SorvikToMusicXml MyNewSong.sv2",
    "Example: Make MusicXML file for Clarinet",
    "SorvikToMusicXml MyNewSong.sv2 -I 72",
};

std::string reason(int error) { return std::strerror(error); }

// The score read from its file; a folder is refused before anything is written.
class FileSource : public InputSource {
 public:
  explicit FileSource(std::string name) : name_(std::move(name)) {}
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() override {
    if (fd_ >= 0) ::close(fd_);
  }
  void open() override {
    fd_ = ::open(name_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError("Cannot open " + name_ + ": " + reason(errno));
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) throw IoError("Cannot read " + name_ + ": " + reason(EISDIR));
  }
  size_t read(char* buffer, size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) return static_cast<size_t>(n);
      if (errno != EINTR) throw IoError("Cannot read " + name_ + ": " + reason(errno));
    }
  }

 private:
  std::string name_;
  int fd_ = -1;
};

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The document written to its file, created (or emptied) when the
// conversion opens it; never over the input itself (a link to it, say).
class FileSink : public DocumentSink {
 public:
  FileSink(std::string name, std::string input) : name_(std::move(name)), input_(std::move(input)) {}
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override {
    if (file_) std::fclose(file_);
  }
  void open() override {
    if (sameFile(input_, name_)) throw IoError("Cannot create " + name_ + ": it is the input file");
    file_ = std::fopen(name_.c_str(), "wb");
    if (!file_) throw IoError("Cannot create " + name_ + ": " + reason(errno));
    std::setvbuf(file_, nullptr, _IONBF, 0);  // the converter hands over large pieces
  }
  void write(std::string_view bytes) override {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) fail();
  }
  void close() override {
    std::FILE* f = file_;
    file_ = nullptr;
    if (f && std::fclose(f) != 0) throw IoError("Cannot write " + name_ + ": " + reason(errno));
  }

 private:
  [[noreturn]] void fail() {
    std::string why = reason(errno);
    std::fclose(file_);
    file_ = nullptr;
    throw IoError("Cannot write " + name_ + ": " + why);
  }
  std::string name_, input_;
  std::FILE* file_ = nullptr;
};

bool fileExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

// Copies the input file to Errors/<name>: never over an existing copy, never
// outside that folder, silently skipped when it cannot be made.
void copyIntoErrors(const std::string& name) {
  namespace fs = std::filesystem;
  if (name.empty()) return;
  for (const auto& part : fs::path(name)) {
    if (part == "..") return;  // would leave the Errors folder
  }
  std::error_code ec;
  if (!fs::is_directory("Errors", ec)) return;
  std::string target = "Errors/" + name;
  int in = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out >= 0) {
    char buf[1 << 16];
    ssize_t n;
    while ((n = ::read(in, buf, sizeof buf)) > 0) {
      if (::write(out, buf, static_cast<size_t>(n)) != n) break;
    }
    ::close(out);
  }
  ::close(in);
}

// Reads one line of the keyboard (the user presses Enter); a closed or empty
// input ends the wait at once.
void waitForEnter(std::ostream& console, std::istream& keyboard) {
  console.flush();
  std::string ignored;
  if (keyboard) std::getline(keyboard, ignored);
}

// The end of a run that got as far as it could: the summary and, with -R,
// the last wait.
void endOfRun(const Options& options, std::ostream& console, std::istream& keyboard, bool summary) {
  if (summary && !options.silent) console << "Lines: 0\n";
  if (options.waitAtEnd) {
    console << "Press CR to terminate\n";
    waitForEnter(console, keyboard);
  }
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& console, std::istream& keyboard) {
  const Options options = parseCommandLine(args);
  if (args.empty()) {
    console << bannerLine() << '\n';
    for (std::string_view line : kUsage) console << line << '\n';
    endOfRun(options, console, keyboard, true);
    return 0;
  }
  if (!fileExists(options.inputName)) {
    if (!options.quiet && !options.silent) console << bannerLine() << '\n';
    console << "File not found: " << options.inputName << '\n';
    endOfRun(options, console, keyboard, true);
    return 1;
  }
  FileSource input(options.inputName);
  FileSink document(outputName(options.inputName, options.variant), options.inputName);
  const Result result = convert(input, document, options);
  console << result.console;
  if (result.inputError()) {
    if (!options.quiet && !options.silent) waitForEnter(console, keyboard);
    if (result.copyInput) copyIntoErrors(options.inputName);
    return 1;
  }
  if (result.failed()) return 1;
  endOfRun(options, console, keyboard, false);
  return 0;
}

}  // namespace sorvik
