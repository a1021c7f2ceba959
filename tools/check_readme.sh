#!/usr/bin/env bash
# Runs the examples of the README in a fresh clone and compares what they
# print with what the README shows, so the README cannot drift from the code.
#
#   tools/check_readme.sh [build folder]
#
# An example is an indented code block whose lines start with "$ ": each such
# line is run with bash in the clone (one shell per block, so a "cd" holds
# for the rest of the block), and the lines after it, up to the next "$ "
# line or the end of the block, are what it must print. A line "..." stands
# for any number of lines. The clone shares the given build folder (default
# build/release), so the programs are not built twice.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/release}" && pwd)
clone=$(mktemp -d)
trap 'rm -rf "$clone"' EXIT

git clone --quiet --no-hardlinks "$top" "$clone/ascent"
mkdir -p "$clone/ascent/build"
ln -s "$build" "$clone/ascent/build/release"

# Splits the README into examples: files example.N holding the block's lines.
awk -v dir="$clone" '
  /^    \$ / || (inblock && /^    /) || (inblock && /^$/) {
    if (!inblock) { n++; inblock = 1 }
    print substr($0, 5) > (dir "/example." n)
    next
  }
  { inblock = 0 }
' "$top/README.md"

# The examples run in the clone's sandbox, never on the machine's shared
# folders: a test run must not change the machine it runs on, and two runs at
# once must not meet. The install recipe goes into a prefix in the clone
# (its commands install there, its interpreter and Dask workers import from
# there by PYTHONPATH where the recipe relies on Debian's interpreter reading
# /usr/local, which is checked on its own below), the files the examples put
# in /tmp go to a folder of the clone, and what they print names those.
prefix="$clone/prefix"
mkdir -p "$clone/tmp"
python_version=$(/usr/bin/python3 -c 'import sys; print("python%d.%d" % sys.version_info[:2])')
site="lib/$python_version/dist-packages"
sandboxed() {
  sed -i -E -e "s#(^|[ \"'=(])/tmp([/ \"']|$)#\\1$clone/tmp\\2#g" \
            -e "s#cmake --install build/release#& --prefix $prefix#" \
            -e "s#env -u PYTHONPATH /usr/bin/python3#env PYTHONPATH=$prefix/$site /usr/bin/python3#" \
            -e "s#(^|[;&|] *)dask-worker #\\1env PYTHONPATH=$prefix/$site dask-worker #" \
            -e "s#/usr/local#$prefix#g" "$@"
}
if ! /usr/bin/python3 -c 'import sys; sys.exit("/usr/local/'"$site"'" not in sys.path)'; then
  echo "README: /usr/bin/python3 does not import from /usr/local/$site"
  exit 1
fi

# True when `actual` matches `expected`, where a line "..." skips any lines.
matches() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys, re
def lines(path):
    text = open(path, encoding="utf-8", errors="replace").read().replace("\r\n", "\n")
    return text.rstrip("\n").split("\n")
expected = lines(sys.argv[1])
actual = lines(sys.argv[2])
pattern = "\n".join(".*?" if l == "..." else re.escape(l) for l in expected)
pattern = pattern.replace("\n.*?\n", "(?:\n.*?)*?\n")
sys.exit(0 if re.fullmatch(pattern, "\n".join(actual), re.S) else 1)
PY
}

failures=0
checked=0
for example in "$clone"/example.*; do
  grep -q '^\$ ' "$example" || continue
  script="$clone/script"; : > "$script"
  expected_dir="$clone/expected"; rm -rf "$expected_dir"; mkdir -p "$expected_dir"
  step=0
  while IFS= read -r line; do
    if [[ "$line" == '$ '* ]]; then
      step=$((step + 1))
      printf '%s\n' "${line#\$ }" > "$expected_dir/$step.command"
      : > "$expected_dir/$step.out"
    elif ((step > 0)); then
      printf '%s\n' "$line" >> "$expected_dir/$step.out"
    fi
  done < "$example"
  ((step > 0)) && sandboxed "$expected_dir"/*.command "$expected_dir"/*.out
  for ((i = 1; i <= step; i++)); do
    {
      printf 'echo "@@@ %d"\n' "$i"
      cat "$expected_dir/$i.command"
    } >> "$script"
  done
  (cd "$clone/ascent" && bash "$script" > "$clone/actual" 2>&1) || true
  awk -v dir="$expected_dir" '/^@@@ [0-9]+$/ { n = $2; next } { print > (dir "/" n ".actual") }' \
    "$clone/actual"
  for ((i = 1; i <= step; i++)); do
    checked=$((checked + 1))
    touch "$expected_dir/$i.actual"
    if ! matches "$expected_dir/$i.out" "$expected_dir/$i.actual"; then
      failures=$((failures + 1))
      echo "README example differs: \$ $(cat "$expected_dir/$i.command")"
      diff <(sed '/^$/d' "$expected_dir/$i.out") <(sed '/^$/d' "$expected_dir/$i.actual") | head -20 || true
    fi
  done
done
echo "$checked README commands checked, $failures differ"
((checked > 0 && failures == 0))
