#!/bin/bash
# Every end-to-end case's run once more with -fjson: the JSON parses (strict
# UTF-8, nothing after the object), its totals, period and top lists are the
# text report's of the same run, its hits by day, hour and status add up to
# the total, its requests by status, day and hour add up, and its summary's
# lines and files add up. Cases that end early, write no report to standard output
# or run under limits are left out.
set -eu
binary=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-json.XXXXXX")
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT

compare=$work/compare.py
cat >"$compare" <<'PY'
import json, re, sys

# Windows-1252, with its five unassigned bytes as the controls of their value.
HIGH = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160,
        0x2039, 0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178]

def as_text(raw):
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return "".join(chr(HIGH[b - 0x80]) if 0x80 <= b < 0xA0 else chr(b) for b in raw)

ROW = re.compile(rb"( *-?\d+) (.*?) +(-?\d+)\n", re.S)

def rows(text, header):
    """The (rank, name, hits) rows after a column header: "%3d %-40s %7ld\n",
    where a name may hold any byte, a line feed too."""
    out = []
    at = text.find(header)
    if at < 0:
        return out
    pos = at + len(header)
    while True:
        m = ROW.match(text, pos)
        if not m or int(m.group(1)) != len(out) + 1:
            return out
        out.append((len(out) + 1, as_text(m.group(2)).rstrip(" "), int(m.group(3))))
        pos = m.end()

def local_date(iso):
    if iso is None:
        return "[feil i datoformat]"
    return "%s/%s/%s" % (iso[5:7], iso[8:10], iso[2:4])

DATE = rb"(\d\d/\d\d/\d\d|\[feil i datoformat\])"

def compare(text, report):
    period = re.search(DATE + rb" (?:to|til) " + DATE + rb"\n", text)
    assert period, "no title"
    if report["totals"]["hits"] == 0:
        assert report["period"] is None, "empty period"
    else:
        assert (as_text(period.group(1)), as_text(period.group(2))) == \
            (local_date(report["period"]["start"]), local_date(report["period"]["end"])), "period"
    hits = int(re.search(rb"\n(?:Total number of hits|Totalt antall oppslag i perioden): (-?\d+)\n", text).group(1))
    sessions = int(re.search(rb"\n(?:Total number of user sessions|Totalt antall brukersesjoner i perioden): (-?\d+)\n", text).group(1))
    totals = report["totals"]
    assert (hits, sessions) == (totals["hits"], totals["sessions"]), "totals"
    assert all(isinstance(v, int) for k, v in totals.items() if k != "bytes"), "totals are integers"
    assert totals["bytes"] is None or isinstance(totals["bytes"], int), "bytes: a count or null"

    pages = rows(text, b"\n  # Page                                     Hits\n") or \
        rows(text, b"\n  # Side                                     Oppslag\n")
    users = rows(text, b"\n  # User                                     Hits\n") or \
        rows(text, b"\n  # Bruker                                   Oppslag\n")
    assert pages == [(p["rank"], p["path"].rstrip(" "), p["hits"]) for p in report["pages"]], "pages"
    assert users == [(u["rank"], (u["host"] or u["address"]).rstrip(" "), u["hits"])
                     for u in report["users"]], "users"

    assert sum(d["page_hits"] for d in report["days"]) == hits, "days"
    undated = sum(d["page_hits"] for d in report["days"] if d["date"] is None)
    assert sum(h["page_hits"] for h in report["hours"]) + undated == hits, "hours"
    assert [h["hour"] for h in report["hours"]] == list(range(24)), "hour rows"
    assert sum(s["page_hits"] for s in report["statuses"]) == hits, "statuses"
    # Every page hit is a request; the request panels add up to the total.
    requests = report["requests"]["total"]
    assert sum(s["requests"] for s in report["statuses"]) == requests, "status requests"
    assert all(s["page_hits"] <= s["requests"] for s in report["statuses"]), "page hits"
    assert sum(d.get("requests", 0) for d in report["days"]) <= requests, "day requests"
    assert sum(h["requests"] for h in report["hours"]) == \
        sum(d.get("requests", 0) for d in report["days"]), "hour requests"
    assert report["errors"]["requests"] == sum(
        s["requests"] for s in report["statuses"] if s["status"] and 400 <= s["status"] < 600), "errors"
    assert sum(d.get("errors", 0) for d in report["days"]) <= report["errors"]["requests"], "day errors"
    lines, files = report["summary"]["lines"], report["summary"]["files"]
    assert lines["counted"] == hits, "lines counted"
    assert lines["read"] == lines["directives"] + lines["counted"] + lines["left_out"], "lines"
    assert lines["left_out"] == sum(lines["left_out_by_reason"].values()), "reasons"
    assert sum(files[f][p] for f in ("comma", "w3c") for p in ("plain", "compressed")) == \
        totals["files"], "files"

failed = 0
for run in sys.argv[1:]:
    name = run.rstrip("/").rsplit("/", 1)[-1]
    try:
        text = open(run + "/text", "rb").read()
        compare(text, json.loads(open(run + "/json", "rb").read().decode("utf-8")))
    except (AssertionError, ValueError, AttributeError) as e:
        print("%s: JSON and text differ: %s" % (name, e))
        failed += 1
print("json matches text: %d cases, %d differ" % (len(sys.argv) - 1 - failed, failed))
sys.exit(1 if failed or len(sys.argv) < 50 else 0)
PY

mkdir "$work/runs"
for case_dir in "$source_dir"/tests/e2e/cases/*/; do
  case_dir=${case_dir%/}
  name=$(basename "$case_dir")
  # Runs that end early, write elsewhere or ask for help have no report to
  # compare.
  [ -f "$case_dir/status" ] && [ "$(tr -d ' \n' <"$case_dir/status")" != 0 ] && continue
  [ -e "$case_dir/ulimit" ] || [ -e "$case_dir/stdout-closed" ] || [ -d "$case_dir/output" ] && continue
  grep -q -e '^-o' -e '^-f' -e '^--' "$case_dir/args" 2>/dev/null && continue
  # Their size is the point, not their report.
  case $name in hostile-million-* | hostile-50mb-line) continue ;; esac

  rm -rf "$work/cwd" && mkdir "$work/cwd"
  [ -d "$case_dir/files" ] && cp -a "$case_dir/files/." "$work/cwd/"
  args=()
  while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done <"$case_dir/args"
  env_vars=(LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000)
  if [ -f "$case_dir/env" ]; then
    while IFS= read -r line || [ -n "$line" ]; do [ -n "$line" ] && env_vars+=("$line"); done <"$case_dir/env"
  fi
  (
    cd "$work/cwd"
    [ -f "$case_dir/setup" ] && env "${env_vars[@]}" bash "$case_dir/setup"
    env "${env_vars[@]}" "$binary" "${args[@]}" >"$work/text" 2>/dev/null </dev/null
    env "${env_vars[@]}" "$binary" -fjson "${args[@]}" >"$work/json" 2>/dev/null </dev/null
  ) || { echo "$name: a run failed"; exit 1; }
  mkdir "$work/runs/$name"
  mv "$work/text" "$work/json" "$work/runs/$name/"
done
# One interpreter for all of them: starting one can take a while.
python3 "$compare" "$work"/runs/*

