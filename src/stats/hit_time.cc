#include "stats/hit_time.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "bytes/decimal.h"
#include "bytes/same_bytes.h"

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// Reads up to three numbers separated by `separator`, as the formatted input
// conversion "%d<sep>%d<sep>%d" does: it stops at the first mismatch, and the
// numbers it does not get to stay 0.
void ScanTriple(std::string_view text, char separator, std::int32_t* a,
                std::int32_t* b, std::int32_t* c) {
  std::int32_t* fields[3] = {a, b, c};
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != separator) return;
      ++pos;
    }
    if (!ScanDecimal(text, &pos, fields[i])) return;
  }
}

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// The usual time text, "h:mm:ss" or "hh:mm:ss" and nothing more, read
// directly; false for anything else, which the general reading takes.
inline bool ReadClockTime(std::string_view text, std::int32_t* hour, std::int32_t* minute,
                          std::int32_t* second) {
  const char* p = text.data();
  std::size_t n = text.size();
  if (n != 7 && n != 8) return false;
  if (std::endian::native == std::endian::little && n == 8) {
    // "hh:mm:ss" read as one word: each byte less its digit zero, the
    // colons less themselves; then every byte must be at most 9 and the
    // colons' 0.
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t x = word ^ 0x3030'3A30'303A'3030ULL;
    constexpr std::uint64_t kHigh = 0x8080'8080'8080'8080ULL;
    if ((((x + 0x7676'7676'7676'7676ULL) | x) & kHigh) != 0 ||
        (x & 0x0000'FF00'00FF'0000ULL) != 0) {
      return false;
    }
    // Byte i becomes ten times digit i and digit i + 1: hours at byte 0,
    // minutes at 3, seconds at 6.
    const std::uint64_t pairs = x * 10 + (x >> 8);
    *hour = static_cast<std::int32_t>(pairs & 0xFF);
    *minute = static_cast<std::int32_t>(pairs >> 24 & 0xFF);
    *second = static_cast<std::int32_t>(pairs >> 48 & 0xFF);
    return true;
  }
  std::int32_t h = 0;
  if (n == 8) {
    if (!IsDigit(*p)) return false;
    h = (*p++ - '0') * 10;
  }
  if (!IsDigit(p[0]) || p[1] != ':' || !IsDigit(p[2]) || !IsDigit(p[3]) || p[4] != ':' ||
      !IsDigit(p[5]) || !IsDigit(p[6])) {
    return false;
  }
  *hour = h + (p[0] - '0');
  *minute = (p[2] - '0') * 10 + (p[3] - '0');
  *second = (p[5] - '0') * 10 + (p[6] - '0');
  return true;
}


bool IsLeapYear(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

std::int64_t DaysInMonth(std::int64_t year, std::int64_t month) {
  constexpr std::int64_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads the digits at `pos` as a count that stops growing past a million,
// so that any run of digits is a value without overflow. False when there
// is no digit.
bool ReadDigits(std::string_view text, std::size_t* pos, std::int64_t* value) {
  std::size_t i = *pos;
  std::int64_t n = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (n < 1000000) n = n * 10 + (text[i] - '0');
  }
  if (i == *pos) return false;
  *pos = i;
  *value = n;
  return true;
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

HitDate ParseHitDate(std::string_view date) {
  HitDate result;
  std::int32_t day = 0;
  std::int32_t month = 0;
  std::int32_t year = 0;
  if (date.find('.') != std::string_view::npos) {
    ScanTriple(date, '.', &day, &month, &year);
  } else if (date.find('/') != std::string_view::npos) {
    ScanTriple(date, '/', &month, &day, &year);
  } else {
    return result;  // no known form: day 0, a rejected date
  }

  // Months are written 1 to 12.
  const std::int64_t month0 = std::int64_t{month} - 1;
  if (month0 < 0 || month0 > 11 || day < 1 || day > 31) return result;

  // Years count from 1900. A year of 1900 or more is written in full;
  // below that, 00-79 are 2000-2079 and 80-99 are 1980-1999.
  std::int64_t years = year;
  if (years >= 1900) {
    years -= 1900;
  } else if (years < 80) {
    years += 100;
  }
  if (years < 69 || years > 139) {
    result.rejected_or_failed = kFailedConversion;
    return result;
  }

  // Days past the end of the month carry over into the next one.
  result.valid = true;
  result.day_seconds = DaysFromCivil(1900 + years, month0 + 1, day) * 86400;
  return result;
}

namespace {

// The time of an unusual text, as the formatted input conversion reads it.
[[gnu::noinline]] std::int64_t ScannedTimeOfDay(std::string_view time) {
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  ScanTriple(time, ':', &hour, &minute, &second);
  return std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

}  // namespace

std::int64_t TimeOfDaySeconds(std::string_view time) {
  // The time has no tests: unread fields are 0, and fields out of range
  // carry over into the day. The usual text is read inline, where a hit's
  // time is made.
  std::int32_t hour;
  std::int32_t minute;
  std::int32_t second;
  if (!ReadClockTime(time, &hour, &minute, &second)) return ScannedTimeOfDay(time);
  return std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

TimeStamp CombineHitTime(const HitDate& date, std::string_view time,
                         long seconds_west) {
  if (!date.valid) return date.rejected_or_failed;

  const std::int64_t as_utc = date.day_seconds + TimeOfDaySeconds(time);
  if (as_utc < kInt32Min || as_utc > kInt32Max) return kFailedConversion;

  // Local standard time: the zone's standard offset, never summer time.
  const std::int64_t instant = as_utc + seconds_west;
  if (instant < 0 || instant > kInt32Max) return kFailedConversion;
  return static_cast<TimeStamp>(instant);
}

HitDate ParseW3cDate(std::string_view date) {
  HitDate result;
  // The year in four digits, the month and the day in one or two.
  constexpr std::size_t kMaxDigits[3] = {4, 2, 2};
  constexpr std::size_t kMinDigits[3] = {4, 1, 1};
  std::int64_t parts[3];
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= date.size() || date[pos] != '-') return result;
      ++pos;
    }
    const std::size_t start = pos;
    if (!ReadDigits(date, &pos, &parts[i])) return result;
    if (pos - start < kMinDigits[i] || pos - start > kMaxDigits[i]) return result;
  }
  if (pos != date.size()) return result;

  const std::int64_t year = parts[0];
  const std::int64_t month = parts[1];
  const std::int64_t day = parts[2];
  // There was no year 0.
  if (year == 0) return result;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return result;
  result.valid = true;
  result.day_seconds = DaysFromCivil(year, month, day) * 86400;
  return result;
}

TimeStamp HitTimeCache::ParseHitTime(std::string_view date, std::string_view time) {
  if (date.size() != last_size_ || !SameBytes(date.data(), last_text_, date.size())) {
    last_date_ = form_ == DateForm::kW3c ? ParseW3cDate(date) : ParseHitDate(date);
    if (date.size() <= sizeof(last_text_)) {
      std::memcpy(last_text_, date.data(), date.size());
      last_size_ = date.size();
    } else {
      last_size_ = SIZE_MAX;
    }
  }
  return CombineHitTime(last_date_, time, seconds_west_);
}
