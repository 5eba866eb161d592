#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full suite, then
# the core tests again under AddressSanitizer and UBSan. Each stage is one block below
# that stops the script when it fails; a further stage is appended at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
stage() { echo "=== $* (at $SECONDS s)"; }

stage "Build and run every test in build/"
scripts/build.sh
(cd build && ctest --output-on-failure -j2)

stage "Core tests under AddressSanitizer and UBSan in build-asan/"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWITH_GUI=OFF -DQUORVANT_SANITIZE=ON
cmake --build build-asan -j2 --target core_tests quorvant-cli
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2)

# The fuzz targets build (not run) with the installed clang, configured as scripts/fuzz.sh does.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GUI=OFF \
      -DWITH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2 --target ReadTrainingFileFuzz ImportCsvFuzz ImportKvtmlFuzz \
      ImportAnkiFuzz ImportJsonFuzz WriteFuzzSeeds WriteExchangeSeeds
