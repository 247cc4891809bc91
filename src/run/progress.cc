#include "run/progress.h"

#include <chrono>

#include "bytes/field_text.h"

namespace {

// The last column stays free: a line that fills it would wrap on some
// terminals, and the next redraw would leave it behind.
std::size_t UsableWidth(int columns) {
  return columns > 1 ? static_cast<std::size_t>(columns - 1) : 79;
}

}  // namespace

Progress::Progress(std::FILE* out, bool enabled, Clock clock, Columns columns,
                   TextEscape escape)
    : out_(out),
      enabled_(enabled),
      escape_(escape),
      clock_(std::move(clock)),
      columns_(std::move(columns)) {}

void Progress::SetQuiet(bool quiet) {
  quiet_ = quiet;
  if (quiet_) Erase();
}

void Progress::FileStarted(const char* path, std::int64_t size) {
  if (!enabled_) return;
  if (start_ < 0) start_ = clock_();
  // The line is only ever on a terminal: control characters of the name
  // are escaped.
  file_ = FieldText(path, escape_).text;
  file_size_ = size;
  file_read_ = 0;
}

void Progress::BytesRead(std::size_t bytes) {
  if (!enabled_) return;
  file_read_ += static_cast<std::int64_t>(bytes);
}

void Progress::TextRead(std::size_t bytes) {
  if (!enabled_) return;
  total_read_ += static_cast<std::int64_t>(bytes);
  if (quiet_) return;
  const double now = clock_();
  if (Due(start_, now)) Draw(Line(now, columns_()), now);
}

void Progress::LookupsStarted(std::size_t total) {
  if (!enabled_) return;
  lookups_start_ = clock_();
  lookups_ = total;
}

void Progress::LookupsAnswered(std::size_t answered) {
  if (!enabled_ || quiet_) return;
  const double now = clock_();
  if (!Due(lookups_start_, now)) return;
  char text[96];
  std::snprintf(text, sizeof(text), "Looking up host names: %zu of %zu answered", answered,
                lookups_);
  Draw(text, now);
}

void Progress::LookupsFinished() { Erase(); }

bool Progress::Due(double since, double now) const {
  return now - since > kFirstAfter && (!shown_ || now - last_draw_ >= kRedrawEvery);
}

void Progress::Draw(const std::string& line, double now) {
  // Back to the start of the line, the new text (no wider than the
  // terminal), and the rest cleared.
  const std::size_t width = UsableWidth(columns_());
  std::fprintf(out_, "\r%s\x1B[K", line.substr(0, width).c_str());
  std::fflush(out_);
  shown_ = true;
  last_draw_ = now;
}

void Progress::Erase() {
  if (!shown_) return;
  std::fputs("\r\x1B[K", out_);
  std::fflush(out_);
  shown_ = false;
}

std::string Progress::Line(double now, int columns) const {
  const double mb = static_cast<double>(total_read_) / 1e6;
  const double seconds = now - start_;
  char text[160];
  int n = std::snprintf(text, sizeof(text), "%.1f MB read, %.0f MB/s", mb,
                        seconds > 0 ? mb / seconds : 0.0);
  if (file_size_ > 0 && n > 0 && static_cast<std::size_t>(n) < sizeof(text)) {
    const std::int64_t percent = 100 * file_read_ / file_size_;
    std::snprintf(text + n, sizeof(text) - n, ", %d%% of this file",
                  static_cast<int>(percent > 100 ? 100 : percent));
  }
  std::string numbers = text;

  const std::size_t width = UsableWidth(columns);
  if (numbers.size() + 2 >= width) return numbers.substr(0, width);
  const std::size_t room = width - numbers.size() - 2;  // for the name
  if (file_.size() <= room) return file_ + ": " + numbers;
  if (room < 4) return numbers;

  // The name's end, which tells one file from the next, behind "...". A
  // character of several bytes is never cut.
  std::size_t from = file_.size() - (room - 3);
  while (from < file_.size() && (static_cast<unsigned char>(file_[from]) & 0xC0) == 0x80) ++from;
  return "..." + file_.substr(from) + ": " + numbers;
}

double SteadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}
