// Cuts a stream of bytes into log lines the way a text-mode read with a
// 2048-byte buffer does: a carriage return directly before a line feed is
// dropped, and a line longer than 2047 bytes comes out in pieces of at most
// 2047 bytes. Reads in large blocks; the pieces are views into its buffer.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

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

class LineReader {
 public:
  explicit LineReader(ByteSource* source);

  /// The next piece, its line feed included when it has one; false at the
  /// end of the stream or after a read error. The view stays valid until
  /// the next call.
  bool Next(std::string_view* piece);

 private:
  bool Refill();

  ByteSource* source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;  // end of the bytes read
  bool at_end_ = false;  // the source has nothing more
};
