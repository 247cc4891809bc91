// The inflater under GzipSource: one gzip member at a time, its header and
// checksum checked. The build links one of two libraries behind it
// (gzip_member_isal.cc or gzip_member_zlib.cc; VANTRIX_INFLATER in
// CMakeLists.txt chooses); both give the same bytes and the same verdict on
// every whole archive, and on every archive cut off or damaged, a verdict
// of damage.
#pragma once

#include <cstddef>
#include <memory>

class MemberInflater {
 public:
  enum class Step {
    kGoing,      // more input or more room is needed
    kMemberEnd,  // the member ended, its checksum and length right
    kDamaged,    // the member is not a gzip member, or is damaged
  };

  MemberInflater();
  ~MemberInflater();
  MemberInflater(const MemberInflater&) = delete;
  MemberInflater& operator=(const MemberInflater&) = delete;

  /// False when the inflater could not be set up (no memory).
  bool ready() const;

  /// Starts a new member, its header first.
  void Restart();

  /// Inflates from the `*in_size` bytes at `*in` into the `out_size` bytes
  /// at `out`; moves `*in` past the bytes used and sets `*produced`. At a
  /// member's end the bytes after it are left unused. Once the input has
  /// run out, call again with none while it still produces: bytes whose
  /// input has been taken may not have come out yet.
  Step Inflate(const unsigned char** in, std::size_t* in_size, char* out, std::size_t out_size,
               std::size_t* produced);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
