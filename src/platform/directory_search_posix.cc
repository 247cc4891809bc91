#include "platform/directory_search.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::vector<FoundFile> SystemDirectorySearch::Find(std::string_view pattern) {
  std::vector<FoundFile> found;
  const std::size_t slash = pattern.rfind('/');
  const std::string directory(
      slash == std::string_view::npos ? std::string_view() : pattern.substr(0, slash + 1));
  const std::string_view name_pattern =
      slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);

  // A name without wildcards is that path, if anything is there.
  if (name_pattern.find_first_of("*?") == std::string_view::npos) {
    const std::string path(pattern);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) found.push_back({path, IsRegularFile(path)});
    return found;
  }

  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return found;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (MatchWildcard(name, name_pattern)) names.emplace_back(name);
  }
  ::closedir(dir);

  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string path = directory + name;
    const bool regular = IsRegularFile(path);
    found.push_back({std::move(path), regular});
  }
  return found;
}
