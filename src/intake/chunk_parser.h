// Turns the pieces of one chunk into hits to count: the echo, the W3C
// directives, tokenizing, the filter chain and the time stamp. Writes no
// stream: the chunk's messages (under -d and -v) are gathered in line order
// beside its hits, and written when the chunk is counted. Any thread may
// parse; each needs a parser of its own.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>

#include "bytes/field_text.h"
#include "bytes/text_buffer.h"
#include "intake/file_format.h"
#include "intake/line_reader.h"
#include "intake/log_line.h"
#include "read_summary.h"
#include "stats/hit_batch.h"
#include "stats/hit_time.h"
#include "stats/requests.h"
#include "stats/robots.h"
#include "stats/traffic.h"

struct Options;

/// What a chunk gives: its hits, its messages in line order, and how many
/// of its lines went which way.
struct ParsedChunk {
  /// `hash_seed`: the statistics' that will count the hits.
  explicit ParsedChunk(std::uint64_t hash_seed) : hits(hash_seed) {}
  HitBatch hits;
  TrafficBatch traffic;  // only when the options gather it
  RequestBatch requests;  // likewise: the run not yet added (see Parse)
  TextBuffer messages;
  LineCounts lines;
};

class ChunkParser {
 public:
  /// `path` names the file in messages.
  ChunkParser(const Options& options, const LineFilters& filters, const char* path);

  /// Parses `chunk`, whose first piece is read in `format`; leaves `format`
  /// as the chunk's last piece leaves it. The requests gathered for the
  /// panels are added to `requests` (in line order) as they are parsed.
  void Parse(const LineChunk& chunk, FileFormat* format, ParsedChunk* parsed,
             Requests* requests);

 private:
  // Gathers a request of the web service, at `t`, for the health panels,
  // whether or not the chain kept it as a page hit.
  void GatherRequest(const FileFormat& format, bool page_hit, TimeStamp t,
                     std::uint64_t byte_count, ParsedChunk* parsed);
  // Whether `t`, read in `format`'s clock, is within --from and --to.
  bool InRange(const FileFormat& format, TimeStamp t) const;
  // Takes note of a directive: whether lines after it can count, and a
  // "#Fields:" line under which none can told of once.
  void NoteDirective(std::string_view piece, const FileFormat& format, TextBuffer* messages);

  // The local day of a hit at `t`, read in `form`'s clock, or kNoDay.
  std::int32_t LocalDay(DateForm form, TimeStamp t);

  const Options& options_;
  const LineFilters& filters_;
  const char* path_;
  TextEscape escape_;  // of the messages
  HitTimeCache comma_times_;
  HitTimeCache w3c_times_;
  // The comma fields read: those the filters and the hits read, and the
  // panels' when they are gathered.
  std::uint32_t comma_fields_;
  // The quarter hour (in each clock) whose local day was found last.
  std::array<std::int32_t, 2> day_quarter_{INT32_MIN, INT32_MIN};
  std::array<std::int32_t, 2> quarter_day_{};
  LogFields fields_;
  std::unique_ptr<RobotCache> robots_;  // --robots=exclude
  // The field whose absence from the W3C header in force means no line can
  // count, or nullptr.
  const char* uncounted_ = nullptr;
};
