#include "intake/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Hands out `text` a few hundred bytes a call, then ends cleanly or with a
// read error.
class FaultySource : public ByteSource {
 public:
  FaultySource(std::string_view text, bool fail) : text_(text), fail_(fail) {}
  long Read(char* buffer, std::size_t size) override {
    if (text_.empty()) return fail_ ? -1 : 0;
    const std::size_t n = std::min({size, text_.size(), std::size_t{700}});
    std::memcpy(buffer, text_.data(), n);
    text_.remove_prefix(n);
    return static_cast<long>(n);
  }

 private:
  std::string_view text_;
  bool fail_;
};

// A stream whose first line begins with "#" is read in whole lines.
bool StartsWithHash(std::string_view first_line) { return first_line.starts_with('#'); }

// Each piece as its kind (Line, Continuation, Too long) and its text, or
// its size and last byte when it is long.
std::vector<std::string> Pieces(std::string_view text, bool fail, std::size_t chunk_size,
                                bool* failed = nullptr) {
  FaultySource source(text, fail);
  LineReader reader(&source, chunk_size, StartsWithHash);
  std::vector<std::string> out;
  LineChunk chunk;
  while (reader.NextChunk(&chunk)) {
    for (const LinePiece& piece : chunk.pieces) {
      const char kind = piece.kind == PieceKind::kLine           ? 'L'
                        : piece.kind == PieceKind::kContinuation ? 'C'
                                                                 : 'T';
      const std::string_view t = piece.text;
      out.push_back(std::string(1, kind) + ":" +
                    (t.size() <= 16 ? std::string(t)
                                    : std::to_string(t.size()) + "B" + t.back()));
    }
  }
  if (failed != nullptr) *failed = reader.failed();
  return out;
}

using Expected = std::vector<std::string>;

TEST(LineReaderTest, LinesCutInPiecesAndWholeLines) {
  const std::string a65536(65536, 'a');
  const std::string x2047(2047, 'x');
  struct Case {
    std::string text;
    Expected pieces;
  };
  const Case cases[] = {
      // Not "#" first: pieces of 2047 bytes, the later ones marked.
      {x2047 + "abc\n", {"L:2047Bx", "C:abc\n"}},
      {std::string(5000, 'x') + "\n", {"L:2047Bx", "C:2047Bx", "C:907B\n"}},
      {"a\n" + x2047 + "\nb\n", {"L:a\n", "L:2047Bx", "C:\n", "L:b\n"}},
      {x2047.substr(1) + "\r\nb", {"L:2047B\n", "L:b"}},
      // "#" first: whole lines up to 65536 bytes, a CR-LF end not counted.
      {"#\n" + a65536 + "\nb\n", {"L:#\n", "L:65537B\n", "L:b\n"}},
      {"#\n" + a65536 + "\r\nb\n", {"L:#\n", "L:65537B\n", "L:b\n"}},
      {"#\n" + a65536, {"L:#\n", "L:65536Ba"}},
      // A longer line is skipped as one, however long.
      {"#\n" + a65536 + "a\nb\n", {"L:#\n", "T:65536Ba", "L:b\n"}},
      {"#\n" + a65536 + "a\r\nb", {"L:#\n", "T:65536Ba", "L:b"}},
      {"#\n" + a65536 + "a", {"L:#\n", "T:65536Ba"}},
      {"#" + std::string(1 << 20, 'a') + "\nb\n", {"T:65536Ba", "L:b\n"}},
      {"#\n" + std::string(200000, 'a'), {"L:#\n", "T:65536Ba"}},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk : {std::size_t{4096}, LineReader::kDefaultChunkSize}) {
      SCOPED_TRACE(testing::Message() << c.text.size() << " bytes, chunks of " << chunk);
      EXPECT_EQ(c.pieces, Pieces(c.text, false, chunk));
    }
  }
}

// Short lines of every length, CR-LF and LF ends, across the 64-byte blocks
// the line feeds are found in and the chunks' ends: each line whole, its CR
// before the LF dropped.
TEST(LineReaderTest, ShortLinesAtEveryPlace) {
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    Expected model;
    for (int line = 0; line < 60; ++line) {
      std::string body(random() % 150, 'a');
      for (char& c : body) c = "ab\r,"[random() % 4];
      std::string kept = body + (random() % 2 == 0 ? "\r\n" : "\n");
      text += kept;
      if (kept.ends_with("\r\n")) kept.erase(kept.size() - 2, 1);
      model.push_back("L:" + (kept.size() <= 16 ? kept : std::to_string(kept.size()) + "B\n"));
    }
    const std::size_t chunk = 4096 + random() % 3000;
    ASSERT_EQ(model, Pieces(text, false, chunk)) << round;
    // In whole lines too.
    model.insert(model.begin(), "L:#\n");
    ASSERT_EQ(model, Pieces("#\n" + text, false, chunk)) << round;
  }
}

TEST(LineReaderTest, ReadErrorDropsTheUnfinishedLine) {
  struct Case {
    std::string text;
    Expected clean;  // the pieces at a clean end
    Expected error;  // the pieces when a read error follows the text
  };
  const Case cases[] = {
      {"a\nb/p", {"L:a\n", "L:b/p"}, {"L:a\n"}},
      {"a\nb\n", {"L:a\n", "L:b\n"}, {"L:a\n", "L:b\n"}},
      {"#\nb/p", {"L:#\n", "L:b/p"}, {"L:#\n"}},
      // Pieces already cut stay; the unfinished rest goes.
      {std::string(3000, 'x'), {"L:2047Bx", "C:953Bx"}, {"L:2047Bx"}},
      {"", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 16));
    bool failed = true;
    EXPECT_EQ(c.clean, Pieces(c.text, false, 4096, &failed));
    EXPECT_FALSE(failed);
    EXPECT_EQ(c.error, Pieces(c.text, true, 4096, &failed));
    EXPECT_TRUE(failed);
  }
}

}  // namespace

namespace {

// Where a read that ends ends in the text: after the last line handed out,
// so that a later run can go on from there and count no line twice.
TEST(LineReaderTest, BytesUsedEndAfterTheLastLineHandedOut) {
  const std::string long_line = "#" + std::string(70000, 'x') + "\n";
  struct Case {
    std::string text;
    bool fail;
    std::int64_t used;
  } cases[] = {
      {"", false, 0},
      {"a\nb\n", false, 4},
      {"a\r\nb", false, 4},            // a last line without a line feed counts at a clean end
      {"a\nb", true, 2},               // ... and is dropped after a read error
      // A long unfinished line: its first piece was handed out.
      {"a\n" + std::string(3000, 'y'), true, 2 + 2047},
      {"#F\nlong\n", true, 8},
      {"#F\npart", true, 3},           // whole lines
      {"#F\n" + long_line + "z", true, static_cast<std::int64_t>(3 + long_line.size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    for (std::size_t chunk_size : {std::size_t{4096}, std::size_t{1} << 20}) {
      FaultySource source(c.text, c.fail);
      LineReader reader(&source, chunk_size, StartsWithHash);
      LineChunk chunk;
      while (reader.NextChunk(&chunk)) {
      }
      EXPECT_EQ(c.used, reader.bytes_used());
    }
  }
}

// A read that goes on from a line start cuts lines as the stream's first
// line decided, whatever the line it starts at looks like.
TEST(LineReaderTest, ResumedCuttingKeepsTheStreamsRule) {
  const std::string text = "plain line\n" + std::string(2100, 'p') + "\n";
  for (bool whole : {false, true}) {
    FaultySource source(text, false);
    LineReader reader(&source, 4096, StartsWithHash);
    reader.ResumeCutting(whole);
    LineChunk chunk;
    std::size_t pieces = 0;
    while (reader.NextChunk(&chunk)) pieces += chunk.pieces.size();
    EXPECT_EQ(whole ? 2u : 3u, pieces);
    EXPECT_EQ(whole, reader.cuts_whole_lines());
  }
}

// Cutting tells whether a chunk may hold a directive: every chunk with a
// whole line that begins with "#" or a byte order mark says so, wherever
// the line falls (cut by the reader or later, the last line at a clean
// end), and one with none says not.
TEST(LineReaderTest, ChunkTellsWhetherItMayHoldADirective) {
  std::mt19937 random(7);
  std::string text = "#Software: x\n";
  for (int i = 0; i < 30000; ++i) {
    text += i % 9000 == 4000   ? "#Fields: date time\n"
            : i % 9000 == 8000 ? "\xEF\xBB\xBF#Date: 2001-03-20\n"
                               : "2001-03-20 00:00:00 a # b " + std::string(random() % 90, 'x') + "\n";
  }
  text += "#Fields: date";  // the last line, without a line feed
  FaultySource source(text, false);
  LineReader reader(&source, 4096, StartsWithHash);
  LineChunk chunk;
  int with = 0;
  int without = 0;
  while (reader.ReadChunk(&chunk)) {
    CutRest(&chunk);
    const bool directive =
        std::any_of(chunk.pieces.begin(), chunk.pieces.end(), [](const LinePiece& piece) {
          return piece.kind == PieceKind::kLine &&
                 (piece.text[0] == '#' || piece.text[0] == '\xEF');
        });
    EXPECT_EQ(directive, chunk.may_hold_directive);
    ++(directive ? with : without);
  }
  EXPECT_GT(with, 2);
  EXPECT_GT(without, 2);
}

}  // namespace

// Every way of finding line feeds marks the bytes a byte-by-byte look does,
// in whole blocks and in the last bytes before the end, of every length.
TEST(LineReaderTest, EveryFeedMaskMarksTheLineFeeds) {
  std::mt19937 random(3);
  std::string data(128, 'x');
  for (int round = 0; round < 2000; ++round) {
    for (char& c : data) c = "\nx\r\0"[random() % 4];
    const std::size_t block = random() % 2 * 64;
    const std::size_t end = block + 1 + random() % 64;
    std::uint64_t expected = 0;
    for (std::size_t i = block; i < end; ++i) {
      expected |= std::uint64_t{data[i] == '\n'} << (i - block);
    }
    for (FeedMaskFunction mask : FeedMasks()) {
      ASSERT_EQ(expected, mask(data.data(), block, end)) << round;
    }
  }
}
