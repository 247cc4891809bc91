// Hit time stamps: a comma-format and a W3C HitTimeCache on a run of fuzzed
// date and time texts.
//
// Input: one byte choosing the zone's standard offset, then date, NUL, time,
// NUL, date, NUL, time, ... (one cache serves the whole run, as it serves a
// whole log).
//
// Properties:
// - a cache that has read earlier texts gives what a fresh one gives;
// - every result is 0, -1 or positive;
// - where no number is long enough to overflow, the result is what the
//   C library gives: the texts read by sscanf with "%d.%d.%d", "%d/%d/%d"
//   and "%d:%d:%d", the fields turned into seconds by timegm;
// - a W3C time stamp is the UTC instant of "YYYY-MM-DD" (digits only, a
//   real calendar day) and the time read as above, -1 outside the 32-bit
//   range, 0 for a date of another form; again as the C library says.
#include <climits>
#include <cstdio>
#include <ctime>
#include <string>

#include "fuzz_input.h"
#include "intake/w3c_format.h"
#include "stats/hit_time.h"

namespace {

// Standard offsets in seconds west of UTC: UTC, UTC+1, UTC-5, UTC+14,
// UTC-12, UTC+5:30.
constexpr long kZones[] = {0, -3600, 18000, -50400, 43200, -19800};

// The date rules worked by the C library's reading and calendar instead.
TimeStamp Reference(const std::string& date, const std::string& time, long west) {
  int day = 0;
  int month = 0;
  int year = 0;
  if (date.find('.') != std::string::npos) {
    std::sscanf(date.c_str(), "%d.%d.%d", &day, &month, &year);
  } else if (date.find('/') != std::string::npos) {
    std::sscanf(date.c_str(), "%d/%d/%d", &month, &day, &year);
  } else {
    return 0;
  }
  month -= 1;
  if (month < 0 || month > 11 || day < 1 || day > 31) return 0;
  if (year >= 1900) {
    year -= 1900;
  } else if (year < 80) {
    year += 100;
  }
  if (year < 69 || year > 139) return -1;

  int hour = 0;
  int minute = 0;
  int second = 0;
  std::sscanf(time.c_str(), "%d:%d:%d", &hour, &minute, &second);
  std::tm fields{};
  fields.tm_year = year;
  fields.tm_mon = month;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  const long long as_utc = timegm(&fields);
  if (as_utc < INT_MIN || as_utc > INT_MAX) return -1;
  const long long instant = as_utc + west;
  if (instant < 0 || instant > INT_MAX) return -1;
  return static_cast<TimeStamp>(instant);
}

// A W3C time stamp by the C library.
TimeStamp W3cReference(const std::string& date, const std::string& time) {
  long long parts[3];
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= date.size() || date[pos] != '-') return 0;
      ++pos;
    }
    const std::size_t start = pos;
    while (pos < date.size() && date[pos] >= '0' && date[pos] <= '9') ++pos;
    // A year of four digits, a month and a day of one or two.
    const std::size_t digits = pos - start;
    if (i == 0 ? digits != 4 : digits < 1 || digits > 2) return 0;
    parts[i] = std::stoll(date.substr(start, digits));
  }
  if (pos != date.size() || parts[0] == 0 || parts[1] < 1 || parts[1] > 12 || parts[2] < 1) {
    return 0;
  }
  std::tm day{};
  day.tm_year = static_cast<int>(parts[0] - 1900);
  day.tm_mon = static_cast<int>(parts[1] - 1);
  day.tm_mday = static_cast<int>(parts[2]);
  const long long midnight = timegm(&day);
  if (day.tm_mday != parts[2]) return 0;  // not a day of that month
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::sscanf(time.c_str(), "%d:%d:%d", &hour, &minute, &second);
  const long long instant = midnight + hour * 3600LL + minute * 60LL + second;
  if (instant < 0 || instant > INT_MAX) return -1;
  return static_cast<TimeStamp>(instant);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const long west = kZones[input.Byte() % (sizeof(kZones) / sizeof(kZones[0]))];
  HitTimeCache cache(DateForm::kComma, west);
  HitTimeCache w3c_cache(DateForm::kW3c, west);
  for (int pair = 0; pair < 64 && !input.empty(); ++pair) {
    const std::string_view date = input.Text();
    const std::string_view time = input.Text();

    const TimeStamp parsed = HitTimeCache(DateForm::kComma, west).ParseHitTime(date, time);
    FUZZ_CHECK(parsed == 0 || parsed == -1 || parsed > 0);
    FUZZ_CHECK(cache.ParseHitTime(date, time) == parsed);

    const HitDate day = ParseHitDate(date);
    FUZZ_CHECK(day.valid || day.rejected_or_failed == 0 || day.rejected_or_failed == -1);
    if (!day.valid) FUZZ_CHECK(parsed == day.rejected_or_failed);

    if (DigitRunsAtMost(date, 9) && DigitRunsAtMost(time, 9)) {
      FUZZ_CHECK(parsed == Reference(std::string(date), std::string(time), west));
    }

    const TimeStamp utc = HitTimeCache(DateForm::kW3c, west).ParseHitTime(date, time);
    FUZZ_CHECK(utc == 0 || utc == -1 || utc > 0);
    FUZZ_CHECK(w3c_cache.ParseHitTime(date, time) == utc);
    // Six digits at most: the reader's numbers stop growing past a million,
    // and the C library's years end not much later.
    if (DigitRunsAtMost(date, 6) && DigitRunsAtMost(time, 9)) {
      FUZZ_CHECK(utc == W3cReference(std::string(date), std::string(time)));
    }
  }
  return 0;
}
