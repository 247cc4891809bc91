#!/bin/sh
# Writes the sample's reports in the two formats beside the text one:
# examples/sample.json (-fjson) and examples/sample.html (-fhtml), and the
# README's picture of the page, examples/sample-page.png, taken by a headless
# browser (`sh .ci/deps page` installs one). Dates are UTC, as the README's
# report; on a machine with a name service the top users may show host
# names instead of addresses.
#
#   examples/make_reports.sh [path/to/vantrix]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
vantrix=${1:-$root/build/release/vantrix}
export TZ=UTC LC_ALL=C

"$vantrix" -fjson -cExample "$root/examples/sample.log" >"$root/examples/sample.json"
"$vantrix" -fhtml -cExample "$root/examples/sample.log" >"$root/examples/sample.html"

browser=$(command -v chromium-headless-shell || command -v chromium)
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --screenshot="$root/examples/sample-page.png" --window-size=1000,1180 \
  "file://$root/examples/sample.html" 2>/dev/null
