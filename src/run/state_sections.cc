#include "run/state_sections.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "bytes/hash.h"
#include "options.h"
#include "run/run.h"

namespace {

// Records take at least this many bytes each in a state: a text's length
// and four numbers.
constexpr std::uint64_t kLeastRecordBytes = 5;

// --- counting options --------------------------------------------------

// Those in effect when the logs were read: options after the last pattern
// applied to no file.
void WriteCountingOptions(const Run& run, StateWriter* out) {
  out->Unsigned(run.state.filters.size());
  for (const auto& [name, value] : run.state.filters) {
    out->Text(name);
    out->Text(value);
  }
}

// Taken apart by TakeState, which compares them; read here only to be
// passed over.
bool SkipCountingOptions(Run*, StateReader* in) {
  CountingOptions options;
  return ReadCountingOptions(in, &options);
}

// A time stamp: one past its range is damage.
TimeStamp ReadTime(StateReader* in) {
  const std::int64_t t = in->Signed();
  if (t < INT32_MIN || t > INT32_MAX) in->Fail();
  return static_cast<TimeStamp>(t);
}

// --- totals --------------------------------------------------------------

void WriteTotals(const Run& run, StateWriter* out) {
  const RunTotals& t = run.stats.totals;
  out->Signed(t.PeriodStart);
  out->Signed(t.PeriodEnd);
  out->Signed(t.TotalHits);
  out->Signed(t.TotalBytes);
  out->Signed(t.TotalSessions);
  out->Signed(t.UserCount);
  out->Signed(t.FilesProcessed);
  out->Unsigned(run.stats.batches);
}

bool ReadTotals(Run* run, StateReader* in) {
  RunTotals& t = run->stats.totals;
  t.PeriodStart = ReadTime(in);
  t.PeriodEnd = ReadTime(in);
  t.TotalHits = in->Signed();
  t.TotalBytes = in->Signed();
  t.TotalSessions = in->Signed();
  t.UserCount = in->Signed();
  t.FilesProcessed = in->Signed();
  run->stats.batches = in->Unsigned();
  // The batch number sits above a hit's place in a stamp.
  return in->ok() && run->stats.batches < (std::uint64_t{1} << 32);
}

// --- what was read --------------------------------------------------------

void WriteLines(const LineCounts& lines, StateWriter* out) {
  out->Signed(lines.read);
  out->Signed(lines.continuations);
  out->Signed(lines.directives);
  out->Signed(lines.counted);
  for (const std::int64_t count : lines.rejected) out->Signed(count);
  out->Signed(lines.bad_dates);
  out->Signed(lines.out_of_range);
  out->Signed(lines.outside_first);
  out->Signed(lines.outside_last);
}

void ReadLines(StateReader* in, LineCounts* lines) {
  lines->read = in->Signed();
  lines->continuations = in->Signed();
  lines->directives = in->Signed();
  lines->counted = in->Signed();
  for (std::int64_t& count : lines->rejected) count = in->Signed();
  lines->bad_dates = in->Signed();
  lines->out_of_range = in->Signed();
  lines->outside_first = in->Signed();
  lines->outside_last = in->Signed();
}

void WriteReadSummary(const Run& run, StateWriter* out) {
  for (const auto& by_packing : run.summary.files_read) {
    for (const std::int64_t files : by_packing) out->Signed(files);
  }
  WriteLines(run.summary.lines, out);
}

bool ReadReadSummary(Run* run, StateReader* in) {
  for (auto& by_packing : run->summary.files_read) {
    for (std::int64_t& files : by_packing) files = in->Signed();
  }
  ReadLines(in, &run->summary.lines);
  return in->ok();
}

// --- users and pages -------------------------------------------------------

// A stamp names a batch that the run had numbered.
bool KnownStamp(const Run& run, FirstSeen seen) { return seen >> 32 < run.stats.batches; }

void WriteUsers(const Run& run, StateWriter* out) {
  const Statistics& stats = run.stats;
  out->Unsigned(stats.users.size());
  stats.users.ForEach([&](RecordIndex i) {
    const UserRecord& user = stats.users[i];
    out->Text(std::string_view(user.Address(), user.AddressSize));
    out->Signed(user.SessionStart);
    out->Signed(user.Hits);
    out->Signed(user.Sessions);
    out->Signed(user.Bytes);
    out->Unsigned(user.first_seen);
  });
}

// Reads `count` records, each decoded a few records before it is taken, so
// that the index slot it needs is loaded meanwhile: a state of a million
// users would otherwise wait for memory at each one.
template <typename Item, typename Decode, typename Take>
bool TakeAhead(std::uint64_t count, Decode decode, Take take) {
  constexpr std::uint64_t kAhead = 8;
  std::array<Item, kAhead> ring;
  for (std::uint64_t i = 0; i < count + kAhead; ++i) {
    Item& item = ring[i % kAhead];
    if (i >= kAhead && !take(item)) return false;
    if (i < count && !decode(&item)) return false;
  }
  return true;
}

struct SavedUser {
  std::string_view address;
  std::uint64_t hash = 0;
  UserRecord user;
};

bool ReadUsers(Run* run, StateReader* in) {
  const std::uint64_t count = in->Count(kLeastRecordBytes);
  ReserveRecords(&run->stats, count, 0);
  Statistics& stats = run->stats;
  run->state.restored_users.clear();
  run->state.restored_users.reserve(count);
  return TakeAhead<SavedUser>(
             count,
             [&](SavedUser* saved) {
               saved->address = in->Text();
               saved->user.SessionStart = ReadTime(in);
               saved->user.Hits = in->Signed();
               saved->user.Sessions = in->Signed();
               saved->user.Bytes = in->Signed();
               saved->user.first_seen = in->Unsigned();
               saved->hash = HashBytes(saved->address, stats.hash_seed);
               PrefetchUser(stats, saved->hash);
               return in->ok() && KnownStamp(*run, saved->user.first_seen);
             },
             [&](const SavedUser& saved) {
               RecordIndex index = kNoRecord;
               if (!RestoreUser(&stats, saved.address, saved.hash, saved.user, &index)) {
                 return false;
               }
               run->state.restored_users.push_back(index);
               return true;
             }) &&
         in->ok();
}

void WritePages(const Run& run, StateWriter* out) {
  const Statistics& stats = run.stats;
  out->Unsigned(stats.pages.size());
  stats.pages.ForEach([&](RecordIndex i) {
    const PageRecord& page = stats.pages[i];
    out->Text(std::string_view(page.Path, page.PathSize));
    out->Signed(page.Hits);
    out->Unsigned(page.first_seen);
  });
}

struct SavedPage {
  std::string_view path;
  std::uint64_t hash = 0;
  Count hits = 0;
  FirstSeen seen = 0;
};

bool ReadPages(Run* run, StateReader* in) {
  const std::uint64_t count = in->Count(3);
  ReserveRecords(&run->stats, 0, count);
  Statistics& stats = run->stats;
  return TakeAhead<SavedPage>(
             count,
             [&](SavedPage* saved) {
               saved->path = in->Text();
               saved->hits = in->Signed();
               saved->seen = in->Unsigned();
               saved->hash = HashFoldedBytes(saved->path, stats.hash_seed);
               PrefetchPage(stats, saved->hash);
               return in->ok() && KnownStamp(*run, saved->seen);
             },
             [&](const SavedPage& saved) {
               return RestorePage(&stats, saved.path, saved.hash, saved.hits, saved.seen);
             }) &&
         in->ok();
}

// --- hits by status and time ----------------------------------------------

void WriteTraffic(const Run& run, StateWriter* out) {
  const Traffic& t = run.stats.traffic;
  const auto used = std::count_if(t.three_digit.begin(), t.three_digit.end(),
                                  [](std::int64_t hits) { return hits != 0; });
  out->Unsigned(static_cast<std::uint64_t>(used));
  for (std::size_t code = 0; code < t.three_digit.size(); ++code) {
    if (t.three_digit[code] == 0) continue;
    out->Unsigned(code);
    out->Signed(t.three_digit[code]);
  }
  out->Unsigned(t.other_named.size());
  for (const auto& [text, hits] : t.other_named) {
    out->Text(text);
    out->Signed(hits);
  }
  out->Signed(t.other_status);
  out->Signed(t.no_status);
  out->Unsigned(t.bytes);
  for (const auto& quarters : t.quarters) {
    out->Unsigned(quarters.size());
    for (const auto& [quarter, hits] : quarters) {
      out->Signed(quarter);
      out->Signed(hits);
    }
  }
  out->Signed(t.undated);
}

bool ReadTraffic(Run* run, StateReader* in) {
  Traffic& t = run->stats.traffic;
  const std::uint64_t codes = in->Count(2);
  for (std::uint64_t i = 0; i < codes && in->ok(); ++i) {
    const std::uint64_t code = in->Unsigned();
    if (code >= t.three_digit.size()) return false;
    t.three_digit[code] = in->Signed();
  }
  const std::uint64_t named = in->Count(2);
  if (named > kKeptStatusTexts) return false;
  for (std::uint64_t i = 0; i < named && in->ok(); ++i) {
    const std::string_view text = in->Text();
    t.other_named[std::string(text)] = in->Signed();
  }
  t.other_status = in->Signed();
  t.no_status = in->Signed();
  t.bytes = in->Unsigned();
  for (auto& quarters : t.quarters) {
    const std::uint64_t count = in->Count(2);
    for (std::uint64_t i = 0; i < count && in->ok(); ++i) {
      const std::int64_t quarter = in->Signed();
      if (quarter < INT32_MIN || quarter > INT32_MAX) return false;
      quarters[static_cast<std::int32_t>(quarter)] = in->Signed();
    }
  }
  t.undated = in->Signed();
  return in->ok();
}

// --- the log files read ----------------------------------------------------

void WriteFiles(const Run& run, StateWriter* out) {
  out->Unsigned(run.state.book.marks.size());
  for (const FileMark& mark : run.state.book.marks) {
    out->Unsigned(mark.identity.volume);
    out->Unsigned(mark.identity.number);
    out->Unsigned(mark.compressed ? 1 : 0);
    out->Signed(mark.size);
    out->Fixed64(mark.fingerprint);
    out->Unsigned(mark.fingerprint_size);
    out->Signed(mark.offset);
    out->Unsigned(mark.counted_as_w3c ? 1 : 0);
    out->Unsigned(mark.first_line_seen ? 1 : 0);
    out->Unsigned(mark.w3c ? 1 : 0);
    out->Unsigned(mark.fields_known ? 1 : 0);
    out->Signed(mark.field_count);
    for (const std::int32_t field : mark.field_of_slot) out->Signed(field);
    out->Signed(mark.substatus_field);
    out->Text(mark.directive_date);
  }
}

bool ReadFiles(Run* run, StateReader* in) {
  const std::uint64_t count = in->Count(kFieldCount + 20);
  std::vector<FileMark>& marks = run->state.book.marks;
  for (std::uint64_t i = 0; i < count && in->ok(); ++i) {
    FileMark mark;
    mark.identity.volume = in->Unsigned();
    mark.identity.number = in->Unsigned();
    mark.compressed = in->Bool();
    mark.size = in->Signed();
    mark.fingerprint = in->Fixed64();
    const std::uint64_t fingerprint_size = in->Unsigned();
    mark.offset = in->Signed();
    mark.counted_as_w3c = in->Bool();
    mark.first_line_seen = in->Bool();
    mark.w3c = in->Bool();
    mark.fields_known = in->Bool();
    const std::int64_t field_count = in->Signed();
    for (std::int32_t& field : mark.field_of_slot) {
      const std::int64_t value = in->Signed();
      field = value < -1 || value > kMaxFieldsInMark ? -2 : static_cast<std::int32_t>(value);
    }
    const std::int64_t substatus = in->Signed();
    mark.substatus_field =
        substatus < -1 || substatus > kMaxFieldsInMark ? -2 : static_cast<std::int32_t>(substatus);
    mark.directive_date = in->Text();
    if (!in->ok() || fingerprint_size > kFingerprintBytes || mark.size < 0 || mark.offset < 0 ||
        field_count < 0 || field_count > kMaxFieldsInMark) {
      return false;
    }
    mark.fingerprint_size = static_cast<std::uint32_t>(fingerprint_size);
    mark.field_count = static_cast<std::int32_t>(field_count);
    if (!MarkFormatValid(mark) || run->state.book.Find(mark.identity) != nullptr) return false;
    marks.push_back(std::move(mark));
  }
  return in->ok();
}

constexpr std::array kSections = {
    StateSection{1, "filters", WriteCountingOptions, SkipCountingOptions},
    StateSection{2, "totals", WriteTotals, ReadTotals},
    StateSection{3, "lines read", WriteReadSummary, ReadReadSummary},
    StateSection{4, "users", WriteUsers, ReadUsers},
    StateSection{5, "pages", WritePages, ReadPages},
    StateSection{6, "hits by status and time", WriteTraffic, ReadTraffic},
    StateSection{7, "log files", WriteFiles, ReadFiles},
    StateSection{8, "requests and days", WriteRequests, ReadRequests},
    StateSection{9, "agents, referrers and sites", WriteAudience, ReadAudience},
};

}  // namespace

std::span<const StateSection> StateSections() { return kSections; }
