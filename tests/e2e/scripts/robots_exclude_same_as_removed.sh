#!/bin/bash
# --robots=exclude counts a log as if its robots' lines had been removed by
# hand: the same text report, sessions, users and pages included.
set -eu
binary=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrix-robots.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TZ=UTC LC_ALL=C

header='#Fields: date time s-ip cs-method cs-uri-stem c-ip cs(User-Agent) sc-status'
browsers=(
  'Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/131.0.0.0+Safari/537.36'
  'Mozilla/5.0+(X11;+Linux+x86_64;+rv:133.0)+Gecko/20100101+Firefox/133.0'
  'Mozilla/5.0+(Macintosh;+Intel+Mac+OS+X+10_15_7)+AppleWebKit/605.1.15+(KHTML,+like+Gecko)+Version/18.1+Safari/605.1.15'
  'Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/131.0.0.0+Safari/537.36+Edg/131.0.0.0'
)
robots=(
  'Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)'
  'Mozilla/5.0+AppleWebKit/537.36+(KHTML,+like+Gecko;+compatible;+GPTBot/1.2;++https://openai.com/gptbot)'
  'Mozilla/5.0+(compatible;+bingbot/2.0;++http://www.bing.com/bingbot.htm)'
  'curl/8.5.0'
)
{
  echo '#Software: Microsoft Internet Information Services 10.0'
  echo "$header"
  for i in $(seq 0 39); do
    agent=${browsers[i % 4]}
    [ $((i % 3)) = 0 ] && agent=${robots[i % 4]}
    # Robots and browsers share addresses, so that sessions tell.
    printf '2024-01-01 10:%02d:00 10.0.0.5 GET /p%d.htm 192.168.0.%d %s 200\n' \
      $((i % 60)) $((i % 7)) $((i % 5)) "$agent"
  done
} >all.log
grep -v -e Googlebot -e GPTBot -e bingbot -e curl/ all.log >by-hand.log
[ "$(wc -l <all.log)" -gt "$(wc -l <by-hand.log)" ]

"$binary" -u3 --robots=exclude all.log >excluded.out
"$binary" -u3 by-hand.log >by-hand.out
cmp excluded.out by-hand.out
# And the robots are counted when not asked to leave them out.
"$binary" -u3 all.log >all.out
! cmp -s all.out by-hand.out
echo "robots: ok"
