// The member inflater on ISA-L's igzip, several times quicker than zlib.
// Its gzip wrapper takes a header whose reserved flag bits are set, which
// is not gzip (and which zlib refuses): the flags are looked at here first.
#include <isa-l/igzip_lib.h>

#include <cstdint>
#include <limits>

#include "intake/gzip_member.h"

namespace {
constexpr std::size_t kFlagsOffset = 3;  // ID1 ID2 CM FLG
constexpr unsigned char kReservedFlags = 0xE0;
}  // namespace

struct MemberInflater::State {
  inflate_state isal{};
  std::size_t header_seen = 0;  // of the member's first kFlagsOffset + 1 bytes
};

MemberInflater::MemberInflater() : state_(std::make_unique<State>()) { Restart(); }

MemberInflater::~MemberInflater() = default;

bool MemberInflater::ready() const { return true; }

void MemberInflater::Restart() {
  isal_inflate_init(&state_->isal);
  state_->isal.crc_flag = ISAL_GZIP;
  state_->header_seen = 0;
}

MemberInflater::Step MemberInflater::Inflate(const unsigned char** in, std::size_t* in_size,
                                             char* out, std::size_t out_size,
                                             std::size_t* produced) {
  State& s = *state_;
  *produced = 0;
  if (s.header_seen <= kFlagsOffset) {
    const std::size_t ahead = kFlagsOffset - s.header_seen;
    if (*in_size > ahead && ((*in)[ahead] & kReservedFlags) != 0) return Step::kDamaged;
  }
  constexpr std::size_t kMost = std::numeric_limits<std::uint32_t>::max();
  const auto in_given = static_cast<std::uint32_t>(*in_size < kMost ? *in_size : kMost);
  const auto out_given = static_cast<std::uint32_t>(out_size < kMost ? out_size : kMost);
  inflate_state& z = s.isal;
  z.next_in = const_cast<std::uint8_t*>(*in);
  z.avail_in = in_given;
  z.next_out = reinterpret_cast<std::uint8_t*>(out);
  z.avail_out = out_given;
  const int status = isal_inflate(&z);
  // At a member's end the bytes read ahead of it are given back, never more
  // than this call was given.
  if (z.avail_in > in_given) return Step::kDamaged;
  const std::size_t used = in_given - z.avail_in;
  *in += used;
  *in_size -= used;
  if (s.header_seen <= kFlagsOffset) s.header_seen += used;
  *produced = out_given - z.avail_out;
  if (status != ISAL_DECOMP_OK) return Step::kDamaged;
  return z.block_state == ISAL_BLOCK_FINISH ? Step::kMemberEnd : Step::kGoing;
}
