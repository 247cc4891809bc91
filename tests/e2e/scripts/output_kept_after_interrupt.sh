#!/bin/bash
# An interrupt in the middle of reading leaves the -o file as it was: the
# old report is emptied only when the new one goes in.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-interrupt.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000

printf "Last week's report\n" >report.txt
cp report.txt expected.txt
# A long read that takes no disk: a sparse file of zero bytes.
truncate -s 64G big.log
status=0
timeout -s INT 0.5 "$binary" -oreport.txt big.log || status=$?
if [ "$status" -ne 124 ]; then
  echo "the run was not interrupted (status $status)"; exit 1
fi
cmp expected.txt report.txt
echo "output kept after interrupt: ok"
