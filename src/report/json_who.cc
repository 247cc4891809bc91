#include "report/json_who.h"

#include <string_view>
#include <vector>

#include "bytes/utf8.h"
#include "report/json_writer.h"
#include "report/report_model.h"

namespace {

void Bytes(JsonWriter* json, bool has_bytes, std::int64_t bytes) {
  if (has_bytes) {
    json->Member("bytes", bytes);
  } else {
    json->Member("bytes", nullptr);
  }
}

// Texts from the logs are bytes; JSON has them as UTF-8.
void Name(JsonWriter* json, const char* key, const std::string& text) {
  json->Member(key, std::string_view(TextAsUtf8(text)));
}

void Rows(JsonWriter* json, const char* key, const std::vector<NamedTraffic>& rows,
          bool has_bytes, bool with_kind, bool with_bytes) {
  json->Key(key);
  json->BeginArray();
  for (const NamedTraffic& row : rows) {
    json->BeginObject();
    Name(json, "name", row.name);
    if (with_kind) {
      if (row.kind.empty()) {
        json->Member("kind", nullptr);
      } else {
        json->Member("kind", std::string_view(row.kind));
      }
    }
    json->Member("requests", row.requests);
    json->Member("page_hits", row.page_hits);
    if (with_bytes) Bytes(json, has_bytes, row.bytes);
    json->EndObject();
  }
  json->EndArray();
}

void Robots(JsonWriter* json, const WhoPanels& who, bool has_bytes) {
  json->Key("robots");
  if (!who.has_agents) {
    json->Null();
    return;
  }
  json->BeginObject();
  json->Member("requests", who.robot_requests);
  Bytes(json, has_bytes, who.robot_bytes);
  json->Key("people");
  json->BeginObject();
  json->Member("requests", who.human_requests);
  Bytes(json, has_bytes, who.human_bytes);
  json->EndObject();
  json->Key("kinds");
  json->BeginArray();
  for (const NamedTraffic& row : who.robot_kinds) {
    json->BeginObject();
    json->Member("kind", std::string_view(row.kind));
    json->Member("requests", row.requests);
    json->Member("page_hits", row.page_hits);
    Bytes(json, has_bytes, row.bytes);
    json->EndObject();
  }
  json->EndArray();
  Rows(json, "top", who.robots, has_bytes, true, true);
  json->EndObject();
}

}  // namespace

void WriteWhoMembers(JsonWriter* json, const ReportModel& model) {
  const WhoPanels& who = model.who;
  const bool has_bytes = model.health.has_bytes;
  Robots(json, who, has_bytes);
  if (who.has_agents) {
    Rows(json, "browsers", who.browsers, has_bytes, false, true);
    Rows(json, "systems", who.systems, has_bytes, false, true);
  } else {
    json->Member("browsers", nullptr);
    json->Member("systems", nullptr);
  }
  json->Key("referrers");
  if (who.has_referrers) {
    json->BeginObject();
    json->Member("requests", who.referred_requests);
    Rows(json, "sites", who.referrer_sites, has_bytes, true, false);
    Rows(json, "pages", who.referrer_pages, has_bytes, false, false);
    json->EndObject();
  } else {
    json->Null();
  }
  json->Key("sites");
  if (!who.has_sites) {
    json->Null();
    return;
  }
  json->BeginArray();
  for (const SiteRow& row : who.sites) {
    json->BeginObject();
    Name(json, "name", row.name);
    json->Member("requests", row.requests);
    json->Member("page_hits", row.page_hits);
    json->Member("users", row.users);
    Bytes(json, has_bytes, row.bytes);
    json->Member("errors", row.errors);
    json->EndObject();
  }
  json->EndArray();
}
