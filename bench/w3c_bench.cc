// Micro-benchmarks of the W3C extended format's per-line path beside the
// comma format's, over the same requests: a generated realistic log, each
// of its complete lines also written under the IIS 10 default header.
// Figures are per line; the two Stream benchmarks compare directly.
//
//   build/bench/bench/vantrix_w3c_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "intake/log_line.h"
#include "intake/w3c_format.h"
#include "log_generator.h"
#include "options.h"
#include "stats/hit_time.h"

namespace {

constexpr std::size_t kStreamLines = 100000;

constexpr std::string_view kIis10Fields =
    "#Fields: date time s-sitename s-computername s-ip cs-method cs-uri-stem "
    "cs-uri-query s-port cs-username c-ip cs(User-Agent) sc-status "
    "sc-substatus sc-win32-status sc-bytes cs-bytes time-taken\n";

struct Streams {
  std::vector<std::string> comma;  // lines as the reader hands them out
  std::vector<std::string> w3c;    // the same requests, W3C
  std::int64_t comma_bytes = 0;
  std::int64_t w3c_bytes = 0;
  struct Stamp {
    std::string date, time;
  };
  std::vector<Stamp> stamps;  // W3C date and time of the accepted lines
};

std::string Text(const LogFields& fields, int slot) {
  return fields.Present(slot) ? std::string(fields.slot[slot]) : "-";
}

// "03/20/01" as "2001-03-20", "7:05:09" as "07:05:09".
std::string W3cDate(std::string_view date) {
  int month = 0, day = 0, year = 0;
  std::sscanf(std::string(date).c_str(), "%d/%d/%d", &month, &day, &year);
  char out[16];
  std::snprintf(out, sizeof out, "%04d-%02d-%02d", (year < 80 ? 2000 : 1900) + year % 100,
                month % 100, day % 100);
  return out;
}

std::string W3cTime(std::string_view time) {
  int hour = 0, minute = 0, second = 0;
  std::sscanf(std::string(time).c_str(), "%d:%d:%d", &hour, &minute, &second);
  char out[16];
  std::snprintf(out, sizeof out, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
  return out;
}

const Streams& RealisticStreams() {
  static const Streams* streams = [] {
    auto* s = new Streams;
    LogGeneratorOptions options;
    options.lines = kStreamLines;
    options.seed = 1;
    LogGenerator generator(options);
    std::string text;
    while (generator.NextLine(&text)) {
    }

    Options defaults;
    const LineFilters filters = CompileFilters(defaults);
    W3cLayout layout;
    ParseW3cFields(kIis10Fields, &layout);
    LogFields fields;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      std::string line = text.substr(start, end - start) + "\n";
      start = end + 2;
      if (line.size() > 2047) continue;  // the reader would cut it up
      TokenizeLine(line, &fields);
      if (!fields.complete) continue;  // no W3C form for a broken line

      const std::string w3c =
          W3cDate(fields.slot[kDate]) + " " + W3cTime(fields.slot[kTime]) + " " +
          Text(fields, kService) + " " + Text(fields, 5) + " " + Text(fields, kServerIp) +
          " " + Text(fields, kMethod) + " " + Text(fields, kTarget) + " - 80 " +
          Text(fields, 1) + " " + Text(fields, kClientIp) +
          " Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36 " +
          Text(fields, 10) + " 0 " + Text(fields, 11) + " " + Text(fields, kServerBytes) +
          " " + Text(fields, 8) + " " + Text(fields, 7) + "\n";
      s->comma_bytes += static_cast<std::int64_t>(line.size());
      s->w3c_bytes += static_cast<std::int64_t>(w3c.size());
      s->comma.push_back(std::move(line));
      s->w3c.push_back(w3c);

      TokenizeW3cLine(s->w3c.back(), layout, &fields);
      if (FilterLine(fields, filters) == LineVerdict::kAccepted) {
        s->stamps.push_back({std::string(fields.slot[kDate]), std::string(fields.slot[kTime])});
      }
    }
    return s;
  }();
  return *streams;
}

void BM_W3cTokenizeFilter_OneLine(benchmark::State& state) {
  const std::string line =
      "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET /index.htm - 80 - "
      "192.168.0.10 Mozilla/5.0+(Windows+NT+10.0) 200 0 0 5120 410 15\n";
  Options defaults;
  const LineFilters filters = CompileFilters(defaults);
  W3cLayout layout;
  ParseW3cFields(kIis10Fields, &layout);
  LogFields fields;
  for (auto _ : state) {
    TokenizeW3cLine(line, layout, &fields);
    benchmark::DoNotOptimize(FilterLine(fields, filters));
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(BM_W3cTokenizeFilter_OneLine);

void BM_CommaTokenizeFilter_Stream(benchmark::State& state) {
  const Streams& streams = RealisticStreams();
  Options defaults;
  const LineFilters filters = CompileFilters(defaults);
  LogFields fields;
  for (auto _ : state) {
    for (const std::string& line : streams.comma) {
      TokenizeLine(line, &fields);
      benchmark::DoNotOptimize(FilterLine(fields, filters));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(streams.comma.size()));
  state.SetBytesProcessed(state.iterations() * streams.comma_bytes);
}
BENCHMARK(BM_CommaTokenizeFilter_Stream);

void BM_W3cTokenizeFilter_Stream(benchmark::State& state) {
  const Streams& streams = RealisticStreams();
  Options defaults;
  const LineFilters filters = CompileFilters(defaults);
  W3cLayout layout;
  ParseW3cFields(kIis10Fields, &layout);
  LogFields fields;
  for (auto _ : state) {
    for (const std::string& line : streams.w3c) {
      TokenizeW3cLine(line, layout, &fields);
      benchmark::DoNotOptimize(FilterLine(fields, filters));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(streams.w3c.size()));
  state.SetBytesProcessed(state.iterations() * streams.w3c_bytes);
}
BENCHMARK(BM_W3cTokenizeFilter_Stream);

void BM_ParseW3cTime(benchmark::State& state) {
  const Streams& streams = RealisticStreams();
  HitTimeCache cache(DateForm::kW3c, 0);
  for (auto _ : state) {
    for (const Streams::Stamp& stamp : streams.stamps) {
      benchmark::DoNotOptimize(cache.ParseHitTime(stamp.date, stamp.time));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(streams.stamps.size()));
}
BENCHMARK(BM_ParseW3cTime);

void BM_ParseW3cFields_Iis10(benchmark::State& state) {
  W3cLayout layout;
  for (auto _ : state) {
    ParseW3cFields(kIis10Fields, &layout);
    benchmark::DoNotOptimize(layout.field_count);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseW3cFields_Iis10);

}  // namespace

BENCHMARK_MAIN();
