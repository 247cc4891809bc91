#include "platform/file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileIdentity IdentityOfStat(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

int OpenForReading(const char* path, int* error) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) *error = errno;
  return fd;
}

int OpenForWriting(const char* path) {
  // No O_TRUNC: the old content stays until the report replaces it.
  return ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
}

void CloseFile(int file) { ::close(file); }

bool FactsOf(int file, FileFacts* facts) {
  struct stat info;
  if (::fstat(file, &info) != 0) return false;
  facts->regular = S_ISREG(info.st_mode);
  facts->size = static_cast<std::int64_t>(info.st_size);
  facts->identity = IdentityOfStat(info);
  return true;
}

bool IdentityOf(const char* path, FileIdentity* identity) {
  struct stat info;
  if (::stat(path, &info) != 0) return false;
  *identity = IdentityOfStat(info);
  return true;
}

long ReadSome(int file, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(file, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

int StandardInputForReading() { return STDIN_FILENO; }

long ReadAt(int file, char* buffer, std::size_t size, std::int64_t offset) {
  for (;;) {
    const ssize_t n = ::pread(file, buffer, size, static_cast<off_t>(offset));
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

bool SeekFile(int file, std::int64_t offset) {
  return ::lseek(file, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

std::FILE* WritingStream(int file) { return ::fdopen(file, "w"); }

int DescriptorOf(std::FILE* stream) { return ::fileno(stream); }

bool EmptyFile(int file) { return ::ftruncate(file, 0) == 0; }

void KeepLineFeeds(std::FILE*) {}
