// The JSON and HTML reports, from log lines read as a run reads them.
#include "report/formats.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <string>

#include "fakes.h"
#include "intake/log_file.h"
#include "read_summary.h"
#include "options.h"
#include "report/html_report.h"
#include "report/reverse_lookup.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "test_util.h"

namespace {

// Three lines in Oslo's time (comma-format times are local standard time),
// around the night the clocks went forward: 23:30 CET, then 02:30
// standard time, which is 03:30 summer time: the period shows that, the
// hour panel the log's own 02:30. 10.0.0.1 has a host name.
std::string Log() {
  std::vector<std::string> first = IisFields();
  first[0] = "10.0.0.1";
  first[2] = "03/24/01";
  first[3] = "23:30:00";
  first[13] = "/caf\xE9.htm";  // Windows-1252
  std::vector<std::string> second = first;
  second[3] = "23:40:00";
  second[10] = "404";
  std::vector<std::string> third = IisFields();
  third[0] = "<b>&amp;";
  third[2] = "03/25/01";
  third[3] = "2:30:00";
  third[9] = "7";
  third[10] = "-";
  third[13] = "/a\"b'\x01.htm";
  return IisLine(first) + IisLine(second) + IisLine(third);
}

std::string ReportOf(ReportFormat format, bool norwegian = false, int shown = 10) {
  ScopedTimeZone tz("Europe/Oslo");
  Options options;
  options.seconds_west = -3600;
  options.Format = format;
  options.gather_traffic = true;
  options.Norwegian = norwegian;
  options.CustomerName = "Acme & <Co>";
  options.NumPagesToShow = shown;
  options.NumUsersToShow = shown;
  Statistics stats;
  stats.totals.FilesProcessed = 1;
  CapturedStream diag;
  // One file read, one missing, a pattern without a match; a line that is
  // no GET besides the three.
  ReadSummary summary;
  LineCounts lines;
  ReadLogText(options, &stats, diag.file(), Log() + IisLineWith(12, "POST"), ReadTuning(), "a.log",
              &lines);
  NoteFileRead(&summary, "a.log", false, lines, false, false);
  summary.problem_files.push_back({"gone<1>.log", FileProblem::kMissing});
  summary.empty_patterns.emplace_back("x*.log");
  RankByHits(&stats);
  FakeResolver resolver;
  resolver.names["10.0.0.1"] = "one.example";
  ResolveTopUsers(options, &stats, &resolver, diag.file());
  CapturedStream out;
  WriteChosenReport(options, stats, summary, out.file(), ReportCharset::kWindows1252);
  return out.Text();
}

TEST(FormatsTest, JsonLayout) {
  EXPECT_EQ(nlohmann::ordered_json::parse(R"({
    "report": "vantrix",
    "version": 2,
    "program": {"name": "Vantrix", "version": "1.2"},
    "language": "en",
    "generated": "1970-01-01T01:00:00+01:00",
    "customer": "Acme & <Co>",
    "period": {"start": "2001-03-24T23:30:00+01:00", "end": "2001-03-25T03:30:00+02:00"},
    "totals": {"hits": 3, "sessions": 2, "users": 2, "bytes": 651, "files": 1},
    "requests": {"total": 4},
    "statuses": [{"status": null, "substatus": null, "win32": 0, "name": null, "requests": 1, "page_hits": 1}, {"status": 200, "substatus": null, "win32": 0, "name": "OK", "requests": 2, "page_hits": 1}, {"status": 404, "substatus": null, "win32": 0, "name": "Not Found", "requests": 1, "page_hits": 1}],
    "errors": {"requests": 1, "paths": [{"status": 404, "path": "/caf\u00e9.htm", "requests": 1}], "clients": [{"address": "10.0.0.1", "requests": 1}]},
    "time_taken": {
      "unit": "ms",
      "relative_error": "0.01",
      "requests": 4,
      "p50": 47,
      "p90": 47,
      "p95": 47,
      "p99": 47,
      "max": 47,
      "hours": [
        {"hour": 0, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 1, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 2, "requests": 1, "p50": 47, "p90": 47, "p95": 47, "p99": 47, "max": 47},
        {"hour": 3, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 4, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 5, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 6, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 7, "requests": 1, "p50": 47, "p90": 47, "p95": 47, "p99": 47, "max": 47},
        {"hour": 8, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 9, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 10, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 11, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 12, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 13, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 14, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 15, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 16, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 17, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 18, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 19, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 20, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 21, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 22, "requests": 0, "p50": null, "p90": null, "p95": null, "p99": null, "max": null},
        {"hour": 23, "requests": 2, "p50": 47, "p90": 47, "p95": 47, "p99": 47, "max": 47}],
      "paths": [{"path": "/caf\u00e9.htm", "requests": 2, "total": 94, "mean": 47, "max": 47}, {"path": "/a\"b'\u0001.htm", "requests": 1, "total": 47, "mean": 47, "max": 47}, {"path": "/index.htm", "requests": 1, "total": 47, "mean": 47, "max": 47}],
      "slowest": []},
    "bytes": {"total": 973, "paths": [{"path": "/caf\u00e9.htm", "requests": 2, "bytes": 644}, {"path": "/index.htm", "requests": 1, "bytes": 322}, {"path": "/a\"b'\u0001.htm", "requests": 1, "bytes": 7}]},
    "days": [{"date": "2001-03-20", "page_hits": 0, "requests": 1, "users": 0, "sessions": 0, "bytes": 322, "errors": 0}, {"date": "2001-03-24", "page_hits": 2, "requests": 2, "users": 1, "sessions": 1, "bytes": 644, "errors": 1}, {"date": "2001-03-25", "page_hits": 1, "requests": 1, "users": 1, "sessions": 1, "bytes": 7, "errors": 0}],
    "hours": [
      {"hour": 0, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 1, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 2, "page_hits": 1, "requests": 1, "bytes": 7, "errors": 0},
      {"hour": 3, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 4, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 5, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 6, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 7, "page_hits": 0, "requests": 1, "bytes": 322, "errors": 0},
      {"hour": 8, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 9, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 10, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 11, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 12, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 13, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 14, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 15, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 16, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 17, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 18, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 19, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 20, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 21, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 22, "page_hits": 0, "requests": 0, "bytes": 0, "errors": 0},
      {"hour": 23, "page_hits": 2, "requests": 2, "bytes": 644, "errors": 1}],
    "filters": {"root": "", "exclude_clients": null, "servers": null, "exclude_patterns": "*.gif,*.jpg", "from": null, "to": null, "standard_offset_minutes": 60,
                "client_field": null, "trusted_proxies": null, "sites": null, "own_hosts": null, "robots": "count"},
    "robots": null, "browsers": null, "systems": null, "referrers": null,
    "sites": [{"name": "W3SVC1", "requests": 4, "page_hits": 3, "users": 2, "bytes": 973, "errors": 1}],
    "page_hit_statuses": [{"status": "200", "hits": 1}, {"status": "404", "hits": 1}, {"status": null, "hits": 1}],
    "limits": {"pages": 10, "users": 10},
    "pages": [{"rank": 1, "path": "/caf\u00e9.htm", "hits": 2},
              {"rank": 2, "path": "/a\"b'\u0001.htm", "hits": 1}],
    "users": [{"rank": 1, "address": "10.0.0.1", "host": "one.example", "hits": 2},
              {"rank": 2, "address": "<b>&amp;", "host": null, "hits": 1}],
    "summary": {
      "files": {"comma": {"plain": 1, "compressed": 0}, "w3c": {"plain": 0, "compressed": 0},
                "problems": [{"path": "gone<1>.log", "problem": "missing"}],
                "patterns_without_match": ["x*.log"]},
      "lines": {"read": 4, "continuation": 0, "directives": 0, "counted": 3, "left_out": 1,
                "left_out_by_reason": {"incomplete": 0, "too_many_fields": 0, "wrong_service": 0,
                  "wrong_method": 1, "wrong_server_ip": 0, "wrong_root_path": 0,
                  "excluded_client_ip": 0, "excluded_pattern": 0, "missing_parameter": 0,
                  "too_long": 0, "bad_date": 0, "outside_range": 0}}}
  })").dump(2) + "\n",
            ReportOf(ReportFormat::kJson));
}

// The top lists stop where the options say; 0 leaves them empty.
TEST(FormatsTest, JsonLimits) {
  const auto one = nlohmann::json::parse(ReportOf(ReportFormat::kJson, true, 1));
  EXPECT_EQ("nb", one["language"]);
  EXPECT_EQ(1u, one["pages"].size());
  EXPECT_EQ(1u, one["users"].size());
  const auto none = nlohmann::json::parse(ReportOf(ReportFormat::kJson, false, 0));
  EXPECT_TRUE(none["pages"].empty());
  EXPECT_TRUE(none["users"].empty());
  EXPECT_EQ(0, none["limits"]["pages"]);
}

TEST(FormatsTest, HtmlText) {
  const struct {
    std::string_view text;
    std::string_view html;
  } cases[] = {
      {"/a<b>&c\"d'e", "/a&lt;b&gt;&amp;c&quot;d&#39;e"},
      {"\x01\t\x1B\x7F", "\xE2\x90\x81\xE2\x90\x89\xE2\x90\x9B\xE2\x90\xA1"},  // pictures
      {"x\xC2\x85y \xC2\xA0", "x\xEF\xBF\xBDy \xC2\xA0"},  // a C1 control; no-break space stays
      {"caf\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const auto& c : cases) {
    std::string html;
    AppendHtmlText(&html, c.text);
    EXPECT_EQ(c.html, html) << c.text;
  }
}

// Every log text is escaped, the language follows -N, and nothing outside
// the page is referred to.
TEST(FormatsTest, HtmlPage) {
  const std::string english = ReportOf(ReportFormat::kHtml);
  for (const char* part :
       {"<html lang=\"en\">", "<h1>Web page hit statistics for Acme &amp; &lt;Co&gt;</h1>",
        "<p class=\"period\">from 2001-03-24 to 2001-03-25</p>", "caf\xC3\xA9.htm",
        "/a&quot;b&#39;\xE2\x90\x81.htm", "one.example<span class=\"host\">10.0.0.1</span>",
        "&lt;b&gt;&amp;amp;", "<td class=\"name\">-</td>", "<title>2001-03-24: 2</title>",
        "<title>02:00-02:59: 1</title>", "<h2>The 10 most visited pages</h2>",
        "<tr><td>Lines read</td><td class=\"n\">4</td></tr>",
        "<tr class=\"sub2\"><td>wrong mode of operation (not GET)</td><td class=\"n\">1</td></tr>",
        "<li><span class=\"name\">gone&lt;1&gt;.log</span>: skipped as missing</li>"}) {
    EXPECT_NE(std::string::npos, english.find(part)) << part;
  }
  const std::string norwegian = ReportOf(ReportFormat::kHtml, true);
  for (const char* part : {"<html lang=\"nb\">", "Bes&#248;ksstatistikk for Acme",
                           "i perioden 2001-03-24 til 2001-03-25",
                           "De 10 mest bes&#248;kte sidene i perioden",
                           "<li><span class=\"name\">x*.log</span>: ga ingen treff</li>"}) {
    EXPECT_NE(std::string::npos, norwegian.find(part)) << part;
  }
  const std::regex outside(R"(https?:|//|\b(src|href|action)\s*=|@import|url\s*\(|<script)",
                           std::regex::icase);
  EXPECT_FALSE(std::regex_search(english, outside));
  // With both tables off, no table heading is left.
  const std::string off = ReportOf(ReportFormat::kHtml, false, 0);
  EXPECT_EQ(std::string::npos, off.find("most visited"));
  EXPECT_EQ(std::string::npos, off.find("most active"));
}

}  // namespace
