#include "intake/chunk_parser.h"

#include "bytes/decimal.h"
#include "bytes/field_text.h"
#include "options.h"
#include "texts.h"

ChunkParser::ChunkParser(const Options& options, const LineFilters& filters)
    : options_(options),
      filters_(filters),
      comma_times_(DateForm::kComma, options.seconds_west),
      w3c_times_(DateForm::kW3c, options.seconds_west) {}

void ChunkParser::Parse(const LineChunk& chunk, FileFormat* format, ParsedChunk* parsed) {
  parsed->hits.Clear();
  parsed->messages.Clear();
  TextBuffer& messages = parsed->messages;
  LineCounts lines;
  lines.read = static_cast<std::int64_t>(chunk.pieces.size());
  for (std::string_view piece : chunk.pieces) {
    // The text of a line ends at its first NUL byte, if it has one: the
    // echo prints it as a C string, and the tokenizers stop there.
    if (options_.DebugLevel > 5) messages.Printf(texts::kLogLine, FieldText(piece).text);

    if (format->Note(piece)) {  // a directive: never a log line
      ++lines.directives;
      continue;
    }
    if (format->w3c) {
      TokenizeW3cLine(piece, format->layout, &fields_);
    } else {
      TokenizeLine(piece, &fields_);
    }
    const LineVerdict verdict = FilterLine(fields_, filters_);
    if (verdict != LineVerdict::kAccepted) {
      ++lines.rejected[static_cast<int>(verdict)];
      if (options_.DebugLevel != 0) WriteRejection(&messages, verdict, fields_, options_);
      continue;
    }

    const std::string_view date = fields_.slot[kDate];
    const std::string_view time = fields_.slot[kTime];
    HitTimeCache& times = format->w3c ? w3c_times_ : comma_times_;
    const TimeStamp t = times.ParseHitTime(date, time);
    if (t == kRejectedDate) {
      ++lines.bad_dates;
      if (options_.Verbose) messages.Printf(texts::kBadDate, FieldText(date).text);
      continue;
    }
    ++lines.counted;
    parsed->hits.Add(fields_.slot[kClientIp], fields_.slot[kTarget],
                     ReadDecimal(fields_.slot[kServerBytes]), t);
  }
  parsed->lines = lines;
}

// The line counts are kept per filter verdict.
static_assert(static_cast<int>(LineVerdict::kMissingParameter) + 1 == kLineVerdictCount);
