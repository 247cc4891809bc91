#include "report/formats.h"

#include "options.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/report_model.h"

void WriteChosenReport(const Options& options, const Statistics& stats,
                       const ReadSummary& summary, std::FILE* out, ReportCharset charset,
                       std::int64_t generated) {
  // One model, read once, whichever writer shows it.
  ReportModel model = BuildReportModel(options, stats, summary);
  model.generated = generated;
  switch (options.Format) {
    case ReportFormat::kText:
      WriteReport(model, out, charset);
      return;
    case ReportFormat::kJson:
      WriteJsonReport(model, out);
      return;
    case ReportFormat::kHtml:
      WriteHtmlReport(model, out);
      return;
  }
}
