#!/bin/bash
# Runs the unit test binary of the Windows build under Wine, without the
# tests listed in skipped-tests beside this script (each with its reason).
#   tests/windows/run_unit.sh BUILD
set -euo pipefail
build=$(cd "$1" && pwd)
list=$(dirname "$0")/skipped-tests
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
skipped=$(grep -v '^#' "$list" | awk 'NF { printf "%s%s", sep, $1; sep = ":" }')
grep -v '^#' "$list" | awk 'NF { name = $1; $1 = ""; print name ": skipped on Windows:" $0 }'
# The binary's output has CR LF line ends; the summary is what counts.
wine "$build/vantrix_test.exe" --gtest_filter="-$skipped" | tr -d '\r'
