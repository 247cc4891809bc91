#include "platform/tz_rule.h"

#include <chrono>

namespace {

constexpr long kDay = 86400;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ == text_.size(); }
  bool At(char c) const { return !AtEnd() && text_[pos_] == c; }
  bool Take(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool Number(int low, int high, int* value) {
    const std::size_t start = pos_;
    long n = 0;
    while (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9' && n <= high) {
      n = n * 10 + (text_[pos_++] - '0');
    }
    if (pos_ == start || n < low || n > high) return false;
    *value = static_cast<int>(n);
    return true;
  }
  // A zone's name: three or more letters, or anything but ">" within "<>".
  bool Name() {
    if (Take('<')) {
      const std::size_t close = text_.find('>', pos_);
      if (close == std::string_view::npos || close - pos_ < 3) return false;
      pos_ = close + 1;
      return true;
    }
    const std::size_t start = pos_;
    while (!AtEnd() && ((text_[pos_] | 0x20) >= 'a' && (text_[pos_] | 0x20) <= 'z')) ++pos_;
    return pos_ - start >= 3;
  }
  // [+-]hh[:mm[:ss]] in seconds, hours up to `max_hours`.
  bool Duration(int max_hours, long* seconds) {
    const bool negative = Take('-');
    if (!negative) Take('+');
    int hours = 0;
    int minutes = 0;
    int secs = 0;
    if (!Number(0, max_hours, &hours)) return false;
    if (Take(':') && !Number(0, 59, &minutes)) return false;
    if (Take(':') && !Number(0, 59, &secs)) return false;
    const long total = hours * 3600L + minutes * 60L + secs;
    *seconds = negative ? -total : total;
    return true;
  }
  bool Change(TzRule::Change* change) {
    if (Take('J')) {
      change->form = 'J';
      if (!Number(1, 365, &change->day)) return false;
    } else if (Take('M')) {
      change->form = 'M';
      if (!Number(1, 12, &change->month) || !Take('.') || !Number(1, 5, &change->week) ||
          !Take('.') || !Number(0, 6, &change->day)) {
        return false;
      }
    } else {
      change->form = 'n';
      if (!Number(0, 365, &change->day)) return false;
    }
    change->seconds = 7200;
    return !Take('/') || Duration(167, &change->seconds);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  return sys_days(std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day})
      .time_since_epoch()
      .count();
}

bool IsLeap(int year) { return std::chrono::year{year}.is_leap(); }

// The instant, in UTC seconds, of `change` in `year`, with `west` the
// offset of the local time it is given in.
std::int64_t ChangeInstant(const TzRule::Change& change, int year, long west) {
  std::int64_t day = DaysFromCivil(year, 1, 1);
  if (change.form == 'J') {
    day += change.day - 1;
    if (IsLeap(year) && change.day >= 60) ++day;
  } else if (change.form == 'n') {
    day += change.day;
  } else {
    const std::int64_t first = DaysFromCivil(year, static_cast<unsigned>(change.month), 1);
    // 1970-01-01 was a Thursday (4).
    const int first_weekday = static_cast<int>(((first % 7) + 11) % 7);
    day = first + (change.day - first_weekday + 7) % 7 + 7L * (change.week - 1);
    const unsigned next_month = change.month == 12 ? 1 : static_cast<unsigned>(change.month) + 1;
    const std::int64_t month_end =
        DaysFromCivil(change.month == 12 ? year + 1 : year, next_month, 1);
    while (day >= month_end) day -= 7;
  }
  return day * kDay + change.seconds + west;
}

void BreakDown(std::int64_t local, std::tm* out) {
  using namespace std::chrono;
  std::int64_t days = local / kDay;
  std::int64_t secs = local % kDay;
  if (secs < 0) {
    secs += kDay;
    --days;
  }
  const sys_days date{std::chrono::days{days}};
  const year_month_day ymd{date};
  const int year = static_cast<int>(ymd.year());
  out->tm_year = year - 1900;
  out->tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
  out->tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
  out->tm_hour = static_cast<int>(secs / 3600);
  out->tm_min = static_cast<int>(secs / 60 % 60);
  out->tm_sec = static_cast<int>(secs % 60);
  out->tm_wday = static_cast<int>(((days % 7) + 11) % 7);
  out->tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
}

}  // namespace

bool ParseTzRule(std::string_view text, TzRule* rule) {
  Reader reader(text);
  TzRule read;
  if (!reader.Name() || !reader.Duration(24, &read.standard_west)) return false;
  if (!reader.AtEnd()) {
    if (!reader.Name()) return false;
    read.has_daylight = true;
    read.daylight_west = read.standard_west - 3600;
    if (!reader.AtEnd() && !reader.At(',') && !reader.Duration(24, &read.daylight_west)) {
      return false;
    }
    if (reader.AtEnd()) {
      // No rules: those of the United States since 2007.
      read.start = {'M', 3, 2, 0, 7200};
      read.end = {'M', 11, 1, 0, 7200};
    } else if (!reader.Take(',') || !reader.Change(&read.start) || !reader.Take(',') ||
               !reader.Change(&read.end) || !reader.AtEnd()) {
      return false;
    }
  }
  *rule = read;
  return true;
}

void LocalTimeUnder(const TzRule& rule, std::int64_t t, std::tm* out) {
  bool in_daylight = false;
  if (rule.has_daylight) {
    // The changes of the year that `t` falls in, in UTC.
    std::tm utc{};
    BreakDown(t, &utc);
    const int year = utc.tm_year + 1900;
    const std::int64_t start = ChangeInstant(rule.start, year, rule.standard_west);
    const std::int64_t end = ChangeInstant(rule.end, year, rule.daylight_west);
    in_daylight = start < end ? t >= start && t < end : t < end || t >= start;
  }
  BreakDown(t - (in_daylight ? rule.daylight_west : rule.standard_west), out);
  out->tm_isdst = in_daylight ? 1 : 0;
}

std::int64_t TimeStampUnder(const TzRule& rule, const std::tm& local) {
  // Months beyond December carry into years; days, hours, minutes and
  // seconds are counted from the month's start, whatever their range.
  const int months = local.tm_mon;
  const int year = local.tm_year + 1900 + (months >= 0 ? months / 12 : -((11 - months) / 12));
  const int month = ((months % 12) + 12) % 12;
  const std::int64_t as_utc = DaysFromCivil(year, static_cast<unsigned>(month + 1), 1) * kDay +
                              (local.tm_mday - 1) * std::int64_t{kDay} +
                              local.tm_hour * std::int64_t{3600} + local.tm_min * 60L +
                              local.tm_sec;
  const std::int64_t standard = as_utc + rule.standard_west;
  if (!rule.has_daylight) return standard;
  std::tm check{};
  LocalTimeUnder(rule, standard, &check);
  if (check.tm_isdst == 0) return standard;
  const std::int64_t summer = as_utc + rule.daylight_west;
  LocalTimeUnder(rule, summer, &check);
  return check.tm_isdst != 0 ? summer : standard;
}
