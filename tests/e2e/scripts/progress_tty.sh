#!/bin/bash
# The progress line appears on a terminal during a long run, is erased before
# the run ends, and never reaches a pipe or a file.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-progress.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# A long read that takes no disk: a sparse file of zero bytes, made larger
# until the run lasts well past the second before the line first shows.
for size in 1 2 4 8 16; do
  truncate -s ${size}G big.log
  start=$(date +%s%N)
  # Under a pseudo-terminal: standard error is the terminal, the report a file.
  script -qec "'$binary' -oreport.txt big.log" /dev/null >tty.txt </dev/null
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$elapsed_ms" -ge 2000 ] && break
done
if ! grep -q 'big.log: [0-9.]* MB read, [0-9]* MB/s, [0-9]*% of this file' tty.txt; then
  echo "no progress line on the terminal:"; od -c tty.txt | head; exit 1
fi
# The last thing on the terminal erases the line.
if [ "$(tail -c 4 tty.txt | od -An -c | tr -d ' ')" != '\r033[K' ]; then
  echo "the progress line was not erased at the end:"; tail -c 80 tty.txt | od -c; exit 1
fi
if grep -q 'MB read' report.txt; then echo "progress in the report"; exit 1; fi

# In a pipe: nothing but the report.
"$binary" big.log 2>err.txt | cat >report2.txt
if [ -s err.txt ]; then echo "standard error not empty in a pipe:"; od -c err.txt | head; exit 1; fi
cmp report.txt report2.txt
echo "progress: ok"
