#include "platform/local_time.h"

#include <chrono>
#include <cstdlib>

long SecondsEastOf(const std::tm& local, std::int64_t t) {
  using namespace std::chrono;
  const sys_days date = std::chrono::year{local.tm_year + 1900} /
                        std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
                        std::chrono::day{static_cast<unsigned>(local.tm_mday)};
  const std::int64_t as_utc = date.time_since_epoch().count() * std::int64_t{86400} +
                              local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
  return static_cast<long>(as_utc - t);
}

std::int64_t ReportTime() {
  if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) {
    std::int64_t t = 0;
    const char* digit = fixed;
    for (; *digit >= '0' && *digit <= '9' && t < (std::int64_t{1} << 40); ++digit) {
      t = t * 10 + (*digit - '0');
    }
    if (digit != fixed && *digit == '\0') return t;
  }
  return static_cast<std::int64_t>(std::time(nullptr));
}
