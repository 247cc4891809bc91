#include "report/json_report.h"

#include <cstdio>
#include <string>

#include "bytes/utf8.h"
#include "report/json_health.h"
#include "report/json_who.h"
#include "report/json_writer.h"
#include "report/report_model.h"
#include "texts.h"

namespace {

// The names of the layout for FileProblem, and for the line verdicts that
// leave a line out, in their order (the accepted one has none, nor the
// continuation, whose pieces are no lines and are counted apart).
constexpr const char* kProblemNames[kFileProblemCount] = {
    "missing", "unreadable", "not_regular", "damaged", "read_error"};
constexpr const char* kLeftOutNames[kLineVerdictCount] = {
    nullptr,           "incomplete",        "too_many_fields",  "wrong_service",
    "wrong_method",    "wrong_server_ip",   "wrong_root_path",  "excluded_client_ip",
    "excluded_pattern", "missing_parameter", nullptr,           "too_long"};

void TimeMember(JsonWriter* json, const char* name, std::int64_t t) {
  const std::optional<std::string> iso = IsoLocalTime(t);
  if (iso.has_value()) {
    json->Member(name, std::string_view(*iso));
  } else {
    json->Member(name, nullptr);
  }
}

// What was read and what was left out.
void WriteSummary(JsonWriter* json, const ReadSummary& summary) {
  auto packed = [&](const char* name, LogFormat format) {
    const auto& by_packing = summary.files_read[static_cast<int>(format)];
    json->Key(name);
    json->BeginObject();
    json->Member("plain", by_packing[static_cast<int>(LogPacking::kPlain)]);
    json->Member("compressed", by_packing[static_cast<int>(LogPacking::kCompressed)]);
    json->EndObject();
  };
  json->BeginObject();
  json->Key("files");
  json->BeginObject();
  packed("comma", LogFormat::kComma);
  packed("w3c", LogFormat::kW3c);
  json->Key("problems");
  json->BeginArray();
  for (const ProblemFile& file : summary.problem_files) {
    json->BeginObject();
    json->Member("path", std::string_view(TextAsUtf8(file.path)));
    json->Member("problem", kProblemNames[static_cast<int>(file.problem)]);
    json->EndObject();
  }
  json->EndArray();
  json->Key("patterns_without_match");
  json->BeginArray();
  for (const std::string& pattern : summary.empty_patterns) json->String(TextAsUtf8(pattern));
  json->EndArray();
  json->EndObject();

  const LineCounts& lines = summary.lines;
  json->Key("lines");
  json->BeginObject();
  json->Member("read", lines.read);
  json->Member("continuation", lines.continuations);
  json->Member("directives", lines.directives);
  json->Member("counted", lines.counted);
  json->Member("left_out", lines.LeftOut());
  json->Key("left_out_by_reason");
  json->BeginObject();
  for (int verdict = 1; verdict < kLineVerdictCount; ++verdict) {
    if (kLeftOutNames[verdict] == nullptr) continue;
    json->Member(kLeftOutNames[verdict], lines.rejected[static_cast<std::size_t>(verdict)]);
  }
  // A reason only --site can give, named when it was given.
  if (summary.sites_chosen) json->Member("other_site", lines.other_site);
  if (summary.robots_excluded) json->Member("robot", lines.robots);
  json->Member("bad_date", lines.bad_dates);
  json->Member("outside_range", lines.out_of_range);
  json->EndObject();
  json->EndObject();
  json->EndObject();
}

// Page hits by the status text as logged; the texts that are not codes
// are one group, with the most frequent of them by name.
void WritePageHitStatuses(JsonWriter* json, const ReportModel& model) {
  json->Key("page_hit_statuses");
  json->BeginArray();
  for (const StatusHits& status : model.statuses) {
    json->BeginObject();
    switch (status.kind) {
      case StatusHits::Kind::kCode:
        json->Member("status", std::string_view(status.text));
        break;
      case StatusHits::Kind::kOther:
        json->Member("status", "other");
        break;
      case StatusHits::Kind::kAbsent:
        json->Member("status", nullptr);
        break;
    }
    json->Member("hits", status.hits);
    if (status.kind == StatusHits::Kind::kOther) {
      json->Key("texts");
      json->BeginArray();
      for (const StatusHits::Named& named : status.named) {
        json->BeginObject();
        json->Member("status", std::string_view(TextAsUtf8(named.text)));
        json->Member("hits", named.hits);
        json->EndObject();
      }
      json->EndArray();
    }
    json->EndObject();
  }
  json->EndArray();
}

void WriteTopLists(JsonWriter* json, const ReportModel& model) {
  json->Key("limits");
  json->BeginObject();
  json->Member("pages", model.pages_to_show);
  json->Member("users", model.users_to_show);
  json->EndObject();

  std::int64_t rank = 0;
  json->Key("pages");
  json->BeginArray();
  for (const PageRow& page : model.pages) {
    json->BeginObject();
    json->Member("rank", ++rank);
    json->Member("path", std::string_view(TextAsUtf8(page.path)));
    json->Member("hits", page.hits);
    json->EndObject();
  }
  json->EndArray();

  rank = 0;
  json->Key("users");
  json->BeginArray();
  for (const UserRow& user : model.users) {
    json->BeginObject();
    json->Member("rank", ++rank);
    json->Member("address", std::string_view(TextAsUtf8(user.address)));
    if (user.host.has_value()) {
      json->Member("host", std::string_view(TextAsUtf8(*user.host)));
    } else {
      json->Member("host", nullptr);
    }
    json->Member("hits", user.hits);
    json->EndObject();
  }
  json->EndArray();
}

}  // namespace

void WriteJsonReport(const ReportModel& model, std::FILE* out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Member("report", "vantrix");
  json.Member("version", kJsonLayoutVersion);
  json.Key("program");
  json.BeginObject();
  json.Member("name", texts::kProductName);
  json.Member("version", texts::kVersion);
  json.EndObject();
  json.Member("language", model.norwegian ? "nb" : "en");
  TimeMember(&json, "generated", model.generated);
  if (model.customer_given) {
    json.Member("customer", std::string_view(TextAsUtf8(model.customer)));
  } else {
    json.Member("customer", nullptr);
  }
  json.Key("period");
  if (model.totals.TotalHits == 0) {
    json.Null();
  } else {
    json.BeginObject();
    TimeMember(&json, "start", model.totals.PeriodStart);
    TimeMember(&json, "end", model.totals.PeriodEnd);
    json.EndObject();
  }

  const RunTotals& totals = model.totals;
  json.Key("totals");
  json.BeginObject();
  json.Member("hits", totals.TotalHits);
  json.Member("sessions", totals.TotalSessions);
  json.Member("users", totals.UserCount);
  if (model.health.has_bytes) {
    json.Member("bytes", model.bytes_sent);
  } else {
    json.Member("bytes", nullptr);
  }
  json.Member("files", totals.FilesProcessed);
  json.EndObject();

  WriteHealthMembers(&json, model);
  WriteWhoMembers(&json, model);
  WritePageHitStatuses(&json, model);
  WriteTopLists(&json, model);
  json.Key("summary");
  WriteSummary(&json, model.summary);
  json.EndObject();
  std::fputc('\n', out);
}
