// Compressed logs: the bytes of a gzip file, one member after another, as
// the line reader takes them.
#pragma once

#include <cstddef>
#include <memory>

#include "intake/line_reader.h"

class MemberInflater;

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

  ByteSource* compressed_;
  std::unique_ptr<MemberInflater> inflater_;
  std::unique_ptr<unsigned char[]> input_;
  const unsigned char* next_in_ = nullptr;
  std::size_t avail_in_ = 0;
  bool input_at_end_ = false;
  bool member_done_ = false;  // the last member ended cleanly
  bool finished_ = false;
  bool damaged_ = false;
  bool read_error_ = false;  // the compressed file failed a read
};
