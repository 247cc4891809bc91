// A progress line for long runs on a terminal: one line on standard error,
// never wider than the terminal, rewritten in place a few times a second,
// erased before anything else is written there. Tells how the reading and,
// after it, the host-name lookups get on. Shown only on a terminal, never in
// pipes or files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "bytes/field_text.h"
#include "intake/log_file.h"
#include "report/reverse_lookup.h"

class Progress : public ReadObserver, public LookupObserver {
 public:
  /// Seconds on a steady clock.
  using Clock = std::function<double()>;
  /// The terminal's width in columns, asked at every redraw.
  using Columns = std::function<int()>;

  /// `enabled` is false unless standard error is a terminal; `escape` says
  /// how a file name is shown there.
  Progress(std::FILE* out, bool enabled, Clock clock, Columns columns,
           TextEscape escape = TextEscape::kTerminal);

  /// Whether the files being read now, or the lookups, may show progress:
  /// not under -v or -d, whose messages share the terminal. Going quiet
  /// erases the line.
  void SetQuiet(bool quiet);

  void FileStarted(const char* path, std::int64_t size) override;
  void BytesRead(std::size_t bytes) override;
  void TextRead(std::size_t bytes) override;

  void LookupsStarted(std::size_t total) override;
  void LookupsAnswered(std::size_t answered) override;
  void LookupsFinished() override;

  /// Removes the line, if it is shown.
  void Erase();

  /// The line as it would be drawn now on a terminal `columns` wide: the
  /// megabytes of log text read and their rate, the share of the current
  /// file's stored bytes, and as much of the file name's end as fits.
  std::string Line(double now, int columns) const;

 private:
  static constexpr double kFirstAfter = 1.0;   // seconds of reading
  static constexpr double kRedrawEvery = 0.25;  // seconds

  // Whether a line may be drawn at `now`: more than kFirstAfter after
  // `since`, and not within kRedrawEvery of the last drawing.
  bool Due(double since, double now) const;
  void Draw(const std::string& line, double now);

  std::FILE* out_;
  bool enabled_;
  TextEscape escape_;
  bool quiet_ = false;
  Clock clock_;
  Columns columns_;
  double start_ = -1;  // when reading began
  double last_draw_ = 0;
  bool shown_ = false;
  std::string file_;
  std::int64_t file_size_ = -1;
  std::int64_t file_read_ = 0;   // stored bytes of the current file
  std::int64_t total_read_ = 0;  // log text of every file
  double lookups_start_ = -1;  // when the lookups began
  std::size_t lookups_ = 0;
};

/// The clock of the real run.
double SteadySeconds();
