#include "report/traffic_panels.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <tuple>

#include "platform/local_time.h"

namespace {

using Date = std::tuple<int, int, int>;


std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

std::tuple<int, int, int> CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const std::int64_t day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  const std::int64_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  const std::int64_t year = year_of_era + era * 400 + (month <= 2);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

std::vector<StatusHits> StatusRows(const Traffic& traffic) {
  std::vector<StatusHits> rows;
  for (std::size_t code = 0; code < traffic.three_digit.size(); ++code) {
    if (traffic.three_digit[code] == 0) continue;
    const char text[3] = {static_cast<char>('0' + code / 100),
                          static_cast<char>('0' + code / 10 % 10),
                          static_cast<char>('0' + code % 10)};
    rows.push_back({StatusHits::Kind::kCode, std::string(text, 3), traffic.three_digit[code], {}});
  }
  if (traffic.other_status != 0) {
    StatusHits& other = rows.emplace_back();
    other.kind = StatusHits::Kind::kOther;
    other.hits = traffic.other_status;
    for (const auto& [text, hits] : traffic.other_named) other.named.push_back({text, hits});
    // The map is in byte order, so a stable sort leaves ties in it.
    std::stable_sort(other.named.begin(), other.named.end(),
                     [](const auto& a, const auto& b) { return a.hits > b.hits; });
    if (other.named.size() > kNamedStatusTexts) other.named.resize(kNamedStatusTexts);
  }
  if (traffic.no_status != 0) {
    rows.push_back({StatusHits::Kind::kAbsent, std::string(), traffic.no_status, {}});
  }
  return rows;
}

bool LocalSlotOf(DateForm form, std::int32_t quarter, long seconds_west, LocalSlot* slot) {
  if (form == DateForm::kW3c) {
    std::tm tm;
    if (!ToLocalTime(std::int64_t{quarter} * kQuarterHour, &tm)) return false;
    *slot = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour % 24};
    return true;
  }
  const std::int64_t clock = std::int64_t{quarter} * kQuarterHour - seconds_west;
  const std::int64_t day = FloorDiv(clock, 86400);
  const auto [year, month, mday] = CivilFromDays(day);
  *slot = {year, month, mday, static_cast<int>((clock - day * 86400) / 3600)};
  return true;
}

LocalTraffic ByLocalTime(const Traffic& traffic, long seconds_west) {
  LocalTraffic local;
  local.undated = traffic.undated;
  std::map<Date, std::int64_t> days;
  for (const auto& [quarter, hits] : traffic.quarters[static_cast<int>(DateForm::kW3c)]) {
    std::tm tm;
    if (!ToLocalTime(std::int64_t{quarter} * kQuarterHour, &tm)) {
      local.undated += hits;
      continue;
    }
    days[{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}] += hits;
    local.hours[static_cast<std::size_t>(tm.tm_hour) % 24] += hits;
  }
  for (const auto& [quarter, hits] : traffic.quarters[static_cast<int>(DateForm::kComma)]) {
    // The time as the log wrote it: its standard offset taken off again.
    const std::int64_t clock = std::int64_t{quarter} * kQuarterHour - seconds_west;
    const std::int64_t day = FloorDiv(clock, 86400);
    days[CivilFromDays(day)] += hits;
    local.hours[static_cast<std::size_t>((clock - day * 86400) / 3600)] += hits;
  }
  local.days.reserve(days.size());
  for (const auto& [date, hits] : days) {
    local.days.push_back({std::get<0>(date), std::get<1>(date), std::get<2>(date), hits});
  }
  return local;
}
