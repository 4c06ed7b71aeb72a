// What sorvik-batch says of each file: the encoding it read the file in
// (--encoding auto), every file with -v, and the hints in the report and
// with --hints.
#include <gtest/gtest.h>

#include "support.h"

namespace batchtest {
namespace {

const std::string kHuseyni = "H\xC3\xBCseyni";    // "Hüseyni" in UTF-8
const std::string kKarisik = "Kar\xFD\xFE\xFDk";  // "Karışık" in Windows-1254

TEST(Encoding, AutoReadsEachFileInItsOwnAndTheReportSaysWhich) {
  TempDir d;
  writeFile(d / "s/new.sv2", goodSong(kHuseyni));
  writeFile(d / "s/old.sv2", goodSong(kKarisik));
  writeFile(d / "s/plain.sv2", goodSong());
  BatchRun r = runBatch({"--encoding", "auto", "--report", "r.csv", "s"}, d.path());
  EXPECT_EQ(0, r.status) << r.out << r.err;
  auto rows = reportRows(d / "r.csv");
  for (auto& [input, encoding] : std::map<std::string, std::string>{
           {"s/new.sv2", "utf-8"}, {"s/old.sv2", "windows-1254"}, {"s/plain.sv2", "utf-8"}}) {
    EXPECT_EQ("converted", rows[input][1]) << input;
    EXPECT_EQ(encoding, rows[input].at(8)) << input;
  }
  EXPECT_NE(std::string::npos, readFile(d / "s/new.xml").find("<work-title>" + kHuseyni + "</work-title>"));
  EXPECT_NE(std::string::npos, readFile(d / "s/old.xml").find("<work-title>Kar\xC4\xB1\xC5\x9F\xC4\xB1k</work-title>"));
}

TEST(Encoding, AUtf8FileReadAsWindows1254IsAWarningAnAsciiOneIsNot) {
  TempDir d;
  writeFile(d / "s/new.sv2", goodSong(kHuseyni));
  writeFile(d / "s/plain.sv2", goodSong());
  BatchRun r = runBatch({"--encoding=cp1254", "--report", "r.csv", "s"}, d.path());
  EXPECT_EQ(0, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ((std::vector<std::string>{"s/new.sv2", "warning", "",
                                      "Text is UTF-8 but was read as Windows-1254; try --encoding auto", "s/new.xml"}),
            std::vector<std::string>(rows["s/new.sv2"].begin(), rows["s/new.sv2"].begin() + 5));
  EXPECT_EQ("windows-1254", rows["s/new.sv2"][8]);
  EXPECT_EQ("converted", rows["s/plain.sv2"][1]);
  // The default stays UTF-8, the single tool's bytes.
  runBatch({"--report", "r.csv", "s"}, d.path());
  rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["s/new.sv2"][1]);
  EXPECT_EQ("utf-8", rows["s/new.sv2"][8]);
}

TEST(Listing, VerboseNamesEveryFileWithItsStatusAndMessageAlsoWithAReport) {
  TempDir d;
  writeFile(d / "s/a.sv2", goodSong());
  writeFile(d / "s/b.sv2", goodSong(kKarisik));
  writeFile(d / "s/c.sv2", faultySong());
  std::string overfull = goodSong();
  overfull.replace(overfull.find("1\t4\t\t\t\t\t\t0.5"), 3, "1\t2");  // a half note where a quarter is
  writeFile(d / "s/d.sv2", overfull);
  const std::string listed =
      "s/a.sv2: converted\n"
      "s/b.sv2: warning: Text is not UTF-8; try --encoding windows-1254\n"
      "s/c.sv2, line 4: error: Wrong note format: \"La\"\n"
      "s/d.sv2, line 3: warning: Measure overfull: 0.5 - 0.75\n";
  for (bool report : {false, true}) {
    std::vector<std::string> args{"-v", "-j2", "s"};
    if (report) args.insert(args.end(), {"--report", "r.csv"});
    BatchRun r = runBatch(args, d.path());
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(listed, r.out.substr(0, listed.size())) << r.out;
    EXPECT_EQ(0u, r.out.find("4 files in ", listed.size()) - listed.size()) << r.out;
  }
}

TEST(Hints, InTheReportOneALineAndOnTheConsoleWithHints) {
  TempDir d;
  writeFile(d / "s/a.sv2", goodSong());
  writeFile(d / "s/b.sv2",
            "4\t4\t\t\t\t\t\t\t\t\n60\t\t\t\t\t\t\tSong\t\t\n9\tla4\t1\t4\t0\t0\t0\tge-\t\t0.25\n"
            "9\tla4\t1\t4\t0\t0\t0\t\t\t0.5\n9\t\t1\t4\t0\t0\t0\tSa \t\t0.75\n9\tla4\t1\t4\t0\t0\t0\t\t\t1\n");
  const std::string first =
      "line 3: The note \"la4\" is not written: the \"-\" in field 8 makes this a marker line. Write the syllable "
      "without it; a syllable that ends with a blank continues its word.";
  const std::string second =
      "line 5: The lyric \"Sa \" on this rest is not written. Only pitched notes carry lyrics: put it on the note it "
      "belongs to.";
  BatchRun r = runBatch({"--hints", "--report", "r.csv", "s"}, d.path());
  EXPECT_EQ(0, r.status);
  auto rows = reportRows(d / "r.csv");
  EXPECT_EQ("converted", rows["s/b.sv2"][1]);  // a hint changes nothing of the conversion
  EXPECT_EQ(first + "\n" + second, rows["s/b.sv2"].at(9));
  EXPECT_EQ("", rows["s/a.sv2"].at(9));
  EXPECT_EQ("s/b.sv2, " + first.substr(0, 8) + "hint: " + first.substr(8) + "\ns/b.sv2, " + second.substr(0, 8) +
                "hint: " + second.substr(8) + "\n2 files in ",
            r.out.substr(0, r.out.find(" s: ") - 3))
      << r.out;
  // Without --hints the console has none.
  EXPECT_EQ(0u, runBatch({"s"}, d.path()).out.find("2 files in "));
}

}  // namespace
}  // namespace batchtest
