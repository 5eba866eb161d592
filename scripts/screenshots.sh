#!/usr/bin/env bash
# Regenerates every screenshot in docs/screenshots/ from the current program: the main
# window with the sample file on a private X display (Xvfb, 1280 x 800, with the openbox
# window manager for title bars) and the dialogs as offscreen grabs.
#   scripts/screenshots.sh   # BUILD_DIR=..., SCREENSHOT_DISPLAY=:N and SCREENSHOT_OUT=<folder> override
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
display=${SCREENSHOT_DISPLAY:-:95}
out=${SCREENSHOT_OUT:-$PWD/docs/screenshots}

scripts/deps.sh
if ! command -v openbox >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends openbox
fi
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target quorvant quorvant-screenshots quorvant-progress-shot

# The settings of this run, not the user's: defaults.
config=$(mktemp -d)
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true; rm -rf "$config"' EXIT
wm=""
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# The answer history of this run stays out of the user's too.
export QUORVANT_SCREENSHOT_DIR=$out XDG_CONFIG_HOME=$config XDG_DATA_HOME=$config/data
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/tools/quorvant-screenshots" shell
QT_QPA_PLATFORM=offscreen "$build/tools/quorvant-screenshots" dialogs
# The progress window on 60 days of generated practice with an exam date.
QT_QPA_PLATFORM=offscreen "$build/tools/quorvant-progress-shot" "$out/progress.png"
# The first page of the sample's exam questionnaire as exam sheets, from the PDF.
QT_QPA_PLATFORM=offscreen "$build/shell/quorvant" --exam-sheet "$config/bogen.pdf" resources/beispiel.vdr \
  --questionnaire 4 --variants 2 --seed 2026 --key "$config/loesung.pdf"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$config/bogen.pdf" "$out/exam-sheet-page"
ls -l "$out"
