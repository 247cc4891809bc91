#!/bin/bash
# Compressed logs: vantrix on the benchmark's realistic log compressed with
# gzip -6, against the same log plain and against the machine's inflating
# limit (gzip -dc, zcat | wc -l, and igzip -dc where installed); with
# --before, a second vantrix on the compressed log beside this tree's (say,
# one built before a change). Commands alternate within each run, each run
# starting with the next one; both files are in the page cache. Wall time
# from the shell's clock, user and system CPU time (all threads, children
# of a pipeline included) from GNU time. Prints the table and puts it in
# bench/RESULTS.md as the section "Compressed logs" (bench/run.sh keeps it).
#
#   bench/gzip.sh [--runs N] [--lines N] [--vantrix PATH] [--before PATH]
#
#   --runs N         runs of every command (default 5)
#   --lines N        lines of the realistic log (default 8500000, ~1 GB)
#   --vantrix PATH   measure this program instead of a fresh Release build
#   --before PATH    also measure this program on the compressed log
set -euo pipefail
export LC_ALL=C TZ=UTC

usage() { sed -n '12,17p' "$0" | sed 's/^# \{0,1\}//'; }

runs=5
lines=8500000
vantrix=
before=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?}; shift 2 ;;
    --lines) lines=${2:?}; shift 2 ;;
    --vantrix) vantrix=$(realpath "${2:?}"); shift 2 ;;
    --before) before=$(realpath "${2:?}"); shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
case $runs$lines in *[!0-9]*) usage >&2; exit 2 ;; esac
[ "$runs" -ge 1 ] && [ "$lines" -ge 10 ] || { usage >&2; exit 2; }

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cache=${VANTRIX_BENCH_CACHE:-$HOME/.cache/vantrix-bench}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-gzip.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
have() { command -v "$1" >/dev/null 2>&1; }

# The same log as bench/run.sh's, generated once into the cache, and its
# gzip beside it.
key=$(cat "$root/bench/log_generator.h" "$root/bench/log_generator.cc" | sha256sum | cut -c1-12)
log=$cache/realistic-$lines-$key.log
mkdir -p "$cache"

# What is missing is built: vantrix unless given, the generator unless the
# log is there.
targets=()
[ -n "$vantrix" ] || targets+=(vantrix)
[ -s "$log" ] || targets+=(vantrix_loggen)
if [ ${#targets[@]} -gt 0 ]; then
  echo "== Building Release into build/bench" >&2
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DVANTRIX_BENCH=ON >/dev/null
  cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${targets[@]}" >/dev/null
fi
[ -n "$vantrix" ] || vantrix=$build/vantrix
if [ ! -s "$log" ]; then
  echo "== Generating $log" >&2
  "$build/bench/vantrix_loggen" --lines "$lines" --seed 1 --shape realistic >"$log.part"
  mv "$log.part" "$log"
fi
if [ ! -s "$log.gz" ]; then
  echo "== Compressing $log" >&2
  gzip -6 -c "$log" >"$log.gz.part"
  mv "$log.gz.part" "$log.gz"
fi

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

names=(gzip zcat_wc vantrix_gz vantrix_plain)
# One core: taskset, where it is there and the machine lets it pin.
! taskset -c 0 true 2>/dev/null || names+=(vantrix_gz_1core)
! have igzip || names+=(igzip igzip_pipe)
[ -z "$before" ] || names+=(before_gz)
command_of() {
  case $1 in
    gzip) command=(gzip -dc "$log.gz") ;;
    zcat_wc) command=(sh -c 'zcat "$1" | wc -l' sh "$log.gz") ;;
    igzip) command=(igzip -dc "$log.gz") ;;
    igzip_pipe) command=(sh -c 'igzip -dc "$1" | "$2" -' sh "$log.gz" "$vantrix") ;;
    vantrix_gz) command=("$vantrix" "$log.gz") ;;
    vantrix_plain) command=("$vantrix" "$log") ;;
    vantrix_gz_1core) command=(taskset -c 0 "$vantrix" "$log.gz") ;;
    before_gz) command=("$before" "$log.gz") ;;
  esac
}
label_of() {
  case $1 in
    gzip) echo "\`gzip -dc LOG.gz >/dev/null\`" ;;
    zcat_wc) echo "\`zcat LOG.gz \\| wc -l\`" ;;
    igzip) echo "\`igzip -dc LOG.gz >/dev/null\`" ;;
    igzip_pipe) echo "\`igzip -dc LOG.gz \\| vantrix -\`" ;;
    vantrix_gz) echo "\`vantrix LOG.gz\`" ;;
    vantrix_plain) echo "\`vantrix LOG\` (plain)" ;;
    vantrix_gz_1core) echo "\`vantrix LOG.gz\`, 1 core" ;;
    before_gz) echo "\`vantrix LOG.gz\`, before" ;;
  esac
}

# Runs one command; appends "name wall user system".
measure() {
  local name=$1 start end
  command_of "$name"
  start=${EPOCHREALTIME/./}
  /usr/bin/time -f '%U %S' -o "$tmp/time" "${command[@]}" >"$tmp/out.$name"
  end=${EPOCHREALTIME/./}
  echo "$name $(calc '%.3f' "($end - $start) / 1e6") $(cat "$tmp/time")" >>"$tmp/results"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)
cat "$log" "$log.gz" >/dev/null
: >"$tmp/results"
count=${#names[@]}
for ((run = 0; run < runs; run++)); do
  echo "== Run $((run + 1)) of $runs" >&2
  for ((i = 0; i < count; i++)); do measure "${names[(run + i) % count]}"; done
done
# The compressed log gives the plain log's report, and its lines.
cmp "$tmp/out.vantrix_gz" "$tmp/out.vantrix_plain"
[ ! -f "$tmp/out.vantrix_gz_1core" ] || cmp "$tmp/out.vantrix_gz_1core" "$tmp/out.vantrix_plain"
[ -z "$before" ] || cmp "$tmp/out.before_gz" "$tmp/out.vantrix_plain"
! have igzip || cmp "$tmp/out.igzip_pipe" "$tmp/out.vantrix_plain"
[ "$(cat "$tmp/out.zcat_wc")" = "$(wc -l <"$log")" ]

# The median of a case's column: 2 wall, 3 user, 4 system seconds.
median() {
  awk -v n="$1" -v c="$2" '$1 == n { print $c }' "$tmp/results" | sort -n |
    awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.3f\n", m }'
}
plain=$(stat -c %s "$log")
packed=$(stat -c %s "$log.gz")
out=$tmp/gzip.md
{
  echo "## Compressed logs"
  echo
  echo "Measured by \`bench/gzip.sh\` on $(date -u +%Y-%m-%d), nproc $(nproc)," \
    "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)."
  echo "The realistic log of \`bench/run.sh\`: $lines lines, $(calc '%.0f' "$plain / 1e6") MB;" \
    "with \`gzip -6\` $(calc '%.1f' "$packed / 1e6") MB."
  echo "Median of $runs runs, the commands alternating within each run, both files in the page cache."
  echo "vantrix at commit $(git -C "$root" rev-parse --short HEAD)$(
    git -C "$root" diff --quiet HEAD -- src 2>/dev/null || echo ' (src changed)')."
  echo "Load average (1, 5, 15 min) before the runs: $load_before; after:" \
    "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)."
  echo
  echo "| command | median s | user s | system s | compressed MB/s | text MB/s |"
  echo "|---|---:|---:|---:|---:|---:|"
  for name in "${names[@]}"; do
    t=$(median "$name" 2)
    compressed='-'
    [ "$name" = vantrix_plain ] || compressed=$(calc '%.1f' "$packed / 1e6 / $t")
    echo "| $(label_of "$name") | $t | $(median "$name" 3) | $(median "$name" 4) |" \
      "$compressed | $(calc '%.1f' "$plain / 1e6 / $t") |"
  done
  echo
  echo "Text MB/s is the log's inflated size over the time. vantrix runs with the"
  echo "default options and its report goes to /dev/null, as do the inflated bytes;"
  echo "\`igzip -dc LOG.gz | vantrix -\` inflates in a process of its own, beside"
  echo "vantrix's threads, as a thread inflating ahead of the readers would."
} >"$out"
# The section replaces the one before, last in the file.
results=$root/bench/RESULTS.md
touch "$results"
awk '/^## / { skip = $0 == "## Compressed logs" } !skip' "$results" >"$tmp/results.md"
sed -i -e :a -e '/^\n*$/{$d;N;ba' -e '}' "$tmp/results.md"
{ cat "$tmp/results.md"; echo; cat "$out"; } >"$results"
cat "$out"
echo "== Written to bench/RESULTS.md" >&2
