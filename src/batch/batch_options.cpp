#include "batch/batch_options.h"

#include <charconv>

namespace sorvik::batch {

namespace {

constexpr std::string_view kUsage =
    "Usage: sorvik-batch [options] PATH...\n"
    "Converts every score file (.sv2) given or found below the folders given into MusicXML,\n"
    "each exactly as SorvikToMusicXml converts it, and reports what went wrong where.\n"
    "\n"
    "  -P              documents shaped for printing with MuseScore (NAME.musescore-print.xml)\n"
    "  --music21       documents for music21 and other analysis software (NAME.music21.xml)\n"
    "  -A              arrow marks for comma inflections\n"
    "  -I N            MIDI program of the part, 1 to 128 (default 1)\n"
    "  -M              a bar check that fails is an error\n"
    "  -o DIR          write the documents below DIR, mirroring the paths below each PATH\n"
    "  -j N            N conversions at a time (default: one per core)\n"
    "  --check         convert and report, but write no document\n"
    "  --report FILE   write a CSV report, one row per file\n"
    "  --errors DIR    copy each score that ended in an error below DIR (never overwriting)\n"
    "  --encoding NAME read the scores as utf-8 (default), windows-1254 (cp1254, iso-8859-9, latin5)\n"
    "                  or auto (each file as utf-8 where it is valid UTF-8, else as windows-1254)\n"
    "  -q              print only the summary\n"
    "  -v              list every file with its message, warnings too\n"
    "  --hints         list the hints: lines that convert without a message into what was\n"
    "                  probably not meant\n"
    "  --help          print this text\n"
    "  --version       print the version\n"
    "\n"
    "A short option's value may follow it at once (-j1, -I72, -oDIR), a long one's after \"=\".\n"
    "Exit status: 0 when no file ended in an error, 1 when some did, 2 for a wrong command line,\n"
    "130 when interrupted (Ctrl-C), 143 when terminated, 129 when the terminal hung up.\n";

unsigned parseJobs(const std::string& text) {
  unsigned n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n == 0 || n > 1024) {
    throw UsageError("-j wants a number of workers from 1 to 1024, not \"" + text + "\"");
  }
  return n;
}

// A MIDI program, 1 to 128: anything else (another option, say) is a mistake.
int64_t parseInstrument(const std::string& text) {
  int n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 128) {
    throw UsageError("-I wants a MIDI program from 1 to 128, not \"" + text + "\"");
  }
  return n;
}

// The short options that take a value.
constexpr std::string_view kAttachedValue = "Ioj";

}  // namespace

std::string_view usageText() { return kUsage; }

BatchOptions parseBatchCommandLine(const std::vector<std::string>& args) {
  BatchOptions o;
  bool onlyPaths = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      o.paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPaths = true;
      continue;
    }
    // A long option's value may follow an "=", a short one's the letter
    // itself (-j1, -I72, -oDIR), as make and cargo take them.
    std::string inlineValue;
    bool hasInlineValue = false;
    if (arg.compare(0, 2, "--") == 0) {
      if (size_t eq = arg.find('='); eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        hasInlineValue = true;
        arg.resize(eq);
      }
    } else if (arg.size() > 2 && kAttachedValue.find(arg[1]) != std::string_view::npos) {
      inlineValue = arg.substr(2);
      hasInlineValue = true;
      arg.resize(2);
    }
    auto value = [&]() -> std::string {
      if (hasInlineValue) return inlineValue;
      if (i + 1 >= args.size()) throw UsageError(arg + " wants a value");
      return args[++i];
    };
    auto noValue = [&] {
      if (hasInlineValue) throw UsageError(arg + " takes no value");
    };
    if (arg == "-P" || arg == "--music21") {
      noValue();
      Variant variant = arg == "-P" ? Variant::MuseScorePrint : Variant::Music21;
      if (o.variant != Variant::Exact && o.variant != variant) {
        throw UsageError("-P and --music21 ask for two variants: give one");
      }
      o.variant = variant;
    } else if (arg == "-A") {
      o.arrows = true;
    } else if (arg == "-M") {
      o.strictBars = true;
    } else if (arg == "-q") {
      o.quiet = true;
    } else if (arg == "-v") {
      o.verbose = true;
    } else if (arg == "--hints") {
      noValue();
      o.hints = true;
    } else if (arg == "-I") {
      o.instrument = parseInstrument(value());
    } else if (arg == "-o") {
      o.outputDir = value();
      if (o.outputDir.empty()) throw UsageError("-o wants a folder");
    } else if (arg == "-j") {
      o.jobs = parseJobs(value());
    } else if (arg == "--check") {
      noValue();
      o.check = true;
    } else if (arg == "--report") {
      o.reportFile = value();
      if (o.reportFile.empty()) throw UsageError("--report wants a file name");
    } else if (arg == "--errors") {
      o.errorsDir = value();
      if (o.errorsDir.empty()) throw UsageError("--errors wants a folder");
    } else if (arg == "--encoding") {
      std::string name = value();
      o.autoEncoding = name == "auto";
      if (!o.autoEncoding && !encodingByName(name, o.encoding)) {
        throw UsageError("unknown encoding \"" + name + "\" (auto, utf-8, windows-1254, cp1254, iso-8859-9, latin5)");
      }
    } else if (arg == "--help") {
      noValue();
      o.help = true;
    } else if (arg == "--version") {
      noValue();
      o.version = true;
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  if (o.quiet && o.verbose) throw UsageError("-q and -v ask for less and for more: give one");
  if (o.paths.empty() && !o.help && !o.version) throw UsageError("no score file or folder given");
  return o;
}

Options conversionOptions(const BatchOptions& batch, const std::string& inputName) {
  Options o;
  o.inputName = inputName;
  o.quiet = true;  // no banner: the console text is not shown
  o.strictBars = batch.strictBars;
  o.variant = batch.variant;
  o.arrows = batch.arrows;
  o.instrument = batch.instrument;
  return o;
}

}  // namespace sorvik::batch
