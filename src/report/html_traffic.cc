#include "report/html_traffic.h"

#include <cstdint>

#include "report/html_chart.h"
#include "report/html_parts.h"
#include "report/report_model.h"

void AppendDaySection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  const NumberStyle style = NumberStyleOf(text);
  const LocalTraffic& traffic = model.traffic;
  *out += Format("<section class=\"long\">\n<h2>%s</h2>\n", text.per_day);
  if (traffic.days.empty() && traffic.undated == 0) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.no_hits);
    return;
  }
  AppendBarChart(out, DayBars(traffic.days, style), text.per_day, 840, style);
  *out += Format("<div class=\"scroll\"><table class=\"days\">\n<tr><th>%s</th>"
                 "<th class=\"n\">%s</th></tr>\n",
                 text.date, text.hits);
  for (const DayHits& day : traffic.days) {
    *out += "<tr><td>" + IsoDate(day.year, day.month, day.day) + "</td>" +
            CountCell(day.hits, style) + "</tr>\n";
  }
  if (traffic.undated != 0) {
    *out += Format("<tr><td>%s</td>", text.no_date) + CountCell(traffic.undated, style) +
            "</tr>\n";
  }
  *out += "</table></div>\n</section>\n";
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
  const double total = static_cast<double>(model.totals.TotalHits);
  auto row = [&](const char* kind, const std::string& name, std::int64_t hits) {
    std::string share = Format("%.1f", total > 0 ? 100.0 * static_cast<double>(hits) / total : 0.0);
    for (char& c : share) {
      if (c == '.') c = style.decimal;
    }
    *out += std::string(kind) + "<td class=\"name\">" + name + "</td>" + CountCell(hits, style) +
            "<td class=\"n\">" + share + "</td></tr>\n";
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
