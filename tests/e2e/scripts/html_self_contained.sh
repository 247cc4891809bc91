#!/bin/bash
# The web page refers to nothing outside itself: no element that loads
# anything (script, link, img, iframe, object, embed, ...), no attribute
# that names another resource (src, href, action, ...), no @import or url()
# in its style. Log texts that look like links stay text. Checked on the
# sample logs in both languages and formats, on hostile texts, and on the
# page in examples/.
set -eu
binary=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-html.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TZ=UTC LC_ALL=C SOURCE_DATE_EPOCH=1000000000

line() {  # client, path
  printf '%s, -, 03/20/01, 7:55:20, W3SVC1, WEB, 10.0.0.1, 1, 2, 3, 200, 0, GET, %s, -,\n' "$1" "$2"
}
{
  line 'x"><script src=http://a/b.js></script>' '/r?to=http://example.com/x.js'
  line "y' onload='x" "/<img src='//example.com/i.png'>"
  line 'z' '/<style>@import url(http://example.com/s.css)</style>'
} >links.log
"$binary" -fhtml -u0 -cExample "$source_dir/examples/sample.log" >sample.html
"$binary" -fhtml -u0 -N "$source_dir/examples/sample-w3c.log" >sample-w3c.html
"$binary" -fhtml '-c<a href="http://example.com/">' links.log >links.html
pages=(sample.html sample-w3c.html links.html)
[ -f "$source_dir/examples/sample.html" ] && pages+=("$source_dir/examples/sample.html")

python3 - "${pages[@]}" <<'PY'
import re, sys
from html.parser import HTMLParser

LOADING = {"script", "link", "img", "iframe", "frame", "object", "embed", "video",
           "audio", "source", "track", "image", "use", "base", "form", "input"}
NAMING = {"src", "href", "xlink:href", "action", "formaction", "srcset", "data",
          "poster", "background", "cite", "ping", "manifest"}

class Check(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.faults = []
        self.in_style = False
        self.texts = []

    def handle_starttag(self, tag, attrs):
        # A meta element may give the character set or the viewport, which
        # name no resource; any other (a refresh, say) may.
        if tag == "meta" and not ({n for n, _ in attrs} <= {"charset", "name", "content"} and
                                  dict(attrs).get("name") in (None, "viewport")):
            self.faults.append("element <meta> other than charset or viewport")
        if tag in LOADING:
            self.faults.append("element <%s>" % tag)
        self.check_attrs(tag, attrs)
        self.in_style = tag == "style"

    def check_attrs(self, tag, attrs):
        for name, value in attrs:
            if name in NAMING or name.startswith("on"):
                self.faults.append("attribute %s on <%s>" % (name, tag))
            if name == "style" and re.search(r"url\s*\(|@import", value or "", re.I):
                self.faults.append("url() in a style attribute")

    def handle_endtag(self, tag):
        if tag == "style":
            self.in_style = False

    def handle_data(self, data):
        if self.in_style and re.search(r"url\s*\(|@import|expression\s*\(", data, re.I):
            self.faults.append("url() or @import in the style sheet")

failed = False
for page in sys.argv[1:]:
    check = Check()
    check.feed(open(page, encoding="utf-8").read())
    check.close()
    if check.faults:
        print("%s refers outside itself: %s" % (page, "; ".join(sorted(set(check.faults)))))
        failed = True
# The hostile texts are on the page, as text.
links = open("links.html", encoding="utf-8").read()
for text in ("/r?to=http://example.com/x.js", "&lt;img src=&#39;//example.com/i.png&#39;&gt;",
             "&lt;a href=&quot;http://example.com/&quot;&gt;"):
    if text not in links:
        print("links.html lacks the text %s" % text)
        failed = True
print("html self-contained: %d pages" % (len(sys.argv) - 1))
sys.exit(1 if failed else 0)
PY
