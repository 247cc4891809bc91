#include "platform/local_time.h"

#include <cstdlib>
#include <ctime>

#include "platform/tz_rule.h"

// With TZ set, its POSIX form is read here, as the C library of a POSIX
// system reads it (the C runtime of Windows knows only part of it); a value
// that is no such form (a zone database name, which Windows has no database
// for) means UTC, as there. Without TZ, the C runtime gives Windows' own
// zone.
namespace {

bool ZoneFromTz(TzRule* rule) {
  const char* tz = std::getenv("TZ");
  if (tz == nullptr) return false;
  if (!ParseTzRule(tz, rule)) *rule = TzRule{};
  return true;
}

}  // namespace

long StandardSecondsWest() {
  TzRule rule;
  if (ZoneFromTz(&rule)) return rule.standard_west;
  _tzset();
  return _timezone;
}

bool FromLocalTime(const std::tm& local, std::int64_t* t) {
  TzRule rule;
  if (ZoneFromTz(&rule)) {
    *t = TimeStampUnder(rule, local);
    return true;
  }
  std::tm copy = local;
  copy.tm_isdst = -1;
  const __time64_t value = _mktime64(&copy);
  if (value == -1) return false;
  *t = value;
  return true;
}

bool ToLocalTime(std::int64_t t, std::tm* out) {
  TzRule rule;
  if (ZoneFromTz(&rule)) {
    LocalTimeUnder(rule, t, out);
    return true;
  }
  const __time64_t value = t;
  return _localtime64_s(out, &value) == 0;
}
