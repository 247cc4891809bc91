#!/bin/bash
# The JSON report's panels over every request, checked against a plain count
# of the same generated W3C log: requests by status triple, error paths and
# clients, time taken (percentiles within the stated 1%), per-path time and
# bytes, and the days with their page hits, requests, distinct users,
# sessions, bytes and errors. Three logs: one of a few hundred lines, one
# large enough to be read on more than one thread, one without time-taken
# or sc-bytes.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-health.XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=1000000000

cat >"$work/check.py" <<'PY'
import json, math, random, subprocess, sys, time
from collections import Counter, defaultdict

binary, work, seed, lines, timed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == "1"
rng = random.Random(seed)
fields = "date time s-ip cs-method cs-uri-stem c-ip sc-status sc-substatus sc-win32-status"
if timed:
    fields += " sc-bytes time-taken"
paths = ["/p%d.htm" % i for i in range(40)] + ["/img%d.gif" % i for i in range(5)]
rows = []
t = 985046400  # 2001-03-20 00:00:00 UTC
with open(work + "/log", "w") as log:
    log.write("#Version: 1.0\n#Fields: %s\n" % fields)
    for _ in range(lines):
        t += rng.choice([1, 5, 60, 400, 1200])
        row = {
            "t": t, "method": rng.choice(["GET"] * 8 + ["POST", "HEAD"]),
            "path": rng.choice(paths), "client": "10.0.%d.%d" % (rng.randrange(3), rng.randrange(30)),
            "status": rng.choice([200] * 6 + [304, 401, 404, 404, 500]),
            "sub": rng.choice([0, 0, 2]), "win32": rng.choice([0, 0, 2, 64]),
            "bytes": rng.randrange(0, 100000), "ms": int(rng.lognormvariate(4, 1.5)),
        }
        rows.append(row)
        stamp = "%s %s" % (
            time.strftime("%Y-%m-%d", time.gmtime(t)),
            time.strftime("%H:%M:%S", time.gmtime(t)))
        extra = " %d %d" % (row["bytes"], row["ms"]) if timed else ""
        log.write("%s 192.168.0.1 %s %s %s %d %d %d%s\n" % (
            stamp, row["method"], row["path"], row["client"], row["status"], row["sub"],
            row["win32"], extra))

report = json.loads(subprocess.run([binary, "-fjson", "-cT", work + "/log"], check=True,
                                   capture_output=True).stdout)
fail = []
def check(name, got, want):
    if got != want:
        fail.append("%s: got %r, want %r" % (name, got, want))

check("requests", report["requests"]["total"], len(rows))
page = lambda r: r["method"] == "GET" and not r["path"].endswith(".gif")
triples = Counter((r["status"], r["sub"], r["win32"]) for r in rows)
hits = Counter((r["status"], r["sub"], r["win32"]) for r in rows if page(r))
check("statuses", {(s["status"], s["substatus"], s["win32"]): (s["requests"], s["page_hits"])
                   for s in report["statuses"]},
      {k: (n, hits[k]) for k, n in triples.items()})
errors = [r for r in rows if r["status"] >= 400]
check("errors", report["errors"]["requests"], len(errors))
by_status_path = Counter((r["status"], r["path"]) for r in errors)
for e in report["errors"]["paths"]:
    check("error path " + e["path"], e["requests"], by_status_path[(e["status"], e["path"])])
clients = Counter(r["client"] for r in errors)
top = sorted(clients.items(), key=lambda kv: (-kv[1], kv[0]))[:10]
check("error clients", [(c["address"], c["requests"]) for c in report["errors"]["clients"]], top)

days = defaultdict(lambda: defaultdict(int))
users = defaultdict(set)
starts = {}
for r in rows:
    day = time.strftime("%Y-%m-%d", time.gmtime(r["t"]))
    d = days[day]
    d["requests"] += 1
    d["bytes"] += r["bytes"]
    d["errors"] += r["status"] >= 400
    if page(r):
        d["page_hits"] += 1
        users[day].add(r["client"])
        if r["client"] not in starts or r["t"] - 900 > starts[r["client"]]:
            starts[r["client"]] = r["t"]
            d["sessions"] += 1
for day in report["days"]:
    d = days[day["date"]]
    want = {"page_hits": d["page_hits"], "requests": d["requests"], "users": len(users[day["date"]]),
            "sessions": d["sessions"], "bytes": d["bytes"] if timed else None, "errors": d["errors"]}
    check("day " + day["date"], {k: day[k] for k in want}, want)
check("days", len(report["days"]), len(days))

if not timed:
    check("time_taken", report["time_taken"], None)
    check("bytes", report["bytes"], None)
else:
    ms = sorted(r["ms"] for r in rows)
    tt = report["time_taken"]
    for q, name in [(0.5, "p50"), (0.9, "p90"), (0.95, "p95"), (0.99, "p99")]:
        exact = ms[max(1, math.ceil(q * len(ms))) - 1]
        if abs(tt[name] - exact) > max(0.01 * exact, 0.5):
            fail.append("%s: %d, exact %d" % (name, tt[name], exact))
    check("max", tt["max"], ms[-1])
    per_path = defaultdict(list)
    for r in rows:
        per_path[r["path"]].append(r["ms"])
    for p in tt["paths"]:
        v = per_path[p["path"]]
        check("time " + p["path"], (p["requests"], p["total"], p["max"]), (len(v), sum(v), max(v)))
    sizes = Counter()
    for r in rows:
        sizes[r["path"]] += r["bytes"]
    for p in report["bytes"]["paths"]:
        check("bytes " + p["path"], p["bytes"], sizes[p["path"]])
if fail:
    print("\n".join(fail[:20]))
    sys.exit(1)
PY

python3 "$work/check.py" "$binary" "$work" 1 400 1
python3 "$work/check.py" "$binary" "$work" 2 120000 1
python3 "$work/check.py" "$binary" "$work" 3 300 0
