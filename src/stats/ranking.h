// Ranking: both lists made in order of hits, most first; among equal
// counts the record first seen later comes first.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/storage.h"

struct Statistics;

/// Links every page and every user onto its list, in rank order.
void RankByHits(Statistics* stats);

/// The first `count` records of a ranked list, in rank order: all of them
/// when the list is shorter, none when `count` is 0 or less.
std::vector<RecordIndex> TopUsers(const Statistics& stats, std::int64_t count);
std::vector<RecordIndex> TopPages(const Statistics& stats, std::int64_t count);
