#!/bin/sh
# Scale benchmarks: generated training files of 100,000 and 1,000,000 tasks opened by
# `quorvant-cli info`, exported to JSON, imported back and opened in the window. Each
# command runs in a process of its own; its peak memory is what the kernel counted for
# that process (getrusage), in MB of 10^6 bytes. Beside the wall times the median CPU
# time (user + system) shows the command's own cost when other work shares the machine.
#
#   bench/scale.sh [BUILD_DIR] [RUNS] [TASKS...]    (defaults: build-bench 3 100000 1000000)
#
# The build needs -DWITH_BENCH=ON; the window row needs the GUI build.
set -eu
build=${1:-build-bench}
runs=${2:-3}
[ $# -gt 2 ] && shift 2 || set -- 100000 1000000
cli=$build/cli/quorvant-cli
measure=$build/bench/Measure
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT INT TERM

printf '%-26s %9s %9s %9s %9s %9s\n' "work" "min s" "median s" "max s" "CPU s" "peak MB"
row() {
    label=$1
    shift
    printf '%-26s %9s %9s %9s %9s %9s\n' "$label" $("$measure" "$runs" "$@")
}
for tasks in "$@"; do
    vdr=$dir/tasks-$tasks.vdr
    "$build/bench/MakeTrainingFile" "$tasks" "$vdr"
    "$cli" export "$vdr" > "$dir/tasks-$tasks.json"
    bytes=$(wc -c < "$vdr")
    echo "--- $tasks tasks, $bytes bytes .vdr, $(wc -c < "$dir/tasks-$tasks.json") bytes JSON"
    row "info" /dev/null "$cli" info "$vdr"
    row "export (JSON)" /dev/null "$cli" export "$vdr"
    row "import (JSON)" /dev/null "$cli" import "$dir/tasks-$tasks.json" "$dir/imported.vdr"
    # The round trip must give the generator's bytes back.
    cmp -s "$vdr" "$dir/imported.vdr" || { echo "import of the export differs from the file"; exit 1; }
    if [ -x "$build/bench/ui/OpenBench" ]; then
        i=0
        : > "$dir/open.txt"
        while [ $i -lt "$runs" ]; do
            "$build/bench/ui/OpenBench" "$vdr" 2>/dev/null >> "$dir/open.txt"
            i=$((i + 1))
        done
        sort -n -k2 "$dir/open.txt" | awk '{ print $2 }' > "$dir/cpu.txt"
        cpu=$(awk -v n="$runs" 'NR == int(n / 2) + 1 { print $1 / 1000 }' "$dir/cpu.txt")
        sort -n "$dir/open.txt" | awk -v label="window: open until idle" -v cpu="$cpu" '
            { ms[NR] = $1; if ($3 > peak) peak = $3 }
            END { printf "%-26s %9.3f %9.3f %9.3f %9.3f %9.1f\n", label, ms[1] / 1000,
                         ms[int(NR / 2) + 1] / 1000, ms[NR] / 1000, cpu, peak }'
    fi
done
