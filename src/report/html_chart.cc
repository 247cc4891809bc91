#include "report/html_chart.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

// The drawing's own units; the page scales it to its width. The values of
// the grid lines stand at their left, in a margin as wide as the largest.
constexpr double kHeight = 220;
constexpr double kSide = 4;
constexpr double kTop = 16;     // room for half a value label
constexpr double kBottom = 36;  // room for the bar labels
constexpr double kPlotHeight = kHeight - kTop - kBottom;
constexpr double kBase = kTop + kPlotHeight;
constexpr int kWideFrom = 600;  // a wide drawing gets larger labels on a phone
// A digit's width at the largest label size the page sets (on a phone).
constexpr double kDigitWidth = 11;
constexpr double kWideDigitWidth = 17;

template <typename... Args>
void Append(std::string* out, const char* format, Args... args) {
  char text[160];
  std::snprintf(text, sizeof(text), format, args...);
  *out += text;
}

// A date as ISO 8601 writes it, "2001-03-20".
std::string IsoDate(const DayHits& day) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

std::chrono::sys_days DaysOf(const DayHits& day) {
  return std::chrono::year{day.year} / std::chrono::month{static_cast<unsigned>(day.month)} /
         std::chrono::day{static_cast<unsigned>(day.day)};
}

}  // namespace

std::vector<ChartBar> DayBars(const std::vector<DayHits>& days, const NumberStyle& style) {
  constexpr int kMaxFilledDays = 400;
  std::vector<DayHits> filled;
  if (!days.empty() && (DaysOf(days.back()) - DaysOf(days.front())).count() <= kMaxFilledDays) {
    for (const DayHits& day : days) {
      while (!filled.empty() && (DaysOf(day) - DaysOf(filled.back())).count() > 1) {
        const std::chrono::year_month_day next{DaysOf(filled.back()) + std::chrono::days{1}};
        filled.push_back({static_cast<int>(next.year()), static_cast<int>(unsigned{next.month()}),
                          static_cast<int>(unsigned{next.day()}), 0});
      }
      filled.push_back(day);
    }
  } else {
    filled = days;
  }
  const bool one_year = filled.empty() || filled.front().year == filled.back().year;
  const std::size_t labels = one_year ? 8 : 4;
  const std::size_t every = (filled.size() + labels - 1) / labels;
  std::vector<ChartBar> bars;
  for (std::size_t i = 0; i < filled.size(); ++i) {
    const DayHits& day = filled[i];
    const std::string date = IsoDate(day);
    std::string label;
    if (i % every == 0) label = one_year ? date.substr(5) : date;
    bars.push_back({label, date + ": " + GroupedNumber(day.hits, style), day.hits});
  }
  return bars;
}

std::vector<ChartBar> HourBars(const LocalTraffic& traffic, const NumberStyle& style) {
  std::vector<ChartBar> bars;
  for (int hour = 0; hour < 24; ++hour) {
    const std::int64_t hits = traffic.hours[static_cast<std::size_t>(hour)];
    char label[8];
    char tip[32];
    std::snprintf(label, sizeof(label), "%02d", hour);
    std::snprintf(tip, sizeof(tip), "%02d:00-%02d:59: ", hour, hour);
    bars.push_back({hour % 3 == 0 ? label : "", tip + GroupedNumber(hits, style), hits});
  }
  return bars;
}

void AppendBarChart(std::string* out, const std::vector<ChartBar>& bars, const std::string& title,
                    int width, const NumberStyle& style) {
  std::int64_t largest = 0;
  for (const ChartBar& bar : bars) largest = std::max(largest, bar.value);
  const ChartScale scale = ScaleFor(largest);
  const double top = static_cast<double>(scale.top);
  // The margin holds the widest label, the top one: its digits and a
  // separator's width for each group.
  const std::size_t digits = std::to_string(scale.top).size();
  const double digit = width >= kWideFrom ? kWideDigitWidth : kDigitWidth;
  const std::size_t separators = (digits - 1) / 3;
  const double left = kSide + digit * static_cast<double>(digits + separators) + 6;

  Append(out, "<svg class=\"%s\" viewBox=\"0 0 %d %.0f\" role=\"img\" aria-label=\"",
         width >= kWideFrom ? "chart wide" : "chart", width, kHeight);
  *out += title + "\">\n";
  for (std::int64_t value = 0; value <= scale.top; value += scale.step) {
    const double y = kBase - kPlotHeight * static_cast<double>(value) / top;
    Append(out, "<line class=\"grid\" x1=\"%.0f\" y1=\"%.2f\" x2=\"%.0f\" y2=\"%.2f\"/>\n", left, y,
           width - kSide, y);
    Append(out, "<text class=\"value\" x=\"%.0f\" y=\"%.2f\">", left - 5, y);
    *out += GroupedNumber(value, style) + "</text>\n";
    if (scale.top - value < scale.step) break;  // the last line; no overflow past it
  }

  const double slot =
      (width - left - kSide) / static_cast<double>(std::max<std::size_t>(bars.size(), 1));
  const double gap = slot > 6 ? slot * 0.15 : 0;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const ChartBar& bar = bars[i];
    const double x = left + slot * static_cast<double>(i);
    const double height =
        bar.value <= 0 ? 0 : kPlotHeight * static_cast<double>(bar.value) / top;
    Append(out, "<rect class=\"bar\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\">",
           x + gap / 2, kBase - height, slot - gap, height);
    *out += "<title>" + bar.tip + "</title></rect>";
    if (!bar.label.empty()) {
      Append(out, "<text class=\"label\" x=\"%.2f\" y=\"%.0f\">", x + slot / 2, kBase + 6);
      *out += bar.label + "</text>";
    }
    *out += '\n';
  }

  *out += "</svg>\n";
}
