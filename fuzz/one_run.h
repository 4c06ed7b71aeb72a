// One conversion of arbitrary bytes, shared by the fuzz target and the test
// that replays the inputs the fuzzer found (tests/hostile).
//
// The last byte of the input chooses the command line and the folders around
// the score; the bytes before it are the score:
//   bits 0-2  argument 2: none, -q, -Q, -R, -M, -P, -A, -I with a number
//   bit 3     a folder Errors (with a subfolder d) exists
//   bit 4     -A follows (as argument 3, or 4 after -I and its number);
//             with -I the number is 41, else a 30-digit one
//   bits 5-6  the input name: s.sv2, s (no ".sv2"), d/s.sv2, ../w/s.sv2
//   bit 7     Errors already holds an older copy of the score (with bit 3)
// Standard input is closed. The run happens in root/run (the current folder
// afterwards); root/w is the folder beside it. Both are emptied afterwards.
//
// Besides not crashing, a run must keep to its files: it may create or change
// only the output file next to the input and the copy below Errors; the
// input and an older copy stay as they were. runOne returns a description of
// the first file that breaks this rule, or an empty text; it can also hand
// back the exit status and what the run printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sorvik/single_tool.h"

namespace sorvikfuzz {

namespace fs = std::filesystem;

inline std::map<std::string, std::string> filesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (ec) break;
    if (it->is_symlink()) {  // its target, never what it leads to (a device, say)
      files[fs::relative(it->path(), root).generic_string()] =
          std::string("-> ") + fs::read_symlink(it->path(), ec).string();
    } else if (it->is_regular_file()) {
      std::ifstream f(it->path(), std::ios::binary);
      std::ostringstream s;
      s << f.rdbuf();
      files[fs::relative(it->path(), root).generic_string()] = s.str();
    }
  }
  return files;
}

inline std::string runOne(const uint8_t* data, size_t size, const fs::path& root, int* statusOut = nullptr,
                          std::string* consoleOut = nullptr, std::string* documentOut = nullptr) {
  if (size == 0) return "";
  const uint8_t opts = data[size - 1];
  const std::string score(reinterpret_cast<const char*>(data), size - 1);

  static const char* const kArg2[] = {nullptr, "-q", "-Q", "-R", "-M", "-P", "-A", "-I"};
  static const char* const kNames[] = {"s.sv2", "s", "d/s.sv2", "../w/s.sv2"};
  static const char* const kInRoot[] = {"run/s.sv2", "run/s", "run/d/s.sv2", "w/s.sv2"};
  const int form = (opts >> 5) & 3;
  const std::string name = kNames[form];

  std::error_code ec;
  fs::remove_all(root / "run", ec);
  fs::remove_all(root / "w", ec);
  fs::create_directories(root / "run" / "d");
  fs::create_directories(root / "w");
  {
    std::ofstream f(root / kInRoot[form], std::ios::binary);
    f << score;
  }
  if (opts & 8) {
    fs::create_directories(root / "run" / "Errors" / "d");
    if (opts & 128) {
      std::ofstream f(root / "run" / "Errors" / name, std::ios::binary);
      if (f) f << "older copy";
    }
  }

  std::vector<std::string> args{name};
  if (const char* a = kArg2[opts & 7]) {
    args.push_back(a);
    if ((opts & 7) == 7) args.push_back((opts & 16) ? "41" : "123456789012345678901234567890");
  }
  if (opts & 16) args.push_back("-A");

  const std::map<std::string, std::string> before = filesBelow(root);
  fs::current_path(root / "run");
  std::ostringstream console;
  std::istringstream keyboard;
  int status = sorvik::runCommandLine(args, console, keyboard);
  if (statusOut) *statusOut = status;
  if (consoleOut) *consoleOut = console.str();
  const std::map<std::string, std::string> after = filesBelow(root);

  // the files the run may write, relative to root
  std::string in = kInRoot[form];
  std::string suffix = (opts & 7) == 5 ? "musescore-print.xml" : "xml";
  size_t dot = in.find(".sv2");
  std::string out = dot == std::string::npos ? in + suffix : in.substr(0, dot + 1) + suffix;
  std::string copy = form == 3 ? "" : "run/Errors/" + name;
  if (documentOut) {
    auto it = after.find(out);
    *documentOut = it == after.end() ? std::string() : it->second;
  }

  std::string broken;
  for (const auto& [file, text] : before) {
    auto it = after.find(file);
    if (file == out) continue;
    if (it == after.end())
      broken = "removed " + file;
    else if (it->second != text)
      broken = "changed " + file;
    if (!broken.empty()) break;
  }
  for (const auto& [file, text] : after) {
    if (!broken.empty()) break;
    if (!before.count(file) && file != out && file != copy) broken = "wrote " + file;
    if (file == copy && !before.count(file) && text != score) broken = "the copy differs from the input";
  }
  fs::remove_all(root / "run", ec);
  fs::remove_all(root / "w", ec);
  return broken;
}

}  // namespace sorvikfuzz
