// --state=FILE: the counting state that one run leaves for the next, so
// that runs over the logs a few files at a time add up to one run over them
// all, and no line is counted twice.
//
// A state file is a header and a body:
//   "VXSTATE\n"   eight bytes, what the file is
//   version       four bytes, little-endian (kStateVersion)
//   body size     eight bytes, little-endian
//   checksum      eight bytes, little-endian: StateChecksum of the body
//   body          the sections of state_sections.h, in their order
// The version is read before anything else: a state of another version
// is refused, never read as this one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct Run;

/// The layout of the state this build writes and reads; a change to any
/// section's bytes, or a section added, takes the next number.
inline constexpr std::uint32_t kStateVersion = 3;

/// Takes the state from `run->state.path` into the run, when that file
/// exists; a missing file is a first run. False, with the message written,
/// when the state cannot be read, is damaged, of another version, or made
/// under other filters: the run then ends before any log is read.
bool LoadState(Run* run);

/// Writes the run's state to `run->state.path`, replacing the file whole:
/// a new file beside it, made durable, renamed over it. False, with the
/// message written, when it could not be; the old state is then as it was.
bool SaveState(Run* run);

/// The bytes of the run's state file.
std::string MakeState(const Run& run);

/// A state file of `body`: the header with its version and checksum, then
/// the body.
std::string SealState(std::string_view body, std::uint32_t version = kStateVersion);

/// Takes the state file `bytes` into `run`, whose statistics are empty.
/// Empty on success; else the message to write, naming the file `name`.
std::string TakeState(Run* run, std::string_view bytes, const char* name);

/// True when the counting options now differ from those the state was
/// taken or begun under; the message is then written. Called before each
/// log pattern is read, since options between patterns apply to the files
/// after them.
bool StateFiltersChanged(Run* run);
