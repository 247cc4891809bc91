// What the reports show, gathered once from the options and the ranked
// statistics after the lookups: the texts as the bytes they are (the
// customer name from the command line, paths and addresses from the logs,
// host names from the name service), the times as time stamps. Each writer
// turns them into its own character set: the text report writes the bytes
// as they are, JSON and the web page UTF-8. The texts are views of the
// options' and the statistics' own, each followed by a NUL byte, so the
// model is valid as long as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "read_summary.h"
#include "report/health_panels.h"
#include "report/traffic_panels.h"
#include "report/who_panels.h"
#include "stats/hit_time.h"
#include "stats/records.h"

struct Options;

struct PageRow {
  std::string_view path;
  std::int64_t hits = 0;
};

struct UserRow {
  std::string_view address;
  std::optional<std::string_view> host;  // when the reverse lookup found one
  std::int64_t hits = 0;
};

/// A local date and time in ISO 8601 with the zone's offset,
/// "2001-03-20T07:00:00+01:00", or nothing for a time without a local date
/// (negative, or beyond the platform's conversion), as the text report's
/// "[feil i datoformat]".
std::optional<std::string> IsoLocalTime(std::int64_t t);

/// One local day: its page hits, and the counts of the panels beyond the
/// text report: requests, distinct users, sessions opened, bytes, errors.
struct DayRow {
  int year = 0, month = 0, day = 0;
  std::int64_t page_hits = 0;
  std::int64_t requests = 0;
  std::int64_t users = 0;
  std::int64_t sessions = 0;
  std::int64_t bytes = 0;
  std::int64_t errors = 0;
};

struct ReportModel {
  bool norwegian = false;
  std::string_view customer;
  RunTotals totals;  // PeriodStart and PeriodEnd are the period's time stamps
  std::int32_t pages_to_show = 0;  // NumPagesToShow, as the options say
  std::int32_t users_to_show = 0;
  std::vector<PageRow> pages;  // in rank order, at most pages_to_show
  std::vector<UserRow> users;
  // Gathered only for the reports beyond the text.
  std::uint64_t bytes_sent = 0;
  std::vector<StatusHits> statuses;
  LocalTraffic traffic;
  HealthPanels health;  // every request's panels; likewise
  WhoPanels who;  // who is behind the requests; likewise
  std::vector<DayRow> days;  // every day with a hit or a request, in date order
  bool customer_given = false;  // -c was on the command line
  /// The filters that made the report, as given (nullptr: not given).
  const char* root_path = "";
  const char* exclude_ip = nullptr;
  const char* server_ip = nullptr;
  const char* exclude_pattern = nullptr;
  const char* range_from = nullptr;
  const char* range_to = nullptr;
  const char* client_field = nullptr;
  const char* trusted_proxies = nullptr;
  const char* sites = nullptr;
  const char* own_hosts = nullptr;
  bool exclude_robots = false;
  long seconds_west = 0;
  std::int64_t generated = 0;  // when the report was made
  ReadSummary summary;  // what was read and left out; its texts as given
};

/// Reads the model from ranked statistics whose top users are resolved,
/// and the summary of what was read.
ReportModel BuildReportModel(const Options& options, const Statistics& stats,
                             const ReadSummary& summary);
