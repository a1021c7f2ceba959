#!/usr/bin/env bash
# Whole-process timings of this build side by side with a build of another
# revision (default: the previous main), in the same run on the same machine:
#   bench/compare_with.sh [REVISION]
# Builds REVISION in a scratch worktree, then times with hyperfine
#   - a scripted 5-run session of ascent with an output file,
#   - ascent-trim sweep --from 10 --to 30 --step 0.5 -j 2,
# and runs the library benchmark of one flight where both builds have it.
set -euo pipefail
cd "$(dirname "$0")/.."
revision=${1:-HEAD~1}
scratch=$(mktemp -d)
trap 'git worktree remove --force "$scratch/tree" >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT

git worktree add --detach "$scratch/tree" "$revision" >/dev/null
cmake -S "$scratch/tree" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DASCENT_BUILD_TESTS=OFF >/dev/null
cmake --build "$scratch/build" -j2 --target ascent ascent-trim >/dev/null
cmake --build --preset release --target ascent ascent-trim mission_bench >/dev/null

find_program() { find "$1" -name "$2" -type f -perm -u+x | head -n 1; }
old_ascent=$(find_program "$scratch/build" ascent)
old_trim=$(find_program "$scratch/build" ascent-trim)
new_ascent=build/release/ascent
new_trim=build/release/ascent-trim

work="$scratch/work"
mkdir -p "$work/old" "$work/new"
cp data/s1.dat "$work/old/" && cp data/s1.dat "$work/new/"
printf 'run.txt\n20\n18\n20\n17.86\n25\n19\n15\n16.6\n30\n19.5\n-1\n' > "$work/five.in"

echo "== 5-run session with an output file: $revision against this build"
hyperfine --warmup 3 --runs 20 \
  -n "$revision" "cd $work/old && $old_ascent < ../five.in > /dev/null" \
  -n "this build" "cd $work/new && $PWD/$new_ascent < ../five.in > /dev/null"
cmp "$work/old/run.txt" "$work/new/run.txt" && echo "(the same output file, byte for byte)"

echo "== ascent-trim sweep --from 10 --to 30 --step 0.5 -j 2"
hyperfine --warmup 1 --runs 5 \
  -n "$revision" "cd $work/old && $old_trim sweep --from 10 --to 30 --step 0.5 -j 2 > sweep.txt" \
  -n "this build" "cd $work/new && $PWD/$new_trim sweep --from 10 --to 30 --step 0.5 -j 2 > sweep.txt"

echo "== one flight through the library (this build)"
build/release/bench/mission_bench --benchmark_filter=FlightThroughTheLibrary \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
