#!/bin/bash
# On demand, not in CI: a log of 5 GB (more than 4 GiB) read end to end.
# Generates the log in a temporary folder, counts with awk the lines that the
# default filters accept, runs vantrix on it under /usr/bin/time -v, checks
# that the report's total of hits is that count, and deletes the log.
#
#   tests/hostile/big_log.sh [vantrix] [gigabytes]
#
# vantrix: the binary to run (default build/release/vantrix, made with
# `make release` when missing). gigabytes: the size of the log (default 5;
# a fraction such as 0.1 makes a quick trial).
# Needs that much free space, and a little more, under ${TMPDIR:-/tmp}.
set -euo pipefail
cd "$(dirname "$0")/../.."
binary=${1:-build/release/vantrix}
gigabytes=${2:-5}
if [ ! -x "$binary" ]; then
  [ "$binary" = build/release/vantrix ] || { echo "no binary $binary" >&2; exit 1; }
  make release >/dev/null
fi
binary=$(realpath "$binary")

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-big.XXXXXX")
trap 'rm -rf "$work"' EXIT
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if awk -v free="$free_kb" -v g="$gigabytes" 'BEGIN { exit !(free < (g + 1) * 1000000) }'; then
  echo "big log: ${gigabytes} GB wanted, only $((free_kb / 1000000)) GB free in $work" >&2
  exit 1
fi
export LC_ALL=C TZ=UTC
log=$work/big.log

# About 118 bytes a line. 200,000 clients and 50,000 pages drawn by a
# fixed-seed generator (the same lines on every awk); 90 % GET, the rest POST
# and HEAD; one page in ten an image; one line in a thousand cut short. One
# day per million lines from 01/01/01 on.
lines=$(awk -v g="$gigabytes" 'BEGIN { printf "%d", g * 8450000 }')
echo "big log: writing $lines lines"
start=$SECONDS
awk -v lines="$lines" 'BEGIN {
  x = 20010101
  for (i = 0; i < lines; i++) {
    x = (x * 16807) % 2147483647; r = x % 1000
    x = (x * 16807) % 2147483647; client = x % 200000
    x = (x * 16807) % 2147483647; page = x % 50000
    if (i % 1000000 == 0) {
      day = int(i / 1000000)
      date = sprintf("%02d/%02d/01", 1 + int(day / 28), 1 + day % 28)
    }
    s = int((i % 1000000) * 0.0864)
    time = sprintf("%d:%02d:%02d", int(s / 3600), int(s % 3600 / 60), s % 60)
    address = sprintf("10.%d.%d.%d", int(client / 65536), int(client / 256) % 256, client % 256)
    method = r < 900 ? "GET" : r < 950 ? "POST" : "HEAD"
    if (r % 10 == 0) {
      path = sprintf("/img/i%d.gif", page)
    } else {
      path = sprintf("/site/s%d/p%d.htm", page % 97, page)
    }
    if (r == 999) {
      printf "%s, -, %s, %s, W3SVC1, WEBSRV\n", address, date, time
    } else {
      printf "%s, -, %s, %s, W3SVC1, WEBSRV, 192.168.0.1, %d, 200, %d, 200, 0, %s, %s, -,\n",
             address, date, time, r, page * 7 % 40000, method, path
    }
  }
}' >"$log"
size=$(stat -c %s "$log")
echo "big log: $size bytes in $((SECONDS - start)) s"

# What the default filters accept: 15 fields, the web service, GET, and not
# an image by the default pattern *.gif (every path has a single ".").
start=$SECONDS
expected=$(awk -F', ' 'NF == 15 && $5 ~ /^W3SVC/ && $13 == "GET" && $14 !~ /\.gif$/ { n++ }
                       END { print n + 0 }' "$log")
echo "big log: awk counts $expected accepted lines in $((SECONDS - start)) s"

timing=()
[ -x /usr/bin/time ] && timing=(/usr/bin/time -v -o "$work/time.txt")
start=$SECONDS
"${timing[@]}" "$binary" -cBig -u0 -n3 "$log" >"$work/report.txt"
echo "big log: vantrix took $((SECONDS - start)) s"
if [ -f "$work/time.txt" ]; then
  grep -E 'Elapsed|Maximum resident' "$work/time.txt" | sed 's/^\t*/big log: /'
fi
sed -n '4,5p' "$work/report.txt" | sed 's/^/big log: /'

hits=$(sed -n 's/^Total number of hits: //p' "$work/report.txt")
if [ "$hits" != "$expected" ]; then
  echo "big log: FAILED, the report counts $hits hits, awk $expected" >&2
  exit 1
fi
echo "big log: ok, $hits hits in a log of $size bytes"
