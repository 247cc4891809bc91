#!/bin/bash
# A W3C log large enough to be read on two threads gives the report of the
# one-thread reading (-d keeps a run on one thread), also when its header
# changes to another field order halfway, somewhere inside a chunk; and the
# compressed file gives the same. A log whose header names no date, so that
# each line takes the date of the "#Date:" line before it, counts what the
# same log with a date field counts, on two threads as on one.
set -eu
binary=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-w3c.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TZ=UTC LC_ALL=C SOURCE_DATE_EPOCH=1000000000

sed 's/\r$//' "$source_dir/examples/sample-w3c.log" >sample.log
grep -v '^#' sample.log >data.log
{
  grep '^#' sample.log
  for _ in 1 2 3 4 5 6 7 8; do cat data.log; done
  # A restart: a new header and another field order.
  printf '%s\n' '#Software: Microsoft Internet Information Services 10.0' '#Version: 1.0' \
    '#Date: 2001-03-20 00:00:00' \
    '#Fields: time c-ip cs-method cs-uri-stem sc-status sc-bytes date s-ip s-sitename cs(User-Agent) cs-uri-query'
  for _ in 1 2 3 4 5 6 7 8; do
    awk '{ print $2, $11, $6, $7, $13, $16, $1, $5, $3, $12, $8 }' data.log
  done
} >big.log
[ "$(wc -c <big.log)" -gt $((4 << 20)) ] || { echo "big.log is too small to be read in parallel"; exit 1; }
gzip -c big.log >big.log.gz

"$binary" -u0 -cAcme big.log >parallel.out
"$binary" -d -u0 -cAcme big.log >serial.out 2>/dev/null
"$binary" -u0 -cAcme big.log.gz >gzip.out
grep -q '^Total number of hits: [1-9]' serial.out
cmp serial.out parallel.out
cmp serial.out gzip.out

# The same requests with and without a date field, a "#Date:" line at each
# change of day.
for date_field in with without; do
  {
    printf '#Software: Microsoft Internet Information Services 10.0\n'
    for _ in $(seq 40); do
      awk -v with="$date_field" '
        $1 != day { day = $1; print "#Date: " day " 00:00:00" }
        FNR == 1 { print (with == "with" ? "#Fields: date " : "#Fields: ") \
          "time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip" }
        { print (with == "with" ? $1 " " : "") $2, $11, $6, $7, $13, $16, $5 }' data.log
    done
  } >"$date_field.log"
done
[ "$(wc -c <without.log)" -gt $((4 << 20)) ] || { echo "without.log is too small to be read in parallel"; exit 1; }
"$binary" -u0 -cAcme without.log >without-parallel.out
"$binary" -d -u0 -cAcme without.log >without-serial.out 2>/dev/null
"$binary" -d -u0 -cAcme with.log >with.out 2>/dev/null
grep -q '^Total number of hits: [1-9]' with.out
cmp with.out without-parallel.out
cmp with.out without-serial.out
echo "w3c parallel: ok"
