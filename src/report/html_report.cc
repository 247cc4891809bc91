#include "report/html_report.h"

#include <cstdio>
#include <vector>

#include "bytes/utf8.h"
#include "html_texts.h"
#include "report/html_health.h"
#include "report/html_parts.h"
#include "report/html_style.h"
#include "report/html_summary.h"
#include "report/html_traffic.h"
#include "report/html_who.h"
#include "report/report_model.h"
#include "texts.h"

namespace {

// The local date of a time, or the text report's mark for none.
std::string DateOf(TimeStamp t) {
  const std::optional<std::string> iso = IsoLocalTime(t);
  return iso.has_value() ? iso->substr(0, 10) : texts::kBadDateText;
}

// A tile of a total; `exact`, when given, shows on pointing at it.
void AppendTotal(std::string* out, const std::string& value, const std::string& label,
                 const std::string& exact = "") {
  *out += "<div class=\"total\"><b" + (exact.empty() ? "" : " title=\"" + exact + "\"") + ">" +
          value + "</b><span>" + label + "</span></div>\n";
}

// A top list as the text report has it: its heading with the number the
// options gave, a column header, and a row for each of the first ones.
void AppendTopTable(std::string* out, const char* heading, std::int32_t shown,
                    const char* column, const char* hits, const std::vector<std::string>& names,
                    const std::vector<std::int64_t>& counts, const NumberStyle& style) {
  *out += "<section>\n<h2>" + Format(heading, shown) + "</h2>\n<table>\n";
  *out += Format("<tr><th class=\"n\">#</th><th>%s</th><th class=\"n\">%s</th></tr>\n", column, hits);
  for (std::size_t i = 0; i < names.size(); ++i) {
    *out += "<tr><td class=\"n\">" + std::to_string(i + 1) + "</td><td class=\"name\">" +
            names[i] + "</td>" + CountCell(counts[i], style) + "</tr>\n";
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
                   counts, NumberStyleOf(text));
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
                   counts, NumberStyleOf(text));
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
  const NumberStyle style = NumberStyleOf(text);
  // Without -c the page has a title of its own, not the text report's hint.
  const std::string title = model.customer_given
                                ? Format(text.title, Escaped(model.customer).c_str())
                                : std::string(text.untitled);
  const RunTotals& totals = model.totals;

  std::string page;
  page += Format("<!DOCTYPE html>\n<html lang=\"%s\">\n<head>\n<meta charset=\"utf-8\">\n",
                 text.language);
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>" + title + "</title>\n<style>\n" + kHtmlStyle +
          "</style>\n</head>\n<body>\n<main>\n";
  page += "<h1>" + title + "</h1>\n";
  // Without a counted hit there is no period, only the start of the clock.
  page += "<p class=\"period\">" +
          (totals.TotalHits == 0 ? std::string(text.no_hits)
                                 : Format(text.period, DateOf(totals.PeriodStart).c_str(),
                                          DateOf(totals.PeriodEnd).c_str())) +
          "</p>\n";

  page += "<section class=\"totals\">\n";
  AppendTotal(&page, GroupedNumber(totals.TotalHits, style), text.hits);
  AppendTotal(&page, GroupedNumber(totals.TotalSessions, style), text.sessions);
  AppendTotal(&page, GroupedNumber(totals.UserCount, style), text.users);
  if (model.health.requests != 0 && !model.health.has_bytes) {
    AppendTotal(&page, "-", std::string(text.bytes) + ": " + text.not_in_logs);
  } else {
    AppendTotal(&page, ByteSize(model.bytes_sent, style), text.bytes,
                GroupedNumber(model.bytes_sent, style) + " B");
  }
  AppendTotal(&page, GroupedNumber(totals.FilesProcessed, style), text.files);
  page += "</section>\n";

  // Side by side where the page is wide enough, one below the other on a
  // phone.
  AppendDaySection(&page, model, text);
  page += "<div class=\"columns\">\n";
  AppendHourSection(&page, model, text);
  AppendStatusSection(&page, model, text);
  page += "</div>\n<div class=\"columns\">\n";
  AppendTopLists(&page, model, text);
  page += "</div>\n";
  AppendHealthSections(&page, model, text);
  AppendWhoSections(&page, model, text);
  page += "<div class=\"columns\">\n";
  AppendReadSummary(&page, model.summary, text);
  AppendMadeSection(&page, model, text);
  page += "</div>\n";

  page += "<footer>" + Format(text.made_by, texts::kProductName, texts::kVersion) +
          "</footer>\n</main>\n</body>\n</html>\n";
  std::fwrite(page.data(), 1, page.size(), out);
}
