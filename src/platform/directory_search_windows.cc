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

}  // namespace

std::vector<FoundFile> SystemDirectorySearch::Find(std::string_view pattern) {
  std::vector<FoundFile> found;
  const std::string text(pattern);
  WIN32_FIND_DATAA match;
  const HANDLE search = FindFirstFileA(text.c_str(), &match);
  if (search == INVALID_HANDLE_VALUE) return found;
  const std::string folder(FolderOf(pattern));
  do {
    const std::string_view name = match.cFileName;
    if (name == "." || name == "..") continue;
    found.push_back({folder + match.cFileName, (match.dwFileAttributes & kSuspectAttributes) == 0});
  } while (FindNextFileA(search, &match) != 0);
  FindClose(search);
  // The same order on every file system and on Linux: the names' bytes.
  std::sort(found.begin(), found.end(),
            [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });
  return found;
}
