#!/bin/sh
# kill -9 during saves of a training file that has a second hard link: 100 rounds of
# `quorvant-cli import` over the linked file, each killed at a random moment of its run.
# After each kill `info` (the next open) must read the file, and the file must be the old
# or the new one byte for byte; both names must show the same file.
#
#   bench/hardlink-kill.sh [BUILD_DIR] [ROUNDS]    (defaults: build 100)
set -eu
build=${1:-build}
rounds=${2:-100}
cli=$build/cli/quorvant-cli
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT INT TERM

# Two versions of a file of about 4,000 tasks, made from the sample.
for k in 0 1; do
    python3 - "$k" resources/beispiel.json > "$dir/v$k.json" <<'PY'
import json, sys
k, doc = sys.argv[1], json.load(open(sys.argv[2], encoding="utf-8"))
tasks = doc["tasks"]
doc["tasks"] = [dict(t, question=t.get("question", "") + " " + k + str(i)) for i in range(240) for t in tasks]
for q in doc.get("questionnaires", []):
    q["tasks"] = [i for i in range(len(doc["tasks"]))]
json.dump(doc, sys.stdout, ensure_ascii=False)
PY
    "$cli" import "$dir/v$k.json" "$dir/ziel.vdr"
    cp "$dir/ziel.vdr" "$dir/expected$k.vdr"
done
ln "$dir/ziel.vdr" "$dir/partner.vdr"

start=$(date +%s%N)
"$cli" import "$dir/v0.json" "$dir/ziel.vdr"
full=$(( ($(date +%s%N) - start) / 1000 ))   # microseconds

broken=0
i=0
while [ "$i" -lt "$rounds" ]; do
    "$cli" import "$dir/v$((i % 2)).json" "$dir/ziel.vdr" & pid=$!
    # Parsing comes first; the write lies in the later part of the run.
    wait_us=$(( full * (400 + $(od -An -N2 -tu2 /dev/urandom) % 700) / 1000 ))
    sleep "$(printf '0.%06d' "$wait_us")" 2>/dev/null || sleep 1
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if ! "$cli" info "$dir/partner.vdr" > /dev/null 2>&1 ||
       ! { cmp -s "$dir/ziel.vdr" "$dir/expected0.vdr" || cmp -s "$dir/ziel.vdr" "$dir/expected1.vdr"; } ||
       ! cmp -s "$dir/ziel.vdr" "$dir/partner.vdr"; then
        broken=$((broken + 1))
        echo "round $i: damaged" >&2
        "$cli" import "$dir/v0.json" "$dir/ziel.vdr" 2>/dev/null || true
    fi
    i=$((i + 1))
done
leftover=$(find "$dir" -name '.quorvant-*' | wc -l)
echo "$rounds rounds, a run takes $((full / 1000)) ms: $broken damaged, $leftover journals or temporaries left"
[ "$broken" -eq 0 ] && [ "$leftover" -eq 0 ]
