#!/bin/bash
# The progress line appears on a terminal during a long run, fits an
# 80-column terminal even for a 100-character file name, is erased before
# the run's summary, and never reaches a pipe or a file.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-progress.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# A file name of 100 characters.
dir=logs/$(printf 'd%.0s' {1..40})/$(printf 'e%.0s' {1..40})
mkdir -p "$dir"
log=$dir/big-files.log
[ ${#log} -eq 100 ] || { echo "test error: the name is ${#log} characters"; exit 1; }

# A long read that takes no disk: a sparse file of zero bytes, made larger
# until the run lasts well past the second before the line first shows.
for size in 1 2 4 8 16; do
  truncate -s ${size}G "$log"
  start=$(date +%s%N)
  # Under a pseudo-terminal 80 columns wide: standard error is the
  # terminal, the report a file.
  script -qec "stty cols 80 rows 24; exec '$binary' -oreport.txt '$log'" /dev/null \
    >tty.txt </dev/null
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$elapsed_ms" -ge 2000 ] && break
done
# Every drawing of the line: the end of the name, the numbers, within 79
# columns so that it never wraps.
drawn=$(awk 'BEGIN { RS = "\r" } /MB read/ {
  sub(/\033\[K$/, "")
  if (length($0) > 79 || $0 !~ /^\.\.\.[de]*\/big-files\.log: [0-9.]* MB read, [0-9]* MB\/s, [0-9]*% of this file$/) {
    print "bad line (" length($0) " columns): " $0; bad = 1; exit 1
  }
  n++
} END { if (bad) exit 1; print n + 0 }' tty.txt) || { echo "$drawn"; exit 1; }
if [ "$drawn" -eq 0 ]; then
  echo "no progress line on the terminal:"; od -c tty.txt | head; exit 1
fi
# The line is erased before the summary, which then follows alone.
after=$(awk 'BEGIN { RS = "\033\\[K" } { last = $0 } END { printf "%s", last }' tty.txt | tr -d '\r')
if [[ "$after" == *"MB read"* || "$after" != *" counted, "* ]]; then
  echo "the progress line was not erased before the summary:"; tail -c 300 tty.txt | od -c; exit 1
fi
if grep -q 'MB read' report.txt; then echo "progress in the report"; exit 1; fi

# In a pipe: nothing but the report.
"$binary" "$log" 2>err.txt | cat >report2.txt
if [ -s err.txt ]; then echo "standard error not empty in a pipe:"; od -c err.txt | head; exit 1; fi
cmp report.txt report2.txt
echo "progress: ok ($drawn drawings)"
