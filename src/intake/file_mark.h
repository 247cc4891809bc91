// How far each log file was read, so that a later run goes on where this one
// stopped and never counts a line twice: which file it was, a fingerprint of
// its first bytes, and what its reader needs to read on from a line start.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "intake/log_line.h"
#include "platform/file.h"

/// The first bytes of a file's text that its fingerprint covers.
inline constexpr std::uint32_t kFingerprintBytes = 4096;

/// A field position for each slot: none.
constexpr std::array<std::int32_t, kSlotCount> NoSlotsPlaced() {
  std::array<std::int32_t, kSlotCount> none{};
  std::fill(none.begin(), none.end(), -1);
  return none;
}

/// One log file as a run left it.
///
/// A plain file is known by its identity and its first bytes: when both
/// are the same, the bytes up to `offset` were counted. A compressed file
/// is known the same way, its fingerprint taken of its first decompressed
/// bytes, so that a file compressed anew with more lines in it is the same
/// log grown; its `offset` counts decompressed bytes, and its `size` is the
/// compressed size, which tells at no cost that it did not change.
struct FileMark {
  FileIdentity identity;
  bool compressed = false;
  std::int64_t size = 0;                 // as stored, when it was read
  std::uint64_t fingerprint = 0;         // of the first fingerprint_size bytes of text
  std::uint32_t fingerprint_size = 0;
  std::int64_t offset = 0;               // of the text, after the last line counted
  bool counted_as_w3c = false;           // in the files read by format

  // The format in effect at `offset`, once the first line is read.
  bool first_line_seen = false;
  bool w3c = false;
  bool fields_known = false;             // a #Fields: line was read
  std::int32_t field_count = 0;          // names on it
  std::array<std::int32_t, kSlotCount> field_of_slot = NoSlotsPlaced();  // -1 for none
  std::int32_t substatus_field = -1;  // the position of sc-substatus, or -1
  std::string directive_date;            // of the last #Date: line
};

/// The marks of every file read under one state, in the order first read.
struct FileBook {
  std::vector<FileMark> marks;

  FileMark* Find(const FileIdentity& identity) {
    const auto found = std::find_if(marks.begin(), marks.end(),
                                    [&](const FileMark& mark) { return mark.identity == identity; });
    return found == marks.end() ? nullptr : &*found;
  }
};

struct FileFormat;

/// The most fields a mark's layout may name: a line of kMaxWholeLine bytes
/// holds no more.
inline constexpr std::int32_t kMaxFieldsInMark = 32768;

/// The fingerprint of a file's first bytes of text.
std::uint64_t Fingerprint(std::string_view first_bytes);

/// True when `first_bytes`, a file's first bytes now, begin with the bytes
/// that `mark` took the fingerprint of.
bool SameFirstBytes(const FileMark& mark, std::string_view first_bytes);

/// The first text bytes of `fd` (decompressed when `compressed`), up to
/// kFingerprintBytes, read without moving where the file stands.
std::string FirstTextBytes(int fd, bool compressed);

/// What the book says of the file now open: read it whole, go on from its
/// mark, or leave it, all of it counted before.
enum class BookVerdict { kNew, kGrown, kCounted };

/// The verdict for a file of `facts` whose first bytes are `first_bytes`,
/// given its `mark` (nullptr: none).
BookVerdict Consult(const FileMark* mark, const FileFacts& facts, bool compressed,
                    std::string_view first_bytes);

/// Notes in `mark` the format in effect where `format` stands.
void MarkFormat(const FileFormat& format, FileMark* mark);

/// True when the format noted in `mark` is one a file could have had: each
/// slot at its own position among the fields, or none.
bool MarkFormatValid(const FileMark& mark);

/// Puts `format` where `mark` left its file: the layout rebuilt as its
/// #Fields: line made it, with the status placed when `format` reads it.
void ResumeFormat(const FileMark& mark, FileFormat* format);
