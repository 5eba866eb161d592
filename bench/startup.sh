#!/bin/sh
# Start-up of the window program against a bare Qt main window with a menu bar, started
# in turns on the same X display: wall time from start until shown and idle, its CPU
# time, and the ratio of the medians. Without $DISPLAY it starts Xvfb on :77.
#
#   bench/startup.sh [BUILD_DIR] [ROUNDS]    (defaults: build 15)
#
# The build needs -DWITH_BENCH=ON (StartTimer, BareWindow).
set -eu
build=${1:-build}
rounds=${2:-15}
timer=$build/bench/ui/StartTimer
dir=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT INT TERM
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :77 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=:77
    sleep 1
fi
# The program's settings and recent files stay out of the user's.
export XDG_CONFIG_HOME="$dir/config"
unset QT_QPA_PLATFORM

i=0
while [ $i -lt "$rounds" ]; do
    "$timer" "$build/bench/ui/BareWindow" >> "$dir/bare.txt"
    "$timer" "$build/shell/quorvant" >> "$dir/quorvant.txt"
    i=$((i + 1))
done

median() { sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }
printf '%-22s %12s %12s %12s\n' "program" "idle ms" "CPU ms" "shown ms"
for name in bare quorvant; do
    printf '%-22s %12s %12s %12s\n' "$name (median of $rounds)" "$(median "$dir/$name.txt" 1)" \
        "$(median "$dir/$name.txt" 2)" "$(median "$dir/$name.txt" 3)"
done
awk -v b="$(median "$dir/bare.txt" 1)" -v q="$(median "$dir/quorvant.txt" 1)" \
    -v bc="$(median "$dir/bare.txt" 2)" -v qc="$(median "$dir/quorvant.txt" 2)" \
    'BEGIN { printf "ratio quorvant / bare: %.2f (idle), %.2f (CPU)\n", q / b, qc / bc }'
