#include "platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cinttypes>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/random.h"

namespace {

// As the system's own limit on links followed in one name.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

}  // namespace

std::string FollowLinks(const char* path) {
  std::string name = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info;
    if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return name;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 256) + 1,
                       '\0');
    const ssize_t n = ::readlink(name.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(n));
    // A relative link is relative to the folder of the link.
    if (target.starts_with('/')) {
      name = target;
    } else {
      name = FolderOf(name);
      name += target;
    }
  }
  return path;
}

int CreateBeside(const std::string& target, std::string* temporary, int* error) {
  // A hidden name beside the target, made unique by a random part and
  // created only if no file has it.
  const std::string folder = FolderOf(target);
  const std::string base = target.substr(folder.size());
  std::uint64_t part_value = RandomSeed();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char part[24];
    std::snprintf(part, sizeof(part), "%016" PRIx64, part_value);
    part_value = part_value * 6364136223846793005u + 1442695040888963407u;
    *temporary = folder;
    temporary->append(".").append(base).append(".").append(part).append(".tmp");
    const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      struct stat old;
      if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
      return fd;
    }
    if (errno != EEXIST) break;
  }
  *error = errno;
  temporary->clear();
  return -1;
}

bool SyncFile(int file) { return ::fsync(file) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

void FailWritesPastSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }
