#include "report/html_traffic.h"

#include <cstdint>

#include "report/html_chart.h"
#include "report/html_parts.h"
#include "report/report_model.h"

namespace {

// Per day the page hits, and beside them, when the requests were
// gathered, the requests, distinct users, sessions, errors and bytes.
void AppendDayTable(std::string* out, const ReportModel& model, const texts::HtmlTexts& text,
                    const NumberStyle& style) {
  const HealthPanels& health = model.health;
  const bool with_requests = health.requests != 0;
  *out += Format("<div class=\"scroll\"><table class=\"days\">\n<tr><th>%s</th>"
                 "<th class=\"n\">%s</th>",
                 text.date, with_requests ? text.page_hits : text.hits);
  if (with_requests) {
    *out += Format("<th class=\"n\">%s</th><th class=\"n\">%s</th><th class=\"n\">%s</th>"
                   "<th class=\"n\">%s</th><th class=\"n\">%s</th>",
                   text.requests, text.users, text.sessions_short, text.errors, text.bytes);
  }
  *out += "</tr>\n";
  for (const DayRow& day : model.days) {
    *out += "<tr><td>" + IsoDate(day.year, day.month, day.day) + "</td>" +
            CountCell(day.page_hits, style);
    if (with_requests) {
      *out += CountCell(day.requests, style) + CountCell(day.users, style) +
              CountCell(day.sessions, style) + CountCell(day.errors, style) +
              (health.has_bytes ? BytesCell(static_cast<std::uint64_t>(day.bytes), style)
                                : "<td class=\"n\">-</td>");
    }
    *out += "</tr>\n";
  }
  if (model.traffic.undated != 0) {
    *out += Format("<tr><td>%s</td>", text.no_date) + CountCell(model.traffic.undated, style) +
            (with_requests ? "<td></td><td></td><td></td><td></td><td></td>" : "") + "</tr>\n";
  }
  *out += "</table></div>\n";
}

}  // namespace

void AppendDaySection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  const NumberStyle style = NumberStyleOf(text);
  const LocalTraffic& traffic = model.traffic;
  *out += Format("<section>\n<h2>%s</h2>\n", text.per_day);
  if (traffic.days.empty() && traffic.undated == 0) {
    *out += Format("<p class=\"note\">%s</p>\n", text.no_hits);
  } else {
    AppendBarChart(out, DayBars(traffic.days, style), text.per_day, 840, style);
  }
  if (model.health.requests != 0) {
    *out += Format("<h3>%s</h3>\n", text.days_heading);
    AppendDayTable(out, model, text, style);
  } else if (!model.days.empty() || traffic.undated != 0) {
    AppendDayTable(out, model, text, style);
  }
  *out += "</section>\n";
}

void AppendHourSection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  const NumberStyle style = NumberStyleOf(text);
  *out += Format("<section>\n<h2>%s</h2>\n", text.by_hour);
  if (model.totals.TotalHits == 0) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.no_hits);
    return;
  }
  AppendBarChart(out, HourBars(model.traffic, style), text.by_hour, 480, style);
  // Three runs of eight hours side by side: the day in a short table.
  constexpr int kRuns = 3;
  constexpr int kRows = 24 / kRuns;
  *out += "<table class=\"hours\">\n<tr>";
  for (int run = 0; run < kRuns; ++run) {
    *out += Format("<th>%s</th><th class=\"n\">%s</th>", text.hour, text.hits);
  }
  *out += "</tr>\n";
  for (int row = 0; row < kRows; ++row) {
    *out += "<tr>";
    for (int run = 0; run < kRuns; ++run) {
      const int hour = run * kRows + row;
      *out += Format("<td>%02d</td>", hour) +
              CountCell(model.traffic.hours[static_cast<std::size_t>(hour)], style);
    }
    *out += "</tr>\n";
  }
  *out += "</table>\n</section>\n";
}

void AppendStatusSection(std::string* out, const ReportModel& model,
                         const texts::HtmlTexts& text) {
  const NumberStyle style = NumberStyleOf(text);
  *out += Format("<section>\n<h2>%s</h2>\n<table>\n<tr><th>%s</th><th class=\"n\">%s</th>"
                 "<th class=\"n\">%%</th></tr>\n",
                 text.statuses, text.status, text.hits);
  auto row = [&](const char* kind, const std::string& name, std::int64_t hits) {
    *out += std::string(kind) + "<td class=\"name\">" + name + "</td>" + CountCell(hits, style) +
            ShareCell(hits, model.totals.TotalHits, style) + "</tr>\n";
  };
  for (const StatusHits& status : model.statuses) {
    switch (status.kind) {
      case StatusHits::Kind::kCode:
        row("<tr>", status.text, status.hits);
        break;
      case StatusHits::Kind::kOther:
        // The texts that are not codes, their most frequent ones under them.
        row("<tr>", text.other_status, status.hits);
        for (const StatusHits::Named& named : status.named) {
          row("<tr class=\"sub\">", Escaped(named.text), named.hits);
        }
        break;
      case StatusHits::Kind::kAbsent:
        row("<tr>", "-", status.hits);
        break;
    }
  }
  *out += "</table>\n</section>\n";
}
