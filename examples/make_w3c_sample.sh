#!/bin/sh
# Writes examples/sample-w3c.log: the requests of examples/sample.log in the
# W3C extended format, under the header IIS 10 writes by default, CR-LF line
# ends as the server writes them. The same input gives the same file on every
# machine; rerun this after changing the comma sample.
#
#   examples/make_w3c_sample.sh [comma.log [w3c.log]]
#
# Each comma line becomes one W3C line:
# - the date 03/20/01 becomes 2001-03-20 (two-digit years 00-79 are
#   20xx, 80-99 are 19xx) and the time 7:05:09 becomes 07:05:09; the local
#   time of the comma log is taken as UTC. A date in another form is copied
#   as it is;
# - fields the comma format has no room for are made up: the port (21 for
#   FTP, else 80), the user agent (one of a few, picked by the client's
#   address, so that a client keeps its agent) and the substatus (0);
# - a blank inside a field becomes "+", an empty field "-";
# - a line cut short keeps its fields up to the first one it lacks.
#
# The reports of the two files differ where the formats do: a date such as
# 2001-03-21 is a bad date in the comma format and a good one here. Long
# lines count in both: a W3C line is read whole, and the comma format has
# every field it reads before the query.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
in=${1:-$root/examples/sample.log}
out=${2:-$root/examples/sample-w3c.log}

LC_ALL=C awk '
function field(i,  v) {
  v = (i <= n) ? f[i] : ""
  gsub(/ /, "+", v)
  return v == "" ? "-" : v
}
function w3c_date(d,  p, y) {
  if (split(d, p, "/") != 3 || p[3] !~ /^[0-9][0-9]$/) return d
  y = (p[3] < 80) ? "20" p[3] : "19" p[3]
  return sprintf("%s-%02d-%02d", y, p[1], p[2])
}
function w3c_time(t,  p) {
  if (split(t, p, ":") != 3) return t
  return sprintf("%02d:%02d:%02d", p[1], p[2], p[3])
}
function agent(ip,  p, k) {
  split(ip, p, ".")
  k = (p[1] + p[2] + p[3] + p[4]) % 4
  if (k == 0) return "Mozilla/4.0+(compatible;+MSIE+5.5;+Windows+NT+5.0)"
  if (k == 1) return "Mozilla/4.0+(compatible;+MSIE+6.0;+Windows+98)"
  if (k == 2) return "Mozilla/4.76+[en]+(Windows+NT+5.0;+U)"
  return "Opera/5.02+(Windows+NT+4.0;+U)++[en]"
}
BEGIN { ORS = "\r\n" }
{
  sub(/\r$/, "")
  # The comma format: fields end at a comma, leading blanks are not part of
  # them, and the line ends with a comma.
  n = split($0, f, /, */)
  if (f[n] == "") n--
  for (i = 1; i <= n; i++) sub(/^[ \t]+/, "", f[i])

  if (NR == 1) {
    print "#Software: Microsoft Internet Information Services 10.0"
    print "#Version: 1.0"
    print "#Date: " w3c_date(f[3]) " " w3c_time(f[4])
    print "#Fields: date time s-sitename s-computername s-ip cs-method cs-uri-stem cs-uri-query s-port cs-username c-ip cs(User-Agent) sc-status sc-substatus sc-win32-status sc-bytes cs-bytes time-taken"
  }

  # The W3C order, by comma field number; 0 marks a made-up field.
  # date time s-sitename s-computername s-ip cs-method cs-uri-stem
  # cs-uri-query s-port cs-username c-ip cs(User-Agent) sc-status
  # sc-substatus sc-win32-status sc-bytes cs-bytes time-taken
  split("3 4 5 6 7 13 14 15 0 2 1 0 11 0 12 10 9 8", order, " ")
  line = ""
  for (j = 1; j <= 18; j++) {
    i = order[j]
    if (i > n) break
    if (i == 3) v = w3c_date(field(3))
    else if (i == 4) v = w3c_time(field(4))
    else if (i != 0) v = field(i)
    else if (j == 9) v = (f[5] ~ /^MSFTPSVC/) ? 21 : 80
    else if (j == 12) v = agent(f[1])
    else v = 0
    line = (line == "") ? v : line " " v
  }
  print line
}
' "$in" >"$out"
