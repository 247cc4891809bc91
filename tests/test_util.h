// Helpers shared by the unit tests: a stream that collects what is written
// to it, calendar arithmetic independent of the program's own, a builder for
// log lines in the comma-separated IIS format, hits counted the reader's
// way, and walks over the statistics' records.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <zlib.h>

#include "stats/hit_batch.h"
#include "stats/hit_time.h"
#include "stats/records.h"

/// A FILE* whose bytes can be read back, for diagnostics compared whole:
/// a temporary file, binary on every system.
class CapturedStream {
 public:
  CapturedStream() : file_(std::tmpfile()) {}
  ~CapturedStream() { std::fclose(file_); }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* file() { return file_; }

  /// Everything written so far; writing goes on at the end.
  std::string Text() {
    std::fflush(file_);
    const long end = std::ftell(file_);
    std::string text(static_cast<std::size_t>(end < 0 ? 0 : end), '\0');
    std::rewind(file_);
    text.resize(std::fread(text.data(), 1, text.size(), file_));
    std::fseek(file_, 0, SEEK_END);
    return text;
  }

 private:
  std::FILE* file_;
};

/// Seconds since 1970-01-01 00:00:00 UTC of a UTC date and time.
inline std::int64_t UtcSeconds(int year, unsigned month, unsigned day,
                               int hour = 0, int minute = 0, int second = 0) {
  using namespace std::chrono;
  sys_days date = year_month_day{std::chrono::year{year},
                                 std::chrono::month{month},
                                 std::chrono::day{day}};
  return date.time_since_epoch().count() * std::int64_t{86400} +
         hour * 3600 + minute * 60 + second;
}

/// The fields of a typical accepted IIS line, in log order (15 of them, the
/// last being the parameters field that is never read).
inline std::vector<std::string> IisFields() {
  return {"192.168.0.10", "-",   "03/20/01", "7:55:20", "W3SVC1",
          "WEBSRV",       "192.168.0.1", "47", "163",    "322",
          "200",          "0",   "GET",      "/index.htm", "-"};
}

/// One gzip member holding `text`.
inline std::string GzipMember(const std::string& text) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&z, text.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(done ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

/// Joins fields as the server writes them: ", " between fields, a trailing
/// comma and a line feed.
inline std::string IisLine(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += field + ", ";
  if (!line.empty()) line.pop_back();
  return line + "\n";
}

/// IisLine of the typical fields with one field replaced.
inline std::string IisLineWith(int slot, std::string value) {
  std::vector<std::string> fields = IisFields();
  fields[slot] = std::move(value);
  return IisLine(fields);
}

/// Counts a hit at a date and time text read at UTC, the way the reader
/// does: a rejected date counts nothing, the rest goes through a batch.
inline void RecordLine(Statistics* stats, std::string_view address, std::string_view path,
                       std::int32_t bytes, std::string_view date, std::string_view time) {
  const TimeStamp t = HitTimeCache(DateForm::kComma, 0).ParseHitTime(date, time);
  if (t == kRejectedDate) return;
  HitBatch batch(stats->hash_seed);
  NumberBatch(stats, &batch);
  batch.Add(address, path, bytes, t);
  CountHits(stats, batch);
}

/// Every record of one kind: in list order once ranked, and before that
/// newest first (the record first seen last leads).
template <typename Record>
std::vector<RecordIndex> ListOrder(const ShardedRecords<Record>& records, RecordIndex head) {
  std::vector<RecordIndex> order;
  if (head != kNoRecord) {
    for (RecordIndex i = head; i != kNoRecord; i = records[i].Next) order.push_back(i);
    return order;
  }
  records.ForEach([&](RecordIndex i) { order.push_back(i); });
  std::sort(order.begin(), order.end(), [&](RecordIndex a, RecordIndex b) {
    return records[a].first_seen > records[b].first_seen;
  });
  return order;
}

/// (text, hits) of each record of a kind, in ListOrder.
using ListRows = std::vector<std::pair<std::string, Count>>;

inline ListRows PageRows(const Statistics& stats) {
  ListRows rows;
  for (RecordIndex i : ListOrder(stats.pages, stats.PageList)) {
    const PageRecord& page = stats.pages[i];
    rows.emplace_back(std::string(page.Path, page.PathSize), page.Hits);
  }
  return rows;
}

/// The index of the user of `address`, which must have been counted.
inline RecordIndex UserIndexNamed(const Statistics& stats, std::string_view address) {
  RecordIndex found = kNoRecord;
  stats.users.ForEach([&](RecordIndex i) {
    const UserRecord& user = stats.users[i];
    if (std::string_view(user.Address(), user.AddressSize) == address) found = i;
  });
  return found;
}

inline UserRecord& UserNamed(Statistics* stats, std::string_view address) {
  return stats->users[UserIndexNamed(*stats, address)];
}

/// The host name found for the user of `address`, or nullptr.
inline const char* HostNamed(const Statistics& stats, std::string_view address) {
  const auto host = stats.host_names.find(UserIndexNamed(stats, address));
  return host != stats.host_names.end() ? host->second : nullptr;
}

inline ListRows UserRows(const Statistics& stats) {
  ListRows rows;
  for (RecordIndex i : ListOrder(stats.users, stats.UserList)) {
    const UserRecord& user = stats.users[i];
    rows.emplace_back(std::string(user.Address(), user.AddressSize), user.Hits);
  }
  return rows;
}
