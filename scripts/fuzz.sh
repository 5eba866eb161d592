#!/usr/bin/env bash
# Builds the training-file fuzz target with clang (AddressSanitizer, UBSan, libFuzzer)
# and runs it for SECONDS (default 60) on a seed corpus made by the test-data generator.
# Usage: scripts/fuzz.sh [SECONDS]     (BUILD_DIR overrides the build folder build-fuzz)
# Exits non-zero when the fuzzer finds a crash, a leak or a broken invariant; the input
# that did it is left in fuzz-corpus/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${BUILD_DIR:-build-fuzz}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GUI=OFF \
      -DWITH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target ReadTrainingFileFuzz WriteFuzzSeeds

corpus=fuzz-corpus
rm -rf "$corpus/seeds"
mkdir -p "$corpus/seeds" "$corpus/work" "$corpus/artifacts"
"$build/fuzz/WriteFuzzSeeds" "$corpus/seeds"

"$build/fuzz/ReadTrainingFileFuzz" "$corpus/work" "$corpus/seeds" \
    -dict=fuzz/training.dict -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$corpus/artifacts/"
