#include "stats/ranking.h"

#include <algorithm>

#include "stats/records.h"

namespace {

// Links every record of one kind by Hits, most first, and equal counts by
// the moment they were first seen, newest first. No two records of a kind
// share a stamp, so the order is whole: it does not depend on the shard a
// record sits in, nor on the order of sorting.
template <typename Record>
void RankList(ShardedRecords<Record>& records, RecordIndex* head) {
  std::vector<RecordIndex> order;
  order.reserve(records.size());
  records.ForEach([&](RecordIndex i) { order.push_back(i); });
  std::sort(order.begin(), order.end(), [&](RecordIndex a, RecordIndex b) {
    const Record& x = records[a];
    const Record& y = records[b];
    return x.Hits != y.Hits ? x.Hits > y.Hits : x.first_seen > y.first_seen;
  });
  RecordIndex next = kNoRecord;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    records[*it].Next = next;
    next = *it;
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

void RankByHits(Statistics* stats) {
  RankList(stats->pages, &stats->PageList);
  RankList(stats->users, &stats->UserList);
}

std::vector<RecordIndex> TopUsers(const Statistics& stats, std::int64_t count) {
  return Top(stats.users, stats.UserList, count);
}

std::vector<RecordIndex> TopPages(const Statistics& stats, std::int64_t count) {
  return Top(stats.pages, stats.PageList, count);
}
