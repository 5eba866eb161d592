#!/usr/bin/env bash
# Rebuilds the sample training file beispiel.vdr and its media from the committed
# sources, through the program's own writer (quorvant-cli import).
# Usage: resources/make_sample.sh [path/to/quorvant-cli]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/cli/quorvant-cli}"
python3 "$here/make_media.py"
"$cli" import "$here/beispiel.json" "$here/beispiel.vdr"
