#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full suite, then
# the core tests again under AddressSanitizer and UBSan in one clang tree that also
# builds (not runs) the fuzz targets, so the sanitized core is compiled once for both.
# Each stage is one block below that stops the script when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
stage() { echo "=== $* (at $SECONDS s)"; }

stage "Build and run every test in build/"
# Line tables are debug information enough for a test build and compile about a quarter
# faster; the value stays in build/'s cache for later builds there.
scripts/build.sh -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
(cd build && ctest --output-on-failure -j2)

stage "Core tests under AddressSanitizer and UBSan, and the fuzz targets, in build-asan/"
# A tree left by an older script was configured with gcc; the compiler cannot change in place.
grep -qs '^CMAKE_CXX_COMPILER:.*clang' build-asan/CMakeCache.txt || rm -rf build-asan
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
      -DWITH_GUI=OFF -DQUORVANT_SANITIZE=ON \
      -DWITH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j2 --target core_tests quorvant-cli ReadTrainingFileFuzz ImportCsvFuzz \
      ImportKvtmlFuzz ImportAnkiFuzz ImportJsonFuzz WriteFuzzSeeds WriteExchangeSeeds
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2)
stage "Done"
