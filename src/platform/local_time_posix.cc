#include "platform/local_time.h"

#include <time.h>

long StandardSecondsWest() {
  tzset();
  return timezone;
}

bool FromLocalTime(const std::tm& local, std::int64_t* t) {
  std::tm copy = local;
  copy.tm_isdst = -1;
  const time_t value = mktime(&copy);
  // -1 is also 1969-12-31 23:59:59 UTC; only a time that says so is one.
  if (value == static_cast<time_t>(-1) &&
      (copy.tm_year != 69 || copy.tm_mon != 11 || copy.tm_mday != 31)) {
    return false;
  }
  *t = static_cast<std::int64_t>(value);
  return true;
}

bool ToLocalTime(std::int64_t t, std::tm* out) {
  const time_t value = static_cast<time_t>(t);
  return localtime_r(&value, out) != nullptr;
}
