#include "run/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool IdentityOf(const char* path, FileIdentity* identity) {
  struct stat info;
  if (::stat(path, &info) != 0) return false;
  *identity = {info.st_dev, info.st_ino};
  return true;
}

std::FILE* OpenOutputFile(const char* path, FileIdentity* identity) {
  // No O_TRUNC: the old content stays until the report replaces it.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  std::FILE* out = ::fstat(fd, &info) == 0 ? ::fdopen(fd, "w") : nullptr;
  if (out == nullptr) {
    ::close(fd);
    return nullptr;
  }
  *identity = {info.st_dev, info.st_ino};
  return out;
}

bool EmptyForReport(std::FILE* out) {
  if (std::fflush(out) != 0) return false;
  const int fd = ::fileno(out);
  struct stat info;
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return true;
  if (::ftruncate(fd, 0) != 0) return false;
  return std::fseek(out, 0, SEEK_SET) == 0;
}
