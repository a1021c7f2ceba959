#!/usr/bin/env bash
# Opens the study reports in headless Chromium: each page must draw every one
# of its charts with a size (the page's own script counts them into
# data-charts-drawn once laid out), log no script error, and give a screenshot.
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

pages=(sweep.html dispersions.html optimize.html)
"$trim" sweep --from 15 --to 25 --step 5 --report sweep.html > /dev/null
"$trim" dispersions -t 20 -n 40 --report dispersions.html > /dev/null
"$trim" optimize --from 20 --to 40 --report optimize.html > /dev/null
if [[ -n "$package" ]]; then
  PYTHONPATH="$package" /usr/bin/python3 -c '
import ascent
ascent.report(ascent.fly(20, 18, thrust="s1.dat"), "flight.html", facts={"thrust": "s1.dat"})
ascent.report(ascent.monte_carlo(30, turn_time=20, thrust="s1.dat"), "study.html")'
  pages+=(flight.html study.html)
fi

browse() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$work/profile" \
    --enable-logging=stderr --v=0 --window-size=1200,2000 "$@"
}

failures=0
for page in "${pages[@]}"; do
  dom=$(browse --dump-dom "file://$work/$page" 2> "$page.log")
  body=$(grep -o '<body[^>]*>' <<< "$dom" || true)
  charts=$(sed -n 's/.*data-charts="\([0-9]*\)".*/\1/p' <<< "$body")
  drawn=$(sed -n 's/.*data-charts-drawn="\([0-9]*\)".*/\1/p' <<< "$body")
  browse --screenshot="$work/${page%.html}.png" "file://$work/$page" 2>> "$page.log" > /dev/null
  shot=$(stat -c %s "${page%.html}.png" 2> /dev/null || echo 0)
  errors=$(grep -E 'CONSOLE\(|Uncaught|Failed to load resource' "$page.log" || true)
  if [[ -z "$charts" || "$charts" -eq 0 || "$drawn" != "$charts" || "$shot" -lt 20000 || -n "$errors" ]]; then
    echo "$page: charts ${charts:-none}, drawn ${drawn:-none}, screenshot $shot bytes"
    [[ -z "$errors" ]] || echo "$errors"
    failures=$((failures + 1))
  else
    echo "$page: $drawn charts drawn, screenshot $shot bytes"
  fi
done
((failures == 0))
