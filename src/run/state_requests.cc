// The state's section of the panels beyond the text report: every request
// (statuses, paths, error clients, time histograms, quarter hours) and the
// users and sessions by day. Users are named by their place in the users
// section, since a user's record index depends on the run's hash seed.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "run/run.h"
#include "run/state_sections.h"

namespace {

void WriteHistogram(const TimeHistogram& histogram, StateWriter* out) {
  out->Signed(histogram.total);
  out->Signed(histogram.max);
  std::uint64_t used = 0;
  for (const std::int64_t n : histogram.counts) used += n != 0;
  out->Unsigned(used);
  for (std::size_t bucket = 0; bucket < histogram.counts.size(); ++bucket) {
    if (histogram.counts[bucket] == 0) continue;
    out->Unsigned(bucket);
    out->Signed(histogram.counts[bucket]);
  }
}

bool FitsInt32(std::int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

bool ReadHistogram(StateReader* in, TimeHistogram* histogram) {
  histogram->total = in->Signed();
  histogram->max = in->Signed();
  const std::uint64_t used = in->Count(2);
  if (used > kTimeBuckets || !IsCount(histogram->total) || !IsCount(histogram->max)) return false;
  if (used > 0) histogram->counts.assign(kTimeBuckets, 0);
  std::int64_t sum = 0;
  for (std::uint64_t i = 0; i < used && in->ok(); ++i) {
    const std::uint64_t bucket = in->Unsigned();
    const std::int64_t n = in->Signed();
    if (bucket >= kTimeBuckets || n <= 0 || n > histogram->total - sum) return false;
    histogram->counts[bucket] = n;
    sum += n;
  }
  return in->ok() && sum == histogram->total;
}

}  // namespace

void WriteRequests(const Run& run, StateWriter* out) {
  const Requests& r = run.stats.requests;
  out->Signed(r.total);
  out->Unsigned(r.has_time ? 1 : 0);
  out->Unsigned(r.has_bytes ? 1 : 0);
  out->Unsigned(r.statuses.size());
  for (const auto& [key, counts] : r.statuses) {
    out->Signed(std::get<0>(key));
    out->Signed(std::get<1>(key));
    out->Signed(std::get<2>(key));
    out->Signed(counts.first);
    out->Signed(counts.second);
  }
  out->Unsigned(r.paths.rows().size());
  for (const PathRequests& path : r.paths.rows()) {
    out->Text(path.path);
    out->Signed(path.requests);
    out->Signed(path.timed);
    out->Signed(path.time_total);
    out->Signed(path.time_max);
    out->Signed(path.bytes);
    out->Unsigned(path.errors.size());
    for (const auto& [status, n] : path.errors) {
      out->Signed(status);
      out->Signed(n);
    }
  }
  // Hash tables in a fixed order, so that a state taken and saved again is
  // the same bytes.
  std::vector<std::pair<std::string_view, std::int64_t>> clients(r.error_clients.begin(),
                                                                  r.error_clients.end());
  std::sort(clients.begin(), clients.end());
  out->Unsigned(clients.size());
  for (const auto& [client, n] : clients) {
    out->Text(client);
    out->Signed(n);
  }
  WriteHistogram(r.time, out);
  for (const auto& by_quarter : r.time_by_quarter) {
    for (const TimeHistogram& histogram : by_quarter) WriteHistogram(histogram, out);
  }
  for (const auto& quarters : r.quarters) {
    out->Unsigned(quarters.size());
    for (const auto& [quarter, counts] : quarters) {
      out->Signed(quarter);
      out->Signed(counts.requests);
      out->Signed(counts.errors);
      out->Signed(counts.bytes);
    }
  }

  // Users and sessions by day, and each user's days by its place in the
  // users section (the order of ForEach, as that section is written).
  const Statistics& stats = run.stats;
  std::unordered_map<RecordIndex, std::uint64_t> place;
  place.reserve(stats.users.size());
  std::uint64_t next = 0;
  stats.users.ForEach([&](RecordIndex i) { place[i] = next++; });
  // The shards' day tallies add up; they are saved as one.
  std::map<std::int32_t, DayTally> days;
  std::uint64_t pairs = 0;
  for (const RecordShard& shard : stats.shards) {
    for (const auto& [day, tally] : shard.days.days) {
      days[day].users += tally.users;
      days[day].sessions += tally.sessions;
    }
    pairs += shard.days.pair_count();
  }
  out->Unsigned(days.size());
  for (const auto& [day, tally] : days) {
    out->Signed(day);
    out->Signed(tally.users);
    out->Signed(tally.sessions);
  }
  std::vector<std::pair<std::uint64_t, std::int32_t>> user_days;
  user_days.reserve(pairs);
  for (const RecordShard& shard : stats.shards) {
    shard.days.ForEachPair([&](RecordIndex user, std::int32_t day) {
      user_days.emplace_back(place.at(user), day);
    });
  }
  std::sort(user_days.begin(), user_days.end());
  out->Unsigned(user_days.size());
  for (const auto& [user, day] : user_days) {
    out->Unsigned(user);
    out->Signed(day);
  }
}

bool ReadRequests(Run* run, StateReader* in) {
  Requests& r = run->stats.requests;
  r.total = in->Signed();
  r.has_time = in->Bool();
  r.has_bytes = in->Bool();
  const std::uint64_t statuses = in->Count(5);
  for (std::uint64_t i = 0; i < statuses && in->ok(); ++i) {
    const std::int64_t status = in->Signed();
    const std::int64_t substatus = in->Signed();
    const std::int64_t win32 = in->Signed();
    auto& counts = r.statuses[{status, substatus, win32}];
    counts.first = in->Signed();
    counts.second = in->Signed();
    if (!IsCount(counts.first) || !IsCount(counts.second)) return false;
  }
  if (!IsCount(r.total)) return false;
  const std::uint64_t paths = in->Count(7);
  for (std::uint64_t i = 0; i < paths && in->ok(); ++i) {
    const std::string_view text = in->Text();
    PathRequests& path = r.paths.Row(text);
    if (path.requests != 0) return false;  // a path twice
    path.requests = in->Signed();
    path.timed = in->Signed();
    path.time_total = in->Signed();
    path.time_max = in->Signed();
    path.bytes = in->Signed();
    const std::uint64_t errors = in->Count(2);
    for (std::uint64_t e = 0; e < errors && in->ok(); ++e) {
      const std::int64_t status = in->Signed();
      const std::int64_t n = in->Signed();
      if (!IsCount(n)) return false;
      path.errors.emplace_back(status, n);
    }
    if (path.requests <= 0 || !IsCount(path.requests) || !IsCount(path.timed) ||
        !IsCount(path.time_total) || !IsCount(path.time_max) || !IsCount(path.bytes)) {
      return false;
    }
  }
  const std::uint64_t clients = in->Count(2);
  for (std::uint64_t i = 0; i < clients && in->ok(); ++i) {
    const std::string_view client = in->Text();
    const std::int64_t n = in->Signed();
    if (!IsCount(n)) return false;
    r.error_clients[std::string(client)] = n;
  }
  if (!ReadHistogram(in, &r.time)) return false;
  for (auto& by_quarter : r.time_by_quarter) {
    for (TimeHistogram& histogram : by_quarter) {
      if (!ReadHistogram(in, &histogram)) return false;
    }
  }
  for (auto& quarters : r.quarters) {
    const std::uint64_t count = in->Count(4);
    for (std::uint64_t i = 0; i < count && in->ok(); ++i) {
      const std::int64_t quarter = in->Signed();
      if (!FitsInt32(quarter)) return false;
      QuarterRequests& counts = quarters[static_cast<std::int32_t>(quarter)];
      counts.requests = in->Signed();
      counts.errors = in->Signed();
      counts.bytes = in->Signed();
      if (!IsCount(counts.requests) || !IsCount(counts.errors) || !IsCount(counts.bytes)) {
        return false;
      }
    }
  }

  // The day tallies add over shards: they all go to the first.
  Statistics& stats = run->stats;
  const std::uint64_t days = in->Count(3);
  for (std::uint64_t i = 0; i < days && in->ok(); ++i) {
    const std::int64_t day = in->Signed();
    if (!FitsInt32(day)) return false;
    DayTally& tally = stats.shards[0].days.days[static_cast<std::int32_t>(day)];
    tally.users = in->Signed();
    tally.sessions = in->Signed();
    if (!IsCount(tally.users) || !IsCount(tally.sessions)) return false;
  }
  const std::vector<RecordIndex>& users = run->state.restored_users;
  const std::uint64_t pairs = in->Count(2);
  for (std::uint64_t i = 0; i < pairs && in->ok(); ++i) {
    const std::uint64_t place = in->Unsigned();
    const std::int64_t day = in->Signed();
    if (place >= users.size() || !FitsInt32(day)) return false;
    const RecordIndex index = users[place];
    const auto shard = static_cast<std::size_t>(index >> ShardedRecords<UserRecord>::kLocalBits);
    if (shard >= stats.shards.size()) return false;
    if (!stats.shards[shard].days.AddSavedPair(stats.hash_seed, index,
                                               static_cast<std::int32_t>(day))) {
      return false;
    }
  }
  return in->ok();
}
