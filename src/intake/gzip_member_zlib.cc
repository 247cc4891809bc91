// The member inflater on zlib: the portable one, and the Windows build's.
#include <zlib.h>

#include <climits>

#include "intake/gzip_member.h"

struct MemberInflater::State {
  z_stream z{};
  bool ready = false;
};

MemberInflater::MemberInflater() : state_(std::make_unique<State>()) {
  // 16 + MAX_WBITS: a gzip wrapper, with its header and checksum checked.
  state_->ready = inflateInit2(&state_->z, 16 + MAX_WBITS) == Z_OK;
}

MemberInflater::~MemberInflater() {
  if (state_->ready) inflateEnd(&state_->z);
}

bool MemberInflater::ready() const { return state_->ready; }

void MemberInflater::Restart() { inflateReset(&state_->z); }

MemberInflater::Step MemberInflater::Inflate(const unsigned char** in, std::size_t* in_size,
                                             char* out, std::size_t out_size,
                                             std::size_t* produced) {
  z_stream& z = state_->z;
  const uInt in_given = *in_size > UINT_MAX ? UINT_MAX : static_cast<uInt>(*in_size);
  const uInt out_given = out_size > UINT_MAX ? UINT_MAX : static_cast<uInt>(out_size);
  z.next_in = const_cast<Bytef*>(*in);
  z.avail_in = in_given;
  z.next_out = reinterpret_cast<Bytef*>(out);
  z.avail_out = out_given;
  const int status = inflate(&z, Z_NO_FLUSH);
  *in += in_given - z.avail_in;
  *in_size -= in_given - z.avail_in;
  *produced = out_given - z.avail_out;
  if (status == Z_STREAM_END) return Step::kMemberEnd;
  // Z_BUF_ERROR: no progress was possible for want of input or room.
  return status == Z_OK || status == Z_BUF_ERROR ? Step::kGoing : Step::kDamaged;
}
