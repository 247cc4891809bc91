#include "report/report_model.h"

#include <cstdio>
#include <ctime>

#include "bytes/utf8.h"
#include "options.h"
#include "platform/local_time.h"

std::optional<std::string> IsoLocalTime(TimeStamp t) {
  std::tm local;
  if (t < 0 || !ToLocalTime(t, &local)) return std::nullopt;
  const long offset = SecondsEastOf(local, t);
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char text[64];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
  return std::string(text);
}

ReportModel BuildReportModel(const Options& options, const Statistics& stats,
                             const ReadSummary& summary) {
  ReportModel model;
  model.summary = summary;
  model.norwegian = options.Norwegian;
  model.customer = TextAsUtf8(options.CustomerName != nullptr ? options.CustomerName : "");
  model.period_start = IsoLocalTime(stats.totals.PeriodStart);
  model.period_end = IsoLocalTime(stats.totals.PeriodEnd);
  model.totals = stats.totals;
  model.pages_to_show = options.NumPagesToShow;
  model.users_to_show = options.NumUsersToShow;

  std::int64_t row = 1;
  for (RecordIndex i = stats.PageList; i != kNoRecord && row <= options.NumPagesToShow;
       i = stats.pages[i].Next, ++row) {
    const PageRecord& page = stats.pages[i];
    model.pages.push_back({TextAsUtf8({page.Path, page.PathSize}), page.Hits});
  }
  row = 1;
  for (RecordIndex i = stats.UserList; i != kNoRecord && row <= options.NumUsersToShow;
       i = stats.users[i].Next, ++row) {
    const UserRecord& user = stats.users[i];
    UserRow& out = model.users.emplace_back();
    out.address = TextAsUtf8({user.Address, user.AddressSize});
    if (user.HostName != nullptr) out.host = TextAsUtf8(user.HostName);
    out.hits = user.Hits;
  }

  model.statuses = StatusRows(stats.traffic);
  for (StatusHits& status : model.statuses) status.text = TextAsUtf8(status.text);
  model.traffic = ByLocalTime(stats.traffic);
  return model;
}
