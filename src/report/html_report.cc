#include "report/html_report.h"

#include <cstdio>
#include <vector>

#include "bytes/utf8.h"
#include "report/html_chart.h"
#include "report/html_summary.h"
#include "report/report_model.h"
#include "texts.h"

namespace {

// The page's look: one column that fits a phone, tiles for the totals,
// tables that wrap long names, and a print layout without backgrounds.
constexpr char kStyle[] = R"(:root{--ink:#1d2733;--muted:#5b6876;--line:#d8dee6;--accent:#2f6db5;--page:#f4f6f9}
*{box-sizing:border-box}
body{margin:0;background:var(--page);color:var(--ink);font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
main{max-width:62rem;margin:0 auto;padding:1.5rem 1rem 2rem}
h1{font-size:1.45rem;margin:0 0 .2rem;overflow-wrap:anywhere}
h2{font-size:1.05rem;margin:0 0 .6rem}
.period{color:var(--muted);margin:0 0 1.2rem}
section{background:#fff;border:1px solid var(--line);border-radius:8px;padding:1rem 1.2rem;margin:0 0 1rem;break-inside:avoid}
.totals{display:grid;grid-template-columns:repeat(auto-fit,minmax(9rem,1fr));gap:.75rem;background:none;border:0;padding:0}
.total{background:#fff;border:1px solid var(--line);border-radius:8px;padding:.7rem 1rem}
.total b{display:block;font-size:1.45rem;font-variant-numeric:tabular-nums;overflow-wrap:anywhere}
.total span{color:var(--muted);font-size:.85rem}
.columns{display:grid;grid-template-columns:repeat(auto-fit,minmax(24rem,1fr));gap:0 1rem}
table{width:100%;border-collapse:collapse;font-variant-numeric:tabular-nums}
th,td{padding:.3rem .45rem;border-bottom:1px solid var(--line);text-align:left;vertical-align:top}
th{color:var(--muted);font-size:.8rem;font-weight:600}
.n{text-align:right;white-space:nowrap;width:1%}
.name{overflow-wrap:anywhere;word-break:break-word}
.host{display:block;color:var(--muted);font-size:.85em}
.note{color:var(--muted);font-size:.85rem;margin:.4rem 0 0}
tr.sub td:first-child{padding-left:1.5rem;color:var(--muted)}
tr.sub2 td:first-child{padding-left:3rem;color:var(--muted)}
.files{margin:.6rem 0 0;padding-left:1.2rem}
svg{display:block;width:100%;height:auto}
svg .bar{fill:var(--accent)}
svg .grid{stroke:var(--line);stroke-width:1}
svg text{fill:var(--muted);font-size:13px}
svg .value{text-anchor:end;dominant-baseline:middle}
svg .label{text-anchor:middle;dominant-baseline:hanging}
footer{color:var(--muted);font-size:.8rem;text-align:center}
@media (max-width:40rem){body{font-size:14px}main{padding:1rem .5rem}section{padding:.7rem .6rem}.columns{grid-template-columns:1fr}svg text{font-size:18px}svg.wide text{font-size:28px}}
@media print{body{background:#fff;font-size:10pt}main{max-width:none;padding:0}section,.total{border-color:#aaa;border-radius:0}*{-webkit-print-color-adjust:exact;print-color-adjust:exact}}
)";

// A text of the model, whose bytes are the log's, as HTML text.
std::string Escaped(std::string_view text) {
  std::string out;
  AppendHtmlText(&out, TextAsUtf8(text));
  return out;
}

// printf into a string, for the texts with "%s" and "%d".
template <typename... Args>
std::string Format(const char* format, Args... args) {
  if constexpr (sizeof...(Args) == 0) {
    return format;
  } else {
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
  }
}

std::string Number(std::int64_t n) { return Format("%lld", static_cast<long long>(n)); }
std::string Number(std::uint64_t n) {
  return Format("%llu", static_cast<unsigned long long>(n));
}

// The local date of a time, or the text report's mark for none.
std::string DateOf(TimeStamp t) {
  const std::optional<std::string> iso = IsoLocalTime(t);
  return iso.has_value() ? iso->substr(0, 10) : texts::kBadDateText;
}

template <typename Count>
void AppendTotal(std::string* out, Count value, const char* label) {
  *out += "<div class=\"total\"><b>" + Number(value) + "</b><span>" + label + "</span></div>\n";
}

void AppendDayChart(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  const LocalTraffic& traffic = model.traffic;
  *out += Format("<section>\n<h2>%s</h2>\n", text.per_day);
  if (traffic.days.empty() && traffic.undated == 0) {
    *out += Format("<p class=\"note\">%s</p>\n", text.no_hits);
  } else {
    AppendBarChart(out, DayBars(traffic.days), text.per_day, 840);
  }
  if (traffic.undated != 0) {
    *out += Format("<p class=\"note\">%s: %lld</p>\n", text.no_date,
                   static_cast<long long>(traffic.undated));
  }
  *out += "</section>\n";
}

void AppendHourChart(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  *out += Format("<section>\n<h2>%s</h2>\n", text.by_hour);
  AppendBarChart(out, HourBars(model.traffic), text.by_hour, 480);
  *out += "</section>\n";
}

void AppendStatuses(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  *out += Format("<section>\n<h2>%s</h2>\n<table>\n<tr><th>%s</th><th class=\"n\">%s</th>"
                 "<th class=\"n\">%%</th></tr>\n",
                 text.statuses, text.status, text.hits);
  const double total = static_cast<double>(model.totals.TotalHits);
  auto row = [&](const char* kind, const std::string& name, std::int64_t hits) {
    *out += std::string(kind) + "<td class=\"name\">" + name + "</td><td class=\"n\">" +
            Number(hits) + "</td><td class=\"n\">" +
            Format("%.1f", total > 0 ? 100.0 * static_cast<double>(hits) / total : 0.0) +
            "</td></tr>\n";
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

// A top list as the text report has it: its heading with the number the
// options gave, a column header, and a row for each of the first ones.
void AppendTopTable(std::string* out, const char* heading, std::int32_t shown,
                    const char* column, const char* hits, const std::vector<std::string>& names,
                    const std::vector<std::int64_t>& counts) {
  *out += "<section>\n<h2>" + Format(heading, shown) + "</h2>\n<table>\n";
  *out += Format("<tr><th class=\"n\">#</th><th>%s</th><th class=\"n\">%s</th></tr>\n", column, hits);
  for (std::size_t i = 0; i < names.size(); ++i) {
    *out += "<tr><td class=\"n\">" + Number(static_cast<std::int64_t>(i + 1)) +
            "</td><td class=\"name\">" + names[i] + "</td><td class=\"n\">" + Number(counts[i]) +
            "</td></tr>\n";
  }
  *out += "</table>\n</section>\n";
}

void AppendTopLists(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  if (model.pages_to_show != 0) {
    std::vector<std::string> names;
    std::vector<std::int64_t> counts;
    for (const PageRow& page : model.pages) {
      names.push_back(Escaped(page.path));
      counts.push_back(page.hits);
    }
    AppendTopTable(out, text.pages_heading, model.pages_to_show, text.page, text.hits, names,
                   counts);
  }
  if (model.users_to_show != 0) {
    std::vector<std::string> names;
    std::vector<std::int64_t> counts;
    for (const UserRow& user : model.users) {
      // A found host name, with the address under it.
      names.push_back(user.host.has_value()
                          ? Escaped(*user.host) + "<span class=\"host\">" + Escaped(user.address) + "</span>"
                          : Escaped(user.address));
      counts.push_back(user.hits);
    }
    AppendTopTable(out, text.users_heading, model.users_to_show, text.user, text.hits, names,
                   counts);
  }
}

}  // namespace

void AppendHtmlText(std::string* out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&': *out += "&amp;"; continue;
      case '<': *out += "&lt;"; continue;
      case '>': *out += "&gt;"; continue;
      case '"': *out += "&quot;"; continue;
      case '\'': *out += "&#39;"; continue;
      default: break;
    }
    if (c < 0x20) {
      AppendUtf8(out, 0x2400 + c);
    } else if (c == 0x7F) {
      AppendUtf8(out, 0x2421);
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      AppendUtf8(out, 0xFFFD);  // U+0080 to U+009F
      ++i;
    } else {
      out->push_back(static_cast<char>(c));
    }
  }
}

void WriteHtmlReport(const ReportModel& model, std::FILE* out) {
  const texts::HtmlTexts& text = model.norwegian ? texts::kHtmlNorwegian : texts::kHtmlEnglish;
  const std::string title = Format(text.title, Escaped(model.customer).c_str());

  std::string page;
  page += Format("<!DOCTYPE html>\n<html lang=\"%s\">\n<head>\n<meta charset=\"utf-8\">\n",
                 text.language);
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>" + title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<main>\n";
  page += "<h1>" + title + "</h1>\n";
  page += "<p class=\"period\">" +
          Format(text.period, DateOf(model.totals.PeriodStart).c_str(),
                 DateOf(model.totals.PeriodEnd).c_str()) +
          "</p>\n";

  const RunTotals& totals = model.totals;
  page += "<section class=\"totals\">\n";
  AppendTotal(&page, totals.TotalHits, text.hits);
  AppendTotal(&page, totals.TotalSessions, text.sessions);
  AppendTotal(&page, totals.UserCount, text.users);
  AppendTotal(&page, model.bytes_sent, text.bytes);
  AppendTotal(&page, totals.FilesProcessed, text.files);
  page += "</section>\n";

  // Side by side where the page is wide enough, one below the other on a
  // phone.
  AppendDayChart(&page, model, text);
  page += "<div class=\"columns\">\n";
  AppendHourChart(&page, model, text);
  AppendStatuses(&page, model, text);
  page += "</div>\n<div class=\"columns\">\n";
  AppendTopLists(&page, model, text);
  page += "</div>\n";
  AppendReadSummary(&page, model.summary, text);

  page += "<footer>" + Format(text.made_by, texts::kProductName, texts::kVersion) +
          "</footer>\n</main>\n</body>\n</html>\n";
  std::fwrite(page.data(), 1, page.size(), out);
}
