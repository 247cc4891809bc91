#!/bin/sh
# Writes examples/sample.log, the log that `make demo` reports on: 2,000
# lines of a small web site over three days, with images, other methods, an
# FTP service and a few broken lines. The generator is deterministic, so the
# file is the same on every machine; rerun this after changing it.
#
#   examples/make_sample.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-sample.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

${CXX:-c++} -std=c++20 -O2 -o "$tmp/loggen" \
  "$root/bench/loggen.cc" "$root/bench/log_generator.cc"
# Seed 6 gives ties in both tables and lines refused for several reasons.
"$tmp/loggen" --lines 2000 --seed 6 --days 3 --start 03/20/01 \
  >"$root/examples/sample.log"
