// Micro-benchmarks of the per-line path: tokenizing and filtering a line,
// turning its date and time into a time stamp, counting the hit, and the
// default name patterns. The input is a generated realistic log, the same
// on every machine, so that figures compare across changes.
//
//   build/bench/bench/vantrix_microbench --benchmark_filter=RecordHit
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/decimal.h"
#include "bytes/hash.h"
#include "intake/log_file.h"
#include "intake/log_line.h"
#include "intake/name_pattern.h"
#include "log_generator.h"
#include "options.h"
#include "stats/hit_time.h"
#include "stats/records.h"

namespace {

constexpr std::size_t kStreamLines = 100000;

// The first lines of a realistic log: the whole text, its lines as the
// reader hands them out (CR-LF read as LF), and the accepted lines' values.
struct Stream {
  struct Hit {
    std::string address, path, date, time;
    std::int32_t bytes;
    TimeStamp stamp;  // of the date and time at UTC
  };

  std::string text;
  std::vector<std::string> lines;
  std::vector<Hit> hits;
  std::int64_t line_bytes = 0;
};

const Stream& RealisticStream() {
  static const Stream* stream = [] {
    auto* s = new Stream;
    LogGeneratorOptions options;
    options.lines = kStreamLines;
    options.seed = 1;
    LogGenerator generator(options);
    while (generator.NextLine(&s->text)) {
    }

    Options defaults;
    LineFilters filters = CompileFilters(defaults);
    LogFields fields;
    HitTimeCache time_cache(DateForm::kComma, 0);
    std::size_t start = 0;
    while (start < s->text.size()) {
      std::size_t end = s->text.find("\r\n", start);
      std::string line = s->text.substr(start, end - start) + "\n";
      start = end + 2;
      if (line.size() > 2047) continue;  // the reader would cut it up
      s->line_bytes += static_cast<std::int64_t>(line.size());
      s->lines.push_back(line);

      TokenizeLine(s->lines.back(), &fields);
      if (FilterLine(fields, filters) != LineVerdict::kAccepted) continue;
      const TimeStamp stamp = time_cache.ParseHitTime(fields.slot[kDate], fields.slot[kTime]);
      if (stamp == kRejectedDate) continue;
      s->hits.push_back({std::string(fields.slot[kClientIp]),
                         std::string(fields.slot[kTarget]),
                         std::string(fields.slot[kDate]),
                         std::string(fields.slot[kTime]),
                         ReadDecimal(fields.slot[kServerBytes]), stamp});
    }
    return s;
  }();
  return *stream;
}

void BM_TokenizeFilter_OneLine(benchmark::State& state) {
  const std::string line =
      "192.168.0.10, -, 03/20/01, 7:55:20, W3SVC1, WEBSRV, 192.168.0.1, 47, "
      "163, 322, 200, 0, GET, /index.htm, -,\n";
  Options defaults;
  LineFilters filters = CompileFilters(defaults);
  LogFields fields;
  for (auto _ : state) {
    TokenizeLine(line, &fields);
    benchmark::DoNotOptimize(FilterLine(fields, filters));
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(line.size()));
}
BENCHMARK(BM_TokenizeFilter_OneLine);

void BM_TokenizeFilter_Stream(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  Options defaults;
  LineFilters filters = CompileFilters(defaults);
  LogFields fields;
  for (auto _ : state) {
    for (const std::string& line : stream.lines) {
      TokenizeLine(line, &fields);
      benchmark::DoNotOptimize(FilterLine(fields, filters));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.lines.size()));
  state.SetBytesProcessed(state.iterations() * stream.line_bytes);
}
BENCHMARK(BM_TokenizeFilter_Stream);

// The date read afresh for every hit: what a log whose date changed on
// every line would cost.
void BM_ParseHitDate(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  for (auto _ : state) {
    for (const Stream::Hit& hit : stream.hits) {
      benchmark::DoNotOptimize(CombineHitTime(ParseHitDate(hit.date), hit.time, 0));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.hits.size()));
}
BENCHMARK(BM_ParseHitDate);

void BM_ParseHitTime(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  HitTimeCache cache(DateForm::kComma, 0);
  for (auto _ : state) {
    for (const Stream::Hit& hit : stream.hits) {
      benchmark::DoNotOptimize(cache.ParseHitTime(hit.date, hit.time));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.hits.size()));
}
BENCHMARK(BM_ParseHitTime);

// Counts a hit with its hashes computed, as the reader hands it over,
// stamped with its place in the run.
void Record(Statistics* stats, const Stream::Hit& hit) {
  RecordHit(stats,
            {hit.address, HashBytes(hit.address, stats->hash_seed), hit.path,
             HashFoldedBytes(hit.path, stats->hash_seed), hit.bytes, hit.stamp},
            static_cast<FirstSeen>(stats->totals.TotalHits));
}

// Every user and page new to the store: the start of a run.
void BM_RecordHit_Fresh(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  for (auto _ : state) {
    Statistics stats;
    for (const Stream::Hit& hit : stream.hits) {
      Record(&stats, hit);
    }
    benchmark::DoNotOptimize(stats.totals.TotalHits);
    state.PauseTiming();
    ReleaseRecords(&stats);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.hits.size()));
}
BENCHMARK(BM_RecordHit_Fresh)->Unit(benchmark::kMillisecond);

// Users and pages known already: the steady state of a long log. Every
// batch adds its hits to the same store, so the count of batches is fixed
// to bound the memory.
void BM_RecordHit_Warm(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  Statistics stats;
  for (const Stream::Hit& hit : stream.hits) {
    Record(&stats, hit);
  }
  for (auto _ : state) {
    for (const Stream::Hit& hit : stream.hits) {
      Record(&stats, hit);
    }
  }
  benchmark::DoNotOptimize(stats.totals.TotalHits);
  ReleaseRecords(&stats);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.hits.size()));
}
BENCHMARK(BM_RecordHit_Warm)->Iterations(30)->Unit(benchmark::kMillisecond);

// The same list split once, as the filter chain uses it.
void BM_MatchNamePatterns_Default(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  Options defaults;
  const NamePatternList list = SplitNamePatterns(defaults.ExcludePattern);
  LogFields fields;
  std::vector<std::string> kept;
  for (const std::string& line : stream.lines) {
    TokenizeLine(line, &fields);
    if (fields.count == kFieldCount && fields.Present(kTarget)) {
      kept.emplace_back(fields.slot[kTarget]);
    }
  }
  for (auto _ : state) {
    for (const std::string& target : kept) {
      benchmark::DoNotOptimize(MatchNamePatterns(target, list));
    }
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kept.size()));
}
BENCHMARK(BM_MatchNamePatterns_Default);

// The whole per-line path from raw bytes: reading, tokenizing, filtering
// and counting, into a fresh store per batch. Reading may use a second
// thread, so the rate is taken from the wall clock.
void BM_ReadLogText(benchmark::State& state) {
  const Stream& stream = RealisticStream();
  Options defaults;
  for (auto _ : state) {
    Statistics stats;
    ReadLogText(defaults, &stats, stderr, stream.text);
    benchmark::DoNotOptimize(stats.totals.TotalHits);
    state.PauseTiming();
    ReleaseRecords(&stats);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kStreamLines));
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(stream.text.size()));
}
BENCHMARK(BM_ReadLogText)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
