#!/bin/bash
# Where the time of a run goes, stage by stage: vantrix (built with frame
# pointers) on the benchmark's realistic log under perf, on one thread
# (taskset -c 0) and on every core, with -ftext and -fjson. Each stage's
# share is the share of samples under its entry function: reading
# (ChunkWorker::Take and ChunkWorker::Settle, one thread at a time, in
# reading order), cutting lines, parsing and
# gathering (CutRest, ChunkParser::Parse), counting the hits (CountHits,
# CountShard, FinishBatch), counting the requests of the JSON and page
# panels (AddRequests, called from the parsing, whose share is counted
# apart) and the rest (start, merging, the report). CPU
# seconds are the share of perf's task clock. From the shares, what N cores
# would reach: the reading stage stays serial, the rest spreads over them.
# Prints the tables and writes bench/STAGES.md.
#
#   bench/stages.sh [--runs N] [--lines N]
#
#   --runs N    runs of every case, the median CPU time kept (default 3)
#   --lines N   lines of the realistic log (default 8500000, ~1 GB)
set -euo pipefail
export LC_ALL=C TZ=UTC

usage() { sed -n '13,16p' "$0" | sed 's/^# \{0,1\}//'; }

runs=3
lines=8500000
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?}; shift 2 ;;
    --lines) lines=${2:?}; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
case $runs$lines in *[!0-9]*) usage >&2; exit 2 ;; esac
[ "$runs" -ge 1 ] || { usage >&2; exit 2; }
command -v perf >/dev/null || { echo "stages.sh: needs perf (linux-perf)" >&2; exit 1; }

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/stages
cache=${VANTRIX_BENCH_CACHE:-$HOME/.cache/vantrix-bench}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-stages.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

echo "== Building Release with frame pointers into build/stages" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVANTRIX_BENCH=ON \
  -DCMAKE_CXX_FLAGS="-fno-omit-frame-pointer -mno-omit-leaf-frame-pointer" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target vantrix vantrix_loggen >/dev/null

key=$(cat "$root/bench/log_generator.h" "$root/bench/log_generator.cc" | sha256sum | cut -c1-12)
log=$cache/realistic-$lines-$key.log
mkdir -p "$cache"
if [ ! -s "$log" ]; then
  echo "== Generating $log" >&2
  "$build/bench/vantrix_loggen" --lines "$lines" --seed 1 --shape realistic >"$log.part"
  mv "$log.part" "$log"
fi
cat "$log" >/dev/null

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

# The share (in %) of the samples of a recording under each stage.
shares() {
  perf report -i "$1" --children --stdio -g none --percent-limit 0 2>/dev/null |
    awk '
      /ChunkWorker::(Take|Settle)$/ { read += $1 }
      / (ChunkParser::Parse|CutRest)$/ { parse += $1 }
      / (CountHits|CountShard|FinishBatch)$/ { count += $1 }
      / AddRequests$/ { panels += $1 }
      END { printf "%.1f %.1f %.1f %.1f\n", read, parse - panels, count, panels }'
}

# One case: the median CPU seconds of its runs and the stage shares of the
# run with that time.
measure() {
  local name=$1
  shift
  : >"$tmp/$name.cpu"
  for ((run = 0; run < runs; run++)); do
    perf record -q -F 999 --call-graph fp -o "$tmp/$name.$run.data" -- "$@" "$log" \
      >/dev/null 2>"$tmp/err" || { cat "$tmp/err" >&2; exit 1; }
    cpu=$(perf report -i "$tmp/$name.$run.data" --stdio 2>/dev/null |
      awk '/^# Event count/ { print $NF / 1e9 }')
    echo "$cpu $run" >>"$tmp/$name.cpu"
  done
  read -r cpu run < <(sort -n "$tmp/$name.cpu" | awk -v m=$(((runs + 1) / 2)) 'NR == m')
  read -r read parse count panels < <(shares "$tmp/$name.$run.data")
  echo "$name $cpu $read $parse $count $panels" >>"$tmp/results"
}

cores=$(nproc)
: >"$tmp/results"
for format in text json; do
  echo "== -f$format on one thread" >&2
  measure "$format-1" taskset -c 0 "$build/vantrix" "-f$format" -n10 -u10
  echo "== -f$format on $cores threads" >&2
  measure "$format-$cores" "$build/vantrix" "-f$format" -n10 -u10
done

bytes=$(stat -c %s "$log")
out=$tmp/STAGES.md
{
  echo "# Where the time goes, stage by stage"
  echo
  echo "Measured by \`bench/stages.sh\` on $(date -u +%Y-%m-%d), nproc $cores," \
    "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)."
  echo "The realistic log of \`bench/run.sh\`: $lines lines, $(calc '%.0f' "$bytes / 1e6") MB;" \
    "\`vantrix -fFORMAT -n10 -u10 LOG\`, built with frame pointers."
  echo "vantrix at commit $(git -C "$root" rev-parse --short HEAD). CPU seconds: perf's task clock"
  echo "(every thread), the median of $runs runs; the shares: perf samples (1 kHz) under each stage's entry function."
  echo
  echo "| report | threads | CPU s | reading | cutting, parsing and gathering | counting hits | counting requests | the rest |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|"
  while read -r name cpu read parse count panels; do
    rest=$(calc '%.1f' "100 - $read - $parse - $count - $panels")
    echo "| -f${name%-*} | ${name##*-} | $(calc '%.2f' "$cpu") |" \
      "$(calc '%.2f' "$cpu * $read / 100") s ($read%) |" \
      "$(calc '%.2f' "$cpu * $parse / 100") s ($parse%) |" \
      "$(calc '%.2f' "$cpu * $count / 100") s ($count%) |" \
      "$(calc '%.2f' "$cpu * $panels / 100") s ($panels%) |" \
      "$(calc '%.2f' "$cpu * $rest / 100") s ($rest%) |"
  done <"$tmp/results"
  echo
  echo "Reading is the one serial stage: a worker takes the next chunk under the"
  echo "take lock (the read into memory, and the cut of the bytes after its last"
  echo "line feed, which are carried to the next chunk), and once it has cut the"
  echo "chunk, hands the file's format on to the next one in reading order. Cutting"
  echo "and parsing run on every worker at once; counting the hits too (sixteen shard steps"
  echo "a chunk, each in its turn, beside the next chunk's); the requests of the"
  echo "panels are counted by each worker into its own tables. What more cores"
  echo "would reach, by the $cores-thread shares: the serial stage's seconds, or all"
  echo "the CPU seconds spread over the cores, whichever is more. This leaves out"
  echo "what more threads cost (more cache traffic between the shard steps, one"
  echo "more merge of the panels' tables a worker) and the memory bandwidth."
  echo
  echo "| report | 4 cores | 8 cores | 16 cores | bound: the serial stage |"
  echo "|---|---:|---:|---:|---:|"
  grep -E -- "-$cores " "$tmp/results" | while read -r name cpu read _; do
    serial=$(calc '%.4f' "$cpu * $read / 100")
    row="| -f${name%-*} |"
    for n in 4 8 16; do
      t=$(calc '%.4f' "($cpu / $n > $serial) ? $cpu / $n : $serial")
      row="$row $(calc '%.2f' "$t") s ($(calc '%.0f' "$bytes / 1e6 / $t") MB/s) |"
    done
    echo "$row $(calc '%.2f' "$serial") s ($(calc '%.0f' "$bytes / 1e6 / $serial") MB/s) |"
  done
} >"$out"
cp "$out" "$root/bench/STAGES.md"
cat "$out"
echo "== Written to bench/STAGES.md" >&2
