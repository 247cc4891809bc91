#!/bin/bash
# The -o report is replaced whole or not at all: cut short by the limit on
# file sizes, the old report stays as it was, the failure is told with its
# status, and nothing is left beside it; a link is followed, so its target
# is replaced with its permissions kept and the link stays a link.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-replace.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000

line() {
  printf '10.0.0.%s, -, 03/20/01, 7:55:20, W3SVC1, W, 192.168.0.1, 1, 2, 3, 200, 0, GET, /p%s.htm, -,\n' "$1" "$1"
}
for i in $(seq 1 200); do line "$i"; done >site.log
printf "Last week's report\n" >report.html
cp report.html expected.html

# 4 KiB of room: the page is larger.
status=0
(ulimit -f 4; exec -a vantrix "$binary" -fhtml -n200 -oreport.html site.log) 2>err.txt || status=$?
[ "$status" -eq 255 ] || { echo "status $status, expected 255"; cat err.txt; exit 1; }
[ "$(cat err.txt)" = "vantrix: Failed to write the report" ] ||
  { echo "unexpected message:"; cat err.txt; exit 1; }
cmp expected.html report.html
leftover=$(ls -A | grep -v -x -e site.log -e report.html -e expected.html -e err.txt || true)
[ -z "$leftover" ] || { echo "left beside the report: $leftover"; exit 1; }

# Through a link: the target is replaced, the link stays, the mode is kept.
mkdir reports
printf 'old\n' >reports/real.txt
chmod 640 reports/real.txt
ln -s reports/real.txt link.txt
"$binary" -cAcme -olink.txt site.log
[ -L link.txt ] || { echo "the link was replaced"; exit 1; }
grep -q '^Web page hit statistics for Acme' reports/real.txt
[ "$(stat -c %a reports/real.txt)" = 640 ] ||
  { echo "mode $(stat -c %a reports/real.txt), expected 640"; exit 1; }
[ -z "$(ls -A reports | grep -v -x real.txt || true)" ] || { echo "left in reports/"; exit 1; }
echo "output replaced whole: ok"
