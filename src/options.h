// The run-wide settings: what the command line says, and the zone the dates
// are read in. Texts point into the argument vector, which outlives the run;
// nullptr means absent.
#pragma once

#include <cstdint>

#include "bytes/field_text.h"

/// What the run writes after reading: the designed text report, or the same
/// numbers and more as one JSON object or one web page.
enum class ReportFormat { kText, kJson, kHtml };

struct Options {
  const char* RootPath = "";        // -r
  const char* ExcludeIP = nullptr;  // -e, comma list of masks
  const char* ServerIP = nullptr;   // -s, comma list of masks
  const char* ExcludePattern;       // -p, comma list of name patterns
  std::int32_t NumPagesToShow = 10;  // -n
  std::int32_t NumUsersToShow = 10;  // -u
  const char* CustomerName = nullptr;  // -c; defaulted after the arguments
  bool Norwegian = false;              // -N
  std::int32_t DebugLevel = 0;         // -d, 1 or more once given
  bool Verbose = false;                // -v
  ReportFormat Format = ReportFormat::kText;  // -f; acts after all arguments

  /// --from and --to: only hits at or after the first bound and before the
  /// second count, in seconds since 1970 UTC. A W3C line's time (UTC) is
  /// held to the bounds read as local time, summer time included, as the
  /// report shows dates; a comma line's time, written in local standard
  /// time, to the bounds read by that same rule, so that 08:00 in a comma
  /// log is 08:00 of the range. The texts as given, or nullptr when the
  /// bound is not set.
  std::int64_t range_from = INT64_MIN;
  std::int64_t range_to = INT64_MAX;
  std::int64_t comma_range_from = INT64_MIN;
  std::int64_t comma_range_to = INT64_MAX;
  const char* range_from_text = nullptr;
  const char* range_to_text = nullptr;

  /// --client: the W3C field that names the real client behind proxies
  /// (X-Forwarded-For), and --trusted-proxy: the proxies' masks, a comma
  /// list; nullptr when not given.
  const char* client_field = nullptr;
  const char* trusted_proxies = nullptr;

  /// --site: the sites whose lines count, a comma list of names (W3SVC1);
  /// nullptr: every site.
  const char* sites = nullptr;
  /// --own-host: the site's own host names, a comma list, whose referrers
  /// are no other site's; nullptr: only each line's cs-host.
  const char* own_hosts = nullptr;
  /// --robots=exclude: robots' lines count nowhere.
  bool exclude_robots = false;

  /// Whether reading gathers the hits by status and by time of day, which
  /// only the JSON and HTML reports show. Decided before the first file is
  /// read, from every -f of the command line.
  bool gather_traffic = false;

  /// argv[0] without everything up to its last backslash.
  const char* ProgramName = "vantrix";

  /// The local zone's standard offset, seconds west of UTC (as the C
  /// library's `timezone`): how comma-format dates, which are local
  /// standard time, become time stamps.
  long seconds_west = 0;

  /// How texts from logs, file names, host names and option values are
  /// shown in the messages on standard error: escaped when it is a
  /// terminal. The run knows; nothing below it asks the terminal.
  TextEscape message_escape = TextEscape::kNone;

  Options();
};
