// A whole run on a fuzzed log: ReadLogText with fuzzed options, then
// RankByHits, ResolveTopUsers with a fake resolver, WriteReport to memory and
// ReleaseRecords, with the invariants of the statistics checked on the way.
//
// Input: five bytes of settings (see below), the -s, -e, -p, -r and -c
// texts, each ended by NUL, then the log (NUL bytes included).
//
// Properties, after reading:
// - reading on one thread in large chunks and on two threads in small
//   chunks gives the same records, in the same order of first sight, the
//   same totals and diagnostics;
// - TotalHits = the users' Hits summed = the pages' Hits summed;
//   TotalSessions = the users' Sessions summed; TotalBytes = the users'
//   Bytes summed; UserCount = the users;
// - every user has at least one session and no more sessions than hits;
//   every page has a hit; a run without users has no period;
// - no two users have the same address, no two pages the same path with
//   ASCII case ignored; no two records of a kind were first seen at once;
// after ranking:
// - both lists hold every record once, by Hits descending, equal counts
//   first seen last first;
// after the lookup and the report:
// - at most NumUsersToShow lookups, each user's name that of its own
//   address; and the report opens with its title,
//   an underline as long as the title's bytes and the hit total;
// - the JSON report parses as strict UTF-8 JSON, with the hit total, and
//   its days, hours and statuses add up to it; the web page is UTF-8;
// after the release:
// - nothing is left.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "intake/log_file.h"
#include "platform/resolver.h"
#include "bytes/utf8.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/lookup_pool.h"
#include "report/report.h"
#include "report/report_model.h"
#include "report/reverse_lookup.h"
#include "options.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "texts.h"

namespace {

std::FILE* g_diag = nullptr;  // for what the comparisons do not need

// Standard offsets in seconds west of UTC; the report's dates use TZ=UTC.
constexpr long kZones[] = {0, -3600, 18000, -19800};

// Names every address whose last byte is even; can refuse to start or
// grant a version other than 1.1. Lookups come from several threads.
class FakeResolver : public Resolver {
 public:
  explicit FakeResolver(int mode) : mode_(mode) {}

  int StartUp(std::uint16_t requested, std::uint16_t* granted) override {
    *granted = mode_ == 2 ? 0x0002 : requested;
    return mode_ == 1 ? 1 : 0;
  }
  void CleanUp() override { ++cleanups; }

  std::optional<std::string> NameOfIPv4(const std::array<std::uint8_t, 4>& address) override {
    ++lookups;
    if (address[3] % 2 != 0) return std::nullopt;
    return "host-" + std::to_string(address[0]) + "-" + std::to_string(address[3]) +
           ".example";
  }
  std::optional<std::string> NameOfIPv6(const std::array<std::uint8_t, 16>& address) override {
    ++lookups;
    if (address[15] % 2 != 0) return std::nullopt;
    return "v6-host.example";
  }

  std::atomic<int> lookups{0};
  int cleanups = 0;

 private:
  int mode_;
};

std::string Folded(const char* text, std::uint32_t size) {
  std::string folded(text, size);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

void CheckRecords(const Statistics& stats) {
  const RunTotals& totals = stats.totals;
  Count hits = 0;
  Count sessions = 0;
  Count bytes = 0;
  std::size_t users = 0;
  std::set<std::string> addresses;
  std::set<FirstSeen> stamps;
  stats.users.ForEach([&](RecordIndex u) {
    ++users;
    const UserRecord& user = stats.users[u];
    FUZZ_CHECK(addresses.emplace(user.Address(), user.AddressSize).second);
    FUZZ_CHECK(stamps.insert(user.first_seen).second);
    FUZZ_CHECK(user.Sessions >= 1 && user.Sessions <= user.Hits);
    FUZZ_CHECK(user.SessionStart != kRejectedDate);
    hits += user.Hits;
    sessions += user.Sessions;
    bytes += user.Bytes;
  });
  FUZZ_CHECK(users == stats.users.size());
  FUZZ_CHECK(static_cast<Count>(users) == totals.UserCount);
  FUZZ_CHECK(hits == totals.TotalHits);
  FUZZ_CHECK(sessions == totals.TotalSessions);
  FUZZ_CHECK(bytes == totals.TotalBytes);
  if (users == 0) FUZZ_CHECK(totals.PeriodStart == 0 && totals.PeriodEnd == 0);

  Count pages_hits = 0;
  std::size_t pages = 0;
  std::set<std::string> paths;
  stamps.clear();
  stats.pages.ForEach([&](RecordIndex p) {
    ++pages;
    const PageRecord& page = stats.pages[p];
    FUZZ_CHECK(paths.insert(Folded(page.Path, page.PathSize)).second);
    FUZZ_CHECK(stamps.insert(page.first_seen).second);
    FUZZ_CHECK(page.Hits >= 1);
    pages_hits += page.Hits;
  });
  FUZZ_CHECK(pages == stats.pages.size());
  FUZZ_CHECK(pages_hits == totals.TotalHits);
}

// Every record of a kind, first seen last first. The stamps themselves
// depend on the chunks; their order does not.
template <typename Records>
std::vector<RecordIndex> NewestFirst(const Records& records) {
  std::vector<RecordIndex> order;
  records.ForEach([&](RecordIndex i) { order.push_back(i); });
  std::sort(order.begin(), order.end(), [&](RecordIndex a, RecordIndex b) {
    return records[a].first_seen > records[b].first_seen;
  });
  return order;
}

// Every record and total, records newest first, as text: two reads of one
// log must give the same.
std::string Snapshot(const Statistics& stats) {
  std::string text;
  const RunTotals& totals = stats.totals;
  for (const Count value : {Count{totals.PeriodStart}, Count{totals.PeriodEnd},
                            totals.TotalHits, totals.TotalBytes, totals.TotalSessions,
                            totals.UserCount}) {
    text += std::to_string(value) + ' ';
  }
  text += '\n';
  for (RecordIndex p : NewestFirst(stats.pages)) {
    const PageRecord& page = stats.pages[p];
    text += "page " + std::string(page.Path, page.PathSize) + ' ' +
            std::to_string(page.Hits) + '\n';
  }
  for (RecordIndex u : NewestFirst(stats.users)) {
    const UserRecord& user = stats.users[u];
    text += "user " + std::string(user.Address(), user.AddressSize) + ' ' +
            std::to_string(user.Hits) + ' ' + std::to_string(user.Sessions) + ' ' +
            std::to_string(user.Bytes) + ' ' + std::to_string(user.SessionStart) + '\n';
  }
  return text;
}

// Reads the log into `stats`; returns the diagnostics written.
std::string Read(const Options& options, std::string_view log, const ReadTuning& tuning,
                 Statistics* stats) {
  char* diag_data = nullptr;
  std::size_t diag_size = 0;
  std::FILE* diag = open_memstream(&diag_data, &diag_size);
  FUZZ_CHECK(diag != nullptr);
  ReadLogText(options, stats, diag, log, tuning);
  std::fclose(diag);
  std::string text(diag_data, diag_size);
  std::free(diag_data);
  return text;
}

// Descending by Hits; among equal counts the record first seen later
// first.
template <typename Records>
void CheckRanked(const Records& records, RecordIndex head) {
  std::size_t seen = 0;
  for (RecordIndex i = head; i != kNoRecord; i = records[i].Next) {
    ++seen;
    FUZZ_CHECK(seen <= records.size());
    const RecordIndex next = records[i].Next;
    if (next == kNoRecord) break;
    FUZZ_CHECK(records[i].Hits >= records[next].Hits);
    if (records[i].Hits == records[next].Hits) {
      FUZZ_CHECK(records[i].first_seen > records[next].first_seen);
    }
  }
  FUZZ_CHECK(seen == records.size());
}

void CheckReport(const std::string& report, const Options& options,
                 const Statistics& stats) {
  const texts::ReportTexts& text = options.Norwegian ? texts::kNorwegian : texts::kEnglish;
  char start[32];
  char end[32];
  FormatReportDate(stats.totals.PeriodStart, start);
  FormatReportDate(stats.totals.PeriodEnd, end);
  std::string expected(std::strlen(options.CustomerName) + 256, '\0');
  const int title = std::snprintf(expected.data(), expected.size(), text.title,
                                  options.CustomerName, start, end);
  FUZZ_CHECK(title > 0 && static_cast<std::size_t>(title) < expected.size());
  expected.resize(static_cast<std::size_t>(title));
  expected.append(static_cast<std::size_t>(title) - 1, '-');
  char hits[64];
  std::snprintf(hits, sizeof(hits), text.hits_total, stats.totals.TotalHits);
  expected += hits;
  FUZZ_CHECK(report.compare(0, expected.size(), expected) == 0);
}

// The JSON report and the web page of ranked, resolved statistics.
void CheckOtherFormats(const Options& options, const Statistics& stats) {
  const ReportModel model = BuildReportModel(options, stats, ReadSummary());
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&data, &size);
  FUZZ_CHECK(out != nullptr);
  WriteJsonReport(model, out);
  std::fclose(out);
  const nlohmann::json report = nlohmann::json::parse(std::string_view(data, size), nullptr, false);
  std::free(data);
  FUZZ_CHECK(!report.is_discarded());
  const std::int64_t hits = report["totals"]["hits"];
  FUZZ_CHECK(hits == stats.totals.TotalHits);
  std::int64_t days = 0;
  std::int64_t undated = 0;
  std::int64_t day_sessions = 0;
  for (const auto& day : report["days"]) {
    days += day["page_hits"].get<std::int64_t>();
    if (day["date"].is_null()) {
      undated += day["page_hits"].get<std::int64_t>();
    } else {
      day_sessions += day["sessions"].get<std::int64_t>();
    }
  }
  FUZZ_CHECK(day_sessions <= stats.totals.TotalSessions);
  std::int64_t hours = 0;
  for (const auto& hour : report["hours"]) hours += hour["page_hits"].get<std::int64_t>();
  std::int64_t statuses = 0;
  for (const auto& status : report["page_hit_statuses"]) {
    statuses += status["hits"].get<std::int64_t>();
  }
  // Every page hit is a request too.
  std::int64_t requests = 0;
  std::int64_t request_hits = 0;
  for (const auto& status : report["statuses"]) {
    requests += status["requests"].get<std::int64_t>();
    request_hits += status["page_hits"].get<std::int64_t>();
  }
  FUZZ_CHECK(requests == report["requests"]["total"].get<std::int64_t>());
  FUZZ_CHECK(request_hits == hits && requests >= request_hits);
  FUZZ_CHECK(days == hits && hours + undated == hits && statuses == hits);

  out = open_memstream(&data, &size);
  FUZZ_CHECK(out != nullptr);
  WriteHtmlReport(model, out);
  std::fclose(out);
  FUZZ_CHECK(IsValidUtf8(std::string_view(data, size)));
  std::free(data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TZ", "UTC", 1);
  tzset();
  g_diag = std::fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  // Byte 1: -s, -e, -p given; -N; -v; -d6; the resolver's behaviour.
  const std::uint8_t flags = input.Byte();
  // Bytes 2 and 3: -n and -u, from -128 to 127.
  const auto pages_to_show = static_cast<std::int8_t>(input.Byte());
  const auto users_to_show = static_cast<std::int8_t>(input.Byte());
  // Byte 4: the zone.
  const long west = kZones[input.Byte() % (sizeof(kZones) / sizeof(kZones[0]))];
  // Byte 5: when odd, a second read on two threads, with chunks of this
  // many 256-byte steps.
  const std::uint8_t second_read = input.Byte();
  const std::string server_ip(input.Text());
  const std::string exclude_ip(input.Text());
  const std::string exclude_pattern(input.Text());
  const std::string root_path(input.Text());
  const std::string customer(input.Text());
  const std::string_view log = input.Rest();

  Options options;
  if (flags & 0x01) options.ServerIP = server_ip.c_str();
  if (flags & 0x02) options.ExcludeIP = exclude_ip.c_str();
  if (flags & 0x04) options.ExcludePattern = exclude_pattern.c_str();
  options.RootPath = root_path.c_str();
  options.CustomerName = customer.c_str();
  options.Norwegian = (flags & 0x08) != 0;
  options.Verbose = (flags & 0x10) != 0;
  options.DebugLevel = (flags & 0x20) != 0 ? 6 : 0;
  options.NumPagesToShow = pages_to_show;
  options.NumUsersToShow = users_to_show;
  options.gather_traffic = true;

  // One thread, the whole input in one chunk.
  ReadTuning serial;
  serial.threads = 1;
  serial.chunk_size = 1 << 16;
  options.seconds_west = west;
  Statistics stats;
  const std::string diagnostics = Read(options, log, serial, &stats);
  CheckRecords(stats);

  if (second_read % 2 != 0) {
    ReadTuning parallel;
    parallel.threads = 2 + second_read / 2 % 3;  // two to four
    parallel.chunk_size = 256 * std::size_t{second_read};
    Statistics again;
    FUZZ_CHECK(Read(options, log, parallel, &again) == diagnostics);
    FUZZ_CHECK(Snapshot(again) == Snapshot(stats));
    ReleaseRecords(&again);
  }

  RankByHits(&stats);
  CheckRanked(stats.pages, stats.PageList);
  CheckRanked(stats.users, stats.UserList);
  CheckRecords(stats);

  FakeResolver resolver(flags >> 6);
  ResolveTopUsers(options, &stats, &resolver, g_diag);
  FUZZ_CHECK(resolver.lookups <= (users_to_show > 0 ? users_to_show : 0));
  FUZZ_CHECK(static_cast<std::size_t>(resolver.lookups) <= stats.users.size());
  FUZZ_CHECK(resolver.cleanups <= 1);
  // Each user looked up has the name of its own address, whichever thread
  // asked for it; the others have none.
  const int mode = flags >> 6;
  FakeResolver names(0);
  std::int64_t row = 1;
  for (RecordIndex u = stats.UserList; u != kNoRecord; u = stats.users[u].Next, ++row) {
    const UserRecord& user = stats.users[u];
    std::optional<std::string> name;
    if ((mode == 0 || mode == 3) && row <= users_to_show) {
      name = LookUpAddress(&names, user.Address());
    }
    const auto host = stats.host_names.find(u);
    FUZZ_CHECK(name ? host != stats.host_names.end() && *name == host->second
                    : host == stats.host_names.end());
  }

  char* report_data = nullptr;
  std::size_t report_size = 0;
  std::FILE* report = open_memstream(&report_data, &report_size);
  FUZZ_CHECK(report != nullptr);
  WriteReport(BuildReportModel(options, stats, ReadSummary()), report);
  std::fclose(report);
  CheckReport(std::string(report_data, report_size), options, stats);
  std::free(report_data);
  CheckOtherFormats(options, stats);

  ReleaseRecords(&stats);
  FUZZ_CHECK(stats.UserList == kNoRecord && stats.PageList == kNoRecord);
  FUZZ_CHECK(stats.users.size() == 0 && stats.pages.size() == 0);
  return 0;
}
