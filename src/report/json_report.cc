#include "report/json_report.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>

#include "bytes/utf8.h"
#include "report/report_model.h"
#include "texts.h"

namespace {

// Keys in the order written, so that the layout reads as documented.
using Json = nlohmann::ordered_json;

Json TextOrNull(const std::optional<std::string>& text) {
  return text.has_value() ? Json(*text) : Json(nullptr);
}

// The names of the layout for FileProblem, and for the line verdicts that
// leave a line out, in their order (the accepted one has none).
constexpr const char* kProblemNames[kFileProblemCount] = {
    "missing", "unreadable", "not_regular", "damaged", "read_error"};
constexpr const char* kLeftOutNames[kLineVerdictCount] = {
    nullptr,           "incomplete",        "wrong_service",    "wrong_method",
    "wrong_server_ip", "wrong_root_path",   "excluded_client_ip", "excluded_pattern",
    "missing_parameter", "continuation",    "too_long"};

// What was read and what was left out.
Json SummaryOf(const ReadSummary& summary) {
  auto packed = [&](LogFormat format) {
    const auto& by_packing = summary.files_read[static_cast<int>(format)];
    return Json{{"plain", by_packing[static_cast<int>(LogPacking::kPlain)]},
                {"compressed", by_packing[static_cast<int>(LogPacking::kCompressed)]}};
  };
  Json problems = Json::array();
  for (const ProblemFile& file : summary.problem_files) {
    problems.push_back({{"path", TextAsUtf8(file.path)},
                        {"problem", kProblemNames[static_cast<int>(file.problem)]}});
  }
  Json patterns = Json::array();
  for (const std::string& pattern : summary.empty_patterns) patterns.push_back(TextAsUtf8(pattern));

  const LineCounts& lines = summary.lines;
  Json reasons = Json::object();
  for (int verdict = 1; verdict < kLineVerdictCount; ++verdict) {
    reasons[kLeftOutNames[verdict]] = lines.rejected[static_cast<std::size_t>(verdict)];
  }
  reasons["bad_date"] = lines.bad_dates;
  reasons["outside_range"] = lines.out_of_range;
  return {{"files",
           {{"comma", packed(LogFormat::kComma)},
            {"w3c", packed(LogFormat::kW3c)},
            {"problems", std::move(problems)},
            {"patterns_without_match", std::move(patterns)}}},
          {"lines",
           {{"read", lines.read},
            {"directives", lines.directives},
            {"counted", lines.counted},
            {"left_out", lines.LeftOut()},
            {"left_out_by_reason", std::move(reasons)}}}};
}

Json DateOf(const DayHits& day) {
  char date[32];
  std::snprintf(date, sizeof(date), "%04d-%02d-%02d", day.year, day.month, day.day);
  return date;
}

}  // namespace

void WriteJsonReport(const ReportModel& model, std::FILE* out) {
  Json report;
  report["report"] = "vantrix";
  report["version"] = kJsonLayoutVersion;
  report["program"] = {{"name", texts::kProductName}, {"version", texts::kVersion}};
  report["language"] = model.norwegian ? "nb" : "en";
  report["customer"] = model.customer;
  report["period"] = {{"start", TextOrNull(model.period_start)},
                      {"end", TextOrNull(model.period_end)}};

  const RunTotals& totals = model.totals;
  report["totals"] = {{"hits", totals.TotalHits},   {"sessions", totals.TotalSessions},
                      {"users", totals.UserCount},  {"bytes", totals.TotalBytes},
                      {"files", totals.FilesProcessed}};

  Json days = Json::array();
  std::transform(model.traffic.days.begin(), model.traffic.days.end(), std::back_inserter(days),
                 [](const DayHits& day) { return Json{{"date", DateOf(day)}, {"hits", day.hits}}; });
  if (model.traffic.undated != 0) {
    days.push_back({{"date", nullptr}, {"hits", model.traffic.undated}});
  }
  report["days"] = std::move(days);

  Json hours = Json::array();
  for (std::size_t hour = 0; hour < model.traffic.hours.size(); ++hour) {
    hours.push_back({{"hour", hour}, {"hits", model.traffic.hours[hour]}});
  }
  report["hours"] = std::move(hours);

  Json statuses = Json::array();
  std::transform(model.statuses.begin(), model.statuses.end(), std::back_inserter(statuses),
                 [](const StatusHits& status) {
                   return Json{{"status", status.present ? Json(status.text) : Json(nullptr)},
                               {"hits", status.hits}};
                 });
  report["statuses"] = std::move(statuses);

  report["limits"] = {{"pages", model.pages_to_show}, {"users", model.users_to_show}};
  Json pages = Json::array();
  for (std::size_t i = 0; i < model.pages.size(); ++i) {
    pages.push_back({{"rank", i + 1}, {"path", model.pages[i].path}, {"hits", model.pages[i].hits}});
  }
  report["pages"] = std::move(pages);
  Json users = Json::array();
  for (std::size_t i = 0; i < model.users.size(); ++i) {
    const UserRow& user = model.users[i];
    users.push_back({{"rank", i + 1},
                     {"address", user.address},
                     {"host", TextOrNull(user.host)},
                     {"hits", user.hits}});
  }
  report["users"] = std::move(users);
  report["summary"] = SummaryOf(model.summary);

  // Every text is UTF-8 by now; a fault here would be the program's.
  const std::string text = report.dump(2, ' ', false, Json::error_handler_t::strict);
  std::fwrite(text.data(), 1, text.size(), out);
  std::fputc('\n', out);
}
