#include "report/formats.h"

#include "options.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/report_model.h"

void WriteChosenReport(const Options& options, const Statistics& stats,
                       const ReadSummary& summary, std::FILE* out, ReportCharset charset) {
  switch (options.Format) {
    case ReportFormat::kText:
      WriteReport(options, stats, out, charset);
      return;
    case ReportFormat::kJson:
      WriteJsonReport(BuildReportModel(options, stats, summary), out);
      return;
    case ReportFormat::kHtml:
      WriteHtmlReport(BuildReportModel(options, stats, summary), out);
      return;
  }
}
