#include "stats/records.h"

#include <cstring>

namespace {

inline std::uint64_t Load(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  std::memcpy(&v, p, n);
  return v;
}

// Lower-cases the ASCII letters of eight bytes at once.
inline std::uint64_t FoldWord(std::uint64_t v) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t low7 = v & (0x7F * kOnes);
  const std::uint64_t at_least_a = low7 + (0x80 - 'A') * kOnes;
  const std::uint64_t past_z = low7 + (0x80 - 'Z' - 1) * kOnes;
  const std::uint64_t upper = at_least_a & ~past_z & ~v & (0x80 * kOnes);
  return v | (upper >> 2);
}

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h = (h ^ v) * 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 31);
}

inline std::uint64_t Finish(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0x94D049BB133111EBULL;
  return h ^ (h >> 29);
}

// With kFold, every byte gets the 0x20 bit set first: that maps each
// capital letter onto its small one (and a few other bytes onto each
// other, which costs a comparison now and then, never a wrong answer).
template <bool kFold>
std::uint64_t Hash(std::string_view text) {
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
  const char* p = text.data();
  std::size_t n = text.size();
  std::uint64_t h = 0x243F6A8885A308D3ULL ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t v = Load(p, 8);
    h = Mix(h, kFold ? v | kCaseBits : v);
  }
  if (n != 0) {
    std::uint64_t v = Load(p, n);
    h = Mix(h, kFold ? v | kCaseBits : v);
  }
  return Finish(h);
}

bool EqualBytes(const char* stored, std::uint32_t stored_size, std::string_view text) {
  return stored_size == text.size() && std::memcmp(stored, text.data(), text.size()) == 0;
}

std::uint32_t SizeOf(std::string_view text) {
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace

std::uint64_t HashBytes(std::string_view text) { return Hash<false>(text); }
std::uint64_t HashFoldedBytes(std::string_view text) { return Hash<true>(text); }

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    if (FoldWord(Load(a.data() + i, 8)) != FoldWord(Load(b.data() + i, 8))) return false;
  }
  std::size_t rest = a.size() - i;
  return rest == 0 ||
         FoldWord(Load(a.data() + i, rest)) == FoldWord(Load(b.data() + i, rest));
}

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
