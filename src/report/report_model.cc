#include "report/report_model.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <tuple>

#include "options.h"
#include "platform/local_time.h"
#include "stats/ranking.h"
#include "texts.h"

std::optional<std::string> IsoLocalTime(std::int64_t t) {
  std::tm local;
  if (t < 0 || !ToLocalTime(t, &local)) return std::nullopt;
  const long offset = SecondsEastOf(local, t);
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char text[64];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
  return std::string(text);
}

namespace {

std::vector<DayRow> DayRows(const Statistics& stats, const LocalTraffic& traffic,
                            const HealthPanels& health) {
  std::map<std::tuple<int, int, int>, DayRow> days;
  auto row = [&](int year, int month, int day) -> DayRow& {
    DayRow& found = days[{year, month, day}];
    found.year = year;
    found.month = month;
    found.day = day;
    return found;
  };
  for (const DayHits& day : traffic.days) row(day.year, day.month, day.day).page_hits = day.hits;
  for (const DayRequests& day : health.days) {
    DayRow& counts = row(day.year, day.month, day.day);
    counts.requests = day.requests;
    counts.bytes = day.bytes;
    counts.errors = day.errors;
  }
  // A user's hits all sit in one shard: the shards' users add up.
  for (const RecordShard& shard : stats.shards) {
    for (const auto& [number, tally] : shard.days.days) {
      const auto [year, month, day] = CivilFromDays(number);
      DayRow& counts = row(year, month, day);
      counts.users += tally.users;
      counts.sessions += tally.sessions;
    }
  }
  std::vector<DayRow> rows;
  rows.reserve(days.size());
  for (const auto& [date, day] : days) rows.push_back(day);
  return rows;
}

}  // namespace

ReportModel BuildReportModel(const Options& options, const Statistics& stats,
                             const ReadSummary& summary) {
  ReportModel model;
  model.summary = summary;
  model.norwegian = options.Norwegian;
  model.customer = options.CustomerName != nullptr ? options.CustomerName : "";
  model.customer_given = options.CustomerName != nullptr &&
                         options.CustomerName != texts::kDefaultCustomerEnglish &&
                         options.CustomerName != texts::kDefaultCustomerNorwegian;
  model.root_path = options.RootPath;
  model.exclude_ip = options.ExcludeIP;
  model.server_ip = options.ServerIP;
  model.exclude_pattern = options.ExcludePattern;
  model.range_from = options.range_from_text;
  model.range_to = options.range_to_text;
  model.client_field = options.client_field;
  model.trusted_proxies = options.trusted_proxies;
  model.sites = options.sites;
  model.own_hosts = options.own_hosts;
  model.exclude_robots = options.exclude_robots;
  model.seconds_west = options.seconds_west;
  model.totals = stats.totals;
  model.pages_to_show = options.NumPagesToShow;
  model.users_to_show = options.NumUsersToShow;

  const std::vector<RecordIndex> pages = TopPages(stats, options.NumPagesToShow);
  model.pages.reserve(pages.size());
  for (RecordIndex i : pages) {
    const PageRecord& page = stats.pages[i];
    model.pages.push_back({{page.Path, page.PathSize}, page.Hits});
  }
  const std::vector<RecordIndex> users = TopUsers(stats, options.NumUsersToShow);
  model.users.reserve(users.size());
  for (RecordIndex i : users) {
    const UserRecord& user = stats.users[i];
    UserRow& row = model.users.emplace_back();
    row.address = {user.Address(), user.AddressSize};
    if (const auto host = stats.host_names.find(i); host != stats.host_names.end()) {
      row.host = host->second;
    }
    row.hits = user.Hits;
  }

  model.bytes_sent = stats.traffic.bytes;
  model.statuses = StatusRows(stats.traffic);
  model.traffic = ByLocalTime(stats.traffic, options.seconds_west);
  if (options.gather_traffic) {
    model.health = BuildHealthPanels(stats.requests, options.seconds_west);
    model.who = BuildWhoPanels(stats.requests);
    model.days = DayRows(stats, model.traffic, model.health);
  }
  return model;
}
