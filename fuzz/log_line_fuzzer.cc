// One log line: TokenizeLine (or, for a W3C log, ParseW3cFields and
// TokenizeW3cLine), then the filter chain with fuzzed option lists, then the
// rejection message.
//
// Input: the -s, -e, -p and -r texts and a "#Fields:" line, each ended by
// NUL, a byte that says which of -s, -e and -p are given and whether the
// line is W3C, then the line (NUL bytes included).
//
// Properties:
// - a comma line has at most 14 tokens and is complete with exactly 14;
//   the slots from the count on are absent; a present slot lies inside the
//   line's text (before its first NUL), is not empty, not a lone "-", holds
//   no comma and begins with no white space;
// - the slots are those that the C library's strtok_r with "," cuts, with
//   their leading white space skipped, from the portable tokenizer and from
//   the one this build uses alike;
// - a W3C line fills each slot that the filters read with the field at the
//   position where the "#Fields:" line first names it (ASCII case
//   ignored), fields being runs of bytes other than blank, tab, carriage
//   return and line feed, and leaves the other slots absent; a slot the
//   filters read that a known layout does not name reads as W3SVC, 0, GET,
//   0:00:00 or an empty server address (the date and the client address
//   and target stay absent, as no "#Date:" line is read here); the portable
//   splitter and the one this build uses alike;
// - the lists parsed once filter exactly as MatchIpMasks and
//   MatchNamePatterns do when they parse afresh for each line;
// - an accepted line has the fields the statistics need;
// read as a file:
// - a comma line that continues a physical line longer than 2047 bytes is
//   never counted, whatever it holds;
// - a W3C line is read whole, however long (the input may be longer than
//   2047 bytes): it counts exactly when the split above accepts it, its
//   date and time read, and it is no directive.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "bytes/text_buffer.h"
#include "intake/line_reader.h"
#include "intake/log_file.h"
#include "intake/log_line.h"
#include "intake/w3c_format.h"
#include "options.h"
#include "stats/hit_time.h"
#include "stats/records.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void CheckTokens(std::string_view line, const LogFields& fields) {
  const std::string_view text = line.substr(0, line.find('\0'));
  FUZZ_CHECK(fields.count >= 0 && fields.count <= kFieldCount);
  FUZZ_CHECK(fields.complete == (fields.count == kFieldCount));
  for (int i = 0; i < kFieldCount; ++i) {
    if (!fields.Present(i)) continue;
    const std::string_view slot = fields.slot[i];
    FUZZ_CHECK(i < fields.count);
    FUZZ_CHECK(slot.data() >= text.data());
    FUZZ_CHECK(slot.data() + slot.size() <= text.data() + text.size());
    FUZZ_CHECK(!slot.empty() && slot != "-");
    FUZZ_CHECK(slot.find(',') == std::string_view::npos);
    FUZZ_CHECK(!IsSpace(slot.front()));
  }

  // The same line cut by the C library.
  std::string copy(text);
  char* state = nullptr;
  int count = 0;
  for (char* token = strtok_r(copy.data(), ",", &state);
       token != nullptr && count < kFieldCount; token = strtok_r(nullptr, ",", &state)) {
    while (IsSpace(*token)) ++token;
    const bool absent = *token == '\0' || std::strcmp(token, "-") == 0;
    FUZZ_CHECK(fields.Present(count) == !absent);
    if (!absent) FUZZ_CHECK(fields.slot[count] == token);
    ++count;
  }
  FUZZ_CHECK(fields.count == count);
}

// A carriage return inside a line is part of its field; the one before the
// line feed is gone before the line is cut into fields.
bool IsW3cSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Runs of bytes other than the separators.
std::vector<std::string_view> W3cWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsW3cSeparator(text[pos])) ++pos;
    if (pos == text.size()) return words;
    const std::size_t start = pos;
    while (pos < text.size() && !IsW3cSeparator(text[pos])) ++pos;
    words.push_back(text.substr(start, pos - start));
  }
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

void CheckW3cTokens(std::string_view directive, std::string_view line,
                    const W3cLayout& layout, const LogFields& fields) {
  static constexpr std::string_view kNames[kFieldCount] = {
      "c-ip",      "cs-username", "date",      "time",            "s-sitename",
      "s-computername", "s-ip",   "time-taken", "cs-bytes",       "sc-bytes",
      "sc-status", "sc-win32-status", "cs-method", "cs-uri-stem"};
  std::string_view names = directive.substr(0, directive.find('\0'));
  if (names.starts_with("\xEF\xBB\xBF")) names.remove_prefix(3);
  const bool is_fields = names.starts_with("#Fields:");
  names.remove_prefix(is_fields ? 8 : names.size());
  const std::vector<std::string_view> declared = W3cWords(names);
  // An empty #Fields line is a header too: one that names no field.
  FUZZ_CHECK(layout.known == is_fields);
  if (layout.known) FUZZ_CHECK(layout.field_count == static_cast<int>(declared.size()));

  // A byte order mark at the start of a line is no part of it.
  std::string_view text = line;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  text = text.substr(0, text.find('\0'));
  const std::vector<std::string_view> words = W3cWords(text);
  FUZZ_CHECK(fields.count == static_cast<int>(words.size()));
  FUZZ_CHECK(fields.complete ==
             (layout.known && fields.count >= layout.field_count));
  for (int slot = 0; slot < kFieldCount; ++slot) {
    int position = -1;
    for (std::size_t i = 0; layout.known && i < declared.size() && position < 0; ++i) {
      if (SameName(declared[i], kNames[slot])) position = static_cast<int>(i);
    }
    FUZZ_CHECK(layout.field_of_slot[slot] == (layout.known ? position : -1));
    const bool read = slot == kClientIp || slot == kDate || slot == kTime || slot == kService ||
                      slot == kServerIp || slot == kServerBytes || slot == kMethod ||
                      slot == kTarget;
    std::string_view expected;
    if (read && position >= 0 && position < static_cast<int>(words.size()) &&
        words[position] != "-") {
      expected = words[position];
    }
    if (layout.known && position < 0 && slot == kService) expected = "W3SVC";
    if (layout.known && position < 0 && slot == kServerBytes) expected = "0";
    if (layout.known && position < 0 && slot == kMethod) expected = "GET";
    if (layout.known && position < 0 && slot == kTime) expected = "0:00:00";
    if (layout.known && position < 0 && slot == kServerIp) expected = std::string_view("", 0);
    FUZZ_CHECK(fields.Present(slot) == (expected.data() != nullptr));
    if (fields.Present(slot)) FUZZ_CHECK(fields.slot[slot] == expected);
  }
}

// The chain in its plain form, every list parsed afresh.
LineVerdict FilterAfresh(const LogFields& f, const Options& options) {
  if (!f.complete) return LineVerdict::kIncomplete;
  if (!f.Present(kService) || f.slot[kService].substr(0, 5) != "W3SVC")
    return LineVerdict::kWrongService;
  if (!f.Present(kMethod) || f.slot[kMethod] != "GET") return LineVerdict::kWrongMethod;
  if (!f.Present(kServerIp) ||
      (options.ServerIP != nullptr &&
       (f.slot[kServerIp].empty() ||
        !MatchIpMasks(f.slot[kServerIp], ParseIpMaskList(options.ServerIP)))))
    return LineVerdict::kWrongServerIp;
  const std::string_view root = options.RootPath;
  if (!f.Present(kTarget) || f.slot[kTarget].substr(0, root.size()) != root)
    return LineVerdict::kWrongRootPath;
  if (!f.Present(kClientIp) ||
      (options.ExcludeIP != nullptr && MatchIpMasks(f.slot[kClientIp], ParseIpMaskList(options.ExcludeIP))))
    return LineVerdict::kExcludedClientIp;
  if (MatchNamePatterns(f.slot[kTarget], SplitNamePatterns(options.ExcludePattern)))
    return LineVerdict::kExcludedPattern;
  if (!f.Present(kServerBytes) || !f.Present(kDate) || !f.Present(kTime))
    return LineVerdict::kMissingParameter;
  return LineVerdict::kAccepted;
}

// Where the reads below write their messages.
std::FILE* g_sink = nullptr;

// The line (up to its first line feed) after 2047 bytes of the same
// physical line: every piece of it continues that line.
void CheckReadAsContinuation(const Options& options, std::string_view line) {
  std::string log(kMaxLinePiece, 'x');
  log += line.substr(0, line.find('\n'));
  log += '\n';
  Statistics stats;
  ReadLogText(options, &stats, g_sink, log);
  FUZZ_CHECK(stats.totals.TotalHits == 0);
}

// The line (up to its first line feed) in a W3C file after the directive.
void CheckW3cRead(const Options& options, std::string_view directive, std::string_view line) {
  directive = directive.substr(0, directive.find('\n'));
  line = line.substr(0, line.find('\n'));
  std::string log = "#Version: 1.0\n";
  log.append(directive).append("\n").append(line).append("\n");
  Statistics stats;
  ReadLogText(options, &stats, g_sink, log);

  // The reader drops the carriage return before the line feed before a
  // line is read, the directive's as a data line's.
  if (directive.ends_with('\r')) directive.remove_suffix(1);
  W3cLayout layout;
  ReadW3cDirective(directive, &layout);
  std::string_view read = line;
  if (read.ends_with('\r')) read.remove_suffix(1);
  LogFields fields;
  TokenizeW3cLine(read, layout, &fields);
  const std::size_t content = line.size() - (line.ends_with('\r') ? 1 : 0);
  // A line with more fields than the header names is never counted.
  bool counted = !IsW3cDirective(line) && content <= kMaxWholeLine &&
                 !(layout.known && fields.count > layout.field_count) &&
                 FilterLine(fields, CompileFilters(options)) == LineVerdict::kAccepted;
  counted = counted && HitTimeCache(DateForm::kW3c, 0).ParseHitTime(
                           fields.slot[kDate], fields.slot[kTime]) != kRejectedDate;
  FUZZ_CHECK(stats.totals.TotalHits == (counted ? 1 : 0));
  if (counted) {
    FUZZ_CHECK(stats.pages.size() == 1);
    RecordIndex only = kNoRecord;
    stats.pages.ForEach([&](RecordIndex i) { only = i; });
    const PageRecord& page = stats.pages[only];
    FUZZ_CHECK(std::string_view(page.Path, page.PathSize) == fields.slot[kTarget]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_sink = std::fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::string server_ip(input.Text());
  const std::string exclude_ip(input.Text());
  const std::string exclude_pattern(input.Text());
  const std::string root_path(input.Text());
  const std::string_view directive = input.Text();
  const std::uint8_t given = input.Byte();
  // The line ends where libFuzzer's copy of the input ends, so that a read
  // past it shows.
  const std::string_view line = input.Rest();

  Options options;
  if (given & 1) options.ServerIP = server_ip.c_str();
  if (given & 2) options.ExcludeIP = exclude_ip.c_str();
  if (given & 4) options.ExcludePattern = exclude_pattern.c_str();
  options.RootPath = root_path.c_str();
  options.DebugLevel = 1;

  LogFields fields;
  if (given & 8) {
    W3cLayout layout;
    ParseW3cFields(directive, &layout);
    TokenizeW3cLinePortable(line, layout, &fields);
    CheckW3cTokens(directive, line, layout, fields);
    TokenizeW3cLine(line, layout, &fields);
    CheckW3cTokens(directive, line, layout, fields);
  } else {
    // The portable tokenizer first (non-x86 builds use it), then the one
    // this build uses; both must cut as strtok_r does.
    TokenizeLinePortable(line, &fields);
    CheckTokens(line, fields);
    TokenizeLine(line, &fields);
    CheckTokens(line, fields);
  }

  const LineFilters filters = CompileFilters(options);
  const LineVerdict verdict = FilterLine(fields, filters);
  FUZZ_CHECK(verdict == FilterAfresh(fields, options));
  if (verdict == LineVerdict::kAccepted) {
    for (int slot : {kClientIp, kDate, kTime, kService, kServerIp, kServerBytes, kMethod,
                     kTarget}) {
      FUZZ_CHECK(fields.Present(slot));
    }
  }
  TextBuffer message;
  WriteRejection(&message, verdict, fields, options);

  if (given & 8) {
    CheckW3cRead(options, directive, line);
  } else {
    CheckReadAsContinuation(options, line);
  }
  return 0;
}
