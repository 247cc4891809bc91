#!/bin/bash
# Bytes from a log or a file name cannot drive the terminal: on a terminal
# (under script) their control bytes are written \xHH in the report, in the
# -d, -d6 and -v messages and in the progress line; into files and pipes
# they stay exactly as they are.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-escapes.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000

esc=$'\x1b'
bel=$'\x07'
log="evil${esc}[2J.log"
{
  # Counted: a path that clears the screen and retitles the window.
  printf 'evil%s[31m, -, 03/20/01, 7:55:20, W3SVC1, W, 192.168.0.1, 1, 2, 3, 200, 0, GET, /a%s[2J%s]0;owned%s.htm, -,\n' \
    "$esc" "$esc" "$esc" "$bel"
  # Rejected, with its path in the message.
  printf 'client-b, -, 03/20/01, 7:56:20, W3SVC1, W, 192.168.0.1, 1, 2, 3, 200, 0, GET, /b%s[1A.gif, -,\n' "$esc"
} >"$log"

# On a terminal: the report and every message. -u1 looks up only the user
# "evil...", which is no address, so no name service is asked.
export VANTRIX="$binary" LOG="$log"
script -qec '"$VANTRIX" -d6 -v -u1 -cT "$LOG"' /dev/null >tty.txt </dev/null
for shown in 'Processing file evil\x1B[2J.log' 'Log line: evil\x1B[31m' \
    'exclude list (/b\x1B[1A.gif)' 'Looking up evil\x1B[31m...' \
    '/a\x1B[2J\x1B]0;owned\x07.htm'; do
  grep -qF "$shown" tty.txt || { echo "not on the terminal: $shown"; od -c tty.txt | head -40; exit 1; }
done
if grep -q "[$esc$bel]" tty.txt; then
  echo "a control byte reached the terminal:"; od -c tty.txt | head -40; exit 1
fi

# In a pipe and a file: the bytes as they are.
"$binary" -d6 -v -u1 -cT "$log" 2>err.txt | cat >out.txt
grep -qF "/a${esc}[2J${esc}]0;owned${bel}.htm" out.txt
grep -qF "Processing file $log" err.txt
grep -qF "exclude list (/b${esc}[1A.gif)" err.txt
if grep -q '\\x1B' out.txt err.txt; then echo "escaped into a pipe"; exit 1; fi

# The progress line, on a terminal whatever the file: a long read of a file
# whose name holds an escape sequence.
big="big${esc}]0;x${bel}.log"
for size in 1 2 4 8 16; do
  truncate -s ${size}G "$big"
  start=$(date +%s%N)
  LOG="$big" script -qec '"$VANTRIX" -oreport.txt "$LOG"' /dev/null >progress.txt </dev/null
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$elapsed_ms" -ge 2000 ] && break
done
grep -qF 'big\x1B]0;x\x07.log: ' progress.txt ||
  { echo "no escaped progress line:"; od -c progress.txt | head; exit 1; }
# Only the line's own "erase to the end" sequences remain.
if sed "s/${esc}\[K//g" progress.txt | grep -q "[$esc$bel]"; then
  echo "a control byte of the name reached the terminal:"; od -c progress.txt | head; exit 1
fi
echo "terminal escapes: ok"
