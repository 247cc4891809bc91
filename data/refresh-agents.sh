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
  # One in four of the list's own test cases, for the program's tests:
  # kind (b for browser, s for system), agent, name, major version.
  python3 - /usr/share/uap-core/tests >"$out/expected.tsv" <<'PY'
import sys, yaml
for kind, name in (("b", "test_ua.yaml"), ("s", "test_os.yaml")):
    cases = yaml.safe_load(open(sys.argv[1] + "/" + name))["test_cases"]
    for case in cases[::4]:
        fields = (kind, case["user_agent_string"], case["family"], case["major"] or "")
        if not any("\t" in f or "\n" in f for f in fields):
            print("\t".join(fields))
PY
fi
python3 - "$out/regexes.yaml" "$out/VERSION" >"$out/agent_patterns.inc" <<'PY'
import re, sys, yaml
from re import _parser as parser, _constants as sre

def lower(text):
    return "".join(ch.lower() if ch.isascii() else ch for ch in text)

def case_pair(op, av):
    """The letter a class of just its two cases stands for ([Bb]), or None."""
    if op is sre.IN and len(av) == 2 and all(o is sre.LITERAL for o, _ in av):
        a, b = chr(av[0][1]), chr(av[1][1])
        if a.isascii() and a != b and a.lower() == b.lower():
            return a.lower()
    return None

def needed_texts(items):
    """Ways to say what every match holds, each a set of texts (in lower
    case) one of which stands in it."""
    found, run = [], []
    def cut():
        if run:
            found.append({lower("".join(run))})
            run.clear()
    def walk(items):
        for op, av in items:
            if op is sre.LITERAL:
                run.append(chr(av))
            elif case_pair(op, av):
                run.append(case_pair(op, av))
            elif op is sre.SUBPATTERN:
                walk(av[-1])
            elif op in (sre.MAX_REPEAT, sre.MIN_REPEAT) and av[0] >= 1:
                cut()
                walk(av[2])
                cut()
            elif op is sre.BRANCH:
                cut()
                ways = [best(needed_texts(branch)) for branch in av[1]]
                if all(ways):
                    found.append(set().union(*ways))
            else:
                cut()
    walk(items)
    cut()
    return found

def best(ways):
    """The way that filters best: the one whose shortest text is longest,
    then the one of fewest texts; None when no text is two bytes or more."""
    ways = [w for w in ways if min(len(t.encode()) for t in w) >= 2]
    if not ways:
        return None
    return max(ways, key=lambda w: (min(len(t.encode()) for t in w), -len(w)))

def needed(regex):
    way = best(needed_texts(parser.parse(regex)))
    return "\n".join(sorted(way)) if way else ""

def prefix(regex, icase):
    """The text every match begins with (the expression is then tried only
    where it stands), or ""."""
    if icase:
        return ""
    def flat(items):
        for op, av in items:
            if op is sre.SUBPATTERN:
                yield from flat(av[-1])
            else:
                yield op, av
    text = []
    for op, av in flat(parser.parse(regex)):
        if op is sre.AT and not text:
            continue  # ^ or \b before the text: tested where it stands
        if op is not sre.LITERAL:
            break
        text.append(chr(av))
    return "".join(text)

def ecmascript(regex, icase):
    """The expression as ECMAScript reads it the same, and whether case is
    then ignored. This list needs none of it so far; a later one that uses
    what cannot be said so stops the refresh."""
    if regex.startswith("(?i)"):
        regex, icase = regex[4:], True
    regex = re.sub(r"(?<!\\)((?:\\\\)*)\\[Zz]", r"\1$", regex)
    regex = re.sub(r"(?<!\\)((?:\\\\)*)\\A", r"\1^", regex)
    if re.search(r"\(\?[^:=!]|[*+?}]\+|\\[hHRKQEGpPX]", regex):
        sys.exit("refresh-agents: no ECMAScript for %r" % regex)
    return regex, icase

def c(text):
    if text is None:
        return "nullptr"
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'

data = yaml.safe_load(open(sys.argv[1]))
version = open(sys.argv[2]).read().strip()
print("// Made by data/refresh-agents.sh from uap-core %s (Apache-2.0): each" % version)
print("// browser and system expression in list order: whether case is ignored,")
print("// the expression as ECMAScript, a text every match holds in lower case")
print("// (several, one per line, when any of them will do; \"\" for none), the")
print("// text every match begins with (or \"\"), and the list's replacements for")
print("// the name and the major version.")
for kind, name, major in (("kBrowser", "family_replacement", "v1_replacement"),
                          ("kSystem", "os_replacement", "os_v1_replacement")):
    for entry in data["user_agent_parsers" if kind == "kBrowser" else "os_parsers"]:
        regex, icase = ecmascript(entry["regex"], entry.get("regex_flag") == "i")
        print("{%s, %s, %s, %s, %s, %s, %s}," % (
            kind, "true" if icase else "false", c(regex), c(needed(regex)),
            c(prefix(regex, icase)), c(entry.get(name)), c(entry.get(major))))
PY
