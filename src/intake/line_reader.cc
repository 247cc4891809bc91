#include "intake/line_reader.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
}  // namespace

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

LineReader::LineReader(ByteSource* source)
    : source_(source), buffer_(std::make_unique<char[]>(kBufferSize)) {}

bool LineReader::Refill() {
  // Keep the bytes not handed out yet; they are less than one piece.
  std::size_t kept = end_ - pos_;
  if (kept != 0 && pos_ != 0) std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
  pos_ = 0;
  end_ = kept;
  long n = source_->Read(buffer_.get() + end_, kBufferSize - end_);
  if (n <= 0) {
    // A read error ends the stream like its end; what was read still counts.
    at_end_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  return true;
}

bool LineReader::Next(std::string_view* piece) {
  for (;;) {
    char* start = buffer_.get() + pos_;
    std::size_t avail = end_ - pos_;
    // A piece needs at most kMaxLinePiece + 1 bytes: the last may be a
    // carriage return's line feed.
    std::size_t look = avail < kMaxLinePiece + 1 ? avail : kMaxLinePiece + 1;
    if (const void* found = std::memchr(start, '\n', look)) {
      std::size_t lf = static_cast<const char*>(found) - start;
      bool crlf = lf > 0 && start[lf - 1] == '\r';
      if (crlf) {
        // Drop the carriage return: the line feed takes its place.
        start[lf - 1] = '\n';
        *piece = std::string_view(start, lf);
        pos_ += lf + 1;
        return true;
      }
      if (lf < kMaxLinePiece) {
        *piece = std::string_view(start, lf + 1);
        pos_ += lf + 1;
        return true;
      }
      // The line feed is the 2048th byte: it comes back as a piece alone.
      *piece = std::string_view(start, kMaxLinePiece);
      pos_ += kMaxLinePiece;
      return true;
    }
    if (avail > kMaxLinePiece) {
      *piece = std::string_view(start, kMaxLinePiece);
      pos_ += kMaxLinePiece;
      return true;
    }
    if (at_end_ || !Refill()) {
      if (end_ == pos_) return false;
      // The last line, without a line feed.
      *piece = std::string_view(buffer_.get() + pos_, end_ - pos_);
      pos_ = end_;
      return true;
    }
  }
}
