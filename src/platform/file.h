// Files as the program opens them: logs for reading, the report for
// writing. A file is a descriptor of the C runtime; what it is (a regular
// file or not, its size, which file it is) is asked of the open descriptor,
// so that nothing can change between the asking and the reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

/// Which file a name led to: the same volume and the same file number on
/// it is the same file, whatever links or names lead there.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t number = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// What an open file is.
struct FileFacts {
  bool regular = false;   // a regular file (no directory, FIFO or device)
  std::int64_t size = 0;  // in bytes, when regular
  FileIdentity identity;
};

/// Opens `path` for reading without waiting (a FIFO put in a log's place
/// has no writer). The descriptor, or -1 with the C library's error number
/// in `*error`.
int OpenForReading(const char* path, int* error);

/// Standard input as a descriptor of raw bytes (Windows would otherwise
/// read it as text).
int StandardInputForReading();

/// Opens `path` for writing, creating it when missing and keeping what it
/// holds; -1 on failure.
int OpenForWriting(const char* path);

/// Closes a descriptor either of the above opened.
void CloseFile(int file);

/// What the open `file` is; false when it cannot be told.
bool FactsOf(int file, FileFacts* facts);

/// The file that `path` names now, links followed; false when none.
bool IdentityOf(const char* path, FileIdentity* identity);

/// Up to `size` bytes of `file` from where it stands: the count, 0 at the
/// end, -1 after a read error. An interrupted read is tried again.
long ReadSome(int file, char* buffer, std::size_t size);

/// Up to `size` bytes of `file` from `offset`, leaving where it stands
/// unmoved: the count, or -1.
long ReadAt(int file, char* buffer, std::size_t size, std::int64_t offset);

/// Moves where `file` stands to `offset` bytes from its start; false on
/// failure.
bool SeekFile(int file, std::int64_t offset);

/// A stream writing to `file`, which it then owns; nullptr on failure (the
/// descriptor is then still the caller's).
std::FILE* WritingStream(int file);

/// The descriptor under `stream`, or -1.
int DescriptorOf(std::FILE* stream);

/// Cuts the regular `file` to no bytes; false on failure.
bool EmptyFile(int file);

/// Makes `stream` write a line feed as the byte it is. Standard output,
/// standard error and WritingStream's streams are text streams, whose line
/// feeds Windows writes as CR LF; POSIX systems make no difference.
void KeepLineFeeds(std::FILE* stream);
