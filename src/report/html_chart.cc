#include "report/html_chart.h"

#include <algorithm>
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

}  // namespace

void AppendBarChart(std::string* out, const std::vector<ChartBar>& bars, const std::string& title,
                    int width) {
  std::int64_t top = 1;
  for (const ChartBar& bar : bars) top = std::max(top, bar.value);
  const double digit = width >= kWideFrom ? kWideDigitWidth : kDigitWidth;
  const double left = kSide + digit * static_cast<double>(std::to_string(top).size()) + 6;

  Append(out, "<svg class=\"%s\" viewBox=\"0 0 %d %.0f\" role=\"img\" aria-label=\"",
         width >= kWideFrom ? "chart wide" : "chart", width, kHeight);
  *out += title + "\">\n";
  // Grid lines at the top value, its half and 0.
  for (int part = 0; part <= 2; ++part) {
    const double y = kTop + kPlotHeight * part / 2;
    Append(out, "<line class=\"grid\" x1=\"%.0f\" y1=\"%.1f\" x2=\"%.0f\" y2=\"%.1f\"/>\n", left, y,
           width - kSide, y);
    Append(out, "<text class=\"value\" x=\"%.0f\" y=\"%.1f\">%lld</text>\n", left - 5, y,
           static_cast<long long>(top * (2 - part) / 2));
  }

  const double slot =
      (width - left - kSide) / static_cast<double>(std::max<std::size_t>(bars.size(), 1));
  const double gap = slot > 6 ? slot * 0.15 : 0;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const ChartBar& bar = bars[i];
    const double x = left + slot * static_cast<double>(i);
    const double height = bar.value <= 0 ? 0
                                         : kPlotHeight * static_cast<double>(bar.value) /
                                               static_cast<double>(top);
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
