#include "report/html_who.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "report/html_parts.h"
#include "report/report_model.h"

namespace {

// The keys of the kinds of robot, in the order of their names in the texts.
constexpr std::array<std::string_view, 8> kRobotKinds = {
    "search_engine", "ai_crawler", "seo_marketing", "monitor",
    "feed_reader",   "library_tool", "scanner",     "other"};

std::string KindName(const std::string& kind, const texts::HtmlTexts& text) {
  for (std::size_t i = 0; i < kRobotKinds.size(); ++i) {
    if (kRobotKinds[i] == kind) return text.robot_kind_names[i];
  }
  return Escaped(kind);  // a kind this page has no name for
}

// The cell of a byte count, or "-" where the logs have no bytes field.
std::string BytesOrDash(std::int64_t bytes, bool has_bytes, const NumberStyle& style) {
  return has_bytes ? BytesCell(static_cast<std::uint64_t>(bytes), style) : "<td class=\"n\">-</td>";
}

void OpenSection(std::string* out, const char* heading) {
  *out += Format("<section>\n<h2>%s</h2>\n", heading);
}

void NotInLogs(std::string* out, const texts::HtmlTexts& text) {
  *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.not_in_logs);
}

std::string Th(const char* name, bool number) {
  return std::string(number ? "<th class=\"n\">" : "<th>") + name + "</th>";
}

// A table of names with their requests and, given a whole, their share of
// it; nothing when there is no row.
void AppendNames(std::string* out, const char* heading, const char* column,
                 const std::vector<NamedTraffic>& rows, std::int64_t whole,
                 const texts::HtmlTexts& text, const NumberStyle& style) {
  if (rows.empty()) return;
  *out += Format("<h3>%s</h3>\n<table>\n<tr>", heading) + Th(column, false) +
          Th(text.requests, true) + (whole > 0 ? Th("%", true) : "") + "</tr>\n";
  for (const NamedTraffic& row : rows) {
    *out += "<tr><td class=\"name\">" + Escaped(row.name) + "</td>" +
            CountCell(row.requests, style) + (whole > 0 ? ShareCell(row.requests, whole, style) : "") +
            "</tr>\n";
  }
  *out += "</table>\n";
}

void AppendRobots(std::string* out, const ReportModel& model, const texts::HtmlTexts& text,
                  const NumberStyle& style) {
  const WhoPanels& who = model.who;
  const bool has_bytes = model.health.has_bytes;
  OpenSection(out, text.robots_heading);
  if (!who.has_agents) {
    NotInLogs(out, text);
    return;
  }
  const std::int64_t with_agent = who.human_requests + who.robot_requests;
  *out += "<p class=\"note\">" +
          Format(text.agent_share_note, GroupedNumber(with_agent, style).c_str()) +
          "</p>\n<table>\n<tr>" + Th("", false) + Th(text.requests, true) + Th("%", true) +
          Th(text.bytes, true) + "</tr>\n";
  auto share_row = [&](const char* who_text, std::int64_t requests, std::int64_t bytes) {
    *out += "<tr><td>" + std::string(who_text) + "</td>" + CountCell(requests, style) +
            ShareCell(requests, with_agent, style) + BytesOrDash(bytes, has_bytes, style) + "</tr>\n";
  };
  share_row(text.people, who.human_requests, who.human_bytes);
  share_row(text.robots_heading, who.robot_requests, who.robot_bytes);
  *out += "</table>\n";
  if (who.agents_unnamed_requests > 0) {
    *out += "<p class=\"note\">" +
            Format(text.unnamed_agents, GroupedNumber(who.agents_unnamed_requests, style).c_str()) +
            "</p>\n";
  }
  if (!who.robot_kinds.empty()) {
    *out += Format("<h3>%s</h3>\n<table>\n<tr>", text.robot_kinds) + Th(text.kind, false) +
            Th(text.requests, true) + Th(text.bytes, true) + "</tr>\n";
    for (const NamedTraffic& kind : who.robot_kinds) {
      *out += "<tr><td>" + KindName(kind.name, text) + "</td>" + CountCell(kind.requests, style) +
              BytesOrDash(kind.bytes, has_bytes, style) + "</tr>\n";
    }
    *out += "</table>\n";
  }
  if (!who.robots.empty()) {
    *out += Format("<h3>%s</h3>\n<div class=\"scroll\"><table>\n<tr>", text.top_robots) +
            Th(text.robot, false) + Th(text.kind, false) + Th(text.requests, true) +
            Th(text.bytes, true) + "</tr>\n";
    for (const NamedTraffic& robot : who.robots) {
      *out += "<tr><td class=\"name\">" + Escaped(robot.name) + "</td><td>" +
              KindName(robot.kind, text) + "</td>" + CountCell(robot.requests, style) +
              BytesOrDash(robot.bytes, has_bytes, style) + "</tr>\n";
    }
    *out += "</table></div>\n";
  }
  *out += "</section>\n";
}

void AppendBrowsers(std::string* out, const WhoPanels& who, const texts::HtmlTexts& text,
                    const NumberStyle& style) {
  OpenSection(out, text.browsers_heading);
  if (!who.has_agents) {
    NotInLogs(out, text);
    return;
  }
  *out += "<p class=\"note\">" +
          Format(text.people_share_note, GroupedNumber(who.human_requests, style).c_str()) + "</p>\n";
  AppendNames(out, text.browsers, text.browser, who.browsers, who.human_requests, text, style);
  AppendNames(out, text.systems, text.system, who.systems, who.human_requests, text, style);
  *out += "</section>\n";
}

void AppendReferrers(std::string* out, const WhoPanels& who, const texts::HtmlTexts& text,
                     const NumberStyle& style) {
  OpenSection(out, text.referrers_heading);
  if (!who.has_referrers) {
    NotInLogs(out, text);
    return;
  }
  if (who.referred_requests == 0) {
    *out += Format("<p class=\"note\">%s</p>\n</section>\n", text.no_referrers);
    return;
  }
  *out += "<p class=\"note\">" +
          Format(text.referred_note, GroupedNumber(who.referred_requests, style).c_str()) + "</p>\n";
  AppendNames(out, text.referrer_sites, text.site, who.referrer_sites, 0, text, style);
  AppendNames(out, text.referrer_pages, text.page, who.referrer_pages, 0, text, style);
  *out += "</section>\n";
}

// A table of the sites when there are two or more; one site is named in a
// line, as a table of one row would only repeat the page's totals.
void AppendSites(std::string* out, const ReportModel& model, const texts::HtmlTexts& text,
                 const NumberStyle& style) {
  const WhoPanels& who = model.who;
  OpenSection(out, text.sites_heading);
  if (!who.has_sites) {
    NotInLogs(out, text);
    return;
  }
  if (who.sites.size() < 2) {
    if (!who.sites.empty()) {
      *out += "<p class=\"note\">" + Format(text.one_site, Escaped(who.sites[0].name).c_str()) + "</p>\n";
    }
    *out += "</section>\n";
    return;
  }
  *out += "<div class=\"scroll\"><table>\n<tr>" + Th(text.site, false) + Th(text.requests, true) +
          Th(text.page_hits, true) + Th(text.users, true) + Th(text.bytes, true) +
          Th(text.errors, true) + "</tr>\n";
  for (const SiteRow& site : who.sites) {
    *out += "<tr><td class=\"name\">" + Escaped(site.name) + "</td>" + CountCell(site.requests, style) +
            CountCell(site.page_hits, style) + CountCell(site.users, style) +
            BytesOrDash(site.bytes, model.health.has_bytes, style) + CountCell(site.errors, style) +
            "</tr>\n";
  }
  *out += "</table></div>\n</section>\n";
}

}  // namespace

void AppendWhoSections(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  // Like the panels of every request: nothing without a counted request.
  if (model.health.requests == 0) return;
  const NumberStyle style = NumberStyleOf(text);
  AppendRobots(out, model, text, style);
  *out += "<div class=\"columns\">\n";
  AppendBrowsers(out, model.who, text, style);
  AppendReferrers(out, model.who, text, style);
  *out += "</div>\n";
  AppendSites(out, model, text, style);
}
