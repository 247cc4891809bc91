// One log line: the 14 comma-separated fields and the chain of eight filters
// that decides whether the line counts. Owns nothing; the fields are views
// into the caller's line buffer.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "intake/client_address.h"
#include "intake/ip_mask.h"
#include "intake/name_pattern.h"

struct Options;
class RobotClassifier;
class TextBuffer;

inline constexpr int kFieldCount = 14;

/// Slots past the 14 fields of the comma format, which only a W3C header
/// places: the forwarded-for field that --client names, the user agent
/// (cs(User-Agent)) when --robots or the panels ask for it, and for the
/// panels the referrer (cs(Referer)) and the host asked for (cs-host).
inline constexpr int kForwardedFor = kFieldCount;
inline constexpr int kUserAgent = kFieldCount + 1;
inline constexpr int kReferrer = kFieldCount + 2;
inline constexpr int kHost = kFieldCount + 3;
inline constexpr int kSlotCount = kFieldCount + 4;

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

/// The 14 token slots of one line, and the forwarded-for field of a W3C
/// line. An absent slot has data() == nullptr. A present slot is never
/// empty, but for the server address of a log that does not record it.
/// The service slot is the line's site (W3SVC1, say): a W3C line without
/// s-sitename reads the site of the file's folder there, if it has one.
struct LogFields {
  std::array<std::string_view, kSlotCount> slot;
  int count = 0;  // tokens found, 0 to 14
  bool complete = false;  // every field the line should have was found

  bool Present(int i) const { return slot[i].data() != nullptr; }

  /// The site the line belongs to: the service slot without the blanks a
  /// comma line may leave after it; empty when absent.
  std::string_view Site() const {
    std::string_view site = slot[kService];
    while (!site.empty() && site.back() == ' ') site.remove_suffix(1);
    return site;
  }

  /// "3: [a] [-] [b]" style dump, for tests.
  std::string ToString() const;
};

/// Every field of a comma line.
inline constexpr std::uint32_t kEveryField = (1U << kFieldCount) - 1;
/// The comma fields that the filter chain and a hit read; the others (the
/// user and computer names, time taken, bytes received and the statuses)
/// only the panels read.
inline constexpr std::uint32_t kFilteredFields =
    1U << kClientIp | 1U << kDate | 1U << kTime | 1U << kService | 1U << kServerIp |
    1U << kServerBytes | 1U << kMethod | 1U << kTarget;

/// Splits `line` (its text ends at the first NUL, if any) into `fields`.
/// Only the slots of `wanted` (bit i for slot i) are filled; the others
/// are left absent, though counted as tokens all the same.
void TokenizeLine(std::string_view line, LogFields* fields, std::uint32_t wanted = kEveryField);

/// The same split without vector instructions: where the platform has none,
/// and to check the fast one against.
void TokenizeLinePortable(std::string_view line, LogFields* fields,
                          std::uint32_t wanted = kEveryField);

/// The vector splits that this build has and this processor can run, the
/// one TokenizeLine takes last; none in a build without vector code. For
/// tests, to check each against the portable split.
using CommaSplit = void (*)(std::string_view, LogFields*, std::uint32_t);
std::vector<CommaSplit> CommaVectorSplits();

/// The filter lists of the options, parsed once for a file.
struct LineFilters {
  std::string_view root_path;
  bool has_server_ip = false;
  IpMaskList server_ip;
  bool has_exclude_ip = false;
  IpMaskList exclude_ip;
  NamePatternList exclude_pattern;
  TrustedProxies trusted_proxies;  // --trusted-proxy
  const RobotClassifier* robots = nullptr;  // --robots=exclude
  bool has_sites = false;          // --site was given
  std::vector<std::string_view> sites;
  std::vector<std::string_view> own_hosts;  // --own-host

  /// True when `site` is one of --site's names, ASCII case ignored.
  bool CountsSite(std::string_view site) const;
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
