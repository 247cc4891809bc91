// The panels over every request (not only page hits) that the JSON report
// and the web page show: statuses with their names, the paths and clients
// behind errors, time taken, bytes by path, and the days and hours of the
// log's clock. Read from the run's Requests; the path texts are views of
// its own and live as long as it does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stats/requests.h"

/// Rows of each list of paths or clients.
inline constexpr std::size_t kHealthRows = 10;
/// The slowest paths are ranked among those with at least this many requests.
inline constexpr std::int64_t kSlowestMinRequests = 10;

struct StatusRow {
  std::int64_t status = -1;  // -1: no status field, or not a number
  std::int64_t substatus = -1;
  std::int64_t win32 = -1;
  std::string name;
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
};

struct PathCount {
  std::int64_t status = 0;  // for the error paths
  std::string_view path;
  std::int64_t requests = 0;
  std::int64_t total = 0;  // time or bytes
  std::int64_t max = 0;
};

struct TimeSummary {
  std::int64_t requests = 0;  // with a time taken
  std::int64_t p50 = -1, p90 = -1, p95 = -1, p99 = -1, max = -1;
};

struct HourRequests {
  std::int64_t requests = 0;
  std::int64_t errors = 0;
  std::int64_t bytes = 0;
  TimeSummary time;
};

struct DayRequests {
  int year = 0, month = 0, day = 0;
  std::int64_t requests = 0;
  std::int64_t errors = 0;
  std::int64_t bytes = 0;
};

struct HealthPanels {
  std::int64_t requests = 0;
  bool has_time = false;
  bool has_bytes = false;
  std::int64_t bytes = 0;
  std::vector<StatusRow> statuses;  // by status, sub-status, Windows status
  std::vector<PathCount> error_paths;  // per 4xx and 5xx status, most requests first
  std::vector<std::pair<std::string_view, std::int64_t>> error_clients;
  TimeSummary time;
  std::vector<PathCount> time_paths;  // most total time first
  std::vector<PathCount> slowest_paths;  // highest mean first
  std::vector<PathCount> bytes_paths;  // most bytes first
  std::array<HourRequests, 24> hours;
  std::vector<DayRequests> days;  // in date order
};

TimeSummary Summarize(const TimeHistogram& histogram);

/// `seconds_west`: the zone's standard offset, the clock of comma logs.
HealthPanels BuildHealthPanels(const Requests& requests, long seconds_west);
