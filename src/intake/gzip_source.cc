#include "intake/gzip_source.h"

#include <zlib.h>

#include <climits>

#include "platform/file.h"

namespace {
constexpr std::size_t kInputSize = std::size_t{1} << 18;
}  // namespace

bool HasGzipSignature(int fd) {
  unsigned char magic[2];
  return ReadAt(fd, reinterpret_cast<char*>(magic), 2, 0) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
}

struct GzipSource::Stream {
  z_stream z{};
  bool ready = false;
};

GzipSource::GzipSource(ByteSource* compressed)
    : compressed_(compressed),
      stream_(std::make_unique<Stream>()),
      input_(std::make_unique<unsigned char[]>(kInputSize)) {
  // 16 + MAX_WBITS: a gzip wrapper, with its header and checksum checked.
  stream_->ready = inflateInit2(&stream_->z, 16 + MAX_WBITS) == Z_OK;
  if (!stream_->ready) {
    finished_ = true;
    damaged_ = true;
  }
}

GzipSource::~GzipSource() {
  if (stream_->ready) inflateEnd(&stream_->z);
}

bool GzipSource::FillInput() {
  if (input_at_end_) return false;
  long n = compressed_->Read(reinterpret_cast<char*>(input_.get()), kInputSize);
  if (n <= 0) {
    input_at_end_ = true;
    read_error_ = n < 0;
    return false;
  }
  stream_->z.next_in = input_.get();
  stream_->z.avail_in = static_cast<uInt>(n);
  return true;
}

long GzipSource::Read(char* buffer, std::size_t size) {
  if (finished_) return damaged_ ? -1 : 0;
  z_stream& z = stream_->z;
  if (size > UINT_MAX) size = UINT_MAX;
  z.next_out = reinterpret_cast<Bytef*>(buffer);
  z.avail_out = static_cast<uInt>(size);

  while (z.avail_out != 0) {
    if (z.avail_in == 0 && !FillInput()) {
      // The end of the file: clean only between members, and only when
      // it is the end and not a read error.
      finished_ = true;
      damaged_ = !member_done_ || read_error_;
      break;
    }
    if (member_done_) {
      // Another member follows, or padding of zero bytes ends the file.
      if (z.next_in[0] == 0) {
        ++z.next_in;
        --z.avail_in;
        continue;
      }
      inflateReset(&z);
      member_done_ = false;
    }
    const int status = inflate(&z, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      member_done_ = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      finished_ = true;
      damaged_ = true;
      break;
    }
  }

  const long produced = static_cast<long>(size - z.avail_out);
  if (produced != 0) return produced;
  return damaged_ ? -1 : 0;
}
