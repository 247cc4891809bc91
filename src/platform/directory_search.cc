#include "platform/directory_search.h"

#include <algorithm>
#include <iterator>

bool MatchWildcard(std::string_view name, std::string_view pattern) {
  // Greedy matching that, on a mismatch, lets the last "*" take one more
  // byte: linear in practice, and exact for "*" and "?".
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n]) &&
        pattern[p] != '*') {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != text.npos; }

}  // namespace

std::vector<FoundFile> SystemDirectorySearch::Find(std::string_view pattern) {
  const std::size_t last = pattern.find_last_of(system_search::kSeparators);
  if (last == std::string_view::npos || !HasWildcard(pattern.substr(0, last))) {
    return system_search::FindInFolder(pattern);
  }

  // The folder part, a component at a time: a component with wildcards
  // replaces each folder so far by the folders it matches there.
  std::vector<std::string> folders{""};
  std::size_t start = 0;
  while (start <= last && !folders.empty()) {
    const std::size_t end = pattern.find_first_of(system_search::kSeparators, start);
    const std::string_view component = pattern.substr(start, end - start);
    const char separator = pattern[end];
    std::vector<std::string> next;
    for (std::string& folder : folders) {
      if (!HasWildcard(component)) {
        next.push_back(std::move(folder.append(component) += separator));
        continue;
      }
      std::vector<std::string> found = system_search::FindFolders(folder.append(component));
      std::transform(found.begin(), found.end(), std::back_inserter(next),
                     [separator](std::string& path) { return std::move(path += separator); });
    }
    folders = std::move(next);
    start = end + 1;
  }

  std::vector<FoundFile> found;
  const std::string_view name = pattern.substr(last + 1);
  for (std::string& folder : folders) {
    std::vector<FoundFile> files = system_search::FindInFolder(folder.append(name));
    found.insert(found.end(), std::make_move_iterator(files.begin()),
                 std::make_move_iterator(files.end()));
  }
  // The matches of all folders in one order: their whole paths' bytes.
  std::sort(found.begin(), found.end(),
            [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });
  return found;
}
