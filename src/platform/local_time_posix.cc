#include "platform/local_time.h"

#include <time.h>

long StandardSecondsWest() {
  tzset();
  return timezone;
}

bool ToLocalTime(std::int64_t t, std::tm* out) {
  const time_t value = static_cast<time_t>(t);
  return localtime_r(&value, out) != nullptr;
}
