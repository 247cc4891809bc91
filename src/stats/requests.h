// Every request of the web service that passes the address, server and root
// filters, whatever its method and whether or not its path is a page: the
// health panels of the JSON report and the web page (statuses, errors, time
// taken, bytes). Gathered only when such a report is chosen. A chunk keeps
// its requests as views into its lines; the run's Requests copies what it
// keeps when the chunk is counted.
//
// Memory: the run keeps one PathRequests per distinct path (64 bytes and
// an index slot, its text on top, and 16 bytes for each error status it
// had, after a list of 24), one entry
// per distinct client that caused an error, one row per distinct status
// triple, and a few time histograms of kTimeBuckets counts each.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <functional>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "stats/audience.h"
#include "stats/hit_time.h"
#include "stats/index_table.h"
#include "stats/storage.h"

/// Time taken, in milliseconds, counted in buckets whose bounds grow by 2%
/// from 64 ms on (exact below): a percentile read as the middle of its
/// bucket is within 1% of the true value. Histograms add bucket by bucket.
inline constexpr int kExactTimes = 64;
inline constexpr int kTimeBuckets = kExactTimes + 1200;

int TimeBucket(std::int64_t ms);

/// The bucket of a time: most are short enough to be their own.
inline int BucketOf(std::int64_t ms) {
  return ms >= 0 && ms < kExactTimes ? static_cast<int>(ms) : TimeBucket(ms);
}

struct TimeHistogram {
  std::vector<std::int64_t> counts;  // empty until the first value
  std::int64_t total = 0;
  std::int64_t max = 0;

  void Add(std::int64_t ms) { AddIn(BucketOf(ms), ms); }
  /// The same, with `bucket` = BucketOf(ms) found before.
  void AddIn(int bucket, std::int64_t ms) {
    if (counts.empty()) [[unlikely]] counts.assign(kTimeBuckets, 0);
    ++counts[static_cast<std::size_t>(bucket)];
    ++total;
    max = std::max(max, ms);
  }
  void Merge(const TimeHistogram& other);
  /// The value at quantile q (0 < q <= 1), or -1 when empty.
  std::int64_t Quantile(double q) const;
};

/// The value a bucket stands for (its middle, never above its top).
std::int64_t BucketValue(int bucket);

/// A status field read as a number, or -1 when absent or not all digits.
/// Read four times a request, so read in place.
inline std::int64_t StatusNumber(std::string_view field) {
  const auto digit_at = [&](std::size_t i) -> std::int64_t {
    return static_cast<unsigned char>(field[i]) - '0';
  };
  const auto is_digit = [](std::int64_t d) { return static_cast<std::uint64_t>(d) <= 9; };
  // Statuses are one digit or three: those without a loop.
  if (field.size() == 1) return is_digit(digit_at(0)) ? digit_at(0) : -1;
  if (field.size() == 3) {
    const std::int64_t a = digit_at(0), b = digit_at(1), c = digit_at(2);
    return (is_digit(a) && is_digit(b) && is_digit(c)) ? a * 100 + b * 10 + c : -1;
  }
  if (field.empty() || field.size() > 12) return -1;
  std::int64_t value = 0;
  for (const char c : field) {
    const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
    if (digit > 9) return -1;
    value = value * 10 + digit;
  }
  return value;
}

/// One request of a chunk, its texts views into the chunk's lines.
struct RequestInput {
  std::string_view path;
  std::string_view client;
  std::int64_t status = -1;
  std::int64_t substatus = -1;
  std::int64_t win32 = -1;
  std::int64_t time_taken = -1;  // -1: the log has no such field
  std::int64_t bytes = -1;       // -1: the log has no such field
  TimeStamp time = 0;
  bool page_hit = false;  // also counted as a page hit
  DateForm form = DateForm::kComma;
  AudienceInput who;  // gathered with the rest
};

struct RequestBatch {
  std::vector<RequestInput> requests;
  std::vector<std::uint64_t> path_hashes;  // AddRequests' own
  void Clear() { requests.clear(); }
};

/// The error statuses of a path with their requests, in the order first
/// seen: a pointer wide, since most paths have none, so that a path's row
/// fills one cache line.
class ErrorCounts {
 public:
  using Entry = std::pair<std::int64_t, std::int64_t>;  // status, requests
  ErrorCounts() = default;
  ErrorCounts(const ErrorCounts& other)
      : list_(other.list_ ? std::make_unique<std::vector<Entry>>(*other.list_) : nullptr) {}
  ErrorCounts(ErrorCounts&&) = default;
  ErrorCounts& operator=(ErrorCounts&&) = default;

  const Entry* begin() const { return list_ ? list_->data() : nullptr; }
  const Entry* end() const { return list_ ? list_->data() + list_->size() : nullptr; }
  Entry* begin() { return list_ ? list_->data() : nullptr; }
  Entry* end() { return list_ ? list_->data() + list_->size() : nullptr; }
  std::size_t size() const { return list_ ? list_->size() : 0; }
  void push_back(const Entry& entry) { Made().push_back(entry); }
  void emplace_back(std::int64_t status, std::int64_t requests) {
    Made().emplace_back(status, requests);
  }

 private:
  std::vector<Entry>& Made() {
    if (!list_) list_ = std::make_unique<std::vector<Entry>>();
    return *list_;
  }
  std::unique_ptr<std::vector<Entry>> list_;
};

struct alignas(64) PathRequests {
  std::string_view path;  // in the Requests' own texts
  std::int64_t requests = 0;
  std::int64_t timed = 0;  // requests with a time taken
  std::int64_t time_total = 0;
  std::int64_t time_max = 0;
  std::int64_t bytes = 0;
  ErrorCounts errors;
};
static_assert(sizeof(PathRequests) == 64, "a path's row grew past a cache line");

/// Requests, errors (status 400 and above) and bytes of one UTC quarter hour.
struct QuarterRequests {
  std::int64_t requests = 0;
  std::int64_t errors = 0;
  std::int64_t bytes = 0;
};

/// The requests of distinct paths, exact bytes, found by a hash index.
class PathTable {
 public:
  explicit PathTable(std::uint64_t hash_seed = 0) : hash_seed_(hash_seed) {}
  PathTable(PathTable&&) = default;
  PathTable& operator=(PathTable&&) = default;

  /// The row of `path`, made (with no requests) if there is none.
  PathRequests& Row(std::string_view path) { return Row(path, Hash(path)); }
  /// The same, with `hash` = Hash(path) computed before.
  PathRequests& Row(std::string_view path, std::uint64_t hash);
  std::uint64_t Hash(std::string_view path) const;
  /// Starts loading where a lookup of `hash` begins.
  void Prefetch(std::uint64_t hash) const { index_.Prefetch(hash); }
  /// Once Prefetch(hash) has loaded the slot: starts loading the row.
  void PrefetchRow(std::uint64_t hash) const {
    const RecordIndex i = index_.Candidate(hash);
    if (i != kNoRecord) __builtin_prefetch(&rows_[i]);
  }
  /// Once PrefetchRow(hash) has loaded the row: starts loading its path.
  void PrefetchPath(std::uint64_t hash) const {
    const RecordIndex i = index_.Candidate(hash);
    if (i != kNoRecord) __builtin_prefetch(rows_[i].path.data());
  }
  const std::vector<PathRequests>& rows() const { return rows_; }
  std::vector<PathRequests>& rows() { return rows_; }
  bool empty() const { return rows_.empty(); }

 private:
  std::uint64_t hash_seed_;
  std::vector<PathRequests> rows_;
  IndexTable index_;
  TextArena texts_;
};

struct Requests {
  /// `hash_seed` keys the hash of paths (the statistics' own, against
  /// texts made to collide).
  explicit Requests(std::uint64_t hash_seed = 0) : paths(hash_seed), audience(hash_seed) {}
  std::int64_t total = 0;
  bool has_time = false;   // some request had a time taken
  bool has_bytes = false;  // some request had a bytes field
  /// (status, substatus, win32) -> requests and page hits; -1 where the
  /// log has none.
  std::map<std::tuple<std::int64_t, std::int64_t, std::int64_t>,
           std::pair<std::int64_t, std::int64_t>>
      statuses;
  PathTable paths;
  TextMap<std::int64_t> error_clients;
  TimeHistogram time;
  /// By the form the times were read in and the UTC quarter of the day.
  std::array<std::array<TimeHistogram, 96>, 2> time_by_quarter;
  std::array<std::map<std::int32_t, QuarterRequests>, 2> quarters;
  Audience audience;
};

inline bool IsErrorStatus(std::int64_t status) { return status >= 400 && status <= 599; }

/// Adds a chunk's requests to a worker's or the run's.
void AddRequests(Requests* requests, RequestBatch* batch);
/// Adds `from` (a worker's requests) to `into`; the outcome is the same
/// whatever order the parts are added in.
void MergeRequests(Requests* into, Requests&& from);
