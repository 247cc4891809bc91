#include "report/html_health.h"

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "report/html_chart.h"
#include "report/html_parts.h"
#include "report/report_model.h"

namespace {

// "404.2", "500", or "-" for a request without a status.
std::string StatusText(const StatusRow& row) {
  if (row.status < 0) return "-";
  std::string status = std::to_string(row.status);
  if (row.substatus >= 0) {
    status += '.';
    status += std::to_string(row.substatus);
  }
  return status;
}

std::string Header(std::initializer_list<std::pair<const char*, bool>> columns) {
  std::string row = "<tr>";
  for (const auto& [name, number] : columns) {
    row += number ? "<th class=\"n\">" : "<th>";
    row += name;
    row += "</th>";
  }
  return row + "</tr>\n";
}

void AppendStatuses(std::string* out, const HealthPanels& health, const texts::HtmlTexts& text,
                    const NumberStyle& style) {
  *out += Format("<section>\n<h2>%s</h2>\n", text.status_heading);
  *out += "<p class=\"note\">" + Format(text.requests_note, GroupedNumber(health.requests, style).c_str()) +
          "</p>\n<div class=\"scroll\"><table>\n";
  *out += Header({{text.status, false}, {text.windows_status, true}, {text.status_name, false},
                  {text.requests, true}, {text.page_hits, true}});
  for (const StatusRow& row : health.statuses) {
    *out += "<tr><td>" + StatusText(row) + "</td><td class=\"n\">" +
            (row.win32 >= 0 ? std::to_string(row.win32) : "") + "</td><td class=\"name\">" +
            Escaped(row.name) + "</td>" + CountCell(row.requests, style) +
            CountCell(row.page_hits, style) + "</tr>\n";
  }
  *out += "</table></div>\n</section>\n";
}

void AppendErrors(std::string* out, const HealthPanels& health, const texts::HtmlTexts& text,
                  const NumberStyle& style) {
  *out += Format("<section>\n<h2>%s</h2>\n", text.errors_heading);
  std::int64_t errors = 0;
  // cppcheck-suppress useStlAlgorithm ; a plain sum reads best
  for (const HourRequests& hour : health.hours) errors += hour.errors;
  if (errors == 0 && health.error_paths.empty()) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.no_errors);
    return;
  }
  *out += Format("<h3>%s</h3>\n<table>\n", text.error_paths) +
          Header({{text.status, false}, {text.page, false}, {text.requests, true}});
  for (const PathCount& path : health.error_paths) {
    *out += "<tr><td>" + std::to_string(path.status) + "</td><td class=\"name\">" +
            Escaped(path.path) + "</td>" + CountCell(path.requests, style) + "</tr>\n";
  }
  *out += Format("</table>\n<h3>%s</h3>\n<table>\n", text.error_clients) +
          Header({{text.client, false}, {text.requests, true}});
  for (const auto& [client, requests] : health.error_clients) {
    *out += "<tr><td class=\"name\">" + Escaped(client) + "</td>" + CountCell(requests, style) +
            "</tr>\n";
  }
  *out += Format("</table>\n<h3>%s</h3>\n", text.errors_by_hour);
  std::vector<ChartBar> bars;
  for (int hour = 0; hour < 24; ++hour) {
    const std::int64_t n = health.hours[static_cast<std::size_t>(hour)].errors;
    bars.push_back({hour % 3 == 0 ? Format("%02d", hour) : "",
                    Format("%02d:00-%02d:59: ", hour, hour) + GroupedNumber(n, style), n});
  }
  AppendBarChart(out, bars, text.errors_by_hour, 480, style);
  *out += "</section>\n";
}

// A row of the time percentiles, after its first cells.
std::string TimeCells(const TimeSummary& time, const NumberStyle& style) {
  std::string cells = CountCell(time.requests, style);
  for (std::int64_t ms : {time.p50, time.p90, time.p95, time.p99, time.max}) {
    cells += ms < 0 ? "<td class=\"n\"></td>" : CountCell(ms, style);
  }
  return cells;
}

void AppendPathTimes(std::string* out, const char* heading, const std::vector<PathCount>& paths,
                     const texts::HtmlTexts& text, const NumberStyle& style) {
  if (paths.empty()) return;
  *out += "<h3>" + std::string(heading) + "</h3>\n<div class=\"scroll\"><table>\n" +
          Header({{text.page, false}, {text.requests, true}, {text.mean, true},
                  {text.maximum, true}, {text.total, true}});
  for (const PathCount& path : paths) {
    *out += "<tr><td class=\"name\">" + Escaped(path.path) + "</td>" +
            CountCell(path.requests, style) + CountCell(path.total / path.requests, style) +
            CountCell(path.max, style) + CountCell(path.total, style) + "</tr>\n";
  }
  *out += "</table></div>\n";
}

void AppendTimes(std::string* out, const HealthPanels& health, const texts::HtmlTexts& text,
                 const NumberStyle& style) {
  *out += Format("<section>\n<h2>%s</h2>\n", text.time_heading);
  if (!health.has_time) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.not_in_logs);
    return;
  }
  *out += Format("<p class=\"note\">%s</p>\n<div class=\"scroll\"><table>\n", text.time_note);
  auto header = [&](const char* first) {
    return Header({{first, false}, {text.timed, true}, {text.median, true}, {"p90", true},
                   {"p95", true}, {"p99", true}, {text.maximum, true}});
  };
  *out += header("") + Format("<tr><td>%s</td>", text.all_requests) + TimeCells(health.time, style) +
          "</tr>\n</table></div>\n";
  *out += Format("<h3>%s</h3>\n<div class=\"scroll\"><table>\n", text.time_by_hour) + header(text.hour);
  for (std::size_t hour = 0; hour < health.hours.size(); ++hour) {
    const TimeSummary& time = health.hours[hour].time;
    if (time.requests == 0) continue;
    *out += Format("<tr><td>%02d</td>", static_cast<int>(hour)) + TimeCells(time, style) + "</tr>\n";
  }
  *out += "</table></div>\n";
  AppendPathTimes(out, Format(text.slowest_paths, static_cast<int>(kSlowestMinRequests)).c_str(),
                  health.slowest_paths, text, style);
  AppendPathTimes(out, text.most_time_paths, health.time_paths, text, style);
  *out += "</section>\n";
}

void AppendBandwidth(std::string* out, const HealthPanels& health, const texts::HtmlTexts& text,
                     const NumberStyle& style) {
  *out += Format("<section>\n<h2>%s</h2>\n", text.bytes_heading);
  if (!health.has_bytes) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.not_in_logs);
    return;
  }
  *out += Format("<h3>%s</h3>\n<table>\n", text.bytes_paths) +
          Header({{text.page, false}, {text.requests, true}, {text.bytes, true}});
  for (const PathCount& path : health.bytes_paths) {
    *out += "<tr><td class=\"name\">" + Escaped(path.path) + "</td>" +
            CountCell(path.requests, style) +
            BytesCell(static_cast<std::uint64_t>(path.total), style) + "</tr>\n";
  }
  *out += "</table>\n</section>\n";
}

void AppendHours(std::string* out, const ReportModel& model, const texts::HtmlTexts& text,
                 const NumberStyle& style) {
  const HealthPanels& health = model.health;
  *out += Format("<section>\n<h2>%s</h2>\n<div class=\"scroll\"><table>\n", text.hours_heading) +
          Header({{text.hour, false}, {text.page_hits, true}, {text.requests, true},
                  {text.errors, true}, {text.bytes, true}});
  for (std::size_t hour = 0; hour < 24; ++hour) {
    const HourRequests& requests = health.hours[hour];
    if (requests.requests == 0 && model.traffic.hours[hour] == 0) continue;
    *out += Format("<tr><td>%02d</td>", static_cast<int>(hour)) +
            CountCell(model.traffic.hours[hour], style) + CountCell(requests.requests, style) +
            CountCell(requests.errors, style) +
            (health.has_bytes ? BytesCell(static_cast<std::uint64_t>(requests.bytes), style)
                              : "<td class=\"n\">-</td>") +
            "</tr>\n";
  }
  *out += "</table></div>\n</section>\n";
}

}  // namespace

void AppendHealthSections(std::string* out, const ReportModel& model,
                          const texts::HtmlTexts& text) {
  const HealthPanels& health = model.health;
  if (health.requests == 0) return;
  const NumberStyle style = NumberStyleOf(text);
  AppendStatuses(out, health, text, style);
  *out += "<div class=\"columns\">\n";
  AppendErrors(out, health, text, style);
  AppendBandwidth(out, health, text, style);
  *out += "</div>\n";
  AppendTimes(out, health, text, style);
  AppendHours(out, model, text, style);
}
