#include "platform/local_time.h"

#include <chrono>

long SecondsEastOf(const std::tm& local, std::int64_t t) {
  using namespace std::chrono;
  const sys_days date = std::chrono::year{local.tm_year + 1900} /
                        std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
                        std::chrono::day{static_cast<unsigned>(local.tm_mday)};
  const std::int64_t as_utc = date.time_since_epoch().count() * std::int64_t{86400} +
                              local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
  return static_cast<long>(as_utc - t);
}
