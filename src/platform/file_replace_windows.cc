#include "platform/file_replace.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "platform/random.h"

namespace {

// The folder part of a path with its separator ("C:\logs\", "out/", "D:").
std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  if (separator != std::string::npos) return path.substr(0, separator + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return "";
}

}  // namespace

// Links are rare on Windows and need rights to make: the name is replaced
// as it is.
std::string FollowLinks(const char* path) { return path; }

int CreateBeside(const std::string& target, std::string* temporary, int* error) {
  // A name beside the target, made unique by a random part and created
  // only if no file has it.
  const std::string folder = FolderOf(target);
  const std::string base = target.substr(folder.size());
  std::uint64_t part_value = RandomSeed();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char part[24];
    std::snprintf(part, sizeof(part), "%016" PRIx64, part_value);
    part_value = part_value * 6364136223846793005u + 1442695040888963407u;
    *temporary = folder + "." + base + "." + part + ".tmp";
    const int fd = _open(temporary->c_str(),
                         _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  *error = errno;
  temporary->clear();
  return -1;
}

bool SyncFile(int file) { return _commit(file) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

// Windows has no limit on file sizes that ends a process.
void FailWritesPastSizeLimit() {}
