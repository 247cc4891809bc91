#include "run/progress.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct ProgressFixture {
  explicit ProgressFixture(bool terminal)
      : progress(err.file(), terminal, [this] { return now; }) {}
  CapturedStream err;
  double now = 100.0;
  Progress progress;
};

TEST(ProgressTest, DrawsAfterASecondAndErases) {
  ProgressFixture f(true);
  f.progress.FileStarted("logs/ex0101.log", 4'000'000);
  f.progress.BytesRead(1'000'000);
  f.now = 100.9;
  f.progress.BytesRead(1'000'000);
  EXPECT_EQ("", f.err.Text());  // not within the first second

  f.now = 102.0;
  f.progress.BytesRead(1'000'000);
  EXPECT_EQ("\rlogs/ex0101.log: 3.0 MB read, 2 MB/s, 75% of this file\x1B[K", f.err.Text());

  f.now = 102.1;  // too soon to draw again
  f.progress.BytesRead(1'000'000);
  f.progress.Erase();
  f.progress.Erase();  // erased once only
  EXPECT_EQ("\rlogs/ex0101.log: 3.0 MB read, 2 MB/s, 75% of this file\x1B[K\r\x1B[K",
            f.err.Text());
}

TEST(ProgressTest, NeverOffATerminalOrWhenQuiet) {
  ProgressFixture off(false);
  off.progress.FileStarted("a.log", 10);
  off.now = 200;
  off.progress.BytesRead(5);
  off.progress.Erase();
  EXPECT_EQ("", off.err.Text());

  ProgressFixture quiet(true);
  quiet.progress.SetQuiet(true);
  quiet.progress.FileStarted("a.log", 10);
  quiet.now = 200;
  quiet.progress.BytesRead(5);
  EXPECT_EQ("", quiet.err.Text());
}

TEST(ProgressTest, GoingQuietErasesTheLine) {
  ProgressFixture f(true);
  f.progress.FileStarted("a.log", -1);  // size unknown: no percentage
  f.now = 102;
  f.progress.BytesRead(3'000'000);
  f.progress.SetQuiet(true);
  EXPECT_EQ("\ra.log: 3.0 MB read, 2 MB/s\x1B[K\r\x1B[K", f.err.Text());
}

TEST(ProgressTest, LongNamesKeepTheirEnd) {
  ProgressFixture f(true);
  f.progress.FileStarted("/very/long/path/to/the/logs/of/the/shop/server/ex0101.log", 0);
  EXPECT_EQ("...he/logs/of/the/shop/server/ex0101.log: 0.0 MB read, 0 MB/s",
            f.progress.Line(100));
}

// The line is on a terminal: a file name cannot drive it.
TEST(ProgressTest, ControlBytesOfTheNameEscaped) {
  ProgressFixture f(true);
  f.progress.FileStarted("a\x1B]0;x\x07\r.log", 0);
  EXPECT_EQ("a\\x1B]0;x\\x07\\x0D.log: 0.0 MB read, 0 MB/s", f.progress.Line(100));
}

}  // namespace
