#!/bin/bash
# A state is replaced whole or not at all: a save cut short by the limit on
# file sizes leaves the old state as it was, tells of it with status 255
# and writes no report, and leaves nothing beside it; the next run goes on
# from the old state and reports as one run over all the logs.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-state.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C TZ=UTC

line() {
  printf '10.0.%s.%s, -, 03/20/01, 7:55:20, W3SVC1, W, 192.168.0.1, 1, 2, 3, 200, 0, GET, /p%s.htm, -,\n' "$1" "$2" "$2"
}
for i in $(seq 1 100); do line 1 "$i"; done >mon.log
for i in $(seq 1 250); do line 2 "$i"; done >tue.log

"$binary" --state=month.state mon.log >/dev/null
cp month.state before.state

# 4 KiB of room: the new state is larger.
status=0
(ulimit -f 4; exec -a vantrix "$binary" --state=month.state -omonth.txt mon.log tue.log) \
  >out.txt 2>err.txt || status=$?
[ "$status" -eq 255 ] || { echo "status $status, expected 255"; cat err.txt; exit 1; }
[ "$(cat err.txt)" = "vantrix: Failed to save the state file 'month.state'; it keeps what it held" ] ||
  { echo "unexpected message:"; cat err.txt; exit 1; }
cmp before.state month.state
[ ! -s month.txt ] || { echo "a report was written"; exit 1; }
leftover=$(ls -A | grep -v -x -e mon.log -e tue.log -e month.state -e before.state \
  -e out.txt -e err.txt -e month.txt || true)
[ -z "$leftover" ] || { echo "left beside the state: $leftover"; exit 1; }

"$binary" --state=month.state mon.log tue.log >chained.txt
"$binary" mon.log tue.log >single.txt
cmp single.txt chained.txt
echo "state save: ok"
