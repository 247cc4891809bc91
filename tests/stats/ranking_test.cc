#include "stats/ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bytes/hash.h"
#include "stats/records.h"
#include "test_util.h"

namespace {

struct Case {
  const char* what;
  ListRows first_seen;  // names in order of first appearance, final hits
  ListRows ranked;
};

const Case kCases[] = {
    {"empty", {}, {}},
    {"single", {{"a", 4}}, {{"a", 4}}},
    {"worked example",
     {{"/a", 2}, {"/b", 2}, {"/c", 1}, {"/d", 3}},
     {{"/d", 3}, {"/b", 2}, {"/a", 2}, {"/c", 1}}},
    // Equal counts: the one first seen last comes first.
    {"all equal",
     {{"U1", 5}, {"U2", 5}, {"U3", 5}},
     {{"U3", 5}, {"U2", 5}, {"U1", 5}}},
    // Counts growing in order of appearance: newest first is descending.
    {"already descending",
     {{"a", 1}, {"b", 2}, {"c", 3}},
     {{"c", 3}, {"b", 2}, {"a", 1}}},
    {"ascending comes out reversed",
     {{"a", 3}, {"b", 2}, {"c", 1}},
     {{"a", 3}, {"b", 2}, {"c", 1}}},
    {"ties among others",
     {{"a", 1}, {"b", 3}, {"c", 1}, {"d", 3}, {"e", 2}, {"f", 1}},
     {{"d", 3}, {"b", 3}, {"e", 2}, {"f", 1}, {"c", 1}, {"a", 1}}},
};

TEST(RankingTest, Pages) {
  for (const Case& c : kCases) {
    Statistics stats;
    FirstSeen seen = 0;
    for (const auto& [path, hits] : c.first_seen) {
      for (Count i = 0; i < hits; ++i) {
        CountPagePart(&stats, path, HashFoldedBytes(path, stats.hash_seed), ++seen);
      }
    }
    RankByHits(&stats);
    EXPECT_EQ(c.ranked, PageRows(stats)) << c.what;
  }
}

TEST(RankingTest, Users) {
  for (const Case& c : kCases) {
    Statistics stats;
    for (const auto& [address, hits] : c.first_seen) {
      for (Count i = 0; i < hits; ++i) {
        RecordLine(&stats, address, "/x.htm", 10, "03/20/01", "10:00:00");
      }
    }
    const RunTotals before = stats.totals;
    RankByHits(&stats);
    EXPECT_EQ(c.ranked, UserRows(stats)) << c.what;
    EXPECT_EQ(before.TotalHits, stats.totals.TotalHits) << c.what;
    EXPECT_EQ(before.TotalSessions, stats.totals.TotalSessions) << c.what;
  }
}

// A report ranks only the records it shows: the heads must be the whole
// ranking's, whatever the limit.
TEST(RankingTest, OnlyTheHeads) {
  for (const Case& c : kCases) {
    for (const std::int64_t limit : {-1, 0, 1, 2, 3, 5, 100}) {
      Statistics stats;
      for (const auto& [name, hits] : c.first_seen) {
        for (Count i = 0; i < hits; ++i) {
          RecordLine(&stats, name, name, 10, "03/20/01", "10:00:00");
        }
      }
      RankByHits(&stats, limit, limit);
      const auto kept = static_cast<std::ptrdiff_t>(
          std::clamp<std::int64_t>(limit, 0, static_cast<std::int64_t>(c.ranked.size())));
      const ListRows heads(c.ranked.begin(), c.ranked.begin() + kept);
      ListRows pages;
      for (const RecordIndex i : TopPages(stats, 1000)) {
        pages.emplace_back(std::string(stats.pages[i].Path, stats.pages[i].PathSize), stats.pages[i].Hits);
      }
      ListRows users;
      for (const RecordIndex i : TopUsers(stats, 1000)) {
        users.emplace_back(std::string(stats.users[i].Address(), stats.users[i].AddressSize), stats.users[i].Hits);
      }
      EXPECT_EQ(heads, pages) << c.what << " " << limit;
      EXPECT_EQ(heads, users) << c.what << " " << limit;
    }
  }
}

}  // namespace
