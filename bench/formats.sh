#!/bin/bash
# The three report formats side by side on the benchmark's realistic log:
# -ftext, -fjson and -fhtml of this tree, and -ftext of a baseline revision
# built from git (by default the last main this tree has merged), to show
# what gathering costs the text report when it is not asked for. Commands
# alternate within each run, each run starting with the next one, so that
# none is always first; the log is in the page cache. Wall time from the
# shell's clock; CPU time (user and system, all threads) from perf's task
# clock where perf works, else from GNU time. Prints the table and writes
# bench/FORMATS.md (with --w3c, bench/FORMATS-W3C.md).
#
#   bench/formats.sh [--runs N] [--lines N] [--baseline REV] [--w3c]
#                    [--agents N]
#
#   --runs N        runs of every command (default 7)
#   --lines N       lines of the realistic log (default 8500000, ~1 GB)
#   --baseline REV  the revision the text report is compared with (the
#                   merge base of HEAD and main); "none" leaves it out
#   --w3c           the same requests in the W3C format, with user agents
#                   (what the who panels read), as bench/run.sh makes it
#   --agents N      with --w3c: each client given one of N made-up agents
#                   (browsers of our day on five systems, and robots), as a
#                   busy site's log has thousands where the twin has five;
#                   writes bench/FORMATS-W3C-AGENTS.md
set -euo pipefail
export LC_ALL=C TZ=UTC

usage() { sed -n '12,24p' "$0" | sed 's/^# \{0,1\}//'; }

runs=7
lines=8500000
baseline=
w3c=false
agents=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?}; shift 2 ;;
    --lines) lines=${2:?}; shift 2 ;;
    --baseline) baseline=${2:?}; shift 2 ;;
    --w3c) w3c=true; shift ;;
    --agents) agents=${2:?}; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
case $runs$lines$agents in *[!0-9]*) usage >&2; exit 2 ;; esac
if [ -n "$agents" ] && ! $w3c; then usage >&2; exit 2; fi

root=$(cd "$(dirname "$0")/.." && pwd)
[ -n "$baseline" ] || baseline=$(git -C "$root" merge-base HEAD main)
build=$root/build/bench
cache=${VANTRIX_BENCH_CACHE:-$HOME/.cache/vantrix-bench}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-formats.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

echo "== Building Release into build/bench" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVANTRIX_BENCH=ON >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target vantrix vantrix_loggen >/dev/null
vantrix=$build/vantrix

base_vantrix=
if [ "$baseline" != none ]; then
  rev=$(git -C "$root" rev-parse --short "$baseline")
  echo "== Building $baseline ($rev) for the baseline" >&2
  mkdir "$tmp/base"
  git -C "$root" archive "$rev" | tar -x -C "$tmp/base"
  cmake -S "$tmp/base" -B "$tmp/base/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$tmp/base/build" -j "${JOBS:-$(nproc)}" --target vantrix >/dev/null
  base_vantrix=$tmp/base/build/vantrix
fi

# The same log as bench/run.sh's, generated once into the cache.
key=$(cat "$root/bench/log_generator.h" "$root/bench/log_generator.cc" | sha256sum | cut -c1-12)
log=$cache/realistic-$lines-$key.log
mkdir -p "$cache"
if [ ! -s "$log" ]; then
  echo "== Generating $log" >&2
  "$build/bench/vantrix_loggen" --lines "$lines" --seed 1 --shape realistic >"$log.part"
  mv "$log.part" "$log"
fi
result=FORMATS.md
described="The realistic log of \`bench/run.sh\`"
if $w3c; then
  comma=$log
  log=${comma%.log}-w3c.log
  if [ ! -s "$log" ]; then
    echo "== Writing $log" >&2
    sh "$root/examples/make_w3c_sample.sh" "$comma" "$log.part"
    mv "$log.part" "$log"
  fi
  result=FORMATS-W3C.md
  described="The W3C twin of \`bench/run.sh\`'s realistic log (with user agents)"
  if [ -n "$agents" ]; then
    twin=$log
    log=${twin%.log}-agents$agents.log
    if [ ! -s "$log" ]; then
      echo "== Writing $log" >&2
      # c-ip is the 11th field of the twin, cs(User-Agent) the 12th.
      awk -v n="$agents" '
        BEGIN {
          split("Windows+NT+10.0;+Win64;+x64|Macintosh;+Intel+Mac+OS+X+10_15_7|" \
                "X11;+Linux+x86_64|Linux;+Android+14;+SM-S921B|Windows+NT+6.1;+Win64;+x64", os, "|")
        }
        /^#/ { print; next }
        {
          split($11, p, ".")
          k = (p[1] * 7919 + p[2] * 104729 + p[3] * 13 + p[4] * 31) % n
          o = os[k % 5 + 1]
          if (k % 11 == 0) $12 = "Mozilla/5.0+(compatible;+Crawler" k "/1.0;++http://example.com/bot)"
          else if (k % 7 == 0) $12 = "Mozilla/5.0+(" o ";+rv:" (100 + k % 40) ".0)+Gecko/20100101+Firefox/" (100 + k % 40) "." k % 10
          else $12 = "Mozilla/5.0+(" o ")+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/" (90 + k % 40) ".0." k ".0+Safari/537.36"
          print
        }' "$twin" >"$log.part"
      mv "$log.part" "$log"
    fi
    result=FORMATS-W3C-AGENTS.md
    described="The W3C twin of \`bench/run.sh\`'s realistic log, each client given one of $agents made-up agents"
  fi
fi

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

names=(text json html)
[ -z "$base_vantrix" ] || names=(baseline "${names[@]}")
command_of() {
  case $1 in
    baseline) command=("$base_vantrix" -n10 -u10 "$log") ;;
    *) command=("$vantrix" "-f$1" -n10 -u10 "$log") ;;
  esac
}

if perf stat -x, -e task-clock -o "$tmp/probe" true 2>/dev/null &&
  grep -q task-clock "$tmp/probe"; then
  meter="perf's task clock"
else
  meter="GNU time"
fi

# Runs one command; appends "name wall-seconds cpu-seconds".
measure() {
  local name=$1 start end cpu
  command_of "$name"
  start=${EPOCHREALTIME/./}
  if [ "$meter" = "GNU time" ]; then
    /usr/bin/time -f '%U %S' -o "$tmp/time" "${command[@]}" >"$tmp/out.$name"
    cpu=$(awk '{ print $1 + $2 }' "$tmp/time")
  else
    perf stat -x, -e task-clock -o "$tmp/time" "${command[@]}" >"$tmp/out.$name"
    cpu=$(awk -F, '/task-clock/ { print $1 / 1000 }' "$tmp/time")
  fi
  end=${EPOCHREALTIME/./}
  echo "$name $(calc '%.3f' "($end - $start) / 1e6") $cpu" >>"$tmp/results"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)
cat "$log" >/dev/null
: >"$tmp/results"
count=${#names[@]}
for ((run = 0; run < runs; run++)); do
  echo "== Run $((run + 1)) of $runs" >&2
  for ((i = 0; i < count; i++)); do measure "${names[(run + i) % count]}"; done
done
# Every format counted the same hits.
hits=$(awk -F': ' '/^Total number of hits/ { print $2 }' "$tmp/out.text")
grep -q "\"hits\": $hits,\$" "$tmp/out.json"
# The page groups the digits by thousands.
grep -q "<b>$(echo "$hits" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')</b>" "$tmp/out.html"

# The median of a case's wall seconds (column 2) or CPU seconds (3).
median() {
  awk -v n="$1" -v c="${2:-2}" '$1 == n { print $c }' "$tmp/results" | sort -n |
    awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.3f\n", m }'
}
bytes=$(stat -c %s "$log")
t_text=$(median text)
c_text=$(median text 3)
out=$tmp/FORMATS.md
{
  echo "# Report formats side by side"
  echo
  echo "Measured by \`bench/formats.sh\` on $(date -u +%Y-%m-%d), nproc $(nproc)," \
    "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)."
  echo "$described: $lines lines, $(calc '%.0f' "$bytes / 1e6") MB, $hits counted hits."
  echo "Median of $runs runs, the commands alternating within each run, the log in the page cache."
  echo "vantrix at commit $(git -C "$root" rev-parse --short HEAD)$(
    git -C "$root" diff --quiet HEAD -- src 2>/dev/null || echo ' (src changed)')."
  echo "Load average (1, 5, 15 min) before the runs: $load_before; after:" \
    "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)."
  echo
  echo "| command | median s | MB/s | time vs -ftext | median CPU s | CPU vs -ftext |"
  echo "|---|---:|---:|---:|---:|---:|"
  for name in "${names[@]}"; do
    t=$(median "$name")
    c=$(median "$name" 3)
    label="vantrix -f$name"
    [ "$name" != baseline ] || label="vantrix at $rev (baseline), text"
    echo "| $label | $t | $(calc '%.1f' "$bytes / 1e6 / $t") | $(calc '%.3f' "$t / $t_text") |" \
      "$c | $(calc '%.3f' "$c / $c_text") |"
  done
  echo
  echo "Commands: \`vantrix -fFORMAT -n10 -u10 LOG\`; CPU seconds (user and system, all"
  echo "threads) from $meter. The targets: -ftext at most 3% over the baseline (it gathers"
  echo "nothing more), -fjson and -fhtml at most 25% over -ftext. On a busy machine the CPU"
  echo "column is the steadier one."
} >"$out"
cp "$out" "$root/bench/$result"
cat "$out"
echo "== Written to bench/$result" >&2
