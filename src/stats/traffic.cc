#include "stats/traffic.h"

#include <ctime>
#include <tuple>

#include "platform/local_time.h"

namespace {

// The value of a three-digit text, or -1.
int ThreeDigitValue(std::string_view text) {
  if (text.size() != 3) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

void TrafficBatch::Add(TimeStamp t, std::string_view status) {
  ++hits;
  if (status.data() == nullptr) {
    ++no_status;
  } else if (const int code = ThreeDigitValue(status); code >= 0) {
    ++three_digit[static_cast<std::size_t>(code)];
  } else {
    other_status.push_back(status);
  }

  if (t < 0) {
    ++undated;
    return;
  }
  // Lines come in time order, so a run of them shares a quarter hour.
  const std::int32_t quarter = t / kQuarterHour;
  if (!quarters.empty() && quarters.back().first == quarter) {
    ++quarters.back().second;
  } else {
    quarters.emplace_back(quarter, 1);
  }
}

void TrafficBatch::Clear() {
  if (hits == 0) return;
  hits = 0;
  three_digit.fill(0);
  other_status.clear();
  no_status = 0;
  quarters.clear();
  undated = 0;
}

void AddTraffic(Traffic* traffic, const TrafficBatch& batch) {
  if (batch.hits == 0) return;
  for (std::size_t code = 0; code < batch.three_digit.size(); ++code) {
    traffic->three_digit[code] += batch.three_digit[code];
  }
  for (std::string_view text : batch.other_status) {
    auto found = traffic->other_status.find(text);
    if (found == traffic->other_status.end()) {
      found = traffic->other_status.emplace(std::string(text), 0).first;
    }
    ++found->second;
  }
  traffic->no_status += batch.no_status;
  for (const auto& [quarter, hits] : batch.quarters) traffic->quarters[quarter] += hits;
  traffic->undated += batch.undated;
}

std::vector<StatusHits> StatusRows(const Traffic& traffic) {
  std::map<std::string, std::int64_t, std::less<>> by_text = traffic.other_status;
  for (std::size_t code = 0; code < traffic.three_digit.size(); ++code) {
    if (traffic.three_digit[code] == 0) continue;
    const char text[3] = {static_cast<char>('0' + code / 100),
                          static_cast<char>('0' + code / 10 % 10),
                          static_cast<char>('0' + code % 10)};
    by_text[std::string(text, 3)] += traffic.three_digit[code];
  }
  std::vector<StatusHits> rows;
  rows.reserve(by_text.size() + 1);
  for (const auto& [text, hits] : by_text) rows.push_back({true, text, hits});
  if (traffic.no_status != 0) rows.push_back({false, std::string(), traffic.no_status});
  return rows;
}

LocalTraffic ByLocalTime(const Traffic& traffic) {
  LocalTraffic local;
  local.undated = traffic.undated;
  std::map<std::tuple<int, int, int>, std::int64_t> days;
  for (const auto& [quarter, hits] : traffic.quarters) {
    std::tm tm;
    if (!ToLocalTime(std::int64_t{quarter} * kQuarterHour, &tm)) {
      local.undated += hits;
      continue;
    }
    days[{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}] += hits;
    local.hours[static_cast<std::size_t>(tm.tm_hour) % 24] += hits;
  }
  local.days.reserve(days.size());
  for (const auto& [date, hits] : days) {
    local.days.push_back({std::get<0>(date), std::get<1>(date), std::get<2>(date), hits});
  }
  return local;
}
