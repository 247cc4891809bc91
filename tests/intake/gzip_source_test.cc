#include "intake/gzip_source.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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


// The model: zlib on the whole archive at once, a member at a time, as the
// source's member loop reads it (zero bytes between members are padding).
std::pair<std::string, bool> ZlibInflate(std::string_view archive) {
  std::string text;
  z_stream z{};
  inflateInit2(&z, 16 + MAX_WBITS);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(archive.data()));
  z.avail_in = static_cast<uInt>(archive.size());
  bool damaged = false;
  for (bool first = true;; first = false) {
    while (!first && z.avail_in != 0 && z.next_in[0] == 0) ++z.next_in, --z.avail_in;
    if (z.avail_in == 0) {
      damaged = first;
      break;
    }
    inflateReset(&z);
    int status;
    do {
      char block[4096];
      z.next_out = reinterpret_cast<Bytef*>(block);
      z.avail_out = sizeof(block);
      status = inflate(&z, Z_NO_FLUSH);
      text.append(block, sizeof(block) - z.avail_out);
    } while (status == Z_OK);
    if (status != Z_STREAM_END) {
      damaged = true;
      break;
    }
  }
  inflateEnd(&z);
  return {text, damaged};
}

// Hands out its text in pieces of changing sizes, some tiny, as a pipe may.
class PipeSource : public ByteSource {
 public:
  explicit PipeSource(std::string_view text) : text_(text) {}
  long Read(char* buffer, std::size_t size) override {
    static constexpr std::size_t kSizes[] = {1, 3, 700, 2, 65536, 5, 17};
    const std::size_t n = std::min({size, text_.size(), kSizes[turn_++ % std::size(kSizes)]});
    std::memcpy(buffer, text_.data(), n);
    text_.remove_prefix(n);
    return static_cast<long>(n);
  }

 private:
  std::string_view text_;
  std::size_t turn_ = 0;
};

std::pair<std::string, bool> InflatePiped(std::string_view archive, std::size_t block_size) {
  PipeSource compressed(archive);
  GzipSource gzip(&compressed);
  std::string text;
  std::vector<char> block(block_size);
  long n;
  while ((n = gzip.Read(block.data(), block.size())) > 0) text.append(block.data(), n);
  return {text, gzip.damaged()};
}

// Whichever library the build inflates with, the bytes and the verdict are
// zlib's on headers of every kind, right and wrong, fed in pieces of any
// size and read into blocks of any size. On a member cut off, the verdict
// is zlib's and the bytes a beginning of zlib's: igzip may keep back the
// last byte or two whose bits came before the cut.
TEST(GzipSourceTest, SameAsZlib) {
  const std::string text = Lines(3000);
  const std::string member = GzipMember(text);
  // A header with every optional field: extra, name, comment, header CRC.
  std::string full = "\x1F\x8B\x08\x1E" + std::string(6, '\0') + std::string("\x02\0ab", 4) +
                     std::string("name\0comment\0", 13);
  const uLong header_crc = crc32(0, reinterpret_cast<const Bytef*>(full.data()), full.size());
  full += std::string{static_cast<char>(header_crc & 0xFF), static_cast<char>(header_crc >> 8)};
  full += member.substr(10);
  auto changed = [&](std::size_t at, char bits) {
    std::string archive = full;
    archive[at] = static_cast<char>(archive[at] ^ bits);
    return archive;
  };
  const std::vector<std::pair<const char*, std::string>> archives = {
      {"optional header fields", full},
      {"a reserved flag", changed(3, 0x20)},
      {"another reserved flag", changed(3, static_cast<char>(0x80))},
      {"not deflate", changed(2, 0x01)},
      {"wrong header CRC", changed(27, 0x01)},
      {"wrong CRC", changed(full.size() - 5, 0x01)},
      {"wrong length", changed(full.size() - 1, 0x01)},
      {"two members, padding", member + full + std::string(3, '\0')},
      {"a member after padding", member + std::string(3, '\0') + member},
      {"a lone signature byte after", member + "\x1F"},
  };
  // Compared by length and verdict first, to keep a failure's message short.
  auto same = [](std::string_view archive, std::size_t block_size) {
    const auto [want, want_damaged] = ZlibInflate(archive);
    const auto [got, got_damaged] = InflatePiped(archive, block_size);
    return ::testing::AssertionResult(got.size() == want.size() && got_damaged == want_damaged &&
                                      got == want)
           << got.size() << (got_damaged ? " damaged" : "") << " bytes, zlib " << want.size()
           << (want_damaged ? " damaged" : "");
  };
  for (const auto& [name, archive] : archives) EXPECT_TRUE(same(archive, 4096)) << name;
  constexpr std::size_t kKeptBack = 2;
  const std::string two = member + member;
  for (std::size_t cut = 0; cut <= two.size(); cut += 97) {
    const std::string_view archive = std::string_view(two).substr(0, cut);
    const auto [want, want_damaged] = ZlibInflate(archive);
    const auto [got, got_damaged] = InflatePiped(archive, 1 + cut % 5000);
    EXPECT_EQ(want_damaged, got_damaged) << "cut at " << cut;
    EXPECT_TRUE(want.starts_with(got) && got.size() + kKeptBack >= want.size())
        << "cut at " << cut << ": " << got.size() << " bytes, zlib " << want.size();
  }
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
