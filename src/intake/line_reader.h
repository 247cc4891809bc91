// Cuts a stream of bytes into log lines the way a text-mode read with a
// 2048-byte buffer does: a carriage return directly before a line feed is
// dropped, and a line longer than 2047 bytes comes out in pieces of at most
// 2047 bytes. Reads in large chunks; the pieces are views into the chunk.
#pragma once

#include <cstddef>
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

/// The longest piece of a line, in bytes, its line feed included.
inline constexpr std::size_t kMaxLinePiece = 2047;

/// A run of consecutive line pieces and the bytes they point into.
struct LineChunk {
  std::unique_ptr<char[]> buffer;
  std::size_t capacity = 0;
  std::vector<std::string_view> pieces;
};

class LineReader {
 public:
  static constexpr std::size_t kDefaultChunkSize = std::size_t{1} << 20;

  explicit LineReader(ByteSource* source, std::size_t chunk_size = kDefaultChunkSize);

  /// Fills `chunk` with the next pieces, in order, each with its line feed
  /// when it has one; false at the end of the stream or after a read error,
  /// once every byte before it was handed out. Reuses the chunk's buffer, so
  /// the pieces of its previous fill must no longer be needed.
  bool NextChunk(LineChunk* chunk);

 private:
  ByteSource* source_;
  std::size_t chunk_size_;
  char carry_[kMaxLinePiece + 1] = {};  // the start of a line cut by a chunk's end
  std::size_t carry_size_ = 0;
  bool at_end_ = false;  // the source has nothing more
};
