// The JSON members of the panels of who is behind the requests.
#pragma once

class JsonWriter;
struct ReportModel;

/// "robots", "browsers", "systems", "referrers" and "sites": null each when
/// no log carried the field it is read from.
void WriteWhoMembers(JsonWriter* json, const ReportModel& model);
