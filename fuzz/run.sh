#!/bin/bash
# Builds the fuzz targets with clang and runs each for a set time.
#
#   fuzz/run.sh [seconds] [target...]
#
# seconds: per target, 600 unless given. Targets: ip_mask name_pattern
# hit_time log_line whole_file gzip state (all unless named). Each run starts from
# the seeds in fuzz/corpus/<target> and keeps what it finds in
# $FUZZ_BUILD/corpus/<target>, so that a later run goes on from there; a
# crash leaves its input in $FUZZ_BUILD/artifacts. The exit status is 1 when
# any target failed.
#
# Environment: CXX (default clang++), FUZZ_BUILD (default build/fuzz),
# FUZZ_JOBS (build jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ip_mask name_pattern hit_time log_line whole_file gzip state)

build=${FUZZ_BUILD:-build/fuzz}
export CXX=${CXX:-clang++}
cmake -S . -B "$build" -DVANTRIX_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_targets -j "${FUZZ_JOBS:-2}" >/dev/null

failed=0
for target in "${targets[@]}"; do
  fuzzer=$build/fuzz/${target}_fuzzer
  [ -x "$fuzzer" ] || { echo "$target: no fuzzer built (is $CXX clang?)"; exit 1; }
  corpus=$build/corpus/$target
  artifacts=$build/artifacts
  mkdir -p "$corpus" "$artifacts"
  flags=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
         -print_final_stats=1 -artifact_prefix="$artifacts/$target-")
  case $target in
    log_line) flags+=(-dict="$root/fuzz/iis.dict" -max_len=8192) ;;
    whole_file) flags+=(-dict="$root/fuzz/iis.dict" -max_len=16384) ;;
  esac
  log=$build/$target.log
  echo "$target: ${seconds}s"
  if "$fuzzer" "${flags[@]}" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
  else
    echo "$target: FAILED, see $log"
    grep -E 'ERROR|property failed|SUMMARY|Test unit written' "$log" | head -n 10 || true
    failed=1
  fi
done
exit $failed
