#!/bin/bash
# Which lines of src/ each fuzz target's corpus reaches: builds the targets
# with clang's source coverage in build/fuzz-coverage, runs each once over its
# seeds and over what fuzz/run.sh found ($FUZZ_BUILD/corpus/<target>), and
# prints llvm-cov's line summary for the source files of that target.
#
#   fuzz/coverage.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ip_mask name_pattern hit_time log_line whole_file gzip state)

found=${FUZZ_BUILD:-build/fuzz}/corpus
build=build/fuzz-coverage
export CXX=${CXX:-clang++}
cmake -S . -B "$build" -DVANTRIX_FUZZ=ON -DVANTRIX_FUZZ_COVERAGE=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_targets -j "${FUZZ_JOBS:-2}" >/dev/null

# The llvm tools of the compiler's own version.
version=$("$CXX" -dumpversion | cut -d. -f1)
profdata=$(command -v "llvm-profdata-$version" || command -v llvm-profdata)
cov=$(command -v "llvm-cov-$version" || command -v llvm-cov)

for target in "${targets[@]}"; do
  case $target in
    ip_mask) files='intake/(ip_mask|decimal|comma_list)' ;;
    name_pattern) files='intake/(name_pattern|comma_list)' ;;
    hit_time) files='(stats/hit_time|intake/decimal|intake/w3c_format)' ;;
    log_line) files='intake/(log_line|w3c_format|ip_mask|name_pattern|decimal)' ;;
    gzip) files='intake/(gzip_source|line_reader)' ;;
    state) files='(run/state_|stats/records|intake/file_mark)' ;;
    *) files='(intake|stats|report)/' ;;
  esac
  dirs=("$root/fuzz/corpus/$target")
  [ -d "$found/$target" ] && dirs+=("$found/$target")
  profile=$build/$target
  LLVM_PROFILE_FILE=$profile.profraw "$build/fuzz/${target}_fuzzer" -runs=0 "${dirs[@]}" \
    >"$profile.log" 2>&1
  "$profdata" merge -sparse "$profile.profraw" -o "$profile.profdata"
  echo "== $target ($(find "${dirs[@]}" -type f | wc -l) inputs)"
  "$cov" report "$build/fuzz/${target}_fuzzer" -instr-profile="$profile.profdata" \
    -show-region-summary=false -show-functions=false 2>/dev/null |
    grep -E "^(Filename|-+$)|src/$files" | sed "s|$root/||"
done
