// Ranking: both lists ordered by hits, most first; among equal counts the
// order the list had before (newest first) is kept.
#pragma once

struct Statistics;

void RankByHits(Statistics* stats);
