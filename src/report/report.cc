#include "report/report.h"

#include <cstdio>
#include <ctime>

#include "bytes/field_text.h"
#include "platform/local_time.h"
#include "options.h"
#include "stats/records.h"
#include "texts.h"

void FormatReportDate(TimeStamp t, char* out) {
  std::tm local;
  if (t < 0 || !ToLocalTime(t, &local)) {
    std::snprintf(out, 32, "%s", texts::kBadDateText);
    return;
  }
  // "%x" of the "C" locale, whatever the user's locale says.
  std::snprintf(out, 32, "%02d/%02d/%02d", (local.tm_mon + 1) % 100,
                local.tm_mday % 100, ((local.tm_year % 100) + 100) % 100);
}

namespace {

// The rows of one table: at most `limit` records of the list from `head`.
// The names come from the logs (or the name service): on a terminal their
// control bytes are escaped.
template <typename Records, typename NameOf>
void WriteRows(std::FILE* out, const Records& records, RecordIndex head,
               std::int32_t limit, NameOf name_of) {
  const bool escape = IsTerminal(out);
  std::int64_t row = 1;
  for (RecordIndex i = head; i != kNoRecord && row <= limit; i = records[i].Next, ++row) {
    const char* name = name_of(records[i]);
    std::fprintf(out, texts::kRow, static_cast<int>(row),
                 escape ? FieldText(name, true).text : name, records[i].Hits);
  }
}

}  // namespace

void WriteReport(const Options& options, const Statistics& stats, std::FILE* out) {
  const texts::ReportTexts& text = options.Norwegian ? texts::kNorwegian : texts::kEnglish;
  const RunTotals& totals = stats.totals;

  char start[32];
  char end[32];
  FormatReportDate(totals.PeriodStart, start);
  FormatReportDate(totals.PeriodEnd, end);

  // The title, underlined with one "-" for each of its bytes.
  const char* customer = options.CustomerName != nullptr ? options.CustomerName : "";
  const int written = std::fprintf(out, text.title, customer, start, end);
  for (int i = 1; i < written; ++i) std::fputc('-', out);

  std::fprintf(out, text.hits_total, totals.TotalHits);
  std::fprintf(out, text.sessions_total, totals.TotalSessions);

  if (options.NumPagesToShow != 0) {
    std::fprintf(out, text.pages_heading, options.NumPagesToShow);
    std::fputs(text.pages_header, out);
    WriteRows(out, stats.pages, stats.PageList, options.NumPagesToShow,
              [](const PageRecord& page) { return page.Path; });
  }

  if (options.NumUsersToShow != 0) {
    std::fprintf(out, text.users_heading, options.NumUsersToShow);
    std::fputs(text.users_header, out);
    WriteRows(out, stats.users, stats.UserList, options.NumUsersToShow,
              [](const UserRecord& user) {
                return user.HostName != nullptr ? user.HostName : user.Address;
              });
  }
}
