#include "intake/chunk_parser.h"

#include <algorithm>
#include <ctime>
#include <optional>

#include "bytes/decimal.h"
#include "bytes/field_text.h"
#include "bytes/hash.h"
#include "intake/referrer.h"
#include "options.h"
#include "platform/local_time.h"
#include "texts.h"

namespace {

const char* UncountedField(const FileFormat& format, const LineFilters& filters) {
  return format.w3c ? UncountedW3cField(format.layout, filters.has_server_ip) : nullptr;
}

}  // namespace

ChunkParser::ChunkParser(const Options& options, const LineFilters& filters, const char* path)
    : options_(options),
      filters_(filters),
      path_(path),
      escape_(options.message_escape),
      comma_times_(DateForm::kComma, options.seconds_west),
      w3c_times_(DateForm::kW3c, options.seconds_west),
      comma_fields_(options.gather_traffic ? kEveryField : kFilteredFields) {
  if (filters.robots != nullptr) robots_ = std::make_unique<RobotCache>(*filters.robots);
}

namespace {

// The requests gathered are added a run at a time, while the runs and the
// lines they point into are still in the core's cache: a whole chunk of
// them is more than a core's second-level cache holds.
constexpr std::size_t kRequestRun = 1024;

}  // namespace

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void ChunkParser::Parse(const LineChunk& chunk, FileFormat* format, ParsedChunk* parsed,
                        Requests* requests) {
  parsed->hits.Clear();
  parsed->messages.Clear();
  parsed->traffic.Clear();
  parsed->requests.Clear();
  TextBuffer& messages = parsed->messages;
  uncounted_ = UncountedField(*format, filters_);
  LineCounts lines;
  for (const LinePiece& line : chunk.pieces) {
    const std::string_view piece = line.text;
    // The text of a line ends at its first NUL byte, if it has one: the
    // echo prints it as a C string, and the tokenizers stop there. A line
    // too long to read is not echoed.
    if (options_.DebugLevel > 5 && line.kind != PieceKind::kTooLong) {
      messages.Printf(texts::kLogLine, FieldText(piece, escape_, true).text);
    }

    if (format->Note(line)) {  // a directive: never a log line
      ++lines.directives;
      NoteDirective(piece, *format, &messages);
      continue;
    }
    LineVerdict verdict = LineVerdict::kTooLong;
    if (line.kind != PieceKind::kTooLong) {
      if (format->w3c) {
        TokenizeW3cLine(piece, format->layout, &fields_);
        // --client: the address behind the proxies stands for the
        // connection's in every test and count; none found, the
        // connection's stays.
        if (fields_.Present(kForwardedFor)) {
          const std::string_view client =
              RealClient(fields_.slot[kForwardedFor], filters_.trusted_proxies);
          if (!client.empty()) fields_.slot[kClientIp] = client;
        }
        // Past the fields the header names, a blank inside a field has
        // moved every field after it.
        verdict = format->layout.known && fields_.count > format->layout.field_count
                      ? LineVerdict::kTooManyFields
                      : FilterLine(fields_, filters_);
      } else {
        TokenizeLine(piece, &fields_, comma_fields_);
        verdict = FilterLine(fields_, filters_);
      }
      // The rest of a long line could carry a whole forged line.
      if (verdict == LineVerdict::kAccepted && line.kind == PieceKind::kContinuation) {
        verdict = LineVerdict::kContinuation;
      }
    }
    // --site and --robots=exclude: a line of another site, or a robot's,
    // counts nowhere, the requests of the panels included.
    const bool read = line.kind != PieceKind::kTooLong;
    const bool other_site = read && filters_.has_sites && !filters_.CountsSite(fields_.Site());
    const bool robot = read && !other_site && robots_ && format->w3c &&
                       fields_.Present(kUserAgent) &&
                       robots_->Kind(fields_.slot[kUserAgent]) != RobotKind::kNone;
    // The time and the bytes are read once, for the panels and for the hit.
    HitTimeCache& times = format->w3c ? w3c_times_ : comma_times_;
    std::optional<TimeStamp> time_read;
    auto hit_time = [&] {
      if (!time_read) time_read = times.ParseHitTime(fields_.slot[kDate], fields_.slot[kTime]);
      return *time_read;
    };
    std::optional<std::uint64_t> bytes_read;
    auto byte_count = [&] {
      if (!bytes_read) bytes_read = ByteCount(fields_.slot[kServerBytes]);
      return *bytes_read;
    };
    if (options_.gather_traffic && line.kind == PieceKind::kLine && !other_site && !robot &&
        IsCountedRequest(fields_, filters_)) {
      GatherRequest(*format, verdict == LineVerdict::kAccepted, hit_time(), byte_count(), parsed);
      if (parsed->requests.requests.size() == kRequestRun) {
        AddRequests(requests, &parsed->requests);
        parsed->requests.Clear();
      }
    }
    if (verdict != LineVerdict::kAccepted) {
      // A later piece is no line of its own; -d tells of it as of a line.
      if (line.kind == PieceKind::kContinuation) {
        ++lines.continuations;
      } else {
        ++lines.rejected[static_cast<int>(verdict)];
      }
      // Under a header that lets no line count, one message told of all.
      if (options_.DebugLevel != 0 && uncounted_ == nullptr) {
        WriteRejection(&messages, verdict, fields_, options_);
      }
      continue;
    }

    // Of those the chain kept, the other sites' and the robots' lines are
    // reasons of their own.
    if (other_site) {
      ++lines.other_site;
      if (options_.DebugLevel != 0) {
        messages.Printf(texts::kRejectSite, FieldText(fields_.Site(), escape_).text);
      }
      continue;
    }

    if (robot) {
      ++lines.robots;
      if (options_.DebugLevel != 0) {
        messages.Printf(texts::kRejectRobot, FieldText(fields_.slot[kUserAgent], escape_).text);
      }
      continue;
    }

    const std::string_view date = fields_.slot[kDate];
    const std::string_view time = fields_.slot[kTime];
    const TimeStamp t = hit_time();
    if (t == kRejectedDate) {
      ++lines.bad_dates;
      if (options_.Verbose) messages.Printf(texts::kBadDate, FieldText(date, escape_).text);
      continue;
    }
    if (!InRange(*format, t)) {
      lines.NoteOutOfRange(t);
      if (options_.DebugLevel != 0) {
        messages.Printf(texts::kRejectOutOfRange, FieldText(date, escape_).text,
                        FieldText(time, escape_).text);
      }
      continue;
    }
    ++lines.counted;
    parsed->hits.Add(fields_.slot[kClientIp], fields_.slot[kTarget],
                     ReadDecimal(fields_.slot[kServerBytes]), t);
    if (options_.gather_traffic) {
      const DateForm form = format->w3c ? DateForm::kW3c : DateForm::kComma;
      parsed->traffic.Add(t, form, fields_.slot[kStatus], byte_count());
      parsed->hits.SetDay(LocalDay(form, t));
    }
  }
  if (!parsed->requests.requests.empty()) {
    AddRequests(requests, &parsed->requests);
    parsed->requests.Clear();
  }
  lines.read = static_cast<std::int64_t>(chunk.pieces.size()) - lines.continuations;
  parsed->lines = lines;
}

// The line counts are kept per verdict.
static_assert(static_cast<int>(LineVerdict::kTooLong) + 1 == kLineVerdictCount);
static_assert(static_cast<int>(LineVerdict::kContinuation) == kContinuationVerdict);

// Days begin on a quarter hour in every zone: the day of a quarter hour is
// the day of every time in it.
std::int32_t ChunkParser::LocalDay(DateForm form, TimeStamp t) {
  const auto clock = static_cast<std::size_t>(form);
  const std::int32_t quarter = t / kQuarterHour - (t % kQuarterHour < 0);
  if (day_quarter_[clock] == quarter) return quarter_day_[clock];
  std::int64_t day = kNoDay;
  if (form == DateForm::kW3c) {
    std::tm tm;
    if (ToLocalTime(std::int64_t{quarter} * kQuarterHour, &tm)) {
      day = DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    }
  } else {
    // The time as the log wrote it: its standard offset taken off again.
    const std::int64_t local = std::int64_t{quarter} * kQuarterHour - options_.seconds_west;
    day = local / 86400 - (local % 86400 < 0);
  }
  day_quarter_[clock] = quarter;
  quarter_day_[clock] = static_cast<std::int32_t>(day);
  return quarter_day_[clock];
}

bool ChunkParser::InRange(const FileFormat& format, TimeStamp t) const {
  return format.w3c ? t >= options_.range_from && t < options_.range_to
                    : t >= options_.comma_range_from && t < options_.comma_range_to;
}

void ChunkParser::GatherRequest(const FileFormat& format, bool page_hit, TimeStamp t,
                                std::uint64_t byte_count, ParsedChunk* parsed) {
  if (t == kRejectedDate || !InRange(format, t)) return;
  RequestInput& in = parsed->requests.requests.emplace_back();
  in.path = fields_.slot[kTarget];
  in.client = fields_.slot[kClientIp];
  in.status = StatusNumber(fields_.slot[kStatus]);
  if (format.w3c) in.substatus = StatusNumber(fields_.slot[kW3cSubstatus]);
  in.win32 = StatusNumber(fields_.slot[kWin32Status]);
  in.time_taken = StatusNumber(fields_.slot[kTimeTaken]);
  const bool has_bytes = !format.w3c || (format.layout.unnamed >> kServerBytes & 1) == 0;
  if (has_bytes && fields_.Present(kServerBytes)) {
    in.bytes =
        static_cast<std::int64_t>(std::min<std::uint64_t>(byte_count, std::uint64_t{1} << 48));
  }
  in.time = t;
  in.page_hit = page_hit;
  in.form = format.w3c ? DateForm::kW3c : DateForm::kComma;

  AudienceInput& who = in.who;
  who.client = in.client;
  who.site = fields_.Site();
  who.page_hit = page_hit;
  who.error = IsErrorStatus(in.status);
  who.bytes = in.bytes;
  who.robots_txt = EqualFolded(in.path, "/robots.txt");
  if (!format.w3c) return;
  who.agent_field = format.layout.field_of_slot[kUserAgent] >= 0;
  if (fields_.Present(kUserAgent)) who.agent = fields_.slot[kUserAgent];
  who.referrer_field = format.layout.field_of_slot[kReferrer] >= 0;
  if (fields_.Present(kReferrer)) {
    const ReferrerParts referrer = SplitReferrer(fields_.slot[kReferrer]);
    const std::string_view host = fields_.Present(kHost) ? fields_.slot[kHost] : std::string_view();
    if (!referrer.host.empty() && !IsOwnHost(referrer.host, host, filters_.own_hosts)) {
      who.referrer_host = referrer.host;
      who.referrer = referrer.page;
    }
  }
}

void ChunkParser::NoteDirective(std::string_view piece, const FileFormat& format,
                                TextBuffer* messages) {
  uncounted_ = UncountedField(format, filters_);
  if (uncounted_ != nullptr && (options_.DebugLevel != 0 || options_.Verbose) &&
      IsW3cFieldsDirective(piece)) {
    messages->Printf(texts::kFieldsCountNothing, options_.ProgramName,
                     FieldText(path_, escape_).text, uncounted_);
  }
}
