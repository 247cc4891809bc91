#include "report/json_health.h"

#include <cstdio>
#include <string>

#include "bytes/utf8.h"
#include "report/json_writer.h"
#include "report/report_model.h"

namespace {

// A count, or null where the log has no such field (-1).
void Count(JsonWriter* json, const char* name, std::int64_t n) {
  if (n < 0) {
    json->Member(name, nullptr);
  } else {
    json->Member(name, n);
  }
}

void Text(JsonWriter* json, const char* name, const char* text) {
  if (text == nullptr) {
    json->Member(name, nullptr);
  } else {
    json->Member(name, std::string_view(TextAsUtf8(text)));
  }
}

void Percentiles(JsonWriter* json, const TimeSummary& time) {
  json->Member("requests", time.requests);
  Count(json, "p50", time.p50);
  Count(json, "p90", time.p90);
  Count(json, "p95", time.p95);
  Count(json, "p99", time.p99);
  Count(json, "max", time.max);
}

void TimePaths(JsonWriter* json, const char* name, const std::vector<PathCount>& paths) {
  json->Key(name);
  json->BeginArray();
  for (const PathCount& path : paths) {
    json->BeginObject();
    json->Member("path", std::string_view(TextAsUtf8(path.path)));
    json->Member("requests", path.requests);
    json->Member("total", path.total);
    json->Member("mean", path.total / path.requests);
    json->Member("max", path.max);
    json->EndObject();
  }
  json->EndArray();
}

void WriteStatuses(JsonWriter* json, const HealthPanels& health) {
  json->Key("statuses");
  json->BeginArray();
  for (const StatusRow& row : health.statuses) {
    json->BeginObject();
    Count(json, "status", row.status);
    Count(json, "substatus", row.substatus);
    Count(json, "win32", row.win32);
    if (row.name.empty()) {
      json->Member("name", nullptr);
    } else {
      json->Member("name", std::string_view(row.name));
    }
    json->Member("requests", row.requests);
    json->Member("page_hits", row.page_hits);
    json->EndObject();
  }
  json->EndArray();
}

void WriteErrors(JsonWriter* json, const HealthPanels& health) {
  json->Key("errors");
  json->BeginObject();
  std::int64_t total = 0;
  for (const StatusRow& row : health.statuses) {
    // cppcheck-suppress useStlAlgorithm ; a filtered sum reads best as a loop
    if (IsErrorStatus(row.status)) total += row.requests;
  }
  json->Member("requests", total);
  json->Key("paths");
  json->BeginArray();
  for (const PathCount& path : health.error_paths) {
    json->BeginObject();
    json->Member("status", path.status);
    json->Member("path", std::string_view(TextAsUtf8(path.path)));
    json->Member("requests", path.requests);
    json->EndObject();
  }
  json->EndArray();
  json->Key("clients");
  json->BeginArray();
  for (const auto& [client, requests] : health.error_clients) {
    json->BeginObject();
    json->Member("address", std::string_view(TextAsUtf8(client)));
    json->Member("requests", requests);
    json->EndObject();
  }
  json->EndArray();
  json->EndObject();
}

void WriteTimeAndBytes(JsonWriter* json, const HealthPanels& health) {
  json->Key("time_taken");
  if (!health.has_time) {
    json->Null();
  } else {
    json->BeginObject();
    json->Member("unit", "ms");
    json->Member("relative_error", "0.01");
    Percentiles(json, health.time);
    json->Key("hours");
    json->BeginArray();
    for (std::size_t hour = 0; hour < health.hours.size(); ++hour) {
      json->BeginObject();
      json->Member("hour", std::uint64_t{hour});
      Percentiles(json, health.hours[hour].time);
      json->EndObject();
    }
    json->EndArray();
    TimePaths(json, "paths", health.time_paths);
    TimePaths(json, "slowest", health.slowest_paths);
    json->EndObject();
  }

  json->Key("bytes");
  if (!health.has_bytes) {
    json->Null();
    return;
  }
  json->BeginObject();
  json->Member("total", health.bytes);
  json->Key("paths");
  json->BeginArray();
  for (const PathCount& path : health.bytes_paths) {
    json->BeginObject();
    json->Member("path", std::string_view(TextAsUtf8(path.path)));
    json->Member("requests", path.requests);
    json->Member("bytes", path.total);
    json->EndObject();
  }
  json->EndArray();
  json->EndObject();
}

void WriteDaysAndHours(JsonWriter* json, const ReportModel& model) {
  const HealthPanels& health = model.health;
  json->Key("days");
  json->BeginArray();
  for (const DayRow& day : model.days) {
    char date[32];
    std::snprintf(date, sizeof(date), "%04d-%02d-%02d", day.year, day.month, day.day);
    json->BeginObject();
    json->Member("date", date);
    json->Member("page_hits", day.page_hits);
    json->Member("requests", day.requests);
    json->Member("users", day.users);
    json->Member("sessions", day.sessions);
    Count(json, "bytes", health.has_bytes ? day.bytes : -1);
    json->Member("errors", day.errors);
    json->EndObject();
  }
  if (model.traffic.undated != 0) {
    json->BeginObject();
    json->Member("date", nullptr);
    json->Member("page_hits", model.traffic.undated);
    json->EndObject();
  }
  json->EndArray();

  json->Key("hours");
  json->BeginArray();
  for (std::size_t hour = 0; hour < 24; ++hour) {
    json->BeginObject();
    json->Member("hour", std::uint64_t{hour});
    json->Member("page_hits", model.traffic.hours[hour]);
    json->Member("requests", health.hours[hour].requests);
    Count(json, "bytes", health.has_bytes ? health.hours[hour].bytes : -1);
    json->Member("errors", health.hours[hour].errors);
    json->EndObject();
  }
  json->EndArray();
}

void WriteFilters(JsonWriter* json, const ReportModel& model) {
  json->Key("filters");
  json->BeginObject();
  Text(json, "root", model.root_path);
  Text(json, "exclude_clients", model.exclude_ip);
  Text(json, "servers", model.server_ip);
  Text(json, "exclude_patterns", model.exclude_pattern);
  Text(json, "from", model.range_from);
  Text(json, "to", model.range_to);
  json->Member("standard_offset_minutes", std::int64_t{-model.seconds_west / 60});
  Text(json, "client_field", model.client_field);
  Text(json, "trusted_proxies", model.trusted_proxies);
  Text(json, "sites", model.sites);
  Text(json, "own_hosts", model.own_hosts);
  json->Member("robots", model.exclude_robots ? "exclude" : "count");
  json->EndObject();
}

}  // namespace

void WriteHealthMembers(JsonWriter* json, const ReportModel& model) {
  const HealthPanels& health = model.health;
  json->Key("requests");
  json->BeginObject();
  json->Member("total", health.requests);
  json->EndObject();
  WriteStatuses(json, health);
  WriteErrors(json, health);
  WriteTimeAndBytes(json, health);
  WriteDaysAndHours(json, model);
  WriteFilters(json, model);
}
