#!/bin/bash
# Runs one end-to-end case: the built binary on the case's files, with its
# stdout, stderr, exit status and any written files compared byte for byte.
#
# A case is a folder under tests/e2e/cases:
#   args      the arguments, one per line (the program is called "vantrix")
#   env       optional NAME=VALUE lines; TZ is UTC unless set here
#   files/    optional, copied into a fresh working folder, the current one
#   setup     optional bash script run in the working folder first; the
#             program is $VANTRIX there, for runs that come before the
#             case's own (a state that a run leaves for the next)
#   stdin     optional, the name of a file in the working folder (after
#             setup) that standard input reads; else /dev/null
#   stdout    expected standard output (missing: nothing)
#   stderr    expected standard error (missing: nothing)
#   status    expected exit status (missing: 0)
#   output/   optional, files that the run must leave in the working folder
#   stdout-closed  optional marker: the program runs with standard output
#             closed (so nothing reaches the stdout file)
#   ulimit    optional, arguments to bash's ulimit for the program's run,
#             such as "-v 98304"; a sanitizer build cannot run under an
#             address-space limit, so there the case is skipped (status 77)
#   terminal  optional: the case runs a second time, on a fresh working
#             folder, with standard output and standard error on a
#             pseudo-terminal 80 columns wide; this is what the terminal
#             shows (carriage returns left out), status as in `status`
#
# With VANTRIX_CRLF=1 (the Windows build, tests/e2e/run_windows.sh) the
# text report and the messages must end every line in CR LF, and compare
# with the expected files once the CR before each LF is taken out; the
# JSON and web reports compare as they are. The terminal run is left out
# there (a pseudo-terminal is no Windows console).
#
# With VANTRIX_UPDATE_EXPECTED=1 in the environment the case is not checked:
# what the run wrote replaces the expected files (stdout, stderr, status,
# terminal and the files under output/ that are there), for review with
# `git diff` before committing. An empty actual output removes its file.
set -u
update=${VANTRIX_UPDATE_EXPECTED:-}
[ "$update" = 0 ] && update=
binary=$1
case_dir=$2
name=$(basename "$case_dir")

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-e2e.XXXXXX")
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/cwd"
[ -d "$case_dir/files" ] && cp -a "$case_dir/files/." "$work/cwd/"

args=()
if [ -f "$case_dir/args" ]; then
  while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done <"$case_dir/args"
fi

env_vars=(LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000)
if [ -f "$case_dir/env" ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    [ -n "$line" ] && env_vars+=("$line")
  done <"$case_dir/env"
fi

limits=()
if [ -f "$case_dir/ulimit" ]; then
  if [ -n "${VANTRIX_SANITIZED:-}" ] || grep -qa -e __asan_init -e __tsan_init "$binary"; then
    echo "$name: skipped: a sanitizer build cannot run under ulimit"
    exit 77
  fi
  read -r -a limits <"$case_dir/ulimit"
fi

cd "$work/cwd" || exit 1
if [ -f "$case_dir/setup" ]; then
  env "${env_vars[@]}" VANTRIX="$binary" bash "$case_dir/setup" || { echo "$name: setup failed"; exit 1; }
fi

: >"$work/stdout"
input=/dev/null
[ -f "$case_dir/stdin" ] && input=$(head -n 1 "$case_dir/stdin")
(
  if [ ${#limits[@]} -ne 0 ]; then ulimit "${limits[@]}" || exit 125; fi
  if [ -f "$case_dir/stdout-closed" ]; then exec >&-; else exec >"$work/stdout"; fi
  exec env "${env_vars[@]}" bash -c 'exec -a vantrix "$0" "$@"' "$binary" "${args[@]}"
) <"$input" 2>"$work/stderr"
status=$?

failed=0
# True when the case's report is JSON or a web page (the last -f wins).
binary_report() {
  local arg format=text
  for arg in "${args[@]}"; do
    case $arg in -f*) format=${arg#-f} ;; esac
  done
  [ "$format" = json ] || [ "$format" = html ]
}

# With VANTRIX_CRLF, the actual text file with its CR LF line ends made LF;
# a bare LF fails.
crlf_to_lf() {  # actual-file label
  local actual=$1 label=$2 lines crlf
  lines=$(tr -cd '\n' <"$actual" | wc -c)
  crlf=$(grep -c $'\r$' "$actual")
  if [ "$lines" != "$crlf" ]; then
    echo "$name: $label has $lines line ends, $crlf of them CR LF"
    failed=1
  fi
  sed -i 's/\r$//' "$actual"
}

expect_file() {  # expected-file actual-file label
  local expected=$1 actual=$2 label=$3
  if [ -n "${VANTRIX_CRLF:-}" ] && [ -z "$update" ]; then
    # A file the run was to leave alone (a log, an old report) is as it was.
    if [[ $label == file* ]] && cmp -s "$expected" "$actual"; then
      :
    elif [ "$label" = stderr ] || ! binary_report; then
      crlf_to_lf "$actual" "$label"
    fi
  fi
  if [ -n "$update" ]; then
    if [ -s "$actual" ] || [[ "$label" == file* || "$label" == terminal ]]; then
      cp "$actual" "$expected"
    else
      rm -f "$expected"
    fi
    return
  fi
  if [ -f "$expected" ]; then
    if ! cmp -s "$expected" "$actual"; then
      echo "$name: $label differs (expected, then actual):"
      diff <(od -c "$expected") <(od -c "$actual") | head -n 40
      failed=1
    fi
  elif [ -s "$actual" ]; then
    echo "$name: $label expected empty, got:"
    head -c 2000 "$actual" | od -c | head -n 20
    failed=1
  fi
}
expect_file "$case_dir/stdout" "$work/stdout" stdout
expect_file "$case_dir/stderr" "$work/stderr" stderr

expected_status=0
[ -f "$case_dir/status" ] && expected_status=$(tr -d ' \n' <"$case_dir/status")
if [ -n "$update" ]; then
  if [ "$status" = 0 ]; then rm -f "$case_dir/status"; else echo "$status" >"$case_dir/status"; fi
  expected_status=$status
fi
if [ "$status" != "$expected_status" ]; then
  echo "$name: exit status $status, expected $expected_status"
  failed=1
fi

if [ -d "$case_dir/output" ]; then
  for f in "$case_dir"/output/*; do
    base=$(basename "$f")
    if [ ! -f "$work/cwd/$base" ]; then
      echo "$name: the run left no file $base"
      failed=1
    else
      expect_file "$f" "$work/cwd/$base" "file $base"
    fi
  done
fi

if [ -f "$case_dir/terminal" ] && [ -z "${VANTRIX_CRLF:-}" ]; then
  cd "$work" && rm -rf "$work/cwd" && mkdir "$work/cwd" && cd "$work/cwd" || exit 1
  [ -d "$case_dir/files" ] && cp -a "$case_dir/files/." "$work/cwd/"
  if [ -f "$case_dir/setup" ]; then
    env "${env_vars[@]}" VANTRIX="$binary" bash "$case_dir/setup" || { echo "$name: setup failed"; exit 1; }
  fi
  # script(1) hands its command to $SHELL, which may not read bash's $'...'
  # quoting; the command goes to bash in a file of its own.
  redirect=
  [ -f "$case_dir/stdin" ] && redirect="<$(printf '%q' "$input")"
  printf 'stty cols 80 rows 24; exec %s %s\n' \
    "$(printf '%q ' env "${env_vars[@]}" bash -c 'exec -a vantrix "$0" "$@"' \
       "$binary" "${args[@]}")" "$redirect" >"$work/terminal-command"
  script -qec "bash $(printf '%q' "$work/terminal-command")" /dev/null </dev/null >"$work/tty"
  status=$?
  tr -d '\r' <"$work/tty" >"$work/terminal"
  expect_file "$case_dir/terminal" "$work/terminal" terminal
  if [ "$status" != "$expected_status" ]; then
    echo "$name: exit status $status on the terminal, expected $expected_status"
    failed=1
  fi
fi

if [ -n "$update" ]; then
  echo "$name: expected files rewritten"
  exit 0
fi
[ $failed -eq 0 ] && echo "$name: ok"
exit $failed
