// Directory search: the files a pattern names, with "*" and "?" as wildcards
// in any of its path components. A wildcard in a folder part names every
// folder it matches, by the same rules as the file part.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FoundFile {
  std::string path;  // the pattern's folder part (expanded) joined to the name
  bool regular = false;  // a regular file once symbolic links are followed
};

class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;

  /// Every match of `pattern`, in ascending byte order of the whole paths;
  /// empty when nothing matches or no folder can be listed.
  virtual std::vector<FoundFile> Find(std::string_view pattern) = 0;
};

/// The search of the real file system.
class SystemDirectorySearch : public DirectorySearch {
 public:
  std::vector<FoundFile> Find(std::string_view pattern) override;
};

/// True when `name` matches the wildcard pattern: "*" any run of bytes,
/// "?" exactly one byte, every other byte itself.
bool MatchWildcard(std::string_view name, std::string_view pattern);

/// The system's side of the search, one file per system.
namespace system_search {

/// What separates the components of a path: "/" on POSIX, "/" and "\" on
/// Windows.
extern const char* const kSeparators;

/// The matches of `pattern`, wildcards only in its last component, each
/// joined to the pattern's folder part, in ascending byte order.
std::vector<FoundFile> FindInFolder(std::string_view pattern);

/// The folders (links followed) that `pattern` names, wildcards only in its
/// last component, each joined to the pattern's folder part; "." and ".."
/// never.
std::vector<std::string> FindFolders(std::string_view pattern);

}  // namespace system_search
