#include "stats/records.h"

#include <cstring>

#include "bytes/hash.h"

namespace {

bool EqualBytes(const char* stored, std::uint32_t stored_size, std::string_view text) {
  return stored_size == text.size() && std::memcmp(stored, text.data(), text.size()) == 0;
}

std::uint32_t SizeOf(std::string_view text) {
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace

RecordIndex CountPage(Statistics* stats, std::string_view path, std::uint64_t hash) {
  RecordIndex found = stats->page_index.Find(hash, [&](RecordIndex i) {
    const PageRecord& page = stats->pages[i];
    return EqualFolded(std::string_view(page.Path, page.PathSize), path);
  });
  if (found != kNoRecord) {
    ++stats->pages[found].Hits;
    return found;
  }
  RecordIndex index = stats->pages.Add();
  PageRecord& page = stats->pages[index];
  page.Path = stats->texts.Copy(path);
  page.PathSize = SizeOf(path);
  page.Hits = 1;
  page.Next = stats->PageList;
  stats->PageList = index;
  stats->page_index.Insert(hash, index);
  return index;
}

namespace {

RecordIndex FindOrAddUser(Statistics* stats, std::string_view address,
                          std::uint64_t hash) {
  RecordIndex found = stats->user_index.Find(hash, [&](RecordIndex i) {
    const UserRecord& user = stats->users[i];
    return EqualBytes(user.Address, user.AddressSize, address);
  });
  if (found != kNoRecord) return found;

  RecordIndex index = stats->users.Add();
  UserRecord& user = stats->users[index];
  user.Address = stats->texts.Copy(address);
  user.AddressSize = SizeOf(address);
  user.Next = stats->UserList;
  stats->UserList = index;
  stats->user_index.Insert(hash, index);
  ++stats->totals.UserCount;
  return index;
}

// A user's first hit opens a session, and so does a hit more than
// SessionSpan seconds after the start of the user's current session;
// earlier hits join the current one.
bool OpensSession(const UserRecord& user, TimeStamp t) {
  if (user.Sessions == 0) return true;
  return std::int64_t{t} - SessionSpan > user.SessionStart;
}

}  // namespace

void RecordHit(Statistics* stats, const HitInput& hit) {
  const TimeStamp t = hit.time;

  // The period runs from the first counted hit to the last, in the order
  // the lines were read.
  RunTotals& totals = stats->totals;
  if (stats->UserList == kNoRecord) totals.PeriodStart = t;
  totals.PeriodEnd = t;

  UserRecord& user = stats->users[FindOrAddUser(stats, hit.address, hit.address_hash)];
  if (OpensSession(user, t)) {
    user.SessionStart = t;
    ++user.Sessions;
    ++totals.TotalSessions;
  }
  CountPage(stats, hit.path, hit.path_hash);

  ++user.Hits;
  user.Bytes += hit.bytes;
  totals.TotalBytes += hit.bytes;
  ++totals.TotalHits;
}

void ReleaseRecords(Statistics* stats) {
  stats->PageList = kNoRecord;
  stats->UserList = kNoRecord;
  stats->pages.Clear();
  stats->users.Clear();
  stats->texts.Clear();
  stats->user_index.Clear();
  stats->page_index.Clear();
}
