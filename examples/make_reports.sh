#!/bin/sh
# Writes the sample's reports: examples/sample.json (-fjson) and
# examples/sample.html (-fhtml), the README's text report (the block after
# "`make demo` runs"), and the README's picture of the page,
# examples/sample-page.png, taken by a headless browser (`sh .ci/deps page`
# installs one). Dates are UTC. On a machine whose name service answers,
# the top users would show host names: make and check them where none does,
# as on the build machines.
#
#   examples/make_reports.sh [path/to/vantrix]          writes them
#   examples/make_reports.sh --check [path/to/vantrix]  compares instead, and
#       fails naming every file that differs from what the program writes now
set -eu
check=""
if [ "${1:-}" = --check ]; then check=1; shift; fi
root=$(cd "$(dirname "$0")/.." && pwd)
vantrix=${1:-$root/build/release/vantrix}
export TZ=UTC LC_ALL=C SOURCE_DATE_EPOCH=1000000000
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-examples.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

"$vantrix" -fjson -cExample "$root/examples/sample.log" >"$tmp/sample.json"
"$vantrix" -fhtml -cExample "$root/examples/sample.log" >"$tmp/sample.html"
"$vantrix" -cExample "$root/examples/sample.log" >"$tmp/demo.txt"

# The README with its demo block replaced by the report of this build.
awk -v demo="$tmp/demo.txt" '
  state == 0 && /^`make demo` runs/ { state = 1 }
  state == 1 && /^```$/ { print; while ((getline line < demo) > 0) print line; state = 2; next }
  state == 2 { if (/^```$/) { state = 3; print } ; next }
  { print }
' "$root/README.md" >"$tmp/README.md"

status=0
for f in sample.json sample.html README.md; do
  case $f in README.md) target=$root/README.md ;; *) target=$root/examples/$f ;; esac
  if [ -n "$check" ]; then
    if ! cmp -s "$tmp/$f" "$target"; then
      echo "make_reports: ${target#"$root"/} is not what the program writes now;" \
           "run examples/make_reports.sh and review the difference" >&2
      diff "$target" "$tmp/$f" | head -n 20 >&2 || true
      status=1
    fi
  else
    cp "$tmp/$f" "$target"
  fi
done
[ -n "$check" ] && exit $status

browser=$(command -v chromium-headless-shell || command -v chromium || true)
if [ -n "$browser" ]; then
  "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --screenshot="$root/examples/sample-page.png" --window-size=1000,1180 \
    "file://$root/examples/sample.html" 2>/dev/null
else
  echo "make_reports: no headless browser, examples/sample-page.png left as it is" >&2
fi
