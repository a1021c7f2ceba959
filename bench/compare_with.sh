#!/usr/bin/env bash
# This build side by side with a build of another revision (default: the
# previous main), in the same run on the same machine:
#   bench/compare_with.sh [REVISION]
# Builds REVISION in a scratch worktree, then for both builds
#   - times a scripted 5-run session of ascent with an output file (hyperfine)
#     and counts its instructions (callgrind counts the same on a loaded machine),
#   - times ascent-trim sweep --from 10 --to 30 --step 0.5 -j 2,
#   - times a 1000-case closed-loop study at 20 s on one thread and on two,
#   - runs the Google Benchmark of one flight through the library, the two
#     programs taking turns so that both see the same load.
# Every pair of outputs is compared byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
revision=${1:-HEAD~1}
scratch=$(mktemp -d)
trap 'git worktree remove --force "$scratch/tree" >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT

git worktree add --detach "$scratch/tree" "$revision" >/dev/null
cmake -S "$scratch/tree" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DASCENT_BUILD_TESTS=OFF \
  -DASCENT_BUILD_PYTHON=OFF >/dev/null
cmake --build "$scratch/build" -j2 --target ascent ascent-trim mission_bench >/dev/null
cmake --build --preset release --target ascent ascent-trim mission_bench >/dev/null

find_program() { find "$1" -name "$2" -type f -perm -u+x | head -n 1; }
declare -A ascent trim bench
ascent[old]=$(find_program "$scratch/build" ascent)
trim[old]=$(find_program "$scratch/build" ascent-trim)
bench[old]=$(find_program "$scratch/build" mission_bench)
ascent[new]=$PWD/build/release/ascent
trim[new]=$PWD/build/release/ascent-trim
bench[new]=$PWD/build/release/bench/mission_bench

work="$scratch/work"
for build in old new; do
  mkdir -p "$work/$build"
  cp data/s1.dat "$work/$build/"
done
printf 'run.txt\n20\n18\n20\n17.86\n25\n19\n15\n16.6\n30\n19.5\n-1\n' > "$work/five.in"
same() { cmp -s "$work/old/$1" "$work/new/$1" && echo "(the same $1, byte for byte)" ||
  { echo "DIFFERENT $1"; exit 1; }; }
in_both() {  # in_both NAME COMMAND RUNS: hyperfine over both builds; COMMAND names TRIM or ASCENT
  local name=$1 command=$2 runs=$3 old new
  old=${command//TRIM/${trim[old]}}
  new=${command//TRIM/${trim[new]}}
  hyperfine --warmup 1 --runs "$runs" \
    -n "$revision: $name" "cd $work/old && ${old//ASCENT/${ascent[old]}}" \
    -n "this build: $name" "cd $work/new && ${new//ASCENT/${ascent[new]}}"
}

echo "== 5-run session with an output file"
in_both "5-run session" "ASCENT < ../five.in > /dev/null" 20
same run.txt
for build in old new; do
  (cd "$work/$build" && valgrind --tool=callgrind --callgrind-out-file=/dev/null \
    "${ascent[$build]}" < ../five.in 2>&1 >/dev/null | sed -n "s/.*Collected : /$build: instructions /p")
done

echo "== ascent-trim sweep --from 10 --to 30 --step 0.5 -j 2"
in_both "sweep" "TRIM sweep --from 10 --to 30 --step 0.5 -j 2 > sweep.txt" 5
same sweep.txt

for jobs in 1 2; do
  echo "== ascent-trim dispersions -n 1000 --seed 1 -t 20 -j $jobs"
  in_both "study -j $jobs" "TRIM dispersions -n 1000 --seed 1 -t 20 -j $jobs -o cases.csv > study.txt" 3
  same study.txt
  same cases.csv
done

echo "== one flight through the library, the two programs taking turns"
for round in 1 2 3; do
  for build in old new; do
    echo -n "$build: "
    "${bench[$build]}" --benchmark_filter=FlightThroughTheLibrary --benchmark_repetitions=3 \
      --benchmark_report_aggregates_only=true 2>/dev/null | grep median
  done
done
