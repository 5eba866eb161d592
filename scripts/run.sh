#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorvant with the bundled sample training file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/shell/quorvant "$PWD/resources/beispiel.vdr" "$@"
