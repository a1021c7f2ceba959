#!/usr/bin/env bash
# Records the golden sessions in tests/golden/ that golden_session_test replays.
#
# Goldens are recorded from a reference build and pin what that build does,
# byte for byte. Never re-record them to make a failing change pass: a golden
# that no longer matches means the change altered the program's behaviour.
# Re-record only for a change of behaviour that is intended and reviewed, and
# say which sessions changed and why in the commit.
#
# Usage: tools/record_golden.sh [ascent]   (default: build/release/ascent)
#
# Each session runs in a fresh working folder holding its booster thrust file
# as s1.dat (or none), with the answers on the standard input. Its folder in
# tests/golden/ holds:
#   input    the answers
#   thrust   the thrust file from tests/golden/thrust/ used as s1.dat, or "none"
#   stdout   the standard output
#   status   the exit status
#   files/   every file left in the working folder (s1.dat included)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
ascent=$(realpath "${1:-$repo/build/release/ascent}")
golden=$repo/tests/golden
thrust_dir=$golden/thrust
[[ -x $ascent ]] || { echo "no program at $ascent: build it first" >&2; exit 1; }

# --- Booster thrust files, in the sample's layout (%5.1f time, %13.1f thrust)

write_thrust_files() {
  local sample=$repo/data/s1.dat
  rm -rf "$thrust_dir"
  mkdir -p "$thrust_dir"
  cp "$sample" "$thrust_dir/sample.dat"
  # Every thrust scaled: the pitch-over moves between the search's points.
  local factor
  for factor in 1.002 1.005 0.995; do
    awk -v f="$factor" '{ printf "%5.1f%13.1f\n", $1, $2 * f }' "$sample" >"$thrust_dir/scaled-$factor.dat"
  done
  head -n 60 "$sample" >"$thrust_dir/ends-at-60s.dat"
  sed 's/$/\r/' "$sample" >"$thrust_dir/crlf.dat"
  awk '$1 != 80.0' "$sample" >"$thrust_dir/gap-at-80s.dat"
  awk 'NR == 5 { printf "%5.1f%13.1f\n", $1, -$2; next } { print }' "$sample" >"$thrust_dir/negative-thrust.dat"
  awk 'NR == 5 { printf "%5.1f%13s\n", $1, "1.5.3"; next } { print }' "$sample" >"$thrust_dir/bad-number.dat"
  : >"$thrust_dir/empty.dat"
}

# --- One session

# The bytes of a file before a failure report, which names places in the code.
before_failure_report() {
  local at
  at=$(grep -boa 'Runtime error ' "$1" | head -n 1 | cut -d: -f1)
  if [[ -n $at ]]; then head -c "$at" "$1"; else cat "$1"; fi
}

# record NAME THRUST ANSWERS
record() {
  local name=$1 thrust=$2 answers=$3
  local dest=$golden/$name
  mkdir -p "$dest"
  printf '%s' "$answers" >"$dest/input"
  printf '%s\n' "$thrust" >"$dest/thrust"

  local scratch status=0
  scratch=$(mktemp -d)
  mkdir "$scratch/work"
  [[ $thrust == none ]] || cp "$thrust_dir/$thrust" "$scratch/work/s1.dat"
  (cd "$scratch/work" && exec "$ascent" <"$dest/input" >"$scratch/stdout") || status=$?
  cp "$scratch/stdout" "$dest/stdout"
  printf '%d\n' "$status" >"$dest/status"
  if [[ -n $(ls -A "$scratch/work") ]]; then
    mkdir "$dest/files"
    cp -a "$scratch/work/." "$dest/files/"
  fi

  # A golden must not depend on where it was recorded.
  if before_failure_report "$dest/stdout" | grep -qaF "$scratch" ||
     { [[ -d $dest/files ]] && grep -rqaF "$scratch" "$dest/files"; }; then
    echo "$name: output names the scratch folder $scratch" >&2
    exit 1
  fi
  rm -rf "$scratch"
  printf '%-48s status %3d  %s\n' "$name" "$status" "$(du -sh "$dest" | cut -f1)"
}

# --- The sessions

write_thrust_files
for dir in "$golden"/*/; do
  if [[ -f $dir/input ]]; then rm -rf "$dir"; fi
done

# Whole flights on the console.
record console-turn20-secant-three-runs sample.dat $'\n20\n18\n20\n17.8576\n20\n17.96\n-1\n'
record console-turn5-maxa10 sample.dat $'\n5\n10\n-1\n'
record console-turn60-maxa40 sample.dat $'\n60\n40\n-1\n'
record console-turn60-no-orbit-then-maxa40 sample.dat $'\n60\n10\n60\n40\n-1\n'
record console-maxa-beyond-360-held sample.dat $'\n20\n400\n-1\n'
record console-blank-lines-units-and-exponent sample.dat $'\n\n\n1.5e1 s\n\n22.5 deg\n-1\n'
record console-thrust-records-2s-apart gap-at-80s.dat $'\n20\n18\n-1\n'

# Whole flights with an output file: the table, the plot files and the
# maxima across runs; the secant memory kept per turn time.
record file-turn15-turn25-between-secant-memory sample.dat \
  $'run.txt\n15\n20\n15\n13.4328\n25\n20\n15\n14\n-1\n'
record file-turn10-maxa12-negative-recommendation sample.dat $'run.txt\n10\n12\n-1\n'
for factor in 1.002 1.005 0.995; do
  record "file-thrust-scaled-$factor-turn20-maxa18" "scaled-$factor.dat" $'run.txt\n20\n18\n-1\n'
done

# Turn time boundaries: 1 s is flown, below it is refused. The longest turn
# that still recovers before booster separation is 119.76 s with the sample
# (found by bisection: above it the run ends with "Turn time too long").
record turn-exactly-1s sample.dat $'\n1\n25\n-1\n'
record turn-below-1s-refused sample.dat $'\n0.5\n0\n0.999\n-1\n'
record turn-119.75-recovers-just-before-separation sample.dat $'\n119.75\n20\n-1\n'
record turn-119.77-too-long sample.dat $'\n119.77\n-1\n'
record turn-150-too-long sample.dat $'\n150\n-1\n'

# Answers.
record answer-12abc-at-turn-time sample.dat $'\n12abc\n'
record answer-unit-at-turn-then-word-at-angle sample.dat $'\n20s\nabc\n'
record end-of-input-at-name-prompt sample.dat ''
record end-of-input-at-turn-time sample.dat $'\n'
record end-of-input-at-angle sample.dat $'\n20\n'
record negative-turn-time-ends-with-output-file sample.dat $'run.txt\n-1\n'

# Output file names.
record refused-output-names-then-run-txt sample.dat \
  $'s1.dat\nspeed.dat\n./dynpres.dat\nconst_n.hpp\nrun.txt\n-1\n'
record output-name-longer-than-255-cut sample.dat "$(printf 'a%.0s' {1..300}).txt"$'\n-1\n'

# Booster thrust files that cannot be flown.
record thrust-missing none $'\n20\n'
record thrust-missing-with-output-file none $'run.txt\n20\n'
record thrust-ends-at-60s ends-at-60s.dat $'\n20\n'
record thrust-ends-at-60s-with-output-file ends-at-60s.dat $'run.txt\n20\n'
record thrust-crlf-line-ends crlf.dat $'\n20\n'
record thrust-negative negative-thrust.dat $'\n20\n'
record thrust-bad-number bad-number.dat $'\n20\n'
record thrust-empty empty.dat $'\n20\n'

echo "sessions: $(find "$golden" -mindepth 2 -maxdepth 2 -name input | wc -l), total $(du -sh "$golden" | cut -f1)"
