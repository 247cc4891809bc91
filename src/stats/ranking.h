// Ranking: both lists made in order of hits, most first; among equal
// counts the record first seen later comes first.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/storage.h"

struct Statistics;

/// Links the first `pages` pages and the first `users` users onto their
/// lists, in rank order (every record by default); the rest are on neither.
void RankByHits(Statistics* stats, std::int64_t pages = INT64_MAX,
                std::int64_t users = INT64_MAX);

/// The first `count` records of a ranked list, in rank order: all of them
/// when the list is shorter, none when `count` is 0 or less.
std::vector<RecordIndex> TopUsers(const Statistics& stats, std::int64_t count);
std::vector<RecordIndex> TopPages(const Statistics& stats, std::int64_t count);
