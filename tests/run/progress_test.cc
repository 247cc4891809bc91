#include "run/progress.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct ProgressFixture {
  explicit ProgressFixture(bool terminal)
      : progress(err.file(), terminal, [this] { return now; }, [this] { return columns; }) {}
  // A plain file: the same bytes stored and read as text.
  void Read(std::size_t bytes) {
    progress.BytesRead(bytes);
    progress.TextRead(bytes);
  }
  CapturedStream err;
  double now = 100.0;
  int columns = 80;
  Progress progress;
};

TEST(ProgressTest, DrawsAfterASecondAndErases) {
  ProgressFixture f(true);
  f.progress.FileStarted("logs/ex0101.log", 4'000'000);
  f.Read(1'000'000);
  f.now = 100.9;
  f.Read(1'000'000);
  EXPECT_EQ("", f.err.Text());  // not within the first second

  f.now = 102.0;
  f.Read(1'000'000);
  EXPECT_EQ("\rlogs/ex0101.log: 3.0 MB read, 2 MB/s, 75% of this file\x1B[K", f.err.Text());

  f.now = 102.1;  // too soon to draw again
  f.Read(1'000'000);
  f.progress.Erase();
  f.progress.Erase();  // erased once only
  EXPECT_EQ("\rlogs/ex0101.log: 3.0 MB read, 2 MB/s, 75% of this file\x1B[K\r\x1B[K",
            f.err.Text());
}

TEST(ProgressTest, NeverOffATerminalOrWhenQuiet) {
  ProgressFixture off(false);
  off.progress.FileStarted("a.log", 10);
  off.now = 200;
  off.Read(5);
  off.progress.Erase();
  EXPECT_EQ("", off.err.Text());

  ProgressFixture quiet(true);
  quiet.progress.SetQuiet(true);
  quiet.progress.FileStarted("a.log", 10);
  quiet.now = 200;
  quiet.Read(5);
  EXPECT_EQ("", quiet.err.Text());
}

TEST(ProgressTest, GoingQuietErasesTheLine) {
  ProgressFixture f(true);
  f.progress.FileStarted("a.log", -1);  // size unknown: no percentage
  f.now = 102;
  f.Read(3'000'000);
  f.progress.SetQuiet(true);
  EXPECT_EQ("\ra.log: 3.0 MB read, 2 MB/s\x1B[K\r\x1B[K", f.err.Text());
}

// A line as wide as the terminal wraps, and every redraw then leaves a
// stale row behind: the line stays a column short, the name giving way
// from its start.
TEST(ProgressTest, FitsTheTerminal) {
  const std::string path = "/srv/logs/" + std::string(80, 'x') + "/ex0101.log";  // 101 bytes
  ProgressFixture f(true);
  f.progress.FileStarted(path.c_str(), 4'000'000);
  f.Read(1'000'000);
  const std::string numbers = "1.0 MB read, 0 MB/s, 25% of this file";
  struct Case {
    int columns;
    std::string line;
  };
  const Case cases[] = {
      {200, path + ": " + numbers},
      {80, "..." + path.substr(path.size() - 37) + ": " + numbers},
      {45, "..." + path.substr(path.size() - 2) + ": " + numbers},
      {43, numbers},  // no room for a useful part of the name
      {20, numbers.substr(0, 19)},
      {0, "..." + path.substr(path.size() - 37) + ": " + numbers},  // width unknown: 80
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.line, f.progress.Line(100, c.columns)) << c.columns;
    EXPECT_LT(c.line.size(), c.columns > 0 ? static_cast<std::size_t>(c.columns) : 80u);
  }
  // A character of several bytes is never cut in two.
  ProgressFixture utf8(true);
  utf8.progress.FileStarted(("/logs/" + std::string(40, 'x') + "\xC3\xB8" + "y.log").c_str(), 0);
  EXPECT_EQ("...y.log: 0.0 MB read, 0 MB/s", utf8.progress.Line(100, 31));
}

// A compressed file shows the log text read, and how far through the
// stored file it is.
TEST(ProgressTest, CompressedFileShowsTextAndStoredShare) {
  ProgressFixture f(true);
  f.progress.FileStarted("a.log.gz", 1'000'000);
  f.progress.BytesRead(500'000);
  f.now = 102;
  f.progress.TextRead(6'000'000);
  EXPECT_EQ("\ra.log.gz: 6.0 MB read, 3 MB/s, 50% of this file\x1B[K", f.err.Text());
}

TEST(ProgressTest, LookupNoteWhileLookupsAreOutstanding) {
  ProgressFixture f(true);
  f.progress.LookupsStarted(200);
  f.now = 100.5;
  f.progress.LookupsAnswered(40);
  EXPECT_EQ("", f.err.Text());  // not within the first second
  f.now = 101.5;
  f.progress.LookupsAnswered(90);
  f.now = 101.6;  // too soon to draw again
  f.progress.LookupsAnswered(95);
  f.progress.LookupsFinished();
  EXPECT_EQ("\rLooking up host names: 90 of 200 answered\x1B[K\r\x1B[K", f.err.Text());

  // Not under -v or -d, and never off a terminal.
  for (bool terminal : {true, false}) {
    ProgressFixture g(terminal);
    g.progress.SetQuiet(terminal);
    g.progress.LookupsStarted(5);
    g.now = 110;
    g.progress.LookupsAnswered(1);
    g.progress.LookupsFinished();
    EXPECT_EQ("", g.err.Text());
  }
}

// The line is on a terminal: a file name cannot drive it.
TEST(ProgressTest, ControlBytesOfTheNameEscaped) {
  ProgressFixture f(true);
  f.progress.FileStarted("a\x1B]0;x\x07\r.log", 0);
  EXPECT_EQ("a\\x1B]0;x\\x07\\x0D.log: 0.0 MB read, 0 MB/s", f.progress.Line(100, 80));
}

}  // namespace
