// Compressed logs: GzipSource under the line reader, on archives that are
// whole, cut off, damaged, or plain fuzzed bytes.
//
// Input: a mode byte, a level byte, two bytes placing a cut or a damaged
// byte, then the text to compress (mode 0: the bytes to decompress as they
// are).
//
// Properties:
// - every read ends: no hang, no read outside the buffers;
// - a whole archive of one or more members, with or without zero padding,
//   gives back exactly the text and is not damaged;
// - an archive cut off anywhere gives back a beginning of the text, and is
//   damaged unless the cut falls between two members;
// - what comes back before damage ends with a whole line or a whole
//   2047-byte piece: the unfinished line at the damage is dropped.
#include <zlib.h>

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "intake/gzip_source.h"
#include "intake/line_reader.h"

namespace {

// One gzip member holding `text`.
std::string Compress(std::string_view text, int level) {
  z_stream z{};
  FUZZ_CHECK(deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8,
                          Z_DEFAULT_STRATEGY) == Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  FUZZ_CHECK(deflate(&z, Z_FINISH) == Z_STREAM_END);
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return out;
}

// Everything the source gives, through the line reader as the program
// reads it; whether it ended at damage.
std::string ReadAll(std::string_view archive, std::size_t chunk_size, bool* damaged) {
  TextSource compressed(archive);
  GzipSource gzip(&compressed);
  LineReader reader(&gzip, chunk_size);
  std::string text;
  LineChunk chunk;
  std::size_t last_size = 0;
  while (reader.NextChunk(&chunk)) {
    for (const LinePiece& piece : chunk.pieces) {
      FUZZ_CHECK(!piece.text.empty() && piece.text.size() <= kMaxLinePiece);
      FUZZ_CHECK(piece.kind != PieceKind::kTooLong);
      text.append(piece.text);
      last_size = piece.text.size();
    }
  }
  *damaged = gzip.damaged();
  FUZZ_CHECK(reader.failed() == *damaged);
  if (*damaged && !text.empty()) {
    FUZZ_CHECK(text.back() == '\n' || last_size == kMaxLinePiece);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t mode = input.Byte();
  const std::uint8_t level = input.Byte();
  const unsigned place = input.Byte() * 256u + input.Byte();
  const std::string_view text = input.Rest();
  // Small chunks put line ends at chunk boundaries.
  const std::size_t chunk_size = mode & 0x20 ? 4096 : LineReader::kDefaultChunkSize;

  bool damaged = false;
  if (mode % 4 == 0) {
    // Any bytes at all.
    ReadAll(text, chunk_size, &damaged);
    return 0;
  }

  // One to three members, then maybe zero padding.
  const int members = 1 + (level >> 4) % 3;
  std::string archive;
  std::vector<std::size_t> ends = {0};  // text lengths at member ends
  std::size_t done = 0;
  for (int m = 0; m < members; ++m) {
    const std::size_t part = m + 1 == members ? text.size() - done : text.size() / members;
    archive += Compress(text.substr(done, part), (level & 0x0F) % 10);
    done += part;
    ends.push_back(done);
  }
  if (mode & 0x10) archive.append(1 + mode % 7, '\0');
  // The line reader drops a carriage return before a line feed; a cut
  // between the two leaves it, so cut archives are compared only without.
  const bool has_cr = text.find('\r') != std::string_view::npos;
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') lines += text[i];
  }

  switch (mode % 4) {
    case 1: {  // whole
      const std::string back = ReadAll(archive, chunk_size, &damaged);
      FUZZ_CHECK(!damaged);
      FUZZ_CHECK(back == lines);
      break;
    }
    case 2: {  // cut off
      archive.resize(place % (archive.size() + 1));
      const std::string back = ReadAll(archive, chunk_size, &damaged);
      if (!has_cr) {
        FUZZ_CHECK(text.substr(0, back.size()) == back);
        if (!damaged) {
          bool at_member_end = false;
          for (std::size_t end : ends) at_member_end = at_member_end || back.size() == end;
          FUZZ_CHECK(at_member_end);
        }
      }
      break;
    }
    case 3: {  // one byte damaged
      if (!archive.empty()) archive[place % archive.size()] ^= static_cast<char>(1 + (mode >> 2));
      ReadAll(archive, chunk_size, &damaged);
      break;
    }
  }
  return 0;
}
