// sorvik-batch on folders made for each test: which files it finds, where
// the documents go, the report, the failures that must not stop it, and its
// command line.
#include <gtest/gtest.h>

#include "support.h"

namespace batchtest {
namespace {

std::vector<std::string> inputsOf(const fs::path& report) {
  std::vector<std::string> inputs;
  auto rows = parseCsv(readFile(report));
  for (size_t i = 1; i < rows.size(); ++i) inputs.push_back(rows[i].at(0));
  return inputs;
}

TEST(FolderWalk, FindsScoresInAnyLetterCaseOnceAndInOrderWithoutFollowingFolderLinks) {
  TempDir d;
  writeFile(d / "songs/b.sv2", goodSong());
  writeFile(d / "songs/A.SV2", goodSong());
  writeFile(d / "songs/deep/er/c.Sv2", goodSong());
  writeFile(d / "songs/notes.txt", "not a score");
  writeFile(d / "songs/old.sv2.bak", goodSong());
  writeFile(d / "songs/d.sv2x", goodSong());
  writeFile(d / "elsewhere/linked.sv2", goodSong());
  fs::create_directory_symlink("../elsewhere", d / "songs/folder-link");
  fs::create_symlink("../elsewhere/linked.sv2", d / "songs/file-link.sv2");
  fs::create_directory(d / "songs/folder.sv2");  // a folder with a score's name is searched, not read

  // The folder twice, a file in it again, and the same file written otherwise.
  BatchRun r = runBatch({"--report", "r.csv", "songs", "songs/b.sv2", "songs/", "./songs//b.sv2"}, d.path());
  EXPECT_EQ(0, r.status) << r.out << r.err;
  EXPECT_EQ((std::vector<std::string>{"songs/A.SV2", "songs/b.sv2", "songs/deep/er/c.Sv2", "songs/file-link.sv2"}),
            inputsOf(d / "r.csv"));
  EXPECT_TRUE(fs::exists(d / "songs/A.SV2xml"));  // named as the single tool names it
  EXPECT_TRUE(fs::exists(d / "songs/deep/er/c.Sv2xml"));
  EXPECT_FALSE(fs::exists(d / "elsewhere/linked.xml"));
  EXPECT_TRUE(fs::exists(d / "songs/file-link.xml"));  // beside the link
  EXPECT_EQ("4 files in", r.out.substr(0, 10));

  // The current folder is shown without "./"; a file given by name is converted whatever its name.
  BatchRun here = runBatch({"--check", "--report", "../r2.csv", ".", "notes.txt"}, d / "songs");
  EXPECT_EQ(1, here.status);  // notes.txt is no score
  auto rows = inputsOf(d / "r2.csv");
  EXPECT_EQ((std::vector<std::string>{"A.SV2", "b.sv2", "deep/er/c.Sv2", "file-link.sv2", "notes.txt"}), rows);
}

TEST(Output, MirrorsThePathsBelowEachPathGivenAndWritesNothingBesideTheInputs) {
  TempDir d;
  writeFile(d / "in/a/x.sv2", goodSong("X"));
  writeFile(d / "in/a/sub/y.sv2", goodSong("Y"));
  writeFile(d / "in/z.sv2", goodSong("Z"));
  auto before = snapshot(d / "in");
  BatchRun r = runBatch({"-P", "-o", "out/docs", "in/a", "in/z.sv2"}, d.path());
  EXPECT_EQ(0, r.status) << r.out << r.err;
  EXPECT_EQ(before, snapshot(d / "in"));
  auto out = snapshot(d / "out");
  std::vector<std::string> names;
  for (auto& [name, bytes] : out) names.push_back(name);
  EXPECT_EQ((std::vector<std::string>{"docs/sub/y.musescore-print.xml", "docs/x.musescore-print.xml",
                                      "docs/z.musescore-print.xml"}),
            names);
  EXPECT_NE(std::string::npos, out["docs/sub/y.musescore-print.xml"].find("<work-title>Y</work-title>"));
  // The music21 variant beside the input, under its own name.
  EXPECT_EQ(0, runBatch({"--music21", "in/z.sv2"}, d.path()).status);
  EXPECT_TRUE(fs::exists(d / "in/z.music21.xml"));
}

TEST(Report, QuotesCommasQuotesAndLineEndsInNamesAndMessages) {
  TempDir d;
  const std::string comma = "a,b.sv2", quote = "say \"hi\".sv2", newline = "two\nlines.sv2", cr = "lone\rcr.sv2";
  writeFile(d / "s" / comma, goodSong());
  writeFile(d / "s" / quote, faultySong());
  writeFile(d / "s" / newline, goodSong());
  writeFile(d / "s" / cr, goodSong());
  BatchRun r = runBatch({"--report", "r.csv", "s"}, d.path());
  EXPECT_EQ(1, r.status);
  std::string text = readFile(d / "r.csv");
  const std::string header = "input,status,line,message,output,notes,bytes,milliseconds,encoding,hints\r\n";
  EXPECT_EQ(header, text.substr(0, header.size()));
  EXPECT_NE(std::string::npos, text.find("\r\n\"s/a,b.sv2\",converted,,,\"s/a,b.xml\",3,"));
  EXPECT_NE(std::string::npos, text.find("\r\n\"s/lone\rcr.sv2\",converted,,,\"s/lone\rcr.xml\",3,"));
  EXPECT_NE(std::string::npos, text.find("\r\n\"s/say \"\"hi\"\".sv2\",error,4,\"Wrong note format: \"\"La\"\"\",,,,"));
  auto rows = parseCsv(text);
  ASSERT_EQ(5u, rows.size());
  for (auto& row : rows) EXPECT_EQ(10u, row.size());
  EXPECT_EQ("s/" + cr, rows[2][0]);
  EXPECT_EQ("s/" + newline, rows[4][0]);
  EXPECT_EQ("s/two\nlines.xml", rows[4][4]);
  EXPECT_EQ(readFile(d / "s/two\nlines.xml").size(), std::stoul(rows[4][6]));
}

TEST(Failures, AFaultyFileAmongGoodOnesIsReportedAndCopiedAndTheRestConverted) {
  TempDir d;
  writeFile(d / "c/good1.sv2", goodSong());
  writeFile(d / "c/sub/bad.sv2", faultySong());
  writeFile(d / "c/good2.sv2", goodSong());
  fs::create_symlink("nowhere.sv2", d / "c/gone.sv2");
  writeFile(d / "E/other.sv2", "an older copy");
  BatchRun r = runBatch({"-j", "2", "--errors", "E", "c"}, d.path());
  EXPECT_EQ(1, r.status);
  // Without a report the failed files are listed, then the summary.
  EXPECT_EQ(
      "c/gone.sv2: Cannot open c/gone.sv2: No such file or directory\n"
      "c/sub/bad.sv2, line 4: Wrong note format: \"La\"\n",
      r.out.substr(0, r.out.rfind('\n', r.out.size() - 2) + 1));
  EXPECT_NE(std::string::npos, r.out.find(": 2 converted, 0 with a warning, 1 with an error, 1 unreadable\n"));
  EXPECT_TRUE(fs::exists(d / "c/good1.xml"));
  EXPECT_TRUE(fs::exists(d / "c/good2.xml"));
  EXPECT_FALSE(fs::exists(d / "c/sub/bad.xml"));  // no document of a failed conversion
  EXPECT_EQ(faultySong(), readFile(d / "E/sub/bad.sv2"));
  EXPECT_EQ(2u, snapshot(d / "E").size());  // an unreadable file has nothing to copy

  // A copy already there is kept.
  writeFile(d / "E/sub/bad.sv2", "kept");
  runBatch({"-q", "--errors", "E", "c"}, d.path());
  EXPECT_EQ("kept", readFile(d / "E/sub/bad.sv2"));
}

TEST(Failures, AnOutputFolderThatCannotBeMadeIsOneRowForEachFileAndTheRestGoesOn) {
  TempDir d;
  writeFile(d / "in/a.sv2", goodSong());
  writeFile(d / "in/sub/b.sv2", goodSong());
  writeFile(d / "out/sub", "a file where the folder should be");
  BatchRun r = runBatch({"-o", "out", "--report", "r.csv", "in"}, d.path());
  EXPECT_EQ(1, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["in/a.sv2"][1]);
  EXPECT_EQ("error", rows["in/sub/b.sv2"][1]);
  EXPECT_EQ("Cannot create folder out/sub: File exists", rows["in/sub/b.sv2"][3]);
  EXPECT_EQ((std::map<std::string, std::string>{{"a.xml", readFile(d / "out/a.xml")},
                                                {"sub", "a file where the folder should be"}}),
            snapshot(d / "out"));

  // Below a file nothing can be made: every file fails, none is skipped.
  BatchRun none = runBatch({"-o", "out/sub/deeper", "--report", "r2.csv", "in"}, d.path());
  EXPECT_EQ(1, none.status);
  auto rows2 = reportRows(d / "r2.csv");
  ASSERT_EQ(2u, rows2.size());
  for (auto& [input, row] : rows2) EXPECT_EQ("error", row[1]) << input;
}

TEST(Failures, AFullDiskFailsTheDocumentsThatDoNotFitAndLeavesNoPartOfThem) {
  TempDir d;
  writeFile(d / "s/short.sv2", goodSong());
  std::string longSong = goodSong();
  for (int i = 0; i < 400; ++i) longSong += "9\tla4\t1\t4\t\t\t\t\t\t\n";
  writeFile(d / "s/long.sv2", longSong);
  // A limit on file sizes stands in for the full disk: writes past it fail.
  BatchRun r = runBatch({"--report", "r.csv", "s"}, d.path(), {.fileSizeLimit = 20000});
  EXPECT_EQ(1, r.status) << r.err;
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["s/short.sv2"][1]);
  EXPECT_EQ("error", rows["s/long.sv2"][1]);
  EXPECT_EQ("Cannot write s/long.xml: File too large", rows["s/long.sv2"][3]);
  auto files = snapshot(d / "s");
  EXPECT_EQ(3u, files.size()) << "only the two scores and the short one's document";
  EXPECT_TRUE(files.count("short.xml"));
}

TEST(Check, ConvertsAndReportsButWritesNoDocument) {
  TempDir d;
  writeFile(d / "s/a.sv2", goodSong());
  writeFile(d / "s/b.sv2", faultySong());
  auto before = snapshot(d.path());
  BatchRun r = runBatch({"--check", "-o", "out", "--report", "../r.csv", "."}, d / "s");
  EXPECT_EQ(1, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["a.sv2"][1]);
  EXPECT_EQ("", rows["a.sv2"][4]);  // no document
  EXPECT_EQ("3", rows["a.sv2"][5]);
  EXPECT_EQ("error", rows["b.sv2"][1]);
  fs::remove(d / "r.csv");
  EXPECT_EQ(before, snapshot(d.path()));
}

TEST(Encoding, OldTurkishCodePageTurnedIntoUtf8OrWarnedAbout) {
  TempDir d;
  writeFile(d / "s.sv2", goodSong("Kar\xFD\xFE\xFDk"));  // "Karışık" in windows-1254
  BatchRun plain = runBatch({"--report", "r.csv", "s.sv2"}, d.path());
  EXPECT_EQ(0, plain.status);
  auto row = reportRows(d / "r.csv")["s.sv2"];
  EXPECT_EQ("warning", row[1]);
  EXPECT_EQ("Text is not UTF-8; try --encoding windows-1254", row[3]);
  for (std::string name : {"windows-1254", "CP1254", "iso-8859-9", "latin5"}) {
    BatchRun r = runBatch({"--encoding", name, "--report", "r.csv", "s.sv2"}, d.path());
    EXPECT_EQ(0, r.status) << name;
    EXPECT_EQ("converted", reportRows(d / "r.csv")["s.sv2"][1]) << name;
    EXPECT_NE(std::string::npos, readFile(d / "s.xml").find("<work-title>Kar\xC4\xB1\xC5\x9F\xC4\xB1k</work-title>"));
  }
}

TEST(CommandLine, AWrongCommandLineIsAnsweredInOneLineAndExitsWithTwo) {
  TempDir d;
  writeFile(d / "s.sv2", goodSong());
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{"--bogus", "s.sv2"},
                                                                             {"-j", "x", "s.sv2"},
                                                                             {"-j0", "s.sv2"},
                                                                             {"-Px", "s.sv2"},
                                                                             {"s.sv2", "-o"},
                                                                             {"--encoding", "koi8-r", "s.sv2"},
                                                                             {"--check=yes", "s.sv2"},
                                                                             {"-P", "s.sv2", "--music21"},
                                                                             {"--music21", "-P", "s.sv2"},
                                                                             {"-q", "-v", "s.sv2"},
                                                                             {"-I"}}) {
    BatchRun r = runBatch(args, d.path());
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(0u, r.err.find("sorvik-batch: ")) << r.err;
    EXPECT_EQ(r.err.size() - 13, r.err.find("; try --help\n")) << r.err;
    EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << r.err;
  }
  EXPECT_EQ("sorvik-batch: unknown option --bogus; try --help\n", runBatch({"--bogus", "s.sv2"}, d.path()).err);
  // Without any argument the usage is the answer.
  BatchRun none = runBatch({}, d.path());
  EXPECT_EQ(2, none.status);
  EXPECT_EQ(0u, none.err.find("Usage: sorvik-batch [options] PATH..."));
  EXPECT_EQ(1u, snapshot(d.path()).size());
  BatchRun help = runBatch({"--help"}, d.path());
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("Usage: sorvik-batch"));
  BatchRun version = runBatch({"--version"}, d.path());
  EXPECT_EQ("sorvik-batch, converting as SorvikToMusicXml V0.920.\n", version.out);
  // Switches and paths in any order; "--" ends the switches.
  writeFile(d / "-s.sv2", goodSong());
  BatchRun mixed = runBatch({"s.sv2", "-q", "-I", "72", "--", "-s.sv2"}, d.path());
  EXPECT_EQ(0, mixed.status) << mixed.out;
  EXPECT_NE(std::string::npos, readFile(d / "-s.xml").find("<midi-program>72</midi-program>"));
  // A short option's value may be attached, as make and cargo take it.
  BatchRun attached = runBatch({"-j1", "-I72", "-oout", "s.sv2"}, d.path());
  EXPECT_EQ(0, attached.status) << attached.err;
  EXPECT_NE(std::string::npos, readFile(d / "out/s.xml").find("<midi-program>72</midi-program>"));
}

}  // namespace
}  // namespace batchtest
