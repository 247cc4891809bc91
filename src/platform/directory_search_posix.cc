#include "platform/directory_search.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The names in the folder part of `pattern` that its last component
// matches, in ascending byte order, and that folder part.
std::vector<std::string> MatchingNames(std::string_view pattern, std::string* folder) {
  const std::size_t slash = pattern.rfind('/');
  folder->assign(slash == std::string_view::npos ? std::string_view()
                                                 : pattern.substr(0, slash + 1));
  const std::string_view name_pattern =
      slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder->empty() ? "." : folder->c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (MatchWildcard(name, name_pattern)) names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

namespace system_search {

const char* const kSeparators = "/";

std::vector<FoundFile> FindInFolder(std::string_view pattern) {
  std::vector<FoundFile> found;
  // A name without wildcards is that path, if anything is there.
  const std::size_t slash = pattern.rfind('/');
  const std::string_view name_pattern =
      slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
  if (name_pattern.find_first_of("*?") == std::string_view::npos) {
    const std::string path(pattern);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) found.push_back({path, IsRegularFile(path)});
    return found;
  }

  std::string directory;
  for (const std::string& name : MatchingNames(pattern, &directory)) {
    std::string path = directory + name;
    const bool regular = IsRegularFile(path);
    found.push_back({std::move(path), regular});
  }
  return found;
}

std::vector<std::string> FindFolders(std::string_view pattern) {
  std::string directory;
  std::vector<std::string> folders;
  for (const std::string& name : MatchingNames(pattern, &directory)) {
    std::string path = directory + name;
    if (IsFolder(path)) folders.push_back(std::move(path));
  }
  return folders;
}

}  // namespace system_search
