#include "intake/gzip_source.h"

#include <gtest/gtest.h>

#include <string>

#include "intake/line_reader.h"
#include "test_util.h"

namespace {

// Everything a source hands out, read in small blocks to cross member and
// buffer boundaries, and whether it ended in damage.
std::pair<std::string, bool> Inflate(const std::string& archive) {
  TextSource compressed(archive);
  GzipSource gzip(&compressed);
  std::string text;
  char block[7];
  long n;
  while ((n = gzip.Read(block, sizeof(block))) > 0) text.append(block, n);
  EXPECT_EQ(gzip.damaged() ? -1 : 0, n);
  return {text, gzip.damaged()};
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST(GzipSourceTest, MembersReadInTurn) {
  const std::string a = Lines(1000);
  const std::string b = "last line without a line feed";
  EXPECT_EQ(std::make_pair(a, false), Inflate(GzipMember(a)));
  EXPECT_EQ(std::make_pair(a + b, false), Inflate(GzipMember(a) + GzipMember(b)));
  EXPECT_EQ(std::make_pair(std::string(), false), Inflate(GzipMember("")));
  // Zero bytes after the last member are padding, not damage.
  EXPECT_EQ(std::make_pair(b, false), Inflate(GzipMember(b) + std::string(100, '\0')));
}

TEST(GzipSourceTest, DamageKeepsWhatCameBefore) {
  const std::string a = Lines(20000);
  const std::string archive = GzipMember(a);

  // Cut off: the text so far, then the damage.
  auto [cut_text, cut_damaged] = Inflate(archive.substr(0, archive.size() / 2));
  EXPECT_TRUE(cut_damaged);
  EXPECT_GT(cut_text.size(), 0u);
  EXPECT_EQ(a.substr(0, cut_text.size()), cut_text);

  // Only the checksum missing: every byte arrives, and still the damage.
  auto [no_trailer, no_trailer_damaged] = Inflate(archive.substr(0, archive.size() - 8));
  EXPECT_TRUE(no_trailer_damaged);
  EXPECT_EQ(a, no_trailer);

  // A second member with garbage in its middle.
  std::string second = GzipMember(Lines(5000));
  for (std::size_t i = second.size() / 2; i < second.size() / 2 + 16; ++i) second[i] ^= 0x5A;
  auto [garbled, garbled_damaged] = Inflate(archive + second);
  EXPECT_TRUE(garbled_damaged);
  EXPECT_EQ(a, garbled.substr(0, a.size()));

  // Not an archive at all after the signature.
  EXPECT_EQ(std::make_pair(std::string(), true), Inflate("\x1F\x8B garbage"));
  // Trailing bytes that are no member.
  EXPECT_TRUE(Inflate(archive + "junk").second);
}

// The line rules are the reader's, whatever the source: the same pieces
// from a compressed file as from the plain one.
TEST(GzipSourceTest, SamePiecesAsPlainText) {
  std::string text = Lines(50) + std::string(5000, 'x') + "\r\n" + std::string(2046, 'y') +
                     "\r\nz\r";
  auto pieces = [](ByteSource* source) {
    LineReader reader(source);
    std::vector<std::string> out;
    LineChunk chunk;
    while (reader.NextChunk(&chunk)) {
      for (const LinePiece& piece : chunk.pieces) out.emplace_back(piece.text);
    }
    return out;
  };
  TextSource plain(text);
  const std::string archive = GzipMember(text.substr(0, 3000)) + GzipMember(text.substr(3000));
  TextSource compressed(archive);
  GzipSource gzip(&compressed);
  EXPECT_EQ(pieces(&plain), pieces(&gzip));
}

}  // namespace

// Wherever an archive is cut off, the reader hands out whole lines only:
// the unfinished one at the damage is dropped.
TEST(GzipSourceTest, CutArchiveGivesNoHalfLine) {
  const std::string text = Lines(300);
  const std::string archive = GzipMember(text);
  std::string lines;  // the text as the reader gives it: CR-LF read as LF
  for (const char c : text) {
    if (c != '\r') lines += c;
  }
  for (std::size_t cut = 0; cut < archive.size(); cut += 7) {
    TextSource compressed(std::string_view(archive).substr(0, cut));
    GzipSource gzip(&compressed);
    LineReader reader(&gzip);
    std::string back;
    LineChunk chunk;
    while (reader.NextChunk(&chunk)) {
      for (const LinePiece& piece : chunk.pieces) {
        EXPECT_TRUE(piece.text.ends_with('\n')) << "cut at " << cut;
        back += piece.text;
      }
    }
    EXPECT_TRUE(reader.failed()) << "cut at " << cut;
    EXPECT_EQ(lines.substr(0, back.size()), back) << "cut at " << cut;
  }
}
