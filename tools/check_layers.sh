#!/usr/bin/env bash
# Checks that every folder of the project includes only its own headers and
# those of the layers below it: the tree shows the layers, and this keeps it so.
#   tools/check_layers.sh [project folder]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Layers from the bottom up; folders on one line are peers that may not
# include each other.
layers=(
  "base"
  "atmosphere"
  "dynamics"
  "mission"
  "text deck"
  "studies"
  "console trim python"
  "examples"
)

level_of() {
  local i
  for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
      [[ "$folder" == "$1" ]] && { echo "$i"; return; }
    done
  done
  echo ""
}

faults=0
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do
    [[ -d "$folder" ]] || continue
    while IFS=: read -r file line include; do
      target=${include%%/*}
      [[ "$target" == "$folder" ]] && continue
      target_level=$(level_of "$target")
      [[ -z "$target_level" ]] && continue  # a system or third-party header
      if (( target_level >= i )); then
        echo "$file:$line: $folder (layer $i) includes $include from $target (layer $target_level)"
        faults=$((faults + 1))
      fi
    done < <(grep -rnoE '^#include "[a-z_]+/[^"]+"' "$folder" --include='*.hpp' --include='*.cpp' \
               | sed -E 's/#include "([^"]+)"/\1/')
  done
done
if (( faults > 0 )); then
  echo "$faults includes cross the layers upwards"
  exit 1
fi
echo "every folder includes only its own layer's headers and those below"
