#include "intake/line_reader.h"

#include <cstdint>
#include <cstring>

#include "bytes/byte_mask.h"
#include "platform/file.h"

namespace {

// A chunk of a stream read in whole lines holds the longest line with its
// line end, and about as much again, so that such a line costs one carry.
constexpr std::size_t kWholeLineChunk = 2 * (kMaxWholeLine + 2);

std::size_t Smaller(std::size_t a, std::size_t b) { return a < b ? a : b; }

const char* FindLineFeed(const char* start, std::size_t size) {
  return static_cast<const char*>(std::memchr(start, '\n', size));
}

// Bit i tells whether data[block + i] is a line feed, for the 64 bytes at
// `block` that lie before `end`.
std::uint64_t FeedMask(const char* data, std::size_t block, std::size_t end) {
  const char* bytes = data + block;
#if VANTRIX_VECTOR
  alignas(16) char tail[64];
  if (end - block < 64) {
    // The last bytes, copied so that nothing past them is read.
    std::memset(tail, 0, sizeof(tail));
    std::memcpy(tail, bytes, end - block);
    bytes = tail;
  }
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
    mask |= std::uint64_t{MatchByte(part, '\n')} << (16 * i);
  }
  return mask;
#else
  std::uint64_t mask = 0;
  const std::size_t size = Smaller(end - block, 64);
  for (std::size_t i = 0; i < size; ++i) mask |= std::uint64_t{bytes[i] == '\n'} << i;
  return mask;
#endif
}

#if VANTRIX_WIDE
[[VANTRIX_WIDE_TARGET]] std::uint64_t FeedHalf(const char* at) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), _mm256_set1_epi8('\n'))));
}

// The same with the wider vectors: two compares where the other takes four.
[[VANTRIX_WIDE_TARGET]] std::uint64_t FeedMaskWide(const char* data, std::size_t block,
                                                   std::size_t end) {
  const char* bytes = data + block;
  char tail[64];
  if (end - block < 64) {
    std::memset(tail, 0, sizeof(tail));
    std::memcpy(tail, bytes, end - block);
    bytes = tail;
  }
  return FeedHalf(bytes) | FeedHalf(bytes + 32) << 32;
}
#endif

}  // namespace

std::vector<FeedMaskFunction> FeedMasks() {
  std::vector<FeedMaskFunction> masks = {FeedMask};
#if VANTRIX_WIDE
  if (HasWideVectors()) masks.push_back(FeedMaskWide);
#endif
  return masks;
}

namespace {

#if VANTRIX_VECTOR
// The line feeds of a chunk's bytes, found 64 bytes at a time and kept as
// the bit mask of the block in hand: most lines are shorter than a block,
// and a search call a line cost more than the line's bytes.
class LineFeeds {
 public:
  LineFeeds(const char* data, std::size_t end) : data_(data), end_(end) {}

  /// The first line feed in [from, from + size), which lies in the bytes
  /// given, or nullptr. A byte before the last one found may be changed.
  const char* Find(const char* from, std::size_t size) {
    std::size_t pos = static_cast<std::size_t>(from - data_);
    const std::size_t stop = pos + size;
    while (pos < stop) {
      const std::size_t block = pos & ~std::size_t{63};
      if (block != block_) {
        block_ = block;
        mask_ = FeedMask(data_, block, end_);
      }
      const std::uint64_t feeds = mask_ >> (pos - block);
      if (feeds != 0) {
        const std::size_t at = pos + static_cast<std::size_t>(__builtin_ctzll(feeds));
        return at < stop ? data_ + at : nullptr;
      }
      pos = block + 64;
    }
    return nullptr;
  }

 private:
  const char* data_;
  std::size_t end_;
  std::size_t block_ = ~std::size_t{0};
  std::uint64_t mask_ = 0;
};
#else
class LineFeeds {
 public:
  LineFeeds(const char*, std::size_t) {}
  const char* Find(const char* from, std::size_t size) { return FindLineFeed(from, size); }
};
#endif

// Past the last line feed of data[0, end), or 0 when there is none. A
// chunk's last line feed is a line's length from its end.
std::size_t PastLastLineFeed(const char* data, std::size_t end) {
  for (std::size_t i = end; i != 0; --i) {
    if (data[i - 1] == '\n') return i;
  }
  return 0;
}

// Whether a line beginning with `first` may be a W3C directive.
inline bool MayBeDirective(char first) {
  return first == '#' || static_cast<unsigned char>(first) == 0xEF;
}

// The common case of both cuts: cuts the lines of data[pos, end) that end
// within it and hold at most `longest` bytes before their line end, walking
// the line feeds of a block of 64 bytes at a time; returns where it stopped:
// at `end`, or at a line it leaves to the careful cut (too long, or not
// ended before `end`). Sets `directive` as CutWholeLines does.
template <std::uint64_t (*Feeds)(const char*, std::size_t, std::size_t)>
[[gnu::always_inline]] inline std::size_t CutShortLinesWith(char* data, std::size_t pos,
                                                            std::size_t end, std::size_t longest,
                                                            std::vector<LinePiece>* pieces,
                                                            bool* directive) {
  std::size_t block = pos & ~std::size_t{63};
  std::uint64_t feeds = Feeds(data, block, end) & (~std::uint64_t{0} << (pos - block));
  bool marked = false;
  while (pos < end) {
    while (feeds == 0) {
      block += 64;
      // No line feed in reach of the longest line: the careful cut tells why.
      if (block >= end || block - pos > longest + 1) {
        *directive = *directive || marked;
        return pos;
      }
      feeds = Feeds(data, block, end);
    }
    const std::size_t lf = block + static_cast<std::size_t>(__builtin_ctzll(feeds));
    feeds &= feeds - 1;
    char* const start = data + pos;
    marked = marked || MayBeDirective(*start);
    const bool crlf = lf > pos && data[lf - 1] == '\r';
    const std::size_t size = lf - pos - (crlf ? 1 : 0);  // without the line end
    if (size > longest) break;
    // A carriage return's line feed takes its place.
    if (crlf) data[lf - 1] = '\n';
    pieces->push_back({std::string_view(start, size + 1), PieceKind::kLine});
    pos = lf + 1;
  }
  *directive = *directive || marked;
  return pos;
}

std::size_t CutShortLinesNarrow(char* data, std::size_t pos, std::size_t end,
                                std::size_t longest, std::vector<LinePiece>* pieces,
                                bool* directive) {
  return CutShortLinesWith<FeedMask>(data, pos, end, longest, pieces, directive);
}

#if VANTRIX_WIDE
[[VANTRIX_WIDE_TARGET]] std::size_t CutShortLinesWide(char* data, std::size_t pos,
                                                      std::size_t end, std::size_t longest,
                                                      std::vector<LinePiece>* pieces,
                                                      bool* directive) {
  return CutShortLinesWith<FeedMaskWide>(data, pos, end, longest, pieces, directive);
}
#endif

std::size_t CutShortLines(char* data, std::size_t pos, std::size_t end, std::size_t longest,
                          std::vector<LinePiece>* pieces, bool* directive) {
#if VANTRIX_WIDE
  if (HasWideVectors()) return CutShortLinesWide(data, pos, end, longest, pieces, directive);
#endif
  return CutShortLinesNarrow(data, pos, end, longest, pieces, directive);
}

// Cuts data[pos, end) into pieces of at most kMaxLinePiece bytes, a line at
// a time, for as long as the bytes show where a piece ends; returns where
// it stopped: end, or the start of a line's last bytes, which the bytes
// after `end` may finish.
std::size_t CutPieces(char* data, std::size_t pos, std::size_t end, bool* continues_line,
                      std::vector<LinePiece>* pieces) {
  LineFeeds feeds(data, end);
  bool continues = *continues_line;
  bool directive = false;  // every piece may hold one
  while (pos < end) {
    if (!continues) {
      // A piece of a line of its own needs a line end in kMaxLinePiece bytes.
      pos = CutShortLines(data, pos, end, kMaxLinePiece - 1, pieces, &directive);
      if (pos == end) break;
    }
    char* const start = data + pos;
    const std::size_t avail = end - pos;
    const PieceKind kind = continues ? PieceKind::kContinuation : PieceKind::kLine;
    // A piece needs at most kMaxLinePiece + 1 bytes: the last may be a
    // carriage return's line feed.
    if (const char* found = feeds.Find(start, Smaller(avail, kMaxLinePiece + 1))) {
      const std::size_t lf = found - start;
      if (lf > 0 && start[lf - 1] == '\r') {
        // Drop the carriage return: the line feed takes its place.
        start[lf - 1] = '\n';
        pieces->push_back({std::string_view(start, lf), kind});
        continues = false;
        pos += lf + 1;
        continue;
      }
      if (lf < kMaxLinePiece) {
        pieces->push_back({std::string_view(start, lf + 1), kind});
        continues = false;
        pos += lf + 1;
        continue;
      }
      // The line feed is the 2048th byte: it comes back as a piece alone.
    }
    if (avail <= kMaxLinePiece) break;
    // Cut here; the rest of the line comes as the next piece.
    pieces->push_back({std::string_view(start, kMaxLinePiece), kind});
    continues = true;
    pos += kMaxLinePiece;
  }
  *continues_line = continues;
  return pos;
}

// Cuts data[pos, end) into whole lines, for as long as the bytes show where
// a line ends; returns where it stopped, as CutPieces does. A line longer
// than kMaxWholeLine becomes one kTooLong piece and the rest of it is
// skipped, also into the bytes after `end`. Sets `directive` when a line
// it reaches may be a W3C directive, the last one left uncut included.
std::size_t CutWholeLines(char* data, std::size_t pos, std::size_t end, bool* skipping,
                          std::vector<LinePiece>* pieces, bool* directive) {
  LineFeeds feeds(data, end);
  while (pos < end) {
    if (*skipping) {
      // The rest of a line too long to read, up to its line feed.
      const char* lf = feeds.Find(data + pos, end - pos);
      *skipping = lf == nullptr;
      pos = lf != nullptr ? static_cast<std::size_t>(lf - data) + 1 : end;
      continue;
    }
    pos = CutShortLines(data, pos, end, kMaxWholeLine, pieces, directive);
    if (pos == end) break;
    // The line it stopped at: too long, or not ended in these bytes.
    char* const start = data + pos;
    const std::size_t avail = end - pos;
    if (MayBeDirective(*start)) *directive = true;
    if (const char* found = feeds.Find(start, Smaller(avail, kMaxWholeLine + 2))) {
      const std::size_t lf = found - start;
      const bool crlf = lf > 0 && start[lf - 1] == '\r';
      if ((crlf ? lf - 1 : lf) > kMaxWholeLine) {
        pieces->push_back({std::string_view(start, kMaxWholeLine), PieceKind::kTooLong});
      } else if (crlf) {
        // Drop the carriage return: the line feed takes its place.
        start[lf - 1] = '\n';
        pieces->push_back({std::string_view(start, lf), PieceKind::kLine});
      } else {
        pieces->push_back({std::string_view(start, lf + 1), PieceKind::kLine});
      }
      pos += lf + 1;
      continue;
    }
    if (avail < kMaxWholeLine + 2) break;
    // No line end in reach: too long, whatever follows.
    pieces->push_back({std::string_view(start, kMaxWholeLine), PieceKind::kTooLong});
    *skipping = true;
    pos += kMaxWholeLine + 2;
  }
  return pos;
}

}  // namespace

long FileSource::Read(char* buffer, std::size_t size) { return ReadSome(fd_, buffer, size); }

long TextSource::Read(char* buffer, std::size_t size) {
  std::size_t n = size < text_.size() ? size : text_.size();
  if (n != 0) std::memcpy(buffer, text_.data(), n);
  text_.remove_prefix(n);
  return static_cast<long>(n);
}

LineReader::LineReader(ByteSource* source, std::size_t chunk_size, WholeLinesTest whole_lines)
    : source_(source),
      chunk_size_(chunk_size < 4096 ? 4096 : chunk_size),
      whole_lines_(whole_lines) {}

void LineReader::ResumeCutting(bool whole_lines) {
  cutting_ = whole_lines ? Cutting::kWholeLines : Cutting::kPieces;
  carry_ = std::make_unique_for_overwrite<char[]>(whole_lines ? kMaxWholeLine + 1 : kMaxLinePiece);
}

bool LineReader::NextChunk(LineChunk* chunk) {
  do {
    if (!ReadChunk(chunk)) return false;
    CutRest(chunk);
  } while (chunk->pieces.empty());
  return true;
}

bool LineReader::ReadChunk(LineChunk* chunk) {
  chunk->pieces.clear();
  chunk->uncut_end = 0;
  chunk->may_hold_directive = false;
  // A chunk may hold nothing but the middle of a line that is skipped.
  while (chunk->pieces.empty() && chunk->uncut_end == 0) {
    if (at_end_ && carry_size_ == 0) return false;

    const std::size_t capacity =
        cutting_ == Cutting::kWholeLines && chunk_size_ < kWholeLineChunk ? kWholeLineChunk
                                                                          : chunk_size_;
    if (chunk->capacity < capacity) {
      chunk->buffer = std::make_unique_for_overwrite<char[]>(capacity);
      chunk->capacity = capacity;
    }

    // The carried start of a line first, then as much as the chunk holds.
    char* const data = chunk->buffer.get();
    if (carry_size_ != 0) std::memcpy(data, carry_.get(), carry_size_);
    std::size_t end = carry_size_;
    carry_size_ = 0;
    while (!at_end_ && end < chunk->capacity) {
      long n = source_->Read(data + end, chunk->capacity - end);
      if (n <= 0) {
        at_end_ = true;
        failed_ = n < 0;
      } else {
        end += static_cast<std::size_t>(n);
        bytes_read_ += n;
      }
    }

    // The first line tells how the stream's lines are cut.
    if (cutting_ == Cutting::kUndecided && end != 0) {
      std::size_t first = Smaller(end, kMaxLinePiece);
      if (const char* lf = FindLineFeed(data, first)) first = lf - data;
      const bool whole = whole_lines_ != nullptr && whole_lines_(std::string_view(data, first));
      cutting_ = whole ? Cutting::kWholeLines : Cutting::kPieces;
      carry_ = std::make_unique_for_overwrite<char[]>(whole ? kMaxWholeLine + 1 : kMaxLinePiece);
    }

    // Up to the last line feed, every piece ends within the chunk: those
    // bytes are left for CutRest(), and a piece after them starts a line.
    const std::size_t head = PastLastLineFeed(data, end);
    if (head != 0) {
      chunk->uncut_end = head;
      chunk->uncut_whole_lines = cutting_ == Cutting::kWholeLines;
      chunk->uncut_continues = continues_;
      chunk->uncut_skipping = skipping_;
      continues_ = false;
      skipping_ = false;
    }
    CutTail(data, head, end, chunk);
  }
  return true;
}

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void CutRest(LineChunk* chunk) {
  if (chunk->uncut_end == 0) return;
  // The pieces cut so far come last.
  std::vector<LinePiece>& tail = chunk->cut_tail;
  tail.swap(chunk->pieces);
  chunk->pieces.clear();
  char* const data = chunk->buffer.get();
  if (chunk->uncut_whole_lines) {
    bool skipping = chunk->uncut_skipping;
    CutWholeLines(data, 0, chunk->uncut_end, &skipping, &chunk->pieces,
                  &chunk->may_hold_directive);
  } else {
    chunk->may_hold_directive = true;
    bool continues = chunk->uncut_continues;
    CutPieces(data, 0, chunk->uncut_end, &continues, &chunk->pieces);
  }
  chunk->pieces.insert(chunk->pieces.end(), tail.begin(), tail.end());
  tail.clear();
  chunk->uncut_end = 0;
}

void LineReader::CutTail(char* data, std::size_t from, std::size_t end, LineChunk* chunk) {
  const bool whole = cutting_ == Cutting::kWholeLines;
  if (!whole) chunk->may_hold_directive = true;
  const std::size_t pos =
      whole ? CutWholeLines(data, from, end, &skipping_, &chunk->pieces, &chunk->may_hold_directive)
            : CutPieces(data, from, end, &continues_, &chunk->pieces);
  if (pos == end) return;
  char* const start = data + pos;
  const std::size_t avail = end - pos;
  if (!at_end_) {
    // The rest of this line is in the next chunk.
    std::memcpy(carry_.get(), start, avail);
    carry_size_ = avail;
  } else if (failed_) {
    // After a read error the last line is unfinished, and dropped.
    bytes_dropped_ = static_cast<std::int64_t>(avail);
  } else if (whole) {
    // The last line, without a line feed, whole at a clean end.
    const PieceKind kind = avail > kMaxWholeLine ? PieceKind::kTooLong : PieceKind::kLine;
    chunk->pieces.push_back({std::string_view(start, Smaller(avail, kMaxWholeLine)), kind});
  } else {
    const PieceKind kind = continues_ ? PieceKind::kContinuation : PieceKind::kLine;
    chunk->pieces.push_back({std::string_view(start, avail), kind});
  }
}
