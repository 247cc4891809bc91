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
  std::vector<RecordIndex> order;
  order.reserve(records.size());
  for (RecordIndex i = *head; i != kNoRecord; i = records[i].Next) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](RecordIndex a, RecordIndex b) {
    return records[a].Hits > records[b].Hits;
  });
  RecordIndex next = kNoRecord;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    records[*it].Next = next;
    next = *it;
  }
  *head = next;
}

}  // namespace

void RankByHits(Statistics* stats) {
  RankList(stats->pages, &stats->PageList);
  RankList(stats->users, &stats->UserList);
}
