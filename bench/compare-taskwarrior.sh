#!/usr/bin/env bash
# Times `quillet-cli list` and `export` against taskwarrior's `task list` and `task export` on the same
# 100,000 one-line items (none done, priorities spread), fastest of 3 runs each, output to /dev/null.
# Needs the benchmark build (scripts/bench.sh) and Debian's taskwarrior package.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${QUILLET_BENCH_BUILD_DIR:-$root/build-bench}/bin"
count="${1:-100000}"
command -v task > /dev/null || { echo "taskwarrior is not installed (apt-get install taskwarrior)" >&2; exit 2; }
[[ -x "$bin/quillet-bench" && -x "$bin/quillet-cli" ]] || { echo "run scripts/bench.sh first" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/quillet-bench" --comparison-data "$count" "$work/notes.qlt" "$work/tasks.json"
printf 'data.location=%s\nverbose=nothing\nconfirmation=off\nhooks=off\ngc=off\n' "$work/task" > "$work/taskrc"
export TASKRC="$work/taskrc"
task import "$work/tasks.json" > /dev/null
[[ "$(task count)" == "$count" ]] || { echo "taskwarrior did not import every item" >&2; exit 1; }

# The fastest of 3 runs of a command, in seconds.
fastest() {
    local best="" start end took
    for _ in 1 2 3; do
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        took=$(( (end - start) / 1000000 ))
        if [[ -z "$best" || $took -lt $best ]]; then best=$took; fi
    done
    echo "$best"
}

printf '%s items; notes file %s bytes\n' "$count" "$(stat -c %s "$work/notes.qlt")"
printf '| command | Quillet | taskwarrior | ratio |\n|---|---|---|---|\n'
for what in list export; do
    quillet=$(fastest "$bin/quillet-cli" "$what" "$work/notes.qlt")
    taskwarrior=$(fastest task rc.defaultwidth=120 "$what")
    printf '| %s | %s ms | %s ms | %s |\n' "$what" "$quillet" "$taskwarrior" \
        "$(awk -v q="$quillet" -v t="$taskwarrior" 'BEGIN { printf "%.3f", q / (t > 0 ? t : 1) }')"
done
