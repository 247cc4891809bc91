// Bar charts as inline SVG, for the web page: no script, no file beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/html_numbers.h"
#include "report/traffic_panels.h"

struct ChartBar {
  std::string label;  // under the bar; empty for none
  std::string tip;    // shown on pointing at the bar (escaped HTML)
  std::int64_t value = 0;
};

/// A bar a day from the first day to the last, days without hits at 0, when
/// they span at most a good year; past that, the days with hits alone.
/// Labels on a few of them, the tip tells the date and its hits.
std::vector<ChartBar> DayBars(const std::vector<DayHits>& days, const NumberStyle& style);

/// A bar for each hour of the day, labelled every third hour.
std::vector<ChartBar> HourBars(const LocalTraffic& traffic, const NumberStyle& style);

/// Appends an <svg> of `bars`, left to right, on the scale ScaleFor gives
/// the largest value, a grid line with its value at each step, and `title`
/// (escaped HTML) as its accessible name. The drawing is `width`
/// units wide (220 high), and the page scales it to the room it has: a
/// chart that stands in a narrow column gets a narrow drawing, so that its
/// labels stay readable.
void AppendBarChart(std::string* out, const std::vector<ChartBar>& bars, const std::string& title,
                    int width, const NumberStyle& style);
