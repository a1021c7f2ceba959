#!/usr/bin/env bash
# Opens every kind of report page in headless Chromium: a flight, a trim, a
# sweep, a dispersion study closed-loop, open-loop and guided, a guided
# flight to a target, the plan of the largest payload and the exchange
# ratios, from ascent-trim and (given the package) from Python. Each page
# must draw every one of its charts with a size, print no label over
# another, cut off no label and no table (the page's own script counts them
# into data-charts-drawn, data-overlaps and data-clipped once laid out), log
# no script error, and give a screenshot.
#
#   tests/report/check_reports_in_browser.sh ascent-trim data-folder [python-package-folder]
#
# Exit status 77 (skipped) without chromium.
set -euo pipefail
trim=$1
data=$2
package=${3:-}
command -v chromium > /dev/null || { echo "chromium is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$data/s1.dat" .

pages=(trim.html sweep.html closed.html open.html guided.html target.html optimize.html
       sensitivities.html)
"$trim" trim -t 20 --report trim.html > /dev/null
# 15 s is short of propellant: a row not in orbit beside those in orbit.
"$trim" sweep --from 15 --to 35 --step 5 --report sweep.html > /dev/null
"$trim" dispersions -t 20 -n 40 --report closed.html > /dev/null
"$trim" dispersions -t 20 -n 40 --open-loop --report open.html > /dev/null || true
"$trim" dispersions -t 20 -n 40 --guided --report guided.html > /dev/null || true
"$trim" target -t 20 --perigee 180000 --apogee 240000 --report target.html > /dev/null || true
"$trim" optimize --from 20 --to 40 --report optimize.html > /dev/null
"$trim" sensitivities -t 80 --report sensitivities.html > /dev/null
if [[ -n "$package" ]]; then
  PYTHONPATH="$package" /usr/bin/python3 -c '
import ascent
thrust = "s1.dat"
ascent.report(ascent.fly(20, 18, thrust=thrust), "flight.html", facts={"thrust": thrust})
ascent.report(ascent.trim(20, thrust=thrust), "py-trim.html")
ascent.report(ascent.sweep(range(15, 36, 5), thrust=thrust), "py-sweep.html")
ascent.report(ascent.monte_carlo(30, turn_time=20, thrust=thrust), "py-closed.html")
ascent.report(ascent.monte_carlo(30, turn_time=20, thrust=thrust, closed_loop=False),
              "py-open.html")
ascent.report(ascent.monte_carlo(30, turn_time=20, thrust=thrust, guided=True), "py-guided.html")
ascent.report(ascent.target(20, perigee=180e3, apogee=240e3, thrust=thrust), "py-target.html")
ascent.report(ascent.optimize(thrust, 20, 40), "py-optimize.html")
ascent.report(ascent.sensitivities(80, thrust=thrust), "py-sensitivities.html")'
  pages+=(flight.html py-trim.html py-sweep.html py-closed.html py-open.html py-guided.html
          py-target.html py-optimize.html py-sensitivities.html)
fi

browse() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$work/profile" \
    --enable-logging=stderr --v=0 --window-size=1200,2000 "$@"
}

attribute() {
  sed -n "s/.* $1=\"\([^\"]*\)\".*/\1/p" <<< "$2"
}

failures=0
for page in "${pages[@]}"; do
  dom=$(browse --dump-dom "file://$work/$page" 2> "$page.log")
  body=$(grep -o '<body[^>]*>' <<< "$dom" || true)
  charts=$(attribute data-charts "$body")
  drawn=$(attribute data-charts-drawn "$body")
  overlaps=$(attribute data-overlaps "$body")
  clipped=$(attribute data-clipped "$body")
  browse --screenshot="$work/${page%.html}.png" "file://$work/$page" 2>> "$page.log" > /dev/null
  shot=$(stat -c %s "${page%.html}.png" 2> /dev/null || echo 0)
  errors=$(grep -E 'CONSOLE\(|Uncaught|Failed to load resource' "$page.log" || true)
  if [[ -z "$charts" || "$charts" -eq 0 || "$drawn" != "$charts" || "$overlaps" != 0 ||
        "$clipped" != 0 || "$shot" -lt 20000 || -n "$errors" ]]; then
    echo "$page: charts ${charts:-none}, drawn ${drawn:-none}, screenshot $shot bytes," \
         "labels over others ${overlaps:-none} ($(attribute data-overlap "$body"))," \
         "cut off ${clipped:-none} ($(attribute data-clip "$body"))"
    [[ -z "$errors" ]] || echo "$errors"
    failures=$((failures + 1))
  else
    echo "$page: $drawn charts drawn, no label over another, nothing cut off, screenshot $shot bytes"
  fi
done
((failures == 0))
