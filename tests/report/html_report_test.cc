// The web page from models no small log gives: counts of ten digits and
// more, fields the logs lack, a run without -c or without hits, hostile
// and overlong names in the panels of who is behind the requests.
#include "report/html_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes.h"
#include "report/report_model.h"
#include "test_util.h"

namespace {

std::string PageOf(const ReportModel& model) {
  CapturedStream out;
  WriteHtmlReport(model, out.file());
  return out.Text();
}

TEST(HtmlReportTest, Tiles) {
  ScopedTimeZone tz("UTC");
  const struct {
    const char* what;
    std::function<void(ReportModel*)> change;
    const char* part;
  } cases[] = {
      // A year of a modest site: units in the tile, the exact count on pointing.
      {"ten digits", [](ReportModel* m) { m->bytes_sent = 7838947493; },
       "<b title=\"7,838,947,493 B\">7.3 GiB</b>"},
      {"Norwegian",
       [](ReportModel* m) {
         m->norwegian = true;
         m->bytes_sent = 7838947493;
       },
       "<b title=\"7&#160;838&#160;947&#160;493 B\">7,3 GiB</b>"},
      {"grouped hits", [](ReportModel* m) { m->totals.TotalHits = 92446123; },
       "<b>92,446,123</b><span>Hits</span>"},
      // Requests were counted, none with a bytes field.
      {"no bytes field", [](ReportModel* m) { m->health.requests = 1; },
       "<b>-</b><span>Bytes sent: not in these logs</span>"},
      {"no -c", [](ReportModel* m) { m->customer_given = false; },
       "<h1>Web page hit statistics</h1>"},
      {"-c", [](ReportModel* m) { m->customer_given = true; },
       "<h1>Web page hit statistics for A&amp;B</h1>"},
      {"no hit", [](ReportModel* m) { m->totals.TotalHits = 0; },
       "<p class=\"period\">No hit was counted.</p>"},
  };
  for (const auto& c : cases) {
    ReportModel model;
    model.customer = "A&B";
    model.totals.TotalHits = 1;
    c.change(&model);
    EXPECT_NE(std::string::npos, PageOf(model).find(c.part)) << c.what;
  }
}

// A model whose panels of who is behind the requests are all filled.
ReportModel WhoModel() {
  ReportModel model;
  model.totals.TotalHits = 1;
  model.health.requests = 100;
  model.health.has_bytes = model.health.has_time = true;
  WhoPanels& who = model.who;
  who.has_agents = who.has_referrers = who.has_sites = true;
  who.human_requests = 90;
  who.human_bytes = 9000;
  who.robot_requests = 10;
  who.robot_bytes = 3 * 1024 * 1024;
  who.robot_kinds = {{"ai_crawler", "", 7, 0, 2048}, {"new_kind", "", 3, 0, 10}};
  who.robots = {{"<script>alert(1)</script>", "ai_crawler", 7, 0, 2048},
                {std::string(1000, 'x'), "scanner", 3, 0, 10}};
  who.browsers = {{"Chrome 120", "", 60, 50, 100}};
  who.systems = {{"Windows 10", "", 45, 40, 100}};
  who.referred_requests = 12;
  who.referrer_sites = {{"a.example\x01", "", 12, 0, 0}};
  who.referrer_pages = {{"https://a.example/?q=\"x\"&y", "", 12, 0, 0}};
  who.sites = {{"W3SVC1", 70, 60, 5, 1000, 2}, {"W3SVC2", 30, 20, 3, 500, 1}};
  return model;
}

std::size_t Count(const std::string& page, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = page.find(part); at != std::string::npos; at = page.find(part, at + 1)) ++n;
  return n;
}

TEST(HtmlReportTest, WhoPanels) {
  ScopedTimeZone tz("UTC");
  const std::string long_name = "<td class=\"name\">" + std::string(1000, 'x') + "</td>";
  const struct {
    const char* what;
    std::function<void(ReportModel*)> change;
    std::vector<std::string> parts;  // each once on the page
    std::vector<std::string> absent;
  } cases[] = {
      {"filled", [](ReportModel*) {},
       {"<td>People</td><td class=\"n\">90</td><td class=\"n\">90.0</td>"
        "<td class=\"n\" title=\"9,000 B\">8.8 KiB</td></tr>",
        "<td class=\"name\">&lt;script&gt;alert(1)&lt;/script&gt;</td><td>AI crawler</td>",
        long_name + "<td>Scanner</td>", "<tr><td>new_kind</td>",
        "<td class=\"name\">Chrome 120</td><td class=\"n\">60</td><td class=\"n\">66.7</td>",
        "<td class=\"name\">a.example\xE2\x90\x81</td><td class=\"n\">12</td></tr>",
        "https://a.example/?q=&quot;x&quot;&amp;y",
        "<td class=\"name\">W3SVC2</td><td class=\"n\">30</td><td class=\"n\">20</td>"
        "<td class=\"n\">3</td><td class=\"n\" title=\"500 B\">500 B</td><td class=\"n\">1</td>"},
       {"<script>", "not in these logs", "under no name"}},
      {"Norwegian", [](ReportModel* m) { m->norwegian = true; },
       {"<td>Personer</td><td class=\"n\">90</td><td class=\"n\">90,0</td>", "<tr><td>KI-crawler</td>"},
       {}},
      {"no bytes field, unnamed agents, one site",
       [](ReportModel* m) {
         m->health.has_bytes = false;
         m->who.agents_unnamed_requests = 1234;
         m->who.sites.resize(1);
       },
       {"<td>Robots</td><td class=\"n\">10</td><td class=\"n\">10.0</td><td class=\"n\">-</td>",
        "<p class=\"note\">1,234 requests came from user agents past",
        "Every request was of one site: W3SVC1."},
       {"<td class=\"name\">W3SVC1</td>"}},
      {"no agent, referrer or site field",
       [](ReportModel* m) { m->who.has_agents = m->who.has_referrers = m->who.has_sites = false; },
       {"<h2>Robots</h2>\n<p class=\"note\">not in these logs</p>",
        "<h2>Browsers and systems</h2>\n<p class=\"note\">not in these logs</p>",
        "<h2>Referrers</h2>\n<p class=\"note\">not in these logs</p>",
        "<h2>Sites</h2>\n<p class=\"note\">not in these logs</p>"},
       {"script", "Chrome"}},
      {"Norwegian, no field",
       [](ReportModel* m) {
         m->norwegian = true;
         m->who.has_agents = m->who.has_referrers = m->who.has_sites = false;
       },
       {"<h2>Roboter</h2>\n<p class=\"note\">finnes ikke i disse loggene</p>",
        "<h2>Nettsteder</h2>\n<p class=\"note\">finnes ikke i disse loggene</p>"},
       {}},
      // As the panels of every request: no section without a request.
      {"no request", [](ReportModel* m) { m->health.requests = 0; }, {}, {"<h2>Robots</h2>", "Sites"}},
  };
  for (const auto& c : cases) {
    ReportModel model = WhoModel();
    c.change(&model);
    const std::string page = PageOf(model);
    for (const std::string& part : c.parts) EXPECT_EQ(1u, Count(page, part)) << c.what << ": " << part;
    for (const std::string& part : c.absent) EXPECT_EQ(0u, Count(page, part)) << c.what << ": " << part;
  }
}

}  // namespace
