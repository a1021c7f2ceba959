#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and fuzzes each one for
# a while, starting from its seed corpus in fuzz/corpus/<target>/.
#
#   fuzz/run-fuzzers.sh [seconds per target] [target...]
#
# The corpus grown on the way stays in <build>/corpus/<target>/; a crash,
# a leak or a timeout leaves its input in <build>/artifacts/ and makes the
# script fail. Keep such an input: add it to the seed corpus and a test.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(number thrust_file dialogue decimal_format deck staged_deck command_line)
build=${ASCENT_FUZZ_BUILD_DIR:-build/fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/%/_fuzzer}"

failed=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzzing $target for $seconds s"
  # -timeout: an input that runs longer is a hang; the dialogue's inputs take milliseconds.
  if ! "$build/fuzz/${target}_fuzzer" "$corpus" "fuzz/corpus/$target" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" 2>"$build/$target.log"; then
    failed=1
    echo "!! $target failed; its input is in $artifacts/"
  fi
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|stat::new_units_added)|ERROR|SUMMARY" \
    "$build/$target.log" || true
done
exit $failed
