#include "stats/requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Percentiles read from the histogram stay within 1% of the exact ones of
// the same values, whatever their spread, and merging halves gives the
// histogram of the whole.
TEST(RequestsTest, PercentilesWithinOnePercent) {
  std::mt19937_64 random(7);
  const struct {
    const char* name;
    double low, high;  // log-uniform spread, milliseconds
  } spreads[] = {{"fast", 0, 60}, {"web", 1, 5000}, {"wide", 0, 4e9}};
  for (const auto& spread : spreads) {
    std::vector<std::int64_t> values;
    TimeHistogram whole, first, second;
    std::uniform_real_distribution<double> pick(std::log1p(spread.low), std::log1p(spread.high));
    for (int i = 0; i < 20000; ++i) {
      const auto ms = static_cast<std::int64_t>(std::expm1(pick(random)));
      values.push_back(ms);
      whole.Add(ms);
      (i % 2 == 0 ? first : second).Add(ms);
    }
    first.Merge(second);
    std::sort(values.begin(), values.end());
    for (double q : {0.5, 0.9, 0.95, 0.99, 1.0}) {
      const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
      const double exact = static_cast<double>(values[rank - 1]);
      EXPECT_LE(std::abs(static_cast<double>(whole.Quantile(q)) - exact), 0.01 * exact + 0.5)
          << spread.name << " q=" << q;
      EXPECT_EQ(whole.Quantile(q), first.Quantile(q)) << spread.name << " merged";
    }
    EXPECT_EQ(values.back(), whole.max);
  }
  EXPECT_EQ(-1, TimeHistogram().Quantile(0.5));
}

// Status fields: numbers of any length a status can have, nothing else.
TEST(RequestsTest, StatusNumber) {
  const struct {
    const char* field;
    std::int64_t value;
  } cases[] = {{"404", 404}, {"0", 0}, {"1236", 1236}, {"-", -1}, {"", -1}, {"2OO", -1},
               {"-1", -1}, {"9999999999999", -1}, {"999", 999}, {"x04", -1}, {"40/", -1},
               {"4:4", -1}};
  for (const auto& c : cases) EXPECT_EQ(c.value, StatusNumber(c.field)) << c.field;
  EXPECT_EQ(-1, StatusNumber(std::string_view()));
}

// A chunk's requests land by status triple, path, erring client and quarter
// hour; sums of huge byte fields stop at the largest count.
TEST(RequestsTest, AddRequests) {
  RequestBatch batch;
  batch.requests = {
      {"/a", "1.1.1.1", 200, 0, 0, 10, 100, 900, true, DateForm::kW3c, {}},
      {"/a", "2.2.2.2", 404, 0, 2, 20, 5, 1000, false, DateForm::kW3c, {}},
      {"/b", "2.2.2.2", 404, 0, 2, -1, INT64_MAX, 1800, false, DateForm::kW3c, {}},
      {"/b", "2.2.2.2", 500, 19, 13, -1, INT64_MAX, -5, false, DateForm::kW3c, {}},
  };
  Requests requests;
  AddRequests(&requests, &batch);
  EXPECT_EQ(4, requests.total);
  EXPECT_EQ(std::make_pair(std::int64_t{2}, std::int64_t{0}), (requests.statuses[{404, 0, 2}]));
  EXPECT_EQ(std::make_pair(std::int64_t{1}, std::int64_t{1}), (requests.statuses[{200, 0, 0}]));
  EXPECT_EQ(2, requests.paths.Row("/a").requests);
  EXPECT_EQ(30, requests.paths.Row("/a").time_total);
  EXPECT_EQ(2, requests.paths.Row("/a").timed);
  EXPECT_EQ(INT64_MAX, requests.paths.Row("/b").bytes);
  EXPECT_EQ(3, requests.error_clients["2.2.2.2"]);
  EXPECT_EQ(0u, requests.error_clients.count("1.1.1.1"));
  const auto& quarters = requests.quarters[static_cast<int>(DateForm::kW3c)];
  EXPECT_EQ(2, quarters.at(1).requests);  // 900 and 1000
  EXPECT_EQ(1, quarters.at(1).errors);
  EXPECT_EQ(1u, quarters.count(2));
  EXPECT_EQ(2u, quarters.size());  // the undated one is in no quarter
}

}  // namespace
