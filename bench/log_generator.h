// A generator of comma-format IIS web-server logs for benchmarks and the
// bundled sample. Deterministic: the same options give the same bytes on
// every machine (integer arithmetic only, its own random numbers). Owns the
// lookup tables of one log; needs nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// What varies most in a log.
enum class LogShape {
  kRealistic,  // some 50,000 clients and 20,000 paths, both heavy-tailed
  kUsers,      // `distinct` client addresses, one after another
  kPaths,      // `distinct` paths, one after another
};

struct LogGeneratorOptions {
  std::uint64_t lines = 1000;
  std::uint64_t seed = 1;
  LogShape shape = LogShape::kRealistic;
  // Distinct clients or paths of the stress shapes, at most kMaxDistinct.
  std::uint64_t distinct = 1000000;
  // First day of the log; a two-digit year, 0-37 for 2000-2037.
  int start_month = 3;
  int start_day = 20;
  int start_year = 1;
  // Days the lines are spread over; 0 means one per 100,000 lines.
  std::uint64_t days = 0;
};

/// The most distinct clients a log can have: addresses are made from a
/// 24-bit number.
inline constexpr std::uint64_t kMaxDistinct = std::uint64_t{1} << 24;

/// Reads "MM/DD/YY" into the start fields of `options`; false when the
/// text is not such a date (year 00-37).
bool ParseStartDate(const char* text, LogGeneratorOptions* options);

/// A table for drawing ranks 0..n-1, rank k with weight 1/(k+1+offset).
class ZipfTable {
 public:
  ZipfTable(std::uint32_t n, std::uint32_t offset);

  /// The rank for a uniform 64-bit random number.
  std::uint32_t Draw(std::uint64_t random) const;

 private:
  std::vector<std::uint64_t> cumulative_;
};

class LogGenerator {
 public:
  explicit LogGenerator(const LogGeneratorOptions& options);

  /// Appends the next line, CR-LF included, to `out`. Returns false, and
  /// appends nothing, once every line was produced.
  bool NextLine(std::string* out);

 private:
  std::uint64_t Next();                    // uniform 64-bit
  std::uint64_t Below(std::uint64_t n);    // uniform in [0, n)
  bool Chance(std::uint32_t per_million);  // true that often

  void AdvanceClock();
  std::uint64_t PickClient();
  void AppendWebLine(std::string* out, int long_field);
  void AppendFtpLine(std::string* out);
  void AppendMalformedLine(std::string* out);
  void AppendDateTime(std::string* out) const;

  LogGeneratorOptions options_;
  std::uint64_t state_;  // random number state
  std::uint64_t salt_;   // varies the names with the seed

  // The clock: the day of the current line and its second of the day.
  std::vector<std::string> day_texts_;       // "MM/DD/YY" per day
  std::vector<std::uint64_t> day_line_end_;  // cumulative lines per day
  std::size_t day_ = 0;
  std::uint64_t line_ = 0;  // lines produced so far
  std::uint32_t second_ = 0;

  ZipfTable clients_;
  ZipfTable pages_;
  ZipfTable images_;
  std::uint64_t recent_clients_[8] = {};  // visitors still browsing
};
