// The library's interface as its callers use it: only <sorvik/convert.h>.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sorvik/convert.h"
#include "support/files.h"

namespace {

using sorvik::Diagnostic;
using sorvik::DiagnosticKind;
using sorvik::Options;
using sorvik::Result;

using testsupport::countOf;
using testsupport::readFile;

std::string caseFile(const std::string& name) { return readFile(std::string(SORVIK_CASES_DIR) + "/" + name); }

TEST(Api, ConvertsInMemoryAsTheCommandLineDoes) {
  for (const char* variant : {"normal", "P", "A"}) {
    SCOPED_TRACE(variant);
    const std::string dir = std::string("examples/sabah-sarki-") + variant;
    std::vector<std::string> args;
    std::istringstream lines(caseFile(dir + "/args"));
    for (std::string l; std::getline(lines, l);) args.push_back(l);
    std::string document;
    Result r = sorvik::convert(caseFile(dir + "/in/sabah-sarki.sv2"), sorvik::parseCommandLine(args), document);
    const std::string name = sorvik::outputName(args[0], sorvik::parseCommandLine(args).variant);
    EXPECT_TRUE(caseFile(dir + "/out/" + name) == document);
    EXPECT_EQ(caseFile(dir + "/console"), r.console);
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(r.diagnostics.empty());
    EXPECT_EQ(69, r.lines);
    EXPECT_EQ(document.size(), r.bytes);
    // Every note element but the rests.
    EXPECT_EQ(static_cast<int64_t>(countOf(document, "<note>") - countOf(document, "<rest/>")), r.notes);
  }
}

TEST(Api, SaysWhenTextThatIsNoUtf8WasReplaced) {
  const std::string head = "4\t4\t\t\t\t\t\t\t\t\n";
  const std::string tail = "\t\t\n9\tla4\t1\t1\t\t\t\t\t\t1\n";
  std::string document;
  // A title saved in Windows-1254, then the same title in UTF-8.
  Result legacy = sorvik::convert(head + "60" +
                                      "\t\t\t\t\t\t\t\xDE"
                                      "ark\xFD" +
                                      tail,
                                  Options{}, document);
  EXPECT_EQ(0, legacy.status);
  EXPECT_TRUE(legacy.textReplaced);
  document.clear();
  Result utf8 = sorvik::convert(head + "60" + "\t\t\t\t\t\t\tŞarkı" + tail, Options{}, document);
  EXPECT_EQ(0, utf8.status);
  EXPECT_FALSE(utf8.textReplaced);
  EXPECT_NE(std::string::npos, document.find("<work-title>Şarkı</work-title>"));
}

TEST(Api, ReportsAnErrorAsDataAndEndsTheDocumentWithIt) {
  std::string document;
  Result r = sorvik::convert(caseFile("diagnostics/error-report/in/song.sv2"), sorvik::parseCommandLine({"song.sv2"}),
                             document);
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(r.failed());
  EXPECT_TRUE(r.inputError());
  EXPECT_TRUE(r.copyInput);
  EXPECT_TRUE(r.ioError.empty());
  ASSERT_EQ(1u, r.diagnostics.size());
  EXPECT_EQ(DiagnosticKind::Error, r.diagnostics[0].kind);
  EXPECT_EQ(4, r.diagnostics[0].line);
  EXPECT_EQ("Unknown code in first field: \"99\"", r.diagnostics[0].message);
  EXPECT_EQ(caseFile("diagnostics/error-report/console"), r.console);
  const std::string last = "Error in Line 000004: Unknown code in first field: \"99\"\r\n";
  ASSERT_GE(document.size(), last.size());
  EXPECT_EQ(last, document.substr(document.size() - last.size()));
}

TEST(Api, TheOneErrorThatNamesNoFileAsksForNoCopy) {
  std::string document;
  Result r = sorvik::convert(caseFile("diagnostics/error-copy-skipped-for-note-value/in/song.sv2"),
                             sorvik::parseCommandLine({"song.sv2", "-q"}), document);
  EXPECT_TRUE(r.inputError());
  EXPECT_FALSE(r.copyInput);
}

TEST(Api, KeepsTheFirstWarningOnly) {
  std::string document;
  Result r = sorvik::convert(caseFile("diagnostics/warning-only-first/in/song.sv2"),
                             sorvik::parseCommandLine({"song.sv2"}), document);
  EXPECT_EQ(0, r.status);
  EXPECT_FALSE(r.inputError());
  ASSERT_EQ(1u, r.diagnostics.size());
  EXPECT_EQ(DiagnosticKind::Warning, r.diagnostics[0].kind);
  EXPECT_EQ(7, r.diagnostics[0].line);
  EXPECT_EQ("Measure overfull: 1.25 - 1.5", r.diagnostics[0].message);
}

// A source and a sink that log what is asked of them and can fail.
struct Log {
  std::vector<std::string> calls;
};
struct LoggingSource : sorvik::InputSource {
  Log& log;
  std::string bytes;
  bool failOpen = false, failRead = false;
  size_t at = 0;
  LoggingSource(Log& l, std::string b) : log(l), bytes(std::move(b)) {}
  void open() override {
    log.calls.push_back("source open");
    if (failOpen) throw sorvik::IoError("Cannot open s.sv2: No such thing");
  }
  size_t read(char* buffer, size_t size) override {
    if (failRead) throw sorvik::IoError("Cannot read s.sv2: Input/output error");
    size_t n = std::min(size, bytes.size() - at);
    bytes.copy(buffer, n, at);
    at += n;
    return n;
  }
};
struct LoggingSink : sorvik::DocumentSink {
  Log& log;
  bool failOpen = false;
  std::string text;
  explicit LoggingSink(Log& l) : log(l) {}
  void open() override {
    log.calls.push_back("sink open");
    if (failOpen) throw sorvik::IoError("Cannot create s.xml: Permission denied");
  }
  void write(std::string_view b) override { text.append(b); }
  void close() override { log.calls.push_back("sink close"); }
};

TEST(Api, OpensTheSourceThenTheSinkAndClosesTheSinkOnce) {
  const std::string song = caseFile("diagnostics/error-report/in/song.sv2");
  Log log;
  LoggingSource source(log, song);
  LoggingSink sink(log);
  Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2"}));
  EXPECT_TRUE(r.inputError());
  EXPECT_EQ((std::vector<std::string>{"source open", "sink open", "sink close"}), log.calls);
}

TEST(Api, AFailedReadOrWriteIsNoInputError) {
  const std::string song = caseFile("examples/sabah-sarki-normal/in/sabah-sarki.sv2");
  {
    Log log;
    LoggingSource source(log, song);
    source.failOpen = true;
    LoggingSink sink(log);
    Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2", "-q"}));
    EXPECT_EQ(1, r.status);
    EXPECT_FALSE(r.inputError());
    EXPECT_EQ("Cannot open s.sv2: No such thing", r.ioError);
    EXPECT_EQ("Reading s.sv2\nWriting to s.xml\nCannot open s.sv2: No such thing\n", r.console);
    EXPECT_EQ(std::vector<std::string>{"source open"}, log.calls);  // nothing created
  }
  {
    Log log;
    LoggingSource source(log, song);
    LoggingSink sink(log);
    sink.failOpen = true;
    Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2", "-Q"}));
    EXPECT_EQ("Cannot create s.xml: Permission denied\n", r.console);
    EXPECT_TRUE(sink.text.empty());
  }
  {
    Log log;
    LoggingSource source(log, song);
    source.failRead = true;
    LoggingSink sink(log);
    Result r = sorvik::convert(source, sink, sorvik::parseCommandLine({"s.sv2", "-Q"}));
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("Cannot read s.sv2: Input/output error", r.ioError);
    EXPECT_TRUE(r.diagnostics.empty());
  }
}

TEST(Api, ReadsEachSwitchOnlyWhereItCounts) {
  struct Row {
    std::vector<std::string> args;
    bool quiet, silent, wait, strict, print, arrows;
    int64_t instrument;
  };
  const Row rows[] = {
      {{"a.sv2"}, false, false, false, false, false, false, 1},
      {{"a.sv2", "-q"}, true, false, false, false, false, false, 1},
      {{"a.sv2", "-Q"}, false, true, false, false, false, false, 1},
      {{"a.sv2", "-R"}, false, false, true, false, false, false, 1},
      {{"a.sv2", "-M"}, false, false, false, true, false, false, 1},
      {{"a.sv2", "-P", "-A"}, false, false, false, false, true, true, 1},
      {{"a.sv2", "-A"}, false, false, false, false, false, true, 1},
      {{"a.sv2", "-q", "-M"}, true, false, false, false, false, false, 1},  // -M only as argument 2
      {{"a.sv2", "-I", "72"}, false, false, false, false, false, false, 72},
      {{"a.sv2", "-I", "41", "-A"}, false, false, false, false, false, true, 41},
      {{"a.sv2", "-P", "-I", "41", "-A"}, false, false, false, false, true, false, 41},  // -A as argument 5
      {{"a.sv2", "-I", "-I", "5"}, false, false, false, false, false, false, 5},         // the later -I wins
      {{"a.sv2", "-I"}, false, false, false, false, false, false, 1},                    // no number
      {{"a.sv2", "-I", "x12y"}, false, false, false, false, false, false, 12},
      {{"a.sv2", "-p", "-a", "-i", "3"}, false, false, false, false, false, false, 1},  // case matters
      {{"a.sv2", "x", "y", "z", "-A"}, false, false, false, false, false, false, 1},    // -A as argument 5
  };
  for (const Row& row : rows) {
    Options o = sorvik::parseCommandLine(row.args);
    SCOPED_TRACE(row.args.size() > 1 ? row.args[1] : "");
    EXPECT_EQ(row.args[0], o.inputName);
    EXPECT_EQ(row.quiet, o.quiet);
    EXPECT_EQ(row.silent, o.silent);
    EXPECT_EQ(row.wait, o.waitAtEnd);
    EXPECT_EQ(row.strict, o.strictBars);
    EXPECT_EQ(row.print, o.variant == sorvik::Variant::MuseScorePrint);
    EXPECT_EQ(row.arrows, o.arrows);
    EXPECT_EQ(row.instrument, o.instrument);
  }
  EXPECT_EQ("", sorvik::parseCommandLine({}).inputName);
}

TEST(Api, NamesTheDocumentAfterTheFirstSv2) {
  using sorvik::Variant;
  EXPECT_EQ("MyNewSong.xml", sorvik::outputName("MyNewSong.sv2", Variant::Exact));
  EXPECT_EQ("MyNewSong.musescore-print.xml", sorvik::outputName("MyNewSong.sv2", Variant::MuseScorePrint));
  EXPECT_EQ("MyNewSong.music21.xml", sorvik::outputName("MyNewSong.sv2", Variant::Music21));
  EXPECT_EQ("a.music21.xml", sorvik::outputName("a.sv2.sv2", Variant::Music21));
  EXPECT_EQ("a.xml", sorvik::outputName("a.sv2.sv2", Variant::Exact));
  EXPECT_EQ("song.txtxml", sorvik::outputName("song.txt", Variant::Exact));
  EXPECT_EQ("d/s.SV2xml", sorvik::outputName("d/s.SV2", Variant::Exact));
}

TEST(Api, TurnsTurkishCodePagesIntoUtf8) {
  sorvik::Encoding e = sorvik::Encoding::Utf8;
  for (const char* name : {"windows-1254", "CP1254", "iso-8859-9", "Latin5"}) {
    EXPECT_TRUE(sorvik::encodingByName(name, e)) << name;
    EXPECT_EQ(sorvik::Encoding::Windows1254, e);
  }
  EXPECT_TRUE(sorvik::encodingByName("UTF-8", e));
  EXPECT_EQ(sorvik::Encoding::Utf8, e);
  EXPECT_FALSE(sorvik::encodingByName("latin1", e));
  EXPECT_FALSE(sorvik::encodingByName("", e));

  // "Şarkı Güzel Ağır" and the other Turkish letters, the euro sign, an
  // unassigned byte, plain ASCII and TABs untouched.
  const std::string cp1254 =
      "\xDE"
      "ark\xFD G\xFCzel A\xF0\xFDr \xDD\xFE\xD0\xE7\xC7\xF6\xD6\xDC \x80\x81\t-";
  EXPECT_EQ("Şarkı Güzel Ağır İşĞçÇöÖÜ €\xEF\xBF\xBD\t-", sorvik::toUtf8(cp1254, sorvik::Encoding::Windows1254));
  EXPECT_EQ(cp1254, sorvik::toUtf8(cp1254, sorvik::Encoding::Utf8));
}

}  // namespace
