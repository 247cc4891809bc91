#!/bin/bash
# A compressed log gives the same report and the same diagnostics, byte for
# byte, as the plain one: the line rules do not depend on the compression.
set -eu
binary=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-gzip.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TZ=UTC LC_ALL=C SOURCE_DATE_EPOCH=1000000000

# CR-LF ends, a line cut into 2047-byte pieces, a NUL byte, a last line
# without a line feed, and one member per half.
line() { printf '%s, -, 03/20/01, %s, W3SVC1, WEB, 10.0.0.1, 1, 2, %s, 200, 0, GET, %s, -,\r\n' "$@"; }
{
  line 10.0.0.5 7:00:00 100 /index.htm
  line 10.0.0.6 7:01:00 200 /Index.htm
  printf '10.0.0.7, -, 03/20/01, 7:02:00, W3SVC1, %*s\r\n' 3000 x
  printf '10.0.0.8, -, 03/20/01, 7:03:00, W3SVC1, WEB, 10.0.0.1, 1, 2, 5, 200, 0, GET, /nul\0.htm, -,\n'
  line 10.0.0.9 7:20:00 300 /a.gif
  printf '10.0.0.5, -, 03/21/01, 8:00:00, W3SVC1, WEB, 10.0.0.1, 1, 2, 9, 200, 0, GET, /last.htm'
} >plain.log
head -c 2600 plain.log | gzip -c >packed.gz
tail -c +2601 plain.log | gzip -c >>packed.gz

for log in plain.log "$source_dir/examples/sample.log"; do
  [ -f "$log" ] || continue
  gzip -c "$log" >log.gz
  "$binary" -d6 "$log" >plain.out 2>plain.err || true
  "$binary" -d6 log.gz >gz.out 2>gz.err || true
  cmp plain.out gz.out
  cmp plain.err gz.err
done
"$binary" -d6 plain.log >plain.out 2>plain.err
"$binary" -d6 packed.gz >gz.out 2>gz.err
cmp plain.out gz.out
cmp plain.err gz.err
echo "gzip: ok"
