#include "intake/gzip_source.h"

#include "intake/gzip_member.h"
#include "platform/file.h"

namespace {
constexpr std::size_t kInputSize = std::size_t{1} << 18;
}  // namespace

bool HasGzipSignature(int fd) {
  unsigned char magic[2];
  return ReadAt(fd, reinterpret_cast<char*>(magic), 2, 0) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
}

GzipSource::GzipSource(ByteSource* compressed)
    : compressed_(compressed),
      inflater_(std::make_unique<MemberInflater>()),
      input_(std::make_unique<unsigned char[]>(kInputSize)) {
  if (!inflater_->ready()) {
    finished_ = true;
    damaged_ = true;
  }
}

GzipSource::~GzipSource() = default;

bool GzipSource::FillInput() {
  if (input_at_end_) return false;
  long n = compressed_->Read(reinterpret_cast<char*>(input_.get()), kInputSize);
  if (n <= 0) {
    input_at_end_ = true;
    read_error_ = n < 0;
    return false;
  }
  next_in_ = input_.get();
  avail_in_ = static_cast<std::size_t>(n);
  return true;
}

long GzipSource::Read(char* buffer, std::size_t size) {
  if (finished_) return damaged_ ? -1 : 0;
  std::size_t done = 0;
  while (done < size) {
    if (avail_in_ == 0 && !FillInput()) {
      // The end of the file. An unfinished member may still hold bytes of
      // the input it took; what it gives is handed out, and its end may
      // yet come.
      if (!member_done_) {
        std::size_t produced = 0;
        const MemberInflater::Step step =
            inflater_->Inflate(&next_in_, &avail_in_, buffer + done, size - done, &produced);
        done += produced;
        if (step == MemberInflater::Step::kMemberEnd) member_done_ = true;
        if (step != MemberInflater::Step::kDamaged && produced != 0) continue;
      }
      // Clean only between members, and only when it is the end and not a
      // read error.
      finished_ = true;
      damaged_ = !member_done_ || read_error_;
      break;
    }
    if (member_done_) {
      // Another member follows, or padding of zero bytes ends the file.
      if (next_in_[0] == 0) {
        ++next_in_;
        --avail_in_;
        continue;
      }
      inflater_->Restart();
      member_done_ = false;
    }
    std::size_t produced = 0;
    const MemberInflater::Step step =
        inflater_->Inflate(&next_in_, &avail_in_, buffer + done, size - done, &produced);
    done += produced;
    if (step == MemberInflater::Step::kMemberEnd) {
      member_done_ = true;
    } else if (step == MemberInflater::Step::kDamaged) {
      finished_ = true;
      damaged_ = true;
      break;
    }
  }

  if (done != 0) return static_cast<long>(done);
  return damaged_ ? -1 : 0;
}
