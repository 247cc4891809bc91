// The JSON members of the panels over every request.
#pragma once

class JsonWriter;
struct ReportModel;

/// "requests", "statuses", "errors", "time_taken", "bytes", "days",
/// "hours" and "filters".
void WriteHealthMembers(JsonWriter* json, const ReportModel& model);
