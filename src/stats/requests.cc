#include "stats/requests.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <tuple>

#include "bytes/hash.h"
#include "bytes/same_bytes.h"
#include "stats/traffic.h"

namespace {

constexpr double kGrowth = 1.02;

int ComputedBucket(std::int64_t ms) {
  if (ms < kExactTimes) return static_cast<int>(std::max<std::int64_t>(ms, 0));
  const double steps = std::log(static_cast<double>(ms) / kExactTimes) / std::log(kGrowth);
  return std::min(kTimeBuckets - 1, kExactTimes + static_cast<int>(steps));
}

// The buckets of the times most requests take (up to a minute and more),
// read from a table: a logarithm per request is most of a histogram's cost.
constexpr std::int64_t kTabledTimes = 1 << 16;

}  // namespace

int TimeBucket(std::int64_t ms) {
  static const std::vector<std::uint16_t> table = [] {
    std::vector<std::uint16_t> buckets(kTabledTimes);
    for (std::int64_t i = 0; i < kTabledTimes; ++i) {
      buckets[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(ComputedBucket(i));
    }
    return buckets;
  }();
  if (ms >= 0 && ms < kTabledTimes) return table[static_cast<std::size_t>(ms)];
  return ComputedBucket(ms);
}

std::int64_t BucketValue(int bucket) {
  if (bucket < kExactTimes) return bucket;
  const double low = kExactTimes * std::pow(kGrowth, bucket - kExactTimes);
  return static_cast<std::int64_t>(std::llround(low * std::sqrt(kGrowth)));
}

void TimeHistogram::Merge(const TimeHistogram& other) {
  if (other.total == 0) return;
  if (counts.empty()) counts.assign(kTimeBuckets, 0);
  for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += other.counts[i];
  total += other.total;
  max = std::max(max, other.max);
}

std::int64_t TimeHistogram::Quantile(double q) const {
  if (total == 0) return -1;
  // The smallest value with at least q of the values at or below it.
  const auto rank = static_cast<std::int64_t>(std::ceil(q * static_cast<double>(total)));
  std::int64_t seen = 0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    seen += counts[i];
    if (seen >= std::max<std::int64_t>(rank, 1)) {
      return std::min(BucketValue(static_cast<int>(i)), max);
    }
  }
  return max;
}

std::uint64_t PathTable::Hash(std::string_view path) const { return HashBytes(path, hash_seed_); }

PathRequests& PathTable::Row(std::string_view path, std::uint64_t hash) {
  RecordIndex index =
      index_.Find(hash, [&](RecordIndex i) { return SameText(rows_[i].path, path); });
  if (index != kNoRecord) return rows_[index];
  index = static_cast<RecordIndex>(rows_.size());
  PathRequests& row = rows_.emplace_back();
  row.path = {texts_.Copy(path), path.size()};
  index_.Insert(hash, index);
  return row;
}

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void AddRequests(Requests* requests, RequestBatch* batch) {
  // The path lookups wait on memory, three loads in turn: the index slot,
  // the row it names, the row's path. Hash them all first; while counting a
  // request, ask for the slot of one eight places ahead, the row of one
  // four ahead (its slot loaded by then) and the path of one two ahead.
  constexpr std::size_t kAhead = 8;
  std::vector<std::uint64_t>& hashes = batch->path_hashes;
  hashes.clear();
  // A page hit's client goes into its site's set of users, another table
  // that waits on memory: its key is found first too, and its slot asked
  // for four places ahead (in the set of the site of the request before,
  // which is nearly always the site).
  // An agent that the batch's cursor does not remember is looked up in the
  // agent table, which waits on memory too. A cursor of this pass, which
  // meets the agents in the same order, foresees which: their hashes are
  // found here, to load their slots ahead, and the others are not compared
  // again.
  AgentTable& agents = requests->audience.agents;
  std::array<std::string_view, AudienceCursor::kAgents> remembered;
  std::array<bool, AudienceCursor::kAgents> filled{};
  for (RequestInput& in : batch->requests) {
    hashes.push_back(requests->paths.Hash(in.path));
    if (in.who.page_hit) in.who.user_key = UserKey(in.who.client);
    if (in.who.agent_field) {
      const std::string_view text = in.who.agent.substr(0, kMaxAgentTextBytes);
      const std::size_t place = AudienceCursor::Place(text);
      in.who.agent_remembered = filled[place] && remembered[place] == text;
      if (!in.who.agent_remembered) {
        filled[place] = true;
        remembered[place] = text;
        in.who.agent_hash = agents.Hash(text);
      }
    }
  }
  // Most requests have the status and the quarter hour of the one before.
  using StatusKey = std::tuple<std::int64_t, std::int64_t, std::int64_t>;
  StatusKey last_status{-2, -2, -2};
  std::pair<std::int64_t, std::int64_t>* status_counts = nullptr;
  std::int32_t last_quarter = INT32_MIN;
  DateForm last_form = DateForm::kComma;
  QuarterRequests* quarter_counts = nullptr;
  AudienceCursor cursor;
  for (std::size_t i = 0; i < batch->requests.size(); ++i) {
    const RequestInput& in = batch->requests[i];
    // The agent's hash of a request ahead, or 0 when the cursor has it.
    const auto agent_ahead = [&](std::size_t j) { return batch->requests[i + j].who.agent_hash; };
    if (i + kAhead < hashes.size()) {
      requests->paths.Prefetch(hashes[i + kAhead]);
      if (agent_ahead(kAhead) != 0) agents.Prefetch(agent_ahead(kAhead));
    }
    if (i + kAhead / 2 < hashes.size()) {
      requests->paths.PrefetchRow(hashes[i + kAhead / 2]);
      if (agent_ahead(kAhead / 2) != 0) agents.PrefetchEntry(agent_ahead(kAhead / 2));
    }
    if (i + kAhead / 4 < hashes.size()) {
      requests->paths.PrefetchPath(hashes[i + kAhead / 4]);
      if (agent_ahead(kAhead / 4) != 0) agents.PrefetchText(agent_ahead(kAhead / 4));
    }
    if (i + kAhead / 2 < hashes.size() && cursor.site != nullptr) {
      const AudienceInput& ahead = batch->requests[i + kAhead / 2].who;
      if (ahead.page_hit) cursor.site->users.Prefetch(ahead.user_key);
    }
    ++requests->total;
    const StatusKey key{in.status, in.substatus, in.win32};
    if (key != last_status) {
      last_status = key;
      status_counts = &requests->statuses[key];
    }
    auto& status_row = *status_counts;
    ++status_row.first;
    if (in.page_hit) ++status_row.second;
    const bool error = IsErrorStatus(in.status);
    PathRequests& path = requests->paths.Row(in.path, hashes[i]);
    ++path.requests;
    // The time's bucket, for the run's histogram and its quarter hour's.
    const int bucket = in.time_taken >= 0 ? BucketOf(in.time_taken) : 0;
    if (in.time_taken >= 0) {
      requests->has_time = true;
      ++path.timed;
      AddSaturating(&path.time_total, in.time_taken);
      path.time_max = std::max(path.time_max, in.time_taken);
      requests->time.AddIn(bucket, in.time_taken);
    }
    if (in.bytes >= 0) {
      requests->has_bytes = true;
      AddSaturating(&path.bytes, in.bytes);
    }
    if (error) {
      auto status = std::find_if(path.errors.begin(), path.errors.end(),
                                 [&](const auto& e) { return e.first == in.status; });
      if (status == path.errors.end()) {
        path.errors.emplace_back(in.status, 1);
      } else {
        ++status->second;
      }
      auto client = requests->error_clients.find(in.client);
      if (client == requests->error_clients.end()) {
        client = requests->error_clients.emplace(std::string(in.client), 0).first;
      }
      ++client->second;
    }
    AddAudience(&requests->audience, in.who, &cursor);
    if (in.time < 0) continue;
    const auto form = static_cast<std::size_t>(in.form);
    const std::int32_t quarter = in.time / kQuarterHour;
    if (quarter != last_quarter || in.form != last_form || quarter_counts == nullptr) {
      last_quarter = quarter;
      last_form = in.form;
      quarter_counts = &requests->quarters[form][quarter];
    }
    QuarterRequests& q = *quarter_counts;
    ++q.requests;
    if (error) ++q.errors;
    if (in.bytes > 0) AddSaturating(&q.bytes, in.bytes);
    if (in.time_taken >= 0) {
      requests->time_by_quarter[form][static_cast<std::size_t>(quarter % 96)].AddIn(
          bucket, in.time_taken);
    }
  }
}

void MergeRequests(Requests* into, Requests&& from) {
  if (from.total == 0) return;
  into->total += from.total;
  into->has_time = into->has_time || from.has_time;
  into->has_bytes = into->has_bytes || from.has_bytes;
  for (const auto& [key, counts] : from.statuses) {
    auto& row = into->statuses[key];
    row.first += counts.first;
    row.second += counts.second;
  }
  if (into->paths.empty()) {
    into->paths = std::move(from.paths);
  } else {
    for (const PathRequests& counts : from.paths.rows()) {
      PathRequests& path = into->paths.Row(counts.path);
      path.requests += counts.requests;
      path.timed += counts.timed;
      AddSaturating(&path.time_total, counts.time_total);
      path.time_max = std::max(path.time_max, counts.time_max);
      AddSaturating(&path.bytes, counts.bytes);
      for (const std::pair<std::int64_t, std::int64_t>& error : counts.errors) {
        auto row = std::find_if(path.errors.begin(), path.errors.end(),
                                [&](const auto& e) { return e.first == error.first; });
        if (row == path.errors.end()) {
          path.errors.push_back(error);
        } else {
          row->second += error.second;
        }
      }
    }
  }
  for (const auto& [client, n] : from.error_clients) into->error_clients[client] += n;
  MergeAudience(&into->audience, std::move(from.audience));
  into->time.Merge(from.time);
  for (std::size_t form = 0; form < from.quarters.size(); ++form) {
    for (std::size_t quarter = 0; quarter < 96; ++quarter) {
      into->time_by_quarter[form][quarter].Merge(from.time_by_quarter[form][quarter]);
    }
    for (const auto& [quarter, counts] : from.quarters[form]) {
      QuarterRequests& q = into->quarters[form][quarter];
      q.requests += counts.requests;
      q.errors += counts.errors;
      AddSaturating(&q.bytes, counts.bytes);
    }
  }
}
