// The web page from models no small log gives: counts of ten digits and
// more, fields the logs lack, a run without -c or without hits.
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

}  // namespace
