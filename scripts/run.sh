#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorvant with the bundled sample training
# file. Practising writes statistics into the file, so the program works on a copy in the
# build tree and the committed sample stays as it is (delete the copy to start afresh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
sample="$PWD/build/beispiel.vdr"
[ -f "$sample" ] || cp resources/beispiel.vdr "$sample"
exec build/shell/quorvant "$sample" "$@"
