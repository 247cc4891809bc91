// Cuts a stream of bytes into log lines. A carriage return directly before a
// line feed is dropped. How long a line may be depends on the stream's first
// line: a comma-format line comes out, as a text-mode read with a 2048-byte
// buffer gives it, in pieces of at most 2047 bytes; a line of a stream read
// in whole lines comes out whole, up to 65536 bytes, and a longer one is
// skipped. Reads in large chunks; the pieces are views into the chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

/// Where the bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Up to `size` bytes into `buffer`: the count, 0 at the end, -1 after a
  /// read error.
  virtual long Read(char* buffer, std::size_t size) = 0;
};

/// The bytes of an open file descriptor.
class FileSource : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  long Read(char* buffer, std::size_t size) override;

 private:
  int fd_;
};

/// Bytes held in memory.
class TextSource : public ByteSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  long Read(char* buffer, std::size_t size) override;

 private:
  std::string_view text_;
};

/// The longest piece of a line cut in pieces, in bytes, its line feed
/// included.
inline constexpr std::size_t kMaxLinePiece = 2047;

/// The longest line read whole, in bytes, its line end not counted.
inline constexpr std::size_t kMaxWholeLine = 65536;

enum class PieceKind : std::uint8_t {
  kLine,          // a whole line, or the first piece of a line cut in pieces
  kContinuation,  // a later piece of a line cut in pieces
  kTooLong,       // a line longer than kMaxWholeLine, skipped: its first bytes
};

struct LinePiece {
  std::string_view text;  // with its line feed when it has one
  PieceKind kind = PieceKind::kLine;
};

/// A run of consecutive line pieces and the bytes they point into.
struct LineChunk {
  std::unique_ptr<char[]> buffer;
  std::size_t capacity = 0;
  std::vector<LinePiece> pieces;

  // What LineReader::ReadChunk leaves uncut: the bytes [0, uncut_end),
  // which end with a line feed, and how the reader stood at their start.
  // Their pieces come before those in `pieces`.
  std::size_t uncut_end = 0;
  bool uncut_whole_lines = false;
  bool uncut_continues = false;  // begins with a later piece of a line
  bool uncut_skipping = false;   // begins inside a line too long to read
  // A piece may be a W3C directive: a line cut whole begins with "#" or
  // with a byte order mark's first byte, or the lines are cut in pieces.
  // Set by ReadChunk() and CutRest() for the pieces each cuts.
  bool may_hold_directive = false;
  std::vector<LinePiece> cut_tail;  // room for `pieces` while the rest is cut
};

/// Cuts what ReadChunk left uncut in `chunk`, so that its pieces are all in
/// `pieces`, in order. Touches nothing but the chunk: the thread that owns
/// the chunk may call it beside a reader busy with the next one.
void CutRest(LineChunk* chunk);

/// Bit i tells whether data[block + i] is a line feed, for the 64 bytes at
/// `block` that lie before `end`. For tests: every way of finding them that
/// this build has and this processor can run, the one the cut takes last.
using FeedMaskFunction = std::uint64_t (*)(const char* data, std::size_t block, std::size_t end);
std::vector<FeedMaskFunction> FeedMasks();

/// Given the start of a stream's first line (up to its line feed, or its
/// first kMaxLinePiece bytes), true when the stream is read in whole lines.
using WholeLinesTest = bool (*)(std::string_view first_line);

class LineReader {
 public:
  static constexpr std::size_t kDefaultChunkSize = std::size_t{1} << 20;

  /// Without `whole_lines`, every line is cut in pieces.
  explicit LineReader(ByteSource* source, std::size_t chunk_size = kDefaultChunkSize,
                      WholeLinesTest whole_lines = nullptr);

  /// Fills `chunk` with the next pieces, in order; false at the end of the
  /// stream or after a read error, once every piece before it was handed
  /// out. Reuses the chunk's buffer, so the pieces of its previous fill must
  /// no longer be needed. A last line without a line feed is a piece at a
  /// clean end; after a read error it is unfinished and dropped.
  bool NextChunk(LineChunk* chunk);

  /// The same, but most of the chunk may be left for CutRest(): only the
  /// bytes after its last line feed are cut here, as what follows them
  /// decides where they end. Such a chunk may give no piece at all (the
  /// middle and end of a line that is skipped).
  bool ReadChunk(LineChunk* chunk);

  /// True when the stream ended with a read error (or, for a compressed
  /// one, damage) rather than at its end.
  bool failed() const { return failed_; }

  /// Goes on with a stream whose first line was read before, from a line
  /// start: its lines are cut as that first line decided. Call before the
  /// first chunk.
  void ResumeCutting(bool whole_lines);

  /// Whether the lines are cut whole (a W3C stream), once decided.
  bool cuts_whole_lines() const { return cutting_ == Cutting::kWholeLines; }

  /// Once the stream has ended: its bytes up to the end of the last piece
  /// handed out, which is the end of a line, or of the last line at a clean
  /// end; after a read error the unfinished line is not among them, but
  /// for the pieces of it already handed out.
  std::int64_t bytes_used() const { return bytes_read_ - bytes_dropped_; }

 private:
  enum class Cutting { kUndecided, kPieces, kWholeLines };

  // Cuts the bytes [from, end) of a chunk read into `data`; carries or
  // drops what cannot be cut before the next bytes are read.
  void CutTail(char* data, std::size_t from, std::size_t end, LineChunk* chunk);

  ByteSource* source_;
  std::size_t chunk_size_;
  WholeLinesTest whole_lines_;
  Cutting cutting_ = Cutting::kUndecided;

  // The start of a line cut by a chunk's end, at most kMaxWholeLine + 1
  // bytes (a carriage return may follow the longest line).
  std::unique_ptr<char[]> carry_;
  std::size_t carry_size_ = 0;
  bool continues_ = false;  // the next piece continues a line cut in pieces
  bool skipping_ = false;   // the rest of a line too long to read is skipped
  bool at_end_ = false;     // the source has nothing more
  bool failed_ = false;     // ... because of a read error
  std::int64_t bytes_read_ = 0;     // from the source
  std::int64_t bytes_dropped_ = 0;  // the unfinished last line after a read error
};
