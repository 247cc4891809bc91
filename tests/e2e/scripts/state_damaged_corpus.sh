#!/bin/bash
# Every state in the fuzz corpus but the whole one is refused the same way:
# one line that names the file and what is wrong, status 255, no report,
# and the state left as it was. Under the sanitizer build this is the
# check that no damage makes the reader fault.
set -eu
binary=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-states.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C TZ=UTC

printf 'host-a, -, 03/19/01, 12:00:00, W3SVC1, WEBSRV, 192.168.0.1, 47, 163, 322, 200, 0, GET, /index.htm, -,\n' >mon.log
checked=0
for state in "$source_dir"/fuzz/corpus/state/*; do
  [ "$(basename "$state")" = valid ] && continue
  cp "$state" month.state
  status=0
  (exec -a vantrix "$binary" --state=month.state mon.log) >out.txt 2>err.txt || status=$?
  [ "$status" -eq 255 ] || { echo "$(basename "$state"): status $status, expected 255"; exit 1; }
  [ ! -s out.txt ] || { echo "$(basename "$state"): a report was written"; exit 1; }
  [ "$(wc -l <err.txt)" -eq 1 ] && grep -q "^vantrix: The state file 'month.state' " err.txt ||
    { echo "$(basename "$state"): unexpected message:"; cat err.txt; exit 1; }
  cmp -s "$state" month.state || { echo "$(basename "$state"): the state was changed"; exit 1; }
  checked=$((checked + 1))
done
[ "$checked" -gt 10 ] || { echo "only $checked states in the corpus"; exit 1; }
echo "damaged states: $checked refused"
