#include "platform/directory_search.h"

#include <algorithm>

#include <windows.h>

namespace {

// A match with any of these is no log file: a folder (0x10), a system file
// (0x4) or a temporary one (0x100). Hidden and read-only files are read.
constexpr DWORD kSuspectAttributes =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

// The folder part of a pattern with its separator ("C:\logs\", "logs/",
// "C:"), which the found names are joined to; empty for a bare name.
std::string_view FolderOf(std::string_view pattern) {
  const std::size_t separator = pattern.find_last_of("/\\");
  if (separator != std::string_view::npos) return pattern.substr(0, separator + 1);
  if (pattern.size() >= 2 && pattern[1] == ':') return pattern.substr(0, 2);
  return {};
}

// Calls `take` with each match of `pattern` but "." and "..", its whole
// path and attributes.
template <typename Take>
void Search(std::string_view pattern, Take take) {
  const std::string text(pattern);
  WIN32_FIND_DATAA match;
  const HANDLE search = FindFirstFileA(text.c_str(), &match);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::string folder(FolderOf(pattern));
  do {
    const std::string_view name = match.cFileName;
    if (name == "." || name == "..") continue;
    take(folder + match.cFileName, match.dwFileAttributes);
  } while (FindNextFileA(search, &match) != 0);
  FindClose(search);
}

}  // namespace

namespace system_search {

const char* const kSeparators = "/\\";

std::vector<FoundFile> FindInFolder(std::string_view pattern) {
  std::vector<FoundFile> found;
  Search(pattern, [&](std::string path, DWORD attributes) {
    found.push_back({std::move(path), (attributes & kSuspectAttributes) == 0});
  });
  // The same order on every file system and on Linux: the names' bytes.
  std::sort(found.begin(), found.end(),
            [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });
  return found;
}

std::vector<std::string> FindFolders(std::string_view pattern) {
  std::vector<std::string> folders;
  Search(pattern, [&](std::string path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) folders.push_back(std::move(path));
  });
  std::sort(folders.begin(), folders.end());
  return folders;
}

}  // namespace system_search
