// What the JSON and HTML reports show, gathered once from the options and
// the statistics: every text as UTF-8, the top lists as far as the options
// show them, the hits by status and by local day and hour. Owns copies of
// everything, so it may outlive the records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "read_summary.h"
#include "stats/hit_time.h"
#include "stats/records.h"
#include "stats/traffic.h"

struct Options;

struct PageRow {
  std::string path;
  std::int64_t hits = 0;
};

struct UserRow {
  std::string address;
  std::optional<std::string> host;  // when the reverse lookup found one
  std::int64_t hits = 0;
};

/// A local date and time in ISO 8601 with the zone's offset,
/// "2001-03-20T07:00:00+01:00", or nothing for a time without a local date
/// (negative, or beyond the platform's conversion), as the text report's
/// "[feil i datoformat]".
std::optional<std::string> IsoLocalTime(TimeStamp t);

struct ReportModel {
  bool norwegian = false;
  std::string customer;
  std::optional<std::string> period_start;  // IsoLocalTime of PeriodStart
  std::optional<std::string> period_end;
  RunTotals totals;
  std::int32_t pages_to_show = 0;  // NumPagesToShow, as the options say
  std::int32_t users_to_show = 0;
  std::vector<PageRow> pages;  // in rank order, at most pages_to_show
  std::vector<UserRow> users;
  std::vector<StatusHits> statuses;
  LocalTraffic traffic;
  ReadSummary summary;  // what was read and left out; its texts as given
};

/// Reads the model from ranked statistics whose top users are resolved,
/// and the summary of what was read.
ReportModel BuildReportModel(const Options& options, const Statistics& stats,
                             const ReadSummary& summary);
