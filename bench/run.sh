#!/bin/bash
# Measures vantrix on generated logs held in the page cache, on every core
# and on one (under taskset), against the machine's reading limit (wc -l)
# and the tools a user would pick instead (mawk counting by hand, GoAccess,
# Analog, where installed), on the comma log and on the same requests in the
# W3C extended format; checks that the run stays linear in lines, users and
# paths, and measures its peak memory by counted lines and by distinct users
# and pages. Prints the tables and writes them to bench/RESULTS.md.
#
#   bench/run.sh [--runs N] [--lines N] [--memory-only] [--vantrix PATH]
#
#   --runs N         runs of every command, alternating (default 5)
#   --lines N        lines of the main realistic log (default 8500000, ~1 GB);
#                    a log of a tenth of them is the linearity check
#   --memory-only    only the memory table, printed; RESULTS.md is left
#   --vantrix PATH   measure this program instead of a fresh Release build
#                    (to compare two commits on the same logs)
#
# The logs are generated once into $VANTRIX_BENCH_CACHE (default
# ~/.cache/vantrix-bench) and kept; a change of the generator makes new ones.
set -euo pipefail
export LC_ALL=C TZ=UTC

usage() {
  sed -n '10,17p' "$0" | sed 's/^# \{0,1\}//'
}

runs=5
lines=8500000
memory_only=false
vantrix=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?}; shift 2 ;;
    --lines) lines=${2:?}; shift 2 ;;
    --memory-only) memory_only=true; shift ;;
    --vantrix) vantrix=$(realpath "${2:?}"); shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
case $runs$lines in *[!0-9]*) usage >&2; exit 2 ;; esac
[ "$runs" -ge 1 ] && [ "$lines" -ge 10 ] || { usage >&2; exit 2; }

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cache=${VANTRIX_BENCH_CACHE:-$HOME/.cache/vantrix-bench}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

have() { command -v "$1" >/dev/null 2>&1; }

# --- Build --------------------------------------------------------------------

echo "== Building Release into build/bench" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVANTRIX_BENCH=ON >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" \
  --target vantrix vantrix_loggen vantrix_peak_rss vantrix_count_modes >/dev/null
[ -n "$vantrix" ] || vantrix=$build/vantrix
loggen=$build/bench/vantrix_loggen
peak_rss=$build/bench/vantrix_peak_rss
count_modes=$build/bench/vantrix_count_modes

# --- Logs -----------------------------------------------------------------------

# A generator change gives new file names; the old logs are removed.
key=$(cat "$root/bench/log_generator.h" "$root/bench/log_generator.cc" |
  sha256sum | cut -c1-12)
mkdir -p "$cache"
for old in "$cache"/{realistic,users,paths}-*.log; do
  case $old in
    *"-$key.log" | *"-$key-w3c.log" | *'*'*) ;;
    *) rm -f "$old" "$old.texts" "$old.distinct" ;;
  esac
done

# Prints the path of the log of this shape and size, made if missing. The
# users and paths logs hold as many distinct clients or paths as lines.
log_file() {
  local shape=$1 n=$2
  local file=$cache/$shape-$n-$key.log
  if [ ! -s "$file" ]; then
    echo "== Generating $file" >&2
    local distinct=()
    [ "$shape" = realistic ] || distinct=(--distinct "$n")
    "$loggen" --lines "$n" --seed 1 --shape "$shape" "${distinct[@]}" >"$file.part"
    mv "$file.part" "$file"
  fi
  echo "$file"
}

small_lines=$((lines / 10))
small=$(log_file realistic "$small_lines")
users=$(log_file users 1000000)
paths=$(log_file paths 1000000)
users5=$(log_file users 5000000)
paths5=$(log_file paths 5000000)
big=
$memory_only || big=$(log_file realistic "$lines")

# The realistic log's requests in the W3C extended format, converted by the
# script that makes the W3C sample.
w3c=${big%.log}-w3c.log
if ! $memory_only && [ ! -s "$w3c" ]; then
  echo "== Converting $big to the W3C extended format" >&2
  sh "$root/examples/make_w3c_sample.sh" "$big" "$w3c.part"
  mv "$w3c.part" "$w3c"
fi

# What the statistics keep of a log, roughly, for the lines that count:
# "TEXT_BYTES USERS PAGES", the bytes of the distinct texts (client
# addresses and paths, ASCII case ignored, each with its terminating zero)
# and the distinct users and pages. Cached by the log.
distinct_of() {
  local file=$1
  if [ ! -s "$file.distinct" ]; then
    awk -F', ' '$5 ~ /^W3SVC/ && $13 == "GET" && tolower($14) !~ /\.(gif|jpg)$/ {
        u[$1] = 1; p[tolower($14)] = 1 }
      END { n = 0; users = 0; pages = 0
            for (k in u) { n += length(k) + 1; users++ }
            for (k in p) { n += length(k) + 1; pages++ }
            print n, users, pages }' "$file" >"$file.distinct.part"
    mv "$file.distinct.part" "$file.distinct"
  fi
  cat "$file.distinct"
}

# --- Commands -------------------------------------------------------------------

# Analog: the same report on either log; only the line formats differ.
# Lines of another method or service match the last format, which reads
# nothing, so they are left out rather than counted as corrupt.
cat >"$tmp/analog-report.cfg" <<'EOF'
CASE INSENSITIVE
FILEEXCLUDE *.gif,*.jpg
DNS NONE
OUTPUT ASCII
ALL OFF
GENERAL ON
REQUEST ON
HOST ON
REQINCLUDE *
REQFLOOR -10r
HOSTFLOOR -10r
REQSORTBY REQUESTS
HOSTSORTBY REQUESTS
EOF
{
  echo 'DEFAULTLOGFORMAT (%S, %u, %m/%d/%y, %h:%n:%j, W3SVC%j, %j, %v, %j, %j, %b, %c, %j, GET, %r, %j,)'
  echo 'DEFAULTLOGFORMAT (%*S, %*u, %m/%d/%y, %h:%n:%j, %j)'
  cat "$tmp/analog-report.cfg"
} >"$tmp/analog.cfg"
# The W3C log's fields, as its "#Fields:" line names them: date time
# s-sitename s-computername s-ip cs-method cs-uri-stem cs-uri-query s-port
# cs-username c-ip cs(User-Agent) sc-status sc-substatus sc-win32-status
# sc-bytes cs-bytes time-taken. Analog would build its format from that
# line, but it has no field for the method and would count every one.
{
  echo 'DEFAULTLOGFORMAT (%Y-%m-%d %h:%n:%j W3SVC%j %j %v GET %r %j %j %u %S %j %c %j %j %b %j)'
  echo 'DEFAULTLOGFORMAT (#%j)'
  echo 'DEFAULTLOGFORMAT (%Y-%m-%d %h:%n:%j)'
  cat "$tmp/analog-report.cfg"
} >"$tmp/analog-w3c.cfg"

# Each sets `command` to the argument vector of its tool on log $1.
cmd_vantrix() { command=("$vantrix" -n10 -u10 "$1"); }
# The same on one core: every thread vantrix starts shares core 0.
cmd_vantrix_1core() { command=(taskset -c 0 "$vantrix" -n10 -u10 "$1"); }
# The memory cases: no reverse lookups, any number of logs in one run.
cmd_vantrix_quiet() { command=("$vantrix" -n10 -u0 "$@"); }
cmd_wc() { command=(wc -l "$1"); }
# The counting modes: a parsing thread a core (two on one core), whose
# chunks are counted shard by shard on any thread, or each whole on one
# thread at a time; and one thread alone, as vantrix runs on one usable core.
count_threads=$(($(nproc) < 16 ? $(nproc) : 16))
cmd_count_sharded() { command=("$count_modes" sharded "$count_threads" "$1"); }
cmd_count_whole() { command=("$count_modes" whole "$count_threads" "$1"); }
cmd_count_sharded_1core() { command=(taskset -c 0 "$count_modes" sharded 2 "$1"); }
cmd_count_whole_1core() { command=(taskset -c 0 "$count_modes" whole 2 "$1"); }
cmd_count_one_thread() { command=(taskset -c 0 "$count_modes" whole 1 "$1"); }
# mawk counts the GET hits of the web service that are not images, and
# their pages and users, as vantrix does.
cmd_mawk() {
  command=(mawk -F', ' '$5 ~ /^W3SVC/ && $13 == "GET" && tolower($14) !~ /\.(gif|jpg)$/ { n++; p[tolower($14)]++; u[$1]++ } END { print n }' "$1")
}
# On the W3C log it finds the fields by the "#Fields:" line.
cmd_mawk_w3c() {
  command=(mawk '
    /^#Fields:/ { for (i = 2; i <= NF; i++) col[tolower($i)] = i - 1
      s = col["s-sitename"]; m = col["cs-method"]; t = col["cs-uri-stem"]; c = col["c-ip"]
      next }
    /^#/ { next }
    $s ~ /^W3SVC/ && $m == "GET" && tolower($t) !~ /\.(gif|jpg)$/ { n++; p[tolower($t)]++; u[$c]++ }
    END { print n }' "$1")
}
cmd_goaccess() {
  command=(goaccess "$1"
    '--log-format=%h, %e, %d, %t, %v, %^, %^, %L, %^, %b, %s, %^, %m, %U, %^,'
    --date-format=%m/%d/%y --time-format=%H:%M:%S --no-global-config --no-progress
    -o "$tmp/report.html")
}
# GoAccess's own W3C format is another field list; this one is the log's.
cmd_goaccess_w3c() {
  command=(goaccess "$1"
    '--log-format=%d %t %v %^ %^ %m %U %q %^ %e %h %u %s %^ %^ %b %^ %L'
    --date-format=%Y-%m-%d --time-format=%H:%M:%S --no-global-config --no-progress
    -o "$tmp/report.html")
}
cmd_analog() {
  command=(analog -G +g"$tmp/analog.cfg" +O"$tmp/analog.txt" "$1")
}
cmd_analog_w3c() {
  command=(analog -G +g"$tmp/analog-w3c.cfg" +O"$tmp/analog.txt" "$1")
}

peers=()
skipped=()
for tool in mawk goaccess analog; do
  if have "$tool"; then peers+=("$tool"); else skipped+=("$tool"); fi
done
if [ -x /usr/bin/time ] && /usr/bin/time -f '%e %M %U %S' -o "$tmp/probe" true 2>/dev/null; then
  meter="GNU time"
else
  meter="getrusage"
fi
[ ${#skipped[@]} -eq 0 ] || echo "== Not installed, skipped: ${skipped[*]}" >&2
# One core: taskset, where it is there and the machine lets it pin.
if have taskset && taskset -c 0 true 2>/dev/null; then
  one_core=true
else
  one_core=false
  echo "== taskset missing or refused: vantrix on one core skipped" >&2
fi

# Runs one command with its output thrown away; appends "case micros KiB
# cpu-seconds" (user and system).
#   measure CASE TOOL LOG...
measure() {
  local name=$1 tool=$2
  shift 2
  local start end status=0 command
  "cmd_$tool" "$@"
  start=${EPOCHREALTIME/./}
  if [ "$meter" = "GNU time" ]; then
    /usr/bin/time -f '%e %M %U %S' -o "$tmp/stat" "${command[@]}" \
      >/dev/null 2>"$tmp/stderr" || status=$?
  else
    "$peak_rss" "$tmp/stat" "${command[@]}" >/dev/null 2>"$tmp/stderr" ||
      status=$?
  fi
  end=${EPOCHREALTIME/./}
  if [ "$status" -ne 0 ]; then
    echo "== $name failed with status $status:" >&2
    head -5 "$tmp/stderr" >&2
    return 1
  fi
  echo "$name $((end - start)) $(awk '{ print $2, $3 + $4 }' "$tmp/stat")" >>"$tmp/results"
}

# The cases: name, tool, log. The comparisons run on the main log and on
# its W3C twin (their cases named w3c...); the linearity checks run vantrix
# alone on the others.
cases=("vantrix vantrix $big")
! $one_core || cases+=("vantrix-1core vantrix_1core $big")
cases+=("wc wc $big")
for tool in ${peers[@]+"${peers[@]}"}; do cases+=("$tool $tool $big"); done
cases+=("w3c vantrix $w3c")
! $one_core || cases+=("w3c-1core vantrix_1core $w3c")
cases+=("w3c-wc wc $w3c")
for tool in ${peers[@]+"${peers[@]}"}; do cases+=("w3c-$tool ${tool}_w3c $w3c"); done
cases+=("small vantrix $small" "users vantrix $users" "paths vantrix $paths")
count_cases=(count-sharded count-whole)
! $one_core || count_cases+=(count-sharded-1core count-whole-1core count-one-thread)
for name in "${count_cases[@]}"; do cases+=("$name ${name//-/_} $big"); done

# --- Runs -----------------------------------------------------------------------

# Other work on the machine skews every figure; the table notes it.
load_before=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)
: >"$tmp/results"
failed=" "
$memory_only && runs=0
[ "$runs" -eq 0 ] || echo "== Reading the logs into the page cache" >&2
[ "$runs" -eq 0 ] || cat "$big" "$small" "$users" "$paths" "$w3c" >/dev/null
for ((run = 1; run <= runs; run++)); do
  echo "== Run $run of $runs" >&2
  for entry in "${cases[@]}"; do
    read -r name tool file <<<"$entry"
    case $failed in *" $name "*) continue ;; esac
    # Read again first: a machine whose page cache holds less than every
    # log would otherwise time some cases on the disk.
    cat "$file" >/dev/null
    measure "$name" "$tool" "$file" || failed="$failed$name "
  done
done

# --- Figures --------------------------------------------------------------------

# Median wall time in seconds and peak memory (the largest) of a case.
median() {
  awk -v n="$1" '$1 == n { print $2 }' "$tmp/results" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR == 0) exit
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.3f\n", m / 1e6 }'
}
# Median CPU seconds (user and system) of a case.
median_cpu() {
  awk -v n="$1" '$1 == n { print $4 }' "$tmp/results" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR == 0) exit
      printf "%.2f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
peak_kib() {
  awk -v n="$1" '$1 == n && $3 > m { m = $3 } END { print m + 0 }' "$tmp/results"
}
size_of() { stat -L -c %s "$1"; }
lines_of() { wc -l <"$1"; }
# The report's count of hits, from one more (untimed) run.
hits_of() {
  "$vantrix" -n0 -u0 "$1" | awk -F': ' '/^Total number of hits/ { print $2 }'
}
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
versions() {
  local list=() tool
  for tool in ${peers[@]+"${peers[@]}"}; do
    list+=("$tool $(dpkg-query -W -f='${Version}' "$tool" 2>/dev/null || echo '?')")
  done
  [ ${#list[@]} -ne 0 ] || { echo none; return; }
  printf '%s, ' "${list[@]}" | sed 's/, $//'
}

# --- Memory ---------------------------------------------------------------------

# Peak memory is steady from run to run, so each case runs once. The flat
# cases read the realistic 1/10 log again and again in one run, enough
# times for 10 M and 40 M counted lines (the same lines repeated: the same
# few distinct users and pages); the others hold 1 M and 5 M distinct
# users or paths.
echo "== Measuring peak memory" >&2
small_hits=$(hits_of "$small")
copies_for() { echo $((($1 + small_hits - 1) / small_hits)); }
k10=$(copies_for 10000000)
k40=$(copies_for 40000000)
small10=()
small40=()
for ((i = 0; i < k40; i++)); do
  [ "$i" -ge "$k10" ] || small10+=("$small")
  small40+=("$small")
done
measure mem-10m vantrix_quiet "${small10[@]}" || true
measure mem-40m vantrix_quiet "${small40[@]}" || true
for entry in "mem-users1 $users" "mem-users5 $users5" "mem-paths1 $paths" "mem-paths5 $paths5"; do
  read -r name file <<<"$entry"
  measure "$name" vantrix_quiet "$file" || true
done

mib() { calc '%.1f' "$(peak_kib "$1") / 1024"; }
# Bytes per distinct value between two cases: the growth of peak memory
# over the growth of distinct users (field 2) or pages (field 3).
per_distinct() {
  local case1=$1 file1=$2 case5=$3 file5=$4 field=$5
  local d1 d5
  d1=$(distinct_of "$file1" | cut -d' ' -f"$field")
  d5=$(distinct_of "$file5" | cut -d' ' -f"$field")
  calc '%.0f' "($(peak_kib "$case5") - $(peak_kib "$case1")) * 1024 / ($d5 - $d1)"
}
small_lines_n=$(lines_of "$small")
read -r _ small_users small_pages <<<"$(distinct_of "$small")"
{
  echo "## Memory"
  echo
  echo "| log | lines | counted hits | distinct users | distinct pages | peak RSS MB |"
  echo "|---|---:|---:|---:|---:|---:|"
  for entry in "mem-10m $k10" "mem-40m $k40"; do
    read -r name k <<<"$entry"
    echo "| realistic 1/10, $k times | $((k * small_lines_n)) | $((k * small_hits)) |" \
      "$small_users | $small_pages | $(mib "$name") |"
  done
  for entry in "mem-users1 $users users-1M" "mem-users5 $users5 users-5M" \
    "mem-paths1 $paths paths-1M" "mem-paths5 $paths5 paths-5M"; do
    read -r name file label <<<"$entry"
    read -r _ u p <<<"$(distinct_of "$file")"
    echo "| $label | $(lines_of "$file") | $(hits_of "$file") | $u | $p | $(mib "$name") |"
  done
  echo
  echo "Commands: \`vantrix -n10 -u0 LOG...\`; the realistic 1/10 log is named on"
  echo "the command line that many times. Distinct users and pages are those of"
  echo "the counted lines, roughly (counted by awk)."
  echo
  echo "Four times the counted lines with the same few users and pages:" \
    "$(mib mem-10m) MB, then $(mib mem-40m) MB."
  echo "Per distinct user: $(per_distinct mem-users1 "$users" mem-users5 "$users5" 2)" \
    "bytes; per distinct page: $(per_distinct mem-paths1 "$paths" mem-paths5 "$paths5" 3) bytes"
  echo "(the growth of peak memory from the 1 M to the 5 M log over the growth in"
  echo "distinct values). Of that, the user record takes 64 bytes and the page"
  echo "record 32; the rest is the text and the index slot (8 bytes at a load of"
  echo "3/8 to 3/4, and the old table beside the new one while it doubles)."
} >"$tmp/memory.md"

if $memory_only; then
  cat "$tmp/memory.md"
  exit 0
fi

# The comparison table of one log, then how vantrix on every core and on
# one compares with the fastest peer. Its cases come as "CASE LABEL", the
# first vantrix on every core: the other times are set against it.
#   comparison TITLE LOG CASE_LABEL...
comparison() {
  local title=$1 file=$2
  shift 2
  local bytes lines reference t_reference entry name label t ratio
  local fastest='' t_fastest='' t_one_core=''
  bytes=$(size_of "$file")
  lines=$(lines_of "$file")
  read -r reference _ <<<"$1"
  t_reference=$(median "$reference")
  echo "## $title: $lines lines, $(calc '%.0f' "$bytes / 1e6") MB"
  echo
  echo "| command | median s | MB/s | lines/s | peak RSS MB | vantrix speed ratio |"
  echo "|---|---:|---:|---:|---:|---:|"
  for entry in "$@"; do
    read -r name label <<<"$entry"
    t=$(median "$name")
    if [ -z "$t" ]; then
      echo "| $label | failed | | | | |"
      continue
    fi
    case $name in *-1core) t_one_core=$t ;; esac
    case " ${peers[*]-} " in
      *" $label "*)
        if [ -z "$t_fastest" ] || [ "$(calc '%d' "($t < $t_fastest)")" = 1 ]; then
          fastest=$label t_fastest=$t
        fi ;;
    esac
    ratio="-"
    [ "$name" = "$reference" ] || [ -z "$t_reference" ] ||
      ratio=$(calc '%.2f' "$t / $t_reference")
    echo "| $label | $t | $(calc '%.1f' "$bytes / 1e6 / $t") |" \
      "$(calc '%.0f' "$lines / $t") |" \
      "$(calc '%.1f' "$(peak_kib "$name") / 1024") | $ratio |"
  done
  echo
  if [ -n "$t_fastest" ] && [ -n "$t_reference" ]; then
    echo "vantrix on $(nproc) cores: $(calc '%.2f' "$t_fastest / $t_reference") times" \
      "the fastest peer ($fastest)$([ -z "$t_one_core" ] ||
        echo "; on 1 core: $(calc '%.2f' "$t_fastest / $t_one_core") times"); goal 10."
    echo
  fi
}

out=$tmp/RESULTS.md
t_vantrix=$(median vantrix)
# "CASE LABEL" of the peers, on the comma log and on the W3C log.
peer_cases=()
w3c_peer_cases=()
for tool in ${peers[@]+"${peers[@]}"}; do
  peer_cases+=("$tool $tool")
  w3c_peer_cases+=("w3c-$tool $tool")
done
one_core_case=()
w3c_one_core_case=()
if $one_core; then
  one_core_case=("vantrix-1core vantrix, 1 core")
  w3c_one_core_case=("w3c-1core vantrix, 1 core")
fi
{
  echo "# Benchmark results"
  echo
  echo "Measured by \`bench/run.sh\` on $(date -u +%Y-%m-%d), nproc $(nproc)," \
    "$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)."
  echo "Median of $runs runs, commands alternating, logs in the page cache;" \
    "MB is 10^6 bytes; peak memory from $meter."
  echo "vantrix at commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)$(
    git -C "$root" diff --quiet HEAD -- src 2>/dev/null || echo ' (src changed)');" \
    "peers: $(versions)."
  echo "Load average (1, 5, 15 min) before the runs: $load_before; after:" \
    "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)."
  echo
  comparison "Realistic log" "$big" "vantrix vantrix" \
    ${one_core_case[@]+"${one_core_case[@]}"} "wc wc -l" \
    ${peer_cases[@]+"${peer_cases[@]}"}
  echo "Commands: \`vantrix -n10 -u10 LOG\`; for 1 core the same under"
  echo "\`taskset -c 0\`, so that every thread vantrix starts shares one core;"
  echo "\`wc -l LOG\`; mawk counts GET hits, pages and users by hand; goaccess"
  echo "writes its HTML report; analog runs the configuration in bench/run.sh."
  echo "The peers read on one thread and run as they are, on any core. The"
  echo "ratio is the command's median time over vantrix's on $(nproc) cores: above"
  echo "1, vantrix is that many times faster."
  [ ${#skipped[@]} -eq 0 ] || echo "Not installed, so not measured: ${skipped[*]}."
  $one_core || echo "taskset missing or refused, so vantrix on 1 core not measured."
  echo
  comparison "W3C log" "$w3c" "w3c vantrix" \
    ${w3c_one_core_case[@]+"${w3c_one_core_case[@]}"} "w3c-wc wc -l" \
    ${w3c_peer_cases[@]+"${w3c_peer_cases[@]}"}
  echo "The same requests in the W3C extended format, as IIS writes it (longer"
  echo "lines: more fields). The same commands; mawk finds its fields by the"
  echo "\`#Fields:\` line; goaccess and analog are given that line's field list"
  echo "(the W3C format built into goaccess names other fields, and analog has"
  echo "no field for the method: it would count every method)."
  echo
  echo "## Linearity and stress shapes (vantrix alone)"
  echo
  echo "| log | lines | MB | median s | MB/s | peak RSS MB | memory budget MB | time per MB vs realistic 1/10 |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|"
  t_small=$(median small)
  s_bytes=$(size_of "$small")
  for entry in "vantrix $big realistic" "small $small realistic-1/10" \
    "users $users users" "paths $paths paths" "w3c $w3c w3c"; do
    read -r name file label <<<"$entry"
    t=$(median "$name")
    bytes=$(size_of "$file")
    if [ -z "$t" ]; then
      echo "| $label | $(lines_of "$file") | | failed | | | | |"
      continue
    fi
    # The budget: 88 bytes per distinct user and 56 per distinct page
    # (record, index slot and the index's growth), their texts and 32 MiB.
    # The W3C log's are those of the comma log it was made from.
    source_log=$file
    case $file in *-w3c.log) source_log=${file%-w3c.log}.log ;; esac
    read -r texts u p <<<"$(distinct_of "$source_log")"
    budget=$(calc '%.1f' "(88 * $u + 56 * $p + $texts) / 1048576 + 32")
    relative="-"
    [ -z "$t_small" ] || relative=$(calc '%.2f' "($t / $bytes) / ($t_small / $s_bytes)")
    echo "| $label | $(lines_of "$file") | $(calc '%.1f' "$bytes / 1e6") | $t |" \
      "$(calc '%.1f' "$bytes / 1e6 / $t") | $(calc '%.1f' "$(peak_kib "$name") / 1024") |" \
      "$budget | $relative |"
  done
  echo
  if [ -n "$t_small" ] && [ -n "$t_vantrix" ]; then
    echo "Ten times the lines cost $(calc '%.2f' "$t_vantrix / $t_small") times the time" \
      "(target: at most 11)."
    echo "The stress logs hold 1,000,000 distinct client addresses and 1,000,000"
    echo "distinct paths; their time per MB against the realistic log's is the"
    echo "last column (target: at most 2). The memory budget is 88 bytes per"
    echo "distinct user and 56 per distinct page, plus their texts, plus 32 MiB."
  fi
  t_w3c=$(median w3c)
  if [ -n "$t_w3c" ] && [ -n "$t_vantrix" ]; then
    echo
    echo "The w3c log, the realistic log's requests in the W3C extended format, is"
    echo "read at $(calc '%.2f' "$t_vantrix / $t_w3c") times the realistic log's lines per second"
    echo "(target: at least 0.75)."
  fi
  echo
  echo "## Counting: shard by shard, or each chunk whole on one thread"
  echo
  echo "| counting | threads | cores | median s | median CPU s |"
  echo "|---|---:|---:|---:|---:|"
  for entry in "count-sharded shard-by-shard $count_threads $(nproc)" \
    "count-whole whole-on-one $count_threads $(nproc)" \
    "count-sharded-1core shard-by-shard 2 1" "count-whole-1core whole-on-one 2 1" \
    "count-one-thread whole-on-one 1 1"; do
    read -r name label threads cores <<<"$entry"
    t=$(median "$name")
    [ -n "$t" ] || continue
    echo "| $label | $threads | $cores | $t | $(median_cpu "$name") |"
  done
  echo
  echo "Command: \`vantrix_count_modes sharded|whole THREADS LOG\` (bench/count_modes.cc)"
  echo "on the realistic log: the program's read of the log, mapped into memory,"
  echo "with -n10 and no lookups. Shard by shard, a chunk's users and pages are"
  echo "counted in sixteen steps that the threads take in turn, beside the next"
  echo "chunk's; whole, the thread that parsed a chunk counts it in one step"
  echo "while the other parses. CPU s is user and system time."
  echo
  cat "$tmp/memory.md"
} >"$out"

# The compressed-log section that bench/gzip.sh wrote is kept, last.
# (Read into a variable first: a test of the pipe with grep -q would eat it.)
if [ -f "$root/bench/RESULTS.md" ]; then
  kept=$(awk '/^## / { keep = $0 == "## Compressed logs" } keep' "$root/bench/RESULTS.md")
  if [ -n "$kept" ]; then printf '\n%s\n' "$kept" >>"$out"; fi
fi
cp "$out" "$root/bench/RESULTS.md"
cat "$out"
echo "== Written to bench/RESULTS.md" >&2
