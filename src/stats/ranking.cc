#include "stats/ranking.h"

#include <algorithm>

#include "stats/records.h"

namespace {

// The order of a list: most Hits first, and equal counts by the moment
// they were first seen, newest first. No two records of a kind share a
// stamp, so the order is whole: it does not depend on the shard a record
// sits in, nor on the order of sorting.
struct RankKey {
  Count hits;
  FirstSeen seen;
  RecordIndex index;
};

bool RanksBefore(const RankKey& a, const RankKey& b) {
  return a.hits != b.hits ? a.hits > b.hits : a.seen > b.seen;
}

// Links the first `wanted` records of one kind in rank order (all of them
// when there are fewer). A report shows a few records of lists that can
// hold millions: one pass keeps the best so far in a heap whose top is the
// worst of them, so most records cost one comparison, read in place.
template <typename Record>
void RankList(ShardedRecords<Record>& records, std::int64_t wanted, RecordIndex* head) {
  const std::size_t kept =
      wanted <= 0 ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(
                            static_cast<std::uint64_t>(wanted), records.size()));
  std::vector<RankKey> best;
  best.reserve(kept);
  if (kept != 0) {
    records.ForEach([&](RecordIndex i) {
      const Record& record = records[i];
      const RankKey key{record.Hits, record.first_seen, i};
      if (best.size() < kept) {
        best.push_back(key);
        std::push_heap(best.begin(), best.end(), RanksBefore);
      } else if (RanksBefore(key, best.front())) {
        std::pop_heap(best.begin(), best.end(), RanksBefore);
        best.back() = key;
        std::push_heap(best.begin(), best.end(), RanksBefore);
      }
    });
  }
  std::sort_heap(best.begin(), best.end(), RanksBefore);
  RecordIndex next = kNoRecord;
  for (auto it = best.rbegin(); it != best.rend(); ++it) {
    records[it->index].Next = next;
    next = it->index;
  }
  *head = next;
}

template <typename Record>
std::vector<RecordIndex> Top(const ShardedRecords<Record>& records, RecordIndex head,
                             std::int64_t count) {
  std::vector<RecordIndex> top;
  for (RecordIndex i = head; i != kNoRecord && static_cast<std::int64_t>(top.size()) < count;
       i = records[i].Next) {
    top.push_back(i);
  }
  return top;
}

}  // namespace

void RankByHits(Statistics* stats, std::int64_t pages, std::int64_t users) {
  RankList(stats->pages, pages, &stats->PageList);
  RankList(stats->users, users, &stats->UserList);
}

std::vector<RecordIndex> TopUsers(const Statistics& stats, std::int64_t count) {
  return Top(stats.users, stats.UserList, count);
}

std::vector<RecordIndex> TopPages(const Statistics& stats, std::int64_t count) {
  return Top(stats.pages, stats.PageList, count);
}
