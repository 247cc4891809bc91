#!/bin/sh
# Fills the profile of the optimised build: builds the program with GCC's
# counters on, in a build folder of its own, and runs it over generated logs
# of both formats, plain and compressed, with each report, so that the
# optimised build lays out the per-line road the way runs take it. Cut off
# from the network where the system allows, and with no users shown, so
# that no reverse lookup goes out.
#
#   cmake/pgo-train.sh SOURCE BUILD PROFILE CXX INFLATER JOBS
set -eu
src=$1 build=$2 profile=$3 cxx=$4 inflater=$5 jobs=$6

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVANTRIX_PGO=OFF -DVANTRIX_BENCH=ON -DCMAKE_CXX_COMPILER="$cxx" \
  -DVANTRIX_INFLATER="$inflater" \
  "-DCMAKE_CXX_FLAGS=-fprofile-generate=$profile -fprofile-prefix-path=$build -fprofile-update=atomic" \
  >"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
cmake --build "$build" -j "$jobs" --target vantrix vantrix_loggen >>"$build.log" 2>&1 ||
  { cat "$build.log"; exit 1; }

# The counts of every run add up: start from none.
rm -rf "$profile"
logs=$build/train
mkdir -p "$logs"
"$build/bench/vantrix_loggen" --lines 200000 --seed 7 >"$logs/comma.log"
sh "$src/examples/make_w3c_sample.sh" "$logs/comma.log" "$logs/w3c.log"

offline=
if unshare --user --map-current-user --net true 2>/dev/null; then
  offline="unshare --user --map-current-user --net"
fi
for log in comma.log w3c.log; do
  for format in text json html; do
    $offline "$build/vantrix" -f$format -u0 "$logs/$log" >/dev/null
  done
done
if command -v gzip >/dev/null; then
  gzip -c <"$logs/w3c.log" >"$logs/w3c.log.gz"
  $offline "$build/vantrix" -u0 "$logs/w3c.log.gz" >/dev/null
fi
rm -rf "$logs"
