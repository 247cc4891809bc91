#include "intake/log_line.h"

#include <cstring>

#include "intake/decimal.h"
#include "intake/field_text.h"
#include "run/options.h"
#include "texts.h"

std::string LogFields::ToString() const {
  std::string text = std::to_string(count) + ":";
  for (int i = 0; i < kFieldCount; ++i) {
    if (Present(i)) {
      text += " [";
      text += slot[i];
      text += ']';
    } else {
      text += " ~";
    }
  }
  return text;
}

void TokenizeLine(std::string_view line, LogFields* fields) {
  if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
    line = line.substr(0, static_cast<const char*>(nul) - line.data());
  }
  fields->slot.fill(std::string_view());
  fields->count = 0;

  // Cut as strtok() with "," cuts: a run of commas is one separator, and a
  // line that begins with commas skips them.
  const char* p = line.data();
  const char* end = p + line.size();
  while (fields->count < kFieldCount) {
    while (p < end && *p == ',') ++p;
    if (p == end) break;
    const char* comma = static_cast<const char*>(std::memchr(p, ',', end - p));
    const char* token_end = comma ? comma : end;
    const char* start = p;
    while (start < token_end && IsCSpace(static_cast<unsigned char>(*start))) ++start;
    std::size_t size = token_end - start;
    // A field of white space alone, or a lone "-", is absent.
    if (size != 0 && !(size == 1 && *start == '-')) {
      fields->slot[fields->count] = std::string_view(start, size);
    }
    ++fields->count;
    p = token_end;
  }
  fields->complete = fields->count == kFieldCount;
}

LineFilters CompileFilters(const Options& options) {
  LineFilters filters;
  filters.root_path = options.RootPath;
  if (options.ServerIP != nullptr) {
    filters.has_server_ip = true;
    filters.server_ip = ParseIpMaskList(options.ServerIP);
  }
  if (options.ExcludeIP != nullptr) {
    filters.has_exclude_ip = true;
    filters.exclude_ip = ParseIpMaskList(options.ExcludeIP);
  }
  filters.exclude_pattern = SplitNamePatterns(options.ExcludePattern);
  return filters;
}

LineVerdict FilterLine(const LogFields& fields, const LineFilters& filters) {
  // Every field the tests below read was found.
  if (!fields.complete) return LineVerdict::kIncomplete;

  // Only the web service counts.
  if (!fields.Present(kService) || !fields.slot[kService].starts_with("W3SVC"))
    return LineVerdict::kWrongService;

  // Only page requests count.
  if (fields.slot[kMethod] != "GET") return LineVerdict::kWrongMethod;

  // The server the request reached.
  if (!fields.Present(kServerIp) ||
      (filters.has_server_ip &&
       !MatchIpAddress(ReadIpAddress(fields.slot[kServerIp]), filters.server_ip)))
    return LineVerdict::kWrongServerIp;

  // The part of the site reported on.
  if (!fields.Present(kTarget) || !fields.slot[kTarget].starts_with(filters.root_path))
    return LineVerdict::kWrongRootPath;

  // Clients left out of the statistics.
  if (!fields.Present(kClientIp) ||
      (filters.has_exclude_ip &&
       MatchIpAddress(ReadIpAddress(fields.slot[kClientIp]), filters.exclude_ip)))
    return LineVerdict::kExcludedClientIp;

  // Files that are not pages.
  if (MatchNamePatternList(fields.slot[kTarget], filters.exclude_pattern))
    return LineVerdict::kExcludedPattern;

  // What the statistics need.
  if (!fields.Present(kServerBytes) || !fields.Present(kDate) || !fields.Present(kTime))
    return LineVerdict::kMissingParameter;

  return LineVerdict::kAccepted;
}

void WriteRejection(std::FILE* out, LineVerdict verdict, const LogFields& fields,
                    const Options& options) {
  switch (verdict) {
    case LineVerdict::kAccepted:
      break;
    case LineVerdict::kIncomplete:
      std::fprintf(out, texts::kRejectIncomplete, fields.count);
      break;
    case LineVerdict::kWrongService:
      std::fputs(texts::kRejectService, out);
      break;
    case LineVerdict::kWrongMethod:
      std::fputs(texts::kRejectMethod, out);
      break;
    case LineVerdict::kWrongServerIp:
      std::fputs(texts::kRejectServerIp, out);
      break;
    case LineVerdict::kWrongRootPath:
      std::fprintf(out, texts::kRejectRootPath, options.RootPath);
      break;
    case LineVerdict::kExcludedClientIp:
      if (fields.Present(kClientIp)) {
        std::fprintf(out, texts::kRejectClientIp, FieldText(fields.slot[kClientIp]).text);
      } else {
        std::fprintf(out, texts::kRejectClientIp, texts::kUndefinedIp);
      }
      break;
    case LineVerdict::kExcludedPattern:
      std::fprintf(out, texts::kRejectPattern, FieldText(fields.slot[kTarget]).text);
      break;
    case LineVerdict::kMissingParameter:
      std::fputs(texts::kRejectMissing, out);
      break;
  }
}
