// The web page's numbers and chart scales.
#include "report/html_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "report/html_numbers.h"

namespace {

// Every labelled grid line stands where a bar of its value would end, and
// no two lines carry the same label. A bar of the largest value gives the
// scale; one of 0 the base.
TEST(HtmlChartTest, GridLinesAtTheirValues) {
  const NumberStyle style;
  for (std::int64_t largest : {0, 1, 3, 5, 885, 92446}) {
    std::string svg;
    AppendBarChart(&svg, {{"", "", 0}, {"", "", largest}}, "t", 480, style);
    const std::regex line(R"re(<line class="grid" [^>]* y1="([\d.]+)"[^>]*/>\n<text [^>]*>([\d,]+)</text>)re");
    const std::regex bar(R"re(<rect class="bar" [^>]* y="([\d.]+)" width="[\d.]+" height="([\d.]+)")re");
    std::vector<double> bar_top;
    double base = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), bar); it != std::sregex_iterator();
         ++it) {
      bar_top.push_back(std::stod((*it)[1]));
      base = std::stod((*it)[1]) + std::stod((*it)[2]);
    }
    ASSERT_EQ(2u, bar_top.size()) << svg;
    // Drawing units per unit of value, from the bar of the largest value.
    const double per_value = largest == 0 ? 0 : (base - bar_top[1]) / static_cast<double>(largest);
    std::set<std::string> labels;
    int lines = 0;
    double highest = base;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), line); it != std::sregex_iterator();
         ++it, ++lines) {
      std::string label = (*it)[2];
      EXPECT_TRUE(labels.insert(label).second) << largest << ": " << label << " twice";
      label.erase(std::remove(label.begin(), label.end(), ','), label.end());
      const double value = std::stod(label);
      const double y = std::stod((*it)[1]);
      if (value == 0 || largest != 0) {
        EXPECT_NEAR(base - value * per_value, y, 0.02) << largest << ": line " << label;
      }
      EXPECT_LE(y, base + 0.01);
      highest = std::min(highest, y);
    }
    EXPECT_GE(lines, 2) << largest;
    EXPECT_LE(lines, 6) << largest;
    // The top line is at or above the tallest bar.
    EXPECT_LE(highest, bar_top[1] + 0.01) << largest;
  }
}

TEST(HtmlChartTest, Scales) {
  const std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> cases = {
      {0, {1, 1}},       {1, {1, 1}},         {3, {1, 3}},
      {5, {1, 5}},       {6, {2, 6}},         {885, {200, 1000}},
      {92446, {20000, 100000}}, {INT64_MAX, {INT64_MAX, INT64_MAX}},
  };
  for (const auto& [largest, scale] : cases) {
    const ChartScale got = ScaleFor(largest);
    EXPECT_EQ(scale, std::make_pair(got.step, got.top)) << largest;
  }
}

TEST(HtmlChartTest, Numbers) {
  const NumberStyle english;
  const NumberStyle norwegian{"&#160;", ','};
  EXPECT_EQ("0", GroupedNumber(std::int64_t{0}, english));
  EXPECT_EQ("999", GroupedNumber(std::int64_t{999}, english));
  EXPECT_EQ("92,446", GroupedNumber(std::int64_t{92446}, english));
  EXPECT_EQ("7&#160;838&#160;947&#160;493", GroupedNumber(std::int64_t{7838947493}, norwegian));
  EXPECT_EQ("-9,223,372,036,854,775,808", GroupedNumber(INT64_MIN, english));
  EXPECT_EQ("18,446,744,073,709,551,615", GroupedNumber(UINT64_MAX, english));
  const struct {
    std::uint64_t bytes;
    const char* text;
  } sizes[] = {
      {0, "0 B"},          {1023, "1023 B"},           {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},   {102348, "99.9 KiB"},       {102400, "100 KiB"},
      {1048575, "1.0 MiB"}, {7838947493, "7.3 GiB"},  {UINT64_MAX, "16.0 EiB"},
  };
  for (const auto& size : sizes) EXPECT_EQ(size.text, ByteSize(size.bytes, english)) << size.bytes;
  EXPECT_EQ("7,3 GiB", ByteSize(7838947493, norwegian));
}

}  // namespace
