#include "report/health_panels.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "report/status_names.h"
#include "report/traffic_panels.h"

namespace {

// The first kHealthRows of `rows` by `before`, then in path order on ties.
template <typename Less>
void KeepTop(std::vector<PathCount>* rows, Less before) {
  auto order = [&](const PathCount& a, const PathCount& b) {
    if (before(a, b)) return true;
    if (before(b, a)) return false;
    return a.path < b.path;
  };
  const auto keep = std::min(rows->size(), kHealthRows);
  std::partial_sort(rows->begin(), rows->begin() + static_cast<std::ptrdiff_t>(keep), rows->end(),
                    order);
  rows->resize(keep);
}

}  // namespace

TimeSummary Summarize(const TimeHistogram& histogram) {
  TimeSummary summary;
  summary.requests = histogram.total;
  if (histogram.total == 0) return summary;
  summary.p50 = histogram.Quantile(0.50);
  summary.p90 = histogram.Quantile(0.90);
  summary.p95 = histogram.Quantile(0.95);
  summary.p99 = histogram.Quantile(0.99);
  summary.max = histogram.max;
  return summary;
}

HealthPanels BuildHealthPanels(const Requests& requests, long seconds_west) {
  HealthPanels panels;
  panels.requests = requests.total;
  panels.has_time = requests.has_time;
  panels.has_bytes = requests.has_bytes;
  for (const auto& [key, counts] : requests.statuses) {
    const auto [status, substatus, win32] = key;
    panels.statuses.push_back({status, substatus, win32, HttpStatusName(status, substatus, win32),
                               counts.first, counts.second});
  }

  std::map<std::int64_t, std::vector<PathCount>> by_status;
  std::vector<PathCount> timed, slow, sized;
  for (const PathRequests& counts : requests.paths.rows()) {
    const std::string_view path = counts.path;
    for (const auto& [status, n] : counts.errors) by_status[status].push_back({status, path, n, 0, 0});
    if (counts.timed > 0) {
      timed.push_back({0, path, counts.timed, counts.time_total, counts.time_max});
      if (counts.timed >= kSlowestMinRequests) slow.push_back(timed.back());
    }
    panels.bytes = panels.bytes > INT64_MAX - counts.bytes ? INT64_MAX : panels.bytes + counts.bytes;
    if (counts.bytes > 0) sized.push_back({0, path, counts.requests, counts.bytes, 0});
  }
  for (auto& [status, rows] : by_status) {
    KeepTop(&rows, [](const PathCount& a, const PathCount& b) { return a.requests > b.requests; });
    panels.error_paths.insert(panels.error_paths.end(), rows.begin(), rows.end());
  }
  KeepTop(&timed, [](const PathCount& a, const PathCount& b) { return a.total > b.total; });
  panels.time_paths = std::move(timed);
  KeepTop(&slow, [](const PathCount& a, const PathCount& b) {
    return static_cast<long double>(a.total) / static_cast<long double>(a.requests) >
           static_cast<long double>(b.total) / static_cast<long double>(b.requests);
  });
  panels.slowest_paths = std::move(slow);
  KeepTop(&sized, [](const PathCount& a, const PathCount& b) { return a.total > b.total; });
  panels.bytes_paths = std::move(sized);

  for (const auto& [client, n] : requests.error_clients) panels.error_clients.emplace_back(client, n);
  const auto keep = std::min(panels.error_clients.size(), kHealthRows);
  std::partial_sort(panels.error_clients.begin(),
                    panels.error_clients.begin() + static_cast<std::ptrdiff_t>(keep),
                    panels.error_clients.end(), [](const auto& a, const auto& b) {
                      return a.second != b.second ? a.second > b.second : a.first < b.first;
                    });
  panels.error_clients.resize(keep);

  panels.time = Summarize(requests.time);
  std::map<std::tuple<int, int, int>, DayRequests> days;
  for (int form = 0; form < 2; ++form) {
    for (const auto& [quarter, counts] : requests.quarters[static_cast<std::size_t>(form)]) {
      LocalSlot slot;
      if (!LocalSlotOf(static_cast<DateForm>(form), quarter, seconds_west, &slot)) continue;
      DayRequests& day = days[{slot.year, slot.month, slot.day}];
      auto add = [](std::int64_t a, std::int64_t b) { return a > INT64_MAX - b ? INT64_MAX : a + b; };
      day = {slot.year, slot.month, slot.day, day.requests + counts.requests,
             day.errors + counts.errors, add(day.bytes, counts.bytes)};
      HourRequests& hour = panels.hours[static_cast<std::size_t>(slot.hour)];
      hour.requests += counts.requests;
      hour.errors += counts.errors;
      hour.bytes = add(hour.bytes, counts.bytes);
    }
  }
  for (const auto& [date, day] : days) panels.days.push_back(day);

  // Time taken by hour: a quarter of the UTC day on the zone's standard clock.
  std::array<TimeHistogram, 24> hour_times;
  for (const auto& by_quarter : requests.time_by_quarter) {
    for (std::size_t quarter = 0; quarter < by_quarter.size(); ++quarter) {
      const long clock = static_cast<long>(quarter) * kQuarterHour - seconds_west;
      const long hour = ((clock / 3600) % 24 + 24) % 24;
      hour_times[static_cast<std::size_t>(hour)].Merge(by_quarter[quarter]);
    }
  }
  for (std::size_t hour = 0; hour < 24; ++hour) panels.hours[hour].time = Summarize(hour_times[hour]);
  return panels;
}
