#!/usr/bin/env bash
# The whole-program figure: `tabulon build` of the synthetic 500-table project against
# `cp -r` of the site it makes, both as whole processes, each into a fresh folder, on a
# tmpfs (program start and catalogue load included). Prints hyperfine's table for one and
# two build threads, then each command's CPU time and peak memory from /usr/bin/time.
#   bench/build_vs_copy.sh [BUILD_DIR=build] [WORK_DIR=/dev/shm/tabulon-build-vs-copy]
# The build's output is left in WORK_DIR/site for a `diff -r` against another version.
# The window-less tabulon-cli, when built, is timed too (the same commands without Qt).
# BEFORE=/path/to/an/older/tabulon adds that program's runs to the same table; RUNS sets
# the number of runs of each command (20).
set -euo pipefail
build=$(realpath "${1:-build}")
work=${2:-/dev/shm/tabulon-build-vs-copy}
tabulon=$build/tabulon
project=基准
runs=${RUNS:-20}

rm -rf "$work"
mkdir -p "$work/run"
"$build/bench/write_bench_catalogue" "$work/run"
# The site the copy copies: one build made it.
"$tabulon" --run-dir "$work/run" build "$project" >/dev/null
mv "$work/run/$project" "$work/site"
rm -f "$work/run/$project-schema.sql"

fresh_build="rm -rf '$work/run/$project' '$work/run/$project-schema.sql'"
fresh_copy="rm -rf '$work/copy'"
build_cmd() { echo "'${2:-$tabulon}' --run-dir '$work/run' build --threads $1 $project"; }
copy_cmd="cp -r '$work/site' '$work/copy'"

commands=(--command-name cp-r --prepare "$fresh_copy" "$copy_cmd"
    --command-name build-1-thread --prepare "$fresh_build" "$(build_cmd 1) >/dev/null"
    --command-name build-2-threads --prepare "$fresh_build" "$(build_cmd 2) >/dev/null")
if [ -x "$build/tabulon-cli" ]; then
    commands+=(--command-name cli-1-thread --prepare "$fresh_build" "$(build_cmd 1 "$build/tabulon-cli") >/dev/null"
        --command-name cli-2-threads --prepare "$fresh_build" "$(build_cmd 2 "$build/tabulon-cli") >/dev/null")
fi
if [ -n "${BEFORE:-}" ]; then
    commands+=(--command-name before-1-thread --prepare "$fresh_build" "$(build_cmd 1 "$BEFORE") >/dev/null"
        --command-name before-2-threads --prepare "$fresh_build" "$(build_cmd 2 "$BEFORE") >/dev/null")
fi
hyperfine --warmup 3 --runs "$runs" --export-json "$work/times.json" "${commands[@]}"

# Mean wall time of each command relative to cp -r; user+system CPU likewise.
python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
base = results["cp-r"]
cpu = lambda r: r["user"] + r["system"]
print(f"{'command':18} {'wall ms':>9} {'x cp -r':>8} {'cpu ms':>9} {'x cp -r':>8}")
for name, r in results.items():
    print(f"{name:18} {r['mean']*1e3:9.1f} {r['mean']/base['mean']:8.2f} {cpu(r)*1e3:9.1f} {cpu(r)/cpu(base):8.2f}")
PY

# Peak memory: one run each, through GNU time.
programs=("$tabulon")
[ -x "$build/tabulon-cli" ] && programs+=("$build/tabulon-cli")
[ -n "${BEFORE:-}" ] && programs+=("$BEFORE")
for program in "${programs[@]}"; do
    for threads in 1 2; do
        eval "$fresh_build"
        /usr/bin/time -f "$program, $threads thread(s): peak RSS %M KB, wall %e s, user %U s, sys %S s" \
            "$program" --run-dir "$work/run" build --threads "$threads" "$project" >/dev/null
    done
done
eval "$fresh_copy"
/usr/bin/time -f "cp -r: peak RSS %M KB, wall %e s, user %U s, sys %S s" cp -r "$work/site" "$work/copy"
eval "$fresh_copy"
