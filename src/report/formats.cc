#include "report/formats.h"

#include "options.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/report.h"
#include "report/report_model.h"

void WriteChosenReport(const Options& options, const Statistics& stats, std::FILE* out) {
  switch (options.Format) {
    case ReportFormat::kText:
      WriteReport(options, stats, out);
      return;
    case ReportFormat::kJson:
      WriteJsonReport(BuildReportModel(options, stats), out);
      return;
    case ReportFormat::kHtml:
      WriteHtmlReport(BuildReportModel(options, stats), out);
      return;
  }
}
