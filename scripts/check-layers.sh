#!/usr/bin/env bash
# Fails when an include runs against the layers: every folder may use only itself and the
# folders listed for it here, so the arrows always point down to base/. Core folders
# never include Qt. Tests, benchmarks, fuzz targets and tools may use anything.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
core="base data learning practice exchange update"
declare -A may=(
  [base]="base"
  [data]="base data"
  [learning]="base data learning"
  [practice]="base data learning practice"
  [exchange]="base data exchange"
  [update]="base data update"
  [cli]="$core cli"
  [ui]="$core ui"
  [data/ui]="$core ui data/ui"
  [learning/ui]="$core ui data/ui learning/ui"
  [practice/ui]="$core ui data/ui learning/ui practice/ui"
  [exchange/ui]="$core ui data/ui exchange/ui"
  [update/ui]="$core ui update/ui"
  [shell/ui]="$core ui data/ui learning/ui practice/ui exchange/ui update/ui shell/ui"
)
bad=0
for folder in "${!may[@]}"; do
  [ -d "$folder" ] || continue
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS= read -r line; do
      target=${line#\#include \"}
      target=${target%%\"*}
      target=${target%/*}
      [[ "$target" == */ui/* ]] && target=${target%%/ui/*}/ui
      [[ "$target" == */* && "$target" != */ui ]] && target=${target%%/*}
      [[ " ${may[$folder]} " == *" $target "* ]] && continue
      echo "$file: $line (from $folder, allowed: ${may[$folder]})"; bad=1
    done < <(grep -E '^#include "[a-z]+/' "$file" || true)
    if [[ " $core " == *" $folder "* ]] && grep -qE '^#include <Q' "$file"; then
      echo "$file: includes Qt, but $folder is part of the Qt-free core"; bad=1
    fi
  done
done
[ "$bad" -eq 0 ] && echo "Every include runs down the layers."
exit "$bad"
