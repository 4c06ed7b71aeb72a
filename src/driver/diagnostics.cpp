#include "driver/diagnostics.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <istream>
#include <ostream>

#include "driver/text.h"

namespace sorvik {

void waitForEnter(ConversionState& cs) {
  std::string ignored;
  if (cs.KEYBOARD && *cs.KEYBOARD) std::getline(*cs.KEYBOARD, ignored);
}

void STOPSORVIK(ConversionState& cs, std::string_view S, const std::string& FILENAME) {
  std::string number = lineNumberText(cs.LINENUMBER);
  *cs.CONSOLE << "Error in File " << cs.FILENAMEIN << '\n';
  *cs.CONSOLE << "Error in Line " << number << ": " << S << ": " << '\n';
  cs.DATAOUT.line("Error in Line ", number, ": ", S);
  if (!cs.SWITCH2("-Q") && !cs.SWITCH2("-q")) {
    cs.CONSOLE->flush();
    waitForEnter(cs);
  }
  cs.DATAIN.close();
  cs.DATAOUT.close();
  copyIntoErrors(FILENAME);
  throw RunEnd{1};
}

void PRINTWARNING(ConversionState& cs, std::string_view S) {
  cs.WARNING = true;
  *cs.CONSOLE << "Warning in Line " << lineNumberText(cs.LINENUMBER) << ": " << S << ": " << cs.FILENAMEIN
              << '\n';
}

void copyIntoErrors(const std::string& name) {
  namespace fs = std::filesystem;
  if (name.empty()) return;
  for (const auto& part : fs::path(name)) {
    if (part == "..") return;  // would leave the Errors folder
  }
  std::error_code ec;
  if (!fs::is_directory("Errors", ec)) return;
  std::string target = "Errors/" + name;
  int in = ::open(name.c_str(), O_RDONLY);
  if (in < 0) return;
  int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
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

}  // namespace sorvik
