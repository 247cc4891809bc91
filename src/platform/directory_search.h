// Directory search: the files a pattern names, with "*" and "?" as wildcards
// in its last path component.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FoundFile {
  std::string path;  // the pattern's directory part joined to the name
  bool regular = false;  // a regular file once symbolic links are followed
};

class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;

  /// Every match of `pattern`, in ascending byte order of the names; empty
  /// when nothing matches or the directory cannot be listed.
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
