// The command-line tool: the conversion of one file named on the command
// line, with what only a console program does around it: the usage text, the
// files, the copy into Errors and the waits for Enter.
#include "sorvik/single_tool.h"

#include <sys/stat.h>

#include <istream>
#include <ostream>
#include <string_view>

#include "sorvik/convert.h"
#include "sorvik/files.h"

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

// Copies the input file to Errors/<name>: never over an existing copy, never
// outside that folder (no "..", no link inside it followed), silently skipped
// when it cannot be made, as when Errors or a folder below it is missing.
void copyIntoErrors(const std::string& name) {
  try {
    copyScore(name, "Errors", name, false);
  } catch (const IoError&) {
  }
}

bool fileExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

// On a terminal, text from the score is shown with its control characters
// escaped; any other reader gets every byte.
std::string shown(const std::string& text, bool terminal) { return terminal ? terminalSafe(text) : text; }

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

int runCommandLine(const std::vector<std::string>& args, std::ostream& console, std::istream& keyboard, bool terminal) {
  const Options options = parseCommandLine(args);
  if (args.empty()) {
    console << bannerLine() << '\n';
    for (std::string_view line : kUsage) console << line << '\n';
    endOfRun(options, console, keyboard, true);
    return 0;
  }
  if (!fileExists(options.inputName)) {
    if (!options.quiet && !options.silent) console << bannerLine() << '\n';
    console << "File not found: " << shown(options.inputName, terminal) << '\n';
    endOfRun(options, console, keyboard, true);
    return 1;
  }
  ScoreFile input(options.inputName);
  DocumentFile document(outputName(options.inputName, options.variant));
  const Result result = convert(input, document, options);
  console << shown(result.console, terminal);
  // The document takes its name at the end, also unfinished after an error in
  // the input; after a failed read or write an older document stays as it was.
  if (result.ioError.empty()) {
    try {
      document.commit();
    } catch (const IoError& e) {
      console << e.what() << '\n';
      return 1;
    }
  }
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
