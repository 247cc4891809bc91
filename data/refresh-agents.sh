#!/bin/sh
# Refreshes the browser and system list from Debian's uap-core package
# (Apache-2.0, by Google and the ua-parser contributors): the browser and
# system parts of its regexes.yaml, its copyright and version go to
# data/uap-core/, and the table the program compiles in,
# data/uap-core/agent_patterns.inc, is made again from them. Each regular
# expression goes in as ECMAScript (what the C++ library reads), with a
# text it cannot match without, found here once so that the program need
# not try every expression on every agent.
# Needs the uap-core package (to fetch; skipped with --offline), python3
# and PyYAML.
#
#   data/refresh-agents.sh [--offline]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here/uap-core
if [ "${1:-}" != --offline ]; then
  src=/usr/share/uap-core/regexes.yaml
  [ -r "$src" ] || { echo "refresh-agents: no $src (apt-get install uap-core)" >&2; exit 1; }
  # The device part is not used: it stops where that part starts.
  sed '/^device_parsers:/,$d' "$src" >"$out/regexes.yaml"
  { sed -n '/^Files: \*$/,/^$/p' /usr/share/doc/uap-core/copyright
    cat /usr/share/common-licenses/Apache-2.0; } >"$out/LICENSE"
  dpkg-query -W -f='${Version}\n' uap-core >"$out/VERSION"
fi
python3 - "$out/regexes.yaml" "$out/VERSION" >"$out/agent_patterns.inc" <<'PY'
import re, sys, yaml
from re import _parser as parser, _constants as sre

def required_texts(pattern):
    """The runs of bytes that every match of the parsed pattern holds."""
    runs, run = [], []
    def cut():
        if run:
            runs.append("".join(run))
            run.clear()
    def walk(items):
        for op, av in items:
            if op is sre.LITERAL:
                run.append(chr(av))
            elif op is sre.SUBPATTERN:
                walk(av[-1])
            elif op in (sre.MAX_REPEAT, sre.MIN_REPEAT) and av[0] >= 1:
                cut()
                walk(av[2])
                cut()
            else:
                cut()
    walk(pattern)
    cut()
    return runs

def needed_text(regex, icase):
    texts = required_texts(parser.parse(regex, re.I if icase else 0))
    best = max(texts, key=len, default="")
    if len(best.encode()) < 2:
        return ""
    return best.lower() if icase else best

def ecmascript(regex):
    return regex

def c(text):
    if text is None:
        return "nullptr"
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'

data = yaml.safe_load(open(sys.argv[1]))
version = open(sys.argv[2]).read().strip()
print("// Made by data/refresh-agents.sh from uap-core %s (Apache-2.0): each" % version)
print("// browser and system expression in list order, as ECMAScript, with a text")
print("// every match holds (\"\" for none), whether case is ignored, and the")
print("// list's replacements for the name and the major version.")
for kind, name, major in (("kBrowser", "family_replacement", "v1_replacement"),
                          ("kSystem", "os_replacement", "os_v1_replacement")):
    for entry in data["user_agent_parsers" if kind == "kBrowser" else "os_parsers"]:
        regex = entry["regex"]
        icase = entry.get("regex_flag") == "i"
        print("{%s, %s, %s, %s, %s, %s}," % (
            kind, c(ecmascript(regex)), c(needed_text(regex, icase)),
            "true" if icase else "false", c(entry.get(name)), c(entry.get(major))))
PY
