#include "intake/line_reader.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

long FileSource::Read(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

long TextSource::Read(char* buffer, std::size_t size) {
  std::size_t n = size < text_.size() ? size : text_.size();
  if (n != 0) std::memcpy(buffer, text_.data(), n);
  text_.remove_prefix(n);
  return static_cast<long>(n);
}

LineReader::LineReader(ByteSource* source, std::size_t chunk_size)
    : source_(source), chunk_size_(chunk_size < 4096 ? 4096 : chunk_size) {}

bool LineReader::NextChunk(LineChunk* chunk) {
  chunk->pieces.clear();
  if (at_end_ && carry_size_ == 0) return false;
  if (chunk->capacity < chunk_size_) {
    chunk->buffer = std::make_unique<char[]>(chunk_size_);
    chunk->capacity = chunk_size_;
  }

  // The carried start of a line first, then as much as the chunk holds.
  char* const data = chunk->buffer.get();
  std::memcpy(data, carry_, carry_size_);
  std::size_t end = carry_size_;
  carry_size_ = 0;
  while (!at_end_ && end < chunk->capacity) {
    long n = source_->Read(data + end, chunk->capacity - end);
    // A read error ends the stream like its end; what was read still counts.
    if (n <= 0) {
      at_end_ = true;
    } else {
      end += static_cast<std::size_t>(n);
    }
  }

  std::size_t pos = 0;
  while (pos < end) {
    char* const start = data + pos;
    const std::size_t avail = end - pos;
    // A piece needs at most kMaxLinePiece + 1 bytes: the last may be a
    // carriage return's line feed.
    const std::size_t look = avail < kMaxLinePiece + 1 ? avail : kMaxLinePiece + 1;
    if (const void* found = std::memchr(start, '\n', look)) {
      const std::size_t lf = static_cast<const char*>(found) - start;
      if (lf > 0 && start[lf - 1] == '\r') {
        // Drop the carriage return: the line feed takes its place.
        start[lf - 1] = '\n';
        chunk->pieces.emplace_back(start, lf);
        pos += lf + 1;
      } else if (lf < kMaxLinePiece) {
        chunk->pieces.emplace_back(start, lf + 1);
        pos += lf + 1;
      } else {
        // The line feed is the 2048th byte: it comes back as a piece alone.
        chunk->pieces.emplace_back(start, kMaxLinePiece);
        pos += kMaxLinePiece;
      }
    } else if (avail > kMaxLinePiece) {
      chunk->pieces.emplace_back(start, kMaxLinePiece);
      pos += kMaxLinePiece;
    } else if (at_end_) {
      // The last line, without a line feed.
      chunk->pieces.emplace_back(start, avail);
      pos = end;
    } else {
      // The rest of this line is in the next chunk.
      std::memcpy(carry_, start, avail);
      carry_size_ = avail;
      pos = end;
    }
  }
  return !chunk->pieces.empty();
}

