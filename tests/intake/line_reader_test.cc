#include "intake/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
