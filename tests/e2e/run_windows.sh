#!/bin/bash
# Runs the end-to-end cases and the comparison scripts against vantrix.exe
# under Wine: `tests/e2e/run_windows.sh BUILD [CASE...]` (make test-windows).
# The cases of tests/e2e/windows-cases (file attributes set with Wine's
# attrib, back-slash and drive-letter patterns) run here alone.
# The program runs as "vantrix" found on Wine's PATH, as a user who types
# that name in cmd would call it; the text report and the messages are
# compared with their CR LF line ends (run_case.sh, VANTRIX_CRLF). The cases
# below that rest on POSIX alone are skipped, each with its reason.
set -u
build=$(cd "$1" && pwd)
shift
root=$(cd "$(dirname "$0")/../.." && pwd)

# Case, and why it cannot run on Windows.
readonly SKIPPED='
hostile-output-is-log-link  a symbolic link made with ln -s
pattern-links-followed-dangling-skipped  symbolic links made with ln -s
hostile-dev-full-large-report  /dev/full
hostile-stdout-closed  a closed standard output (Wine does not hand it on closed)
output-write-failure  /dev/full as the -o file
html-sample-w3c-norwegian  a zone database name in TZ (Windows has no zone database)
json-sample-w3c-norwegian  a zone database name in TZ (Windows has no zone database)
range-comma-inside-file  a zone database name in TZ (Windows has no zone database)
range-w3c-across-midnight  a zone database name in TZ (Windows has no zone database)
nul-byte-ends-line-text  a log named nul.log (NUL is a device on Windows, whatever the extension)
pattern-question-mark-and-case  names that differ only in case (Windows matches them alike)
terminal-norwegian-utf8  a UTF-8 argument (a Windows program gets its arguments in its code page)
terminal-c1-controls-escaped  a UTF-8 argument (a Windows program gets its arguments in its code page)
terminal-c1-controls-escaped-utf8  a UTF-8 argument (a Windows program gets its arguments in its code page)
'

export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
bin=$build/wine-bin
mkdir -p "$bin"
cp "$build/vantrix.exe" "$bin/vantrix"
# The program as a command: Wine finds "vantrix" on its PATH.
cat >"$bin/run-vantrix" <<EOS
#!/bin/sh
WINEPATH='Z:${bin//\//\\}' exec wine vantrix "\$@"
EOS
chmod +x "$bin/run-vantrix"

# One Wine server for every run (the first start makes the prefix).
wineserver -p
trap 'wineserver -k' EXIT
wine cmd /c exit >/dev/null 2>&1

# The comparison scripts that can run here; the others, and why not.
readonly SCRIPTS='gzip_same_report html_self_contained w3c_parallel_same_report robots_exclude_same_as_removed state_damaged_corpus'
readonly SCRIPTS_SKIPPED='
examples_current  compares the text report in README.md, whose line ends are LF
json_matches_text  reads text reports with LF line ends, from every case (nul.log among them)
progress_tty  a pseudo-terminal (no Windows console)
terminal_escapes  a pseudo-terminal (no Windows console)
output_kept_after_interrupt  a POSIX signal sent with kill
state_save_interrupted  a limit on file sizes set with ulimit -f
'

cases=("$@")
[ ${#cases[@]} -eq 0 ] && mapfile -t cases < <(cd "$root/tests/e2e" && ls -d cases/* windows-cases/*)
passed=0 failed=0 skipped=0
for case in "${cases[@]}"; do
  [ -d "$root/tests/e2e/$case" ] || case=cases/$case
  reason=$(awk -v c="${case#*/}" '$1 == c { $1 = ""; sub(/^ /, ""); print }' <<<"$SKIPPED")
  # Wine itself cannot start under an address-space limit.
  [ -f "$root/tests/e2e/$case/ulimit" ] && reason="an address-space limit set with ulimit"
  if [ -n "$reason" ]; then
    echo "${case#*/}: skipped on Windows: $reason"
    skipped=$((skipped + 1))
    continue
  fi
  if VANTRIX_CRLF=1 bash "$root/tests/e2e/run_case.sh" "$bin/run-vantrix" \
      "$root/tests/e2e/$case"; then
    passed=$((passed + 1))
  # Wine now and then ends a command with an error and no word (see the
  # scripts below): a case that fails is run once more, and a fault of
  # vantrix's fails it again.
  elif VANTRIX_CRLF=1 bash "$root/tests/e2e/run_case.sh" "$bin/run-vantrix" \
      "$root/tests/e2e/$case"; then
    echo "${case#*/}: passed when run again"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done
if [ $# -eq 0 ]; then
  # A script whose run fails is traced and run once more: under load, Wine
  # has now and then ended a command with an error and no word (three times
  # so far: two scripts and a case, each of which passed when run again).
  # The trace shows which command it was; a fault of vantrix's fails the
  # second run too.
  trace=$(mktemp "${TMPDIR:-/tmp}/vantrix-wine-trace.XXXXXX")
  for script in $SCRIPTS; do
    # The trace has a descriptor of its own: the scripts read what their
    # commands write to the standard error.
    if BASH_XTRACEFD=9 bash -x "$root/tests/e2e/scripts/$script.sh" "$bin/run-vantrix" \
        "$root" 9>"$trace" 2>&9; then
      passed=$((passed + 1))
      continue
    fi
    echo "$script: failed; the end of its trace:"
    tail -n 8 "$trace" | sed 's/^/  /'
    if bash "$root/tests/e2e/scripts/$script.sh" "$bin/run-vantrix" "$root"; then
      echo "$script: passed when run again"
      passed=$((passed + 1))
    else
      echo "$script: failed again"
      failed=$((failed + 1))
    fi
  done
  rm -f "$trace"
  while read -r script reason; do
    [ -n "$script" ] || continue
    echo "$script: skipped on Windows: $reason"
    skipped=$((skipped + 1))
  done <<<"$SCRIPTS_SKIPPED"
fi
echo "end-to-end cases and scripts under Wine: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
