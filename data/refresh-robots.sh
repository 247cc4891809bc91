#!/bin/sh
# Refreshes the robot list from the npm registry's crawler-user-agents
# package (MIT, by Martin Monperrus and its contributors): its JSON and its
# licence go to data/crawler-user-agents/ as they are, and the table the
# program compiles in, data/crawler-user-agents/robot_patterns.inc, is made
# again from them and from our additions in data/robot-additions.tsv.
# Needs npm (to fetch; skipped with --offline) and python3.
#
#   data/refresh-robots.sh [--offline]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here/crawler-user-agents
if [ "${1:-}" != --offline ]; then
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-robots.XXXXXX")
  trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && npm pack --silent crawler-user-agents >/dev/null && tar xzf crawler-user-agents-*.tgz)
  cp "$tmp/package/crawler-user-agents.json" "$tmp/package/LICENSE" "$out/"
  sed -n 's/.*"version": *"\([^"]*\)".*/\1/p' "$tmp/package/package.json" >"$out/VERSION"
fi
python3 - "$out/crawler-user-agents.json" "$here/robot-additions.tsv" "$out/VERSION" \
  >"$out/robot_patterns.inc" <<'PY'
import json, sys
entries = [(e["pattern"], e.get("tags", [])) for e in json.load(open(sys.argv[1]))]
for line in open(sys.argv[2]):
    if line.strip() and not line.startswith("#"):
        pattern, tag = line.rstrip("\n").split("\t")
        entries.append((pattern, [tag]))
version = open(sys.argv[3]).read().strip()
def c(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'
print("// Made by data/refresh-robots.sh from crawler-user-agents %s (MIT)" % version)
print("// and data/robot-additions.tsv: each robot pattern and its tags.")
for pattern, tags in entries:
    print("{%s, %s}," % (c(pattern), c(",".join(tags))))
PY
