#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UBSan, libFuzzer) and runs each
# for SECONDS (default 60) on a seed corpus made by the seed writers: the training-file
# reader, the CSV, KVTML and Anki text readers, and the JSON import.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (BUILD_DIR overrides the build folder build-fuzz)
# Exits non-zero when a fuzzer finds a crash, a hang, a leak or a broken invariant; the
# input that did it is left in fuzz-corpus/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
build="${BUILD_DIR:-build-fuzz}"
all=(ReadTrainingFileFuzz ImportCsvFuzz ImportKvtmlFuzz ImportAnkiFuzz ImportJsonFuzz)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GUI=OFF \
      -DWITH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}" WriteFuzzSeeds WriteExchangeSeeds

corpus=fuzz-corpus
rm -rf "$corpus/seeds"
mkdir -p "$corpus/seeds/vdr" "$corpus/artifacts"
"$build/fuzz/WriteFuzzSeeds" "$corpus/seeds/vdr"
"$build/fuzz/WriteExchangeSeeds" "$corpus/seeds"

for target in "${targets[@]}"; do
  case "$target" in
    ReadTrainingFileFuzz) seeds=vdr; extra=(-dict=fuzz/training.dict -max_len=65536) ;;
    ImportCsvFuzz) seeds=csv; extra=(-max_len=16384) ;;
    ImportKvtmlFuzz) seeds=kvtml; extra=(-dict=fuzz/kvtml.dict -max_len=16384) ;;
    ImportAnkiFuzz) seeds=anki; extra=(-dict=fuzz/anki.dict -max_len=16384) ;;
    ImportJsonFuzz) seeds=json; extra=(-max_len=16384) ;;
    *) echo "unknown fuzz target $target" >&2; exit 2 ;;
  esac
  mkdir -p "$corpus/work/$target"
  echo "== $target: $seconds s"
  "$build/fuzz/$target" "$corpus/work/$target" "$corpus/seeds/$seeds" "${extra[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$corpus/artifacts/$target-"
done
