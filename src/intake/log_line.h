// One log line: the 14 comma-separated fields and the chain of eight filters
// that decides whether the line counts. Owns nothing; the fields are views
// into the caller's line buffer.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "intake/ip_mask.h"
#include "intake/name_pattern.h"

struct Options;
class TextBuffer;

inline constexpr int kFieldCount = 14;

/// Slots of the fields this program reads.
enum FieldSlot : int {
  kClientIp = 0,
  kDate = 2,
  kTime = 3,
  kService = 4,
  kServerIp = 6,
  kTimeTaken = 7,
  kW3cSubstatus = 8,  // in W3C lines read for their status; see W3cLayout
  kServerBytes = 9,
  kStatus = 10,
  kWin32Status = 11,
  kMethod = 12,
  kTarget = 13,
};

/// The 14 token slots of one line. An absent slot has data() == nullptr. A
/// present slot is never empty, but for the server address of a log that
/// does not record it.
struct LogFields {
  std::array<std::string_view, kFieldCount> slot;
  int count = 0;  // tokens found, 0 to 14
  bool complete = false;  // every field the line should have was found

  bool Present(int i) const { return slot[i].data() != nullptr; }

  /// "3: [a] [-] [b]" style dump, for tests.
  std::string ToString() const;
};

/// Splits `line` (its text ends at the first NUL, if any) into `fields`.
void TokenizeLine(std::string_view line, LogFields* fields);

/// The same split without vector instructions: where the platform has none,
/// and to check the fast one against.
void TokenizeLinePortable(std::string_view line, LogFields* fields);

/// The filter lists of the options, parsed once for a file.
struct LineFilters {
  std::string_view root_path;
  bool has_server_ip = false;
  IpMaskList server_ip;
  bool has_exclude_ip = false;
  IpMaskList exclude_ip;
  NamePatternList exclude_pattern;
};

LineFilters CompileFilters(const Options& options);

/// Which test of the chain refused a line, in chain order.
enum class LineVerdict {
  kAccepted,
  kIncomplete,
  // A W3C line with more fields than its header names: a blank inside a
  // field moved the fields after it, so none can be trusted.
  kTooManyFields,
  kWrongService,
  kWrongMethod,
  kWrongServerIp,
  kWrongRootPath,
  kExcludedClientIp,
  kExcludedPattern,
  kMissingParameter,
  // Passed the chain, but continues a line longer than a piece: never
  // counted, so that no line can carry a forged one. Every such piece is
  // counted apart from the lines, whatever its verdict; this one names only
  // its message.
  kContinuation,
  // A W3C line longer than the reader reads whole: skipped unread.
  kTooLong,
};

/// Runs the eight filters in order; the first that refuses decides.
LineVerdict FilterLine(const LogFields& fields, const LineFilters& filters);

/// Whether a line is a request of the web service that passes the
/// address, server and root filters, whatever its method and path, with a
/// date and time: what the health panels count.
bool IsCountedRequest(const LogFields& fields, const LineFilters& filters);

/// Adds the rejection message of `verdict` for this line to `out`, the
/// line's texts escaped as the options say for messages.
void WriteRejection(TextBuffer* out, LineVerdict verdict, const LogFields& fields,
                    const Options& options);
