#include "stats/traffic.h"

#include <algorithm>
#include <limits>

#include "bytes/decimal.h"

namespace {

// The value of a three-digit text, or -1.
int ThreeDigitValue(std::string_view text) {
  if (text.size() != 3) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

}  // namespace

std::uint64_t ByteCountSlowly(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsCSpace(static_cast<unsigned char>(field[i]))) ++i;
  if (i < field.size() && field[i] == '+') ++i;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  const std::size_t first = i;
  // Nineteen digits never pass the limit: only a longer number is checked.
  const std::size_t unchecked = std::min(field.size(), first + 19);
  for (; i < unchecked && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint64_t>(field[i] - '0');
  }
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    const auto digit = static_cast<std::uint64_t>(field[i] - '0');
    if (value > (kMax - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return i == first ? 0 : value;
}

void TrafficBatch::Add(TimeStamp t, DateForm form, std::string_view status,
                       std::uint64_t byte_count) {
  ++hits;
  if (status.data() == nullptr) {
    ++no_status;
  } else if (const int code = ThreeDigitValue(status); code >= 0) {
    ++three_digit[static_cast<std::size_t>(code)];
  } else {
    ++other_status;
    auto found = std::find_if(other_named.begin(), other_named.end(),
                              [&](const auto& named) { return named.first == status; });
    if (found != other_named.end()) {
      ++found->second;
    } else if (other_named.size() < kBatchStatusTexts) {
      other_named.emplace_back(status, 1);
    }
  }
  bytes = SaturatingSum(bytes, byte_count);

  if (t < 0) {
    ++undated;
    return;
  }
  // Lines come in time order, so a run of them shares a quarter hour.
  auto& runs = quarters[static_cast<std::size_t>(form)];
  const std::int32_t quarter = t / kQuarterHour;
  if (!runs.empty() && runs.back().first == quarter) {
    ++runs.back().second;
  } else {
    runs.emplace_back(quarter, 1);
  }
}

void TrafficBatch::Clear() {
  if (hits == 0) return;
  hits = 0;
  three_digit.fill(0);
  other_named.clear();
  other_status = 0;
  no_status = 0;
  bytes = 0;
  for (auto& runs : quarters) runs.clear();
  undated = 0;
}

void AddTraffic(Traffic* traffic, const TrafficBatch& batch) {
  if (batch.hits == 0) return;
  for (std::size_t code = 0; code < batch.three_digit.size(); ++code) {
    traffic->three_digit[code] += batch.three_digit[code];
  }
  for (const auto& [text, hits] : batch.other_named) {
    auto found = traffic->other_named.find(text);
    if (found == traffic->other_named.end()) {
      if (traffic->other_named.size() >= kKeptStatusTexts) continue;
      found = traffic->other_named.emplace(std::string(text), 0).first;
    }
    found->second += hits;
  }
  traffic->other_status += batch.other_status;
  traffic->no_status += batch.no_status;
  traffic->bytes = SaturatingSum(traffic->bytes, batch.bytes);
  for (std::size_t form = 0; form < batch.quarters.size(); ++form) {
    for (const auto& [quarter, hits] : batch.quarters[form]) {
      traffic->quarters[form][quarter] += hits;
    }
  }
  traffic->undated += batch.undated;
}
