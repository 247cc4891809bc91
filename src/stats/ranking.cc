#include "stats/ranking.h"

#include <algorithm>
#include <vector>

#include "stats/records.h"

namespace {

// Orders one list by Hits, most first. A stable sort of the list as it
// stands keeps equal counts in their current order, newest first, which is
// exactly where inserting each record after every record with at least its
// count would put them.
template <typename Records>
void RankList(Records& records, RecordIndex* head) {
  // The counts sit beside the indexes, so that sorting reads no record.
  struct Entry {
    Count hits;
    RecordIndex index;
  };
  std::vector<Entry> order;
  order.reserve(records.size());
  for (RecordIndex i = *head; i != kNoRecord; i = records[i].Next) {
    order.push_back({records[i].Hits, i});
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Entry& a, const Entry& b) { return a.hits > b.hits; });
  RecordIndex next = kNoRecord;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    records[it->index].Next = next;
    next = it->index;
  }
  *head = next;
}

}  // namespace

void RankByHits(Statistics* stats) {
  RankList(stats->pages, &stats->PageList);
  RankList(stats->users, &stats->UserList);
}
