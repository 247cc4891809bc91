#include "report/report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "bytes/field_text.h"
#include "platform/local_time.h"
#include "platform/terminal.h"
#include "report/report_model.h"
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

// How the texts of the logs, the name service and the command line are
// shown: on a terminal their control characters are escaped, as its
// character set reads them.
TextEscape EscapeFor(std::FILE* out, ReportCharset charset) {
  if (!IsTerminal(out)) return TextEscape::kNone;
  return charset == ReportCharset::kUtf8 ? TextEscape::kUtf8Terminal : TextEscape::kTerminal;
}

// The rows of one table. Each name's view is followed by a NUL byte, so it
// prints as the C text it is.
template <typename Row, typename NameOf>
void WriteRows(std::FILE* out, TextEscape escape, const std::vector<Row>& rows, NameOf name_of) {
  int rank = 1;
  for (const Row& row : rows) {
    const char* name = name_of(row).data();
    std::fprintf(out, texts::kRow, rank++,
                 escape != TextEscape::kNone ? FieldText(name, escape).text : name, row.hits);
  }
}

const texts::ReportTexts& TextsOf(bool norwegian, ReportCharset charset) {
  if (!norwegian) return texts::kEnglish;
  return charset == ReportCharset::kUtf8 ? texts::kNorwegianUtf8 : texts::kNorwegian;
}

// Writes the title and returns how long its underline is: the characters
// of the line before its newline.
int WriteTitle(std::FILE* out, const char* format, const char* customer, const char* start,
               const char* end, ReportCharset charset) {
  if (charset == ReportCharset::kWindows1252) {
    return std::fprintf(out, format, customer, start, end) - 1;
  }
  const int size = std::snprintf(nullptr, 0, format, customer, start, end);
  if (size < 0) return -1;
  std::string title(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(title.data(), title.size(), format, customer, start, end);
  title.pop_back();
  std::fputs(title.c_str(), out);
  // Every byte that does not continue a UTF-8 sequence begins a character.
  const auto characters = std::count_if(title.begin(), title.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return static_cast<int>(characters) - 1;
}

}  // namespace

void WriteReport(const ReportModel& model, std::FILE* out, ReportCharset charset) {
  const texts::ReportTexts& text = TextsOf(model.norwegian, charset);
  const RunTotals& totals = model.totals;

  char start[32];
  char end[32];
  FormatReportDate(totals.PeriodStart, start);
  FormatReportDate(totals.PeriodEnd, end);

  // The title, underlined with one "-" for each of its bytes (characters,
  // on a terminal that reads UTF-8).
  const TextEscape escape = EscapeFor(out, charset);
  const FieldText customer(model.customer, escape);
  const int underline = WriteTitle(out, text.title, customer.text, start, end, charset);
  for (int i = 0; i < underline; ++i) std::fputc('-', out);

  std::fprintf(out, text.hits_total, totals.TotalHits);
  std::fprintf(out, text.sessions_total, totals.TotalSessions);

  if (model.pages_to_show != 0) {
    std::fprintf(out, text.pages_heading, model.pages_to_show);
    std::fputs(text.pages_header, out);
    WriteRows(out, escape, model.pages, [](const PageRow& page) { return page.path; });
  }

  if (model.users_to_show != 0) {
    std::fprintf(out, text.users_heading, model.users_to_show);
    std::fputs(text.users_header, out);
    WriteRows(out, escape, model.users,
              [](const UserRow& user) { return user.host.value_or(user.address); });
  }
}
