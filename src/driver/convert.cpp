// One conversion: the state set up, the progress lines, the score read and
// interpreted, the end of the document and what the run reports.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <sstream>
#include <string_view>
#include <utility>

#include "core/diagnostics.h"
#include "core/state.h"
#include "input/lookahead.h"
#include "musicxml/skeleton.h"

namespace sorvik {

namespace {

std::ostream& say(ConversionState& cs) { return *cs.CONSOLE; }

// From the progress lines to the end of the document.
void convertLines(ConversionState& cs, InputSource& input, DocumentSink& document) {
  if (!cs.OPTIONS.silent) {
    say(cs) << "Reading " << cs.FILENAMEIN << '\n';
    say(cs) << "Writing to " << cs.FILENAMEOUT << '\n';
  }
  input.open();
  cs.DATAIN.open(input);
  document.open();
  cs.DATAOUT.open(document);
  cs.SONGTYPE.clear();
  cs.NEWSONGTYPE.clear();
  PROCESSLINES(cs);
  MUSICXMLEND(cs);
  cs.DATAIN.close();
  cs.DATAOUT.close();
  if (!cs.OPTIONS.silent) say(cs) << "Lines: " << cs.LINENUMBER << '\n';
}

// A read or write that failed, or whatever else a source or sink threw: the
// run ends with status 1 and one line that says so.
void failed(Result& result, std::ostream& console, const std::string& why) {
  result.status = 1;
  result.ioError = why;
  console << why << '\n';
}

}  // namespace

std::string_view bannerLine() { return "SorvikToMusicXml V0.920."; }

Result convert(InputSource& input, DocumentSink& document, const Options& options) {
  // Default-initialised, not value-initialised: the buffers inside need no zeroing.
  std::unique_ptr<ConversionState> cs(new ConversionState);
  std::ostringstream console;
  cs->OPTIONS = options;
  cs->CONSOLE = &console;
  cs->FILENAMEIN = options.inputName;
  cs->FILENAMEOUT = outputName(options.inputName, options.variant);
  Result result;
  if (!options.quiet && !options.silent) console << bannerLine() << '\n';
  try {
    convertLines(*cs, input, document);
  } catch (const RunEnd& end) {
    result.status = end.status;
  } catch (const IoError& failure) {
    failed(result, console, failure.what());
  } catch (const std::bad_alloc&) {
    failed(result, console, "Cannot convert " + options.inputName + ": out of memory");
  } catch (const std::exception& e) {
    failed(result, console, "Cannot convert " + options.inputName + ": " + e.what());
  } catch (...) {
    failed(result, console, "Cannot convert " + options.inputName + ": unknown failure");
  }
  // A sink that was opened is closed, also when the source failed.
  cs->DATAOUT.abandon();
  result.console = console.str();
  result.diagnostics = std::move(cs->DIAGNOSTICS);
  result.hints = std::move(cs->HINTS);
  result.lines = cs->LINENUMBER;
  result.notes = cs->NOTESWRITTEN;
  result.bytes = cs->DATAOUT.written();
  result.copyInput = cs->COPYINPUT;
  result.textReplaced = cs->DATAOUT.replacedNotUtf8();
  return result;
}

namespace {

// A score in memory, handed out in the pieces the reader asks for.
class MemorySource : public InputSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  size_t read(char* buffer, size_t size) override {
    size_t n = std::min(size, rest_.size());
    if (n > 0) std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view rest_;
};

class StringSink : public DocumentSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void write(std::string_view bytes) override { out_.append(bytes); }

 private:
  std::string& out_;
};

}  // namespace

Result convert(InputSource& input, const Options& options, std::string& document) {
  StringSink sink(document);
  return convert(input, sink, options);
}

Result convert(std::string_view input, const Options& options, std::string& document) {
  MemorySource source(input);
  return convert(source, options, document);
}

}  // namespace sorvik
