// Compressed logs: the bytes of a gzip file, one member after another, as
// the line reader takes them.
#pragma once

#include <cstddef>
#include <memory>

#include "intake/line_reader.h"

/// True when the file's first bytes are the gzip signature (1f 8b). Reads
/// without moving the file offset.
bool HasGzipSignature(int fd);

class GzipSource : public ByteSource {
 public:
  explicit GzipSource(ByteSource* compressed);
  ~GzipSource() override;
  GzipSource(const GzipSource&) = delete;
  GzipSource& operator=(const GzipSource&) = delete;

  /// The decompressed bytes; -1 once the archive turns out damaged or cut
  /// off, after everything before the damage was handed out.
  long Read(char* buffer, std::size_t size) override;

  /// True when reading stopped at damage rather than at the archive's end.
  bool damaged() const { return damaged_; }

 private:
  bool FillInput();

  struct Stream;
  ByteSource* compressed_;
  std::unique_ptr<Stream> stream_;
  std::unique_ptr<unsigned char[]> input_;
  bool input_at_end_ = false;
  bool member_done_ = false;  // the last member ended cleanly
  bool finished_ = false;
  bool damaged_ = false;
  bool read_error_ = false;  // the compressed file failed a read
};
