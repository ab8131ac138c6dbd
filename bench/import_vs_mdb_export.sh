#!/bin/bash
# `tabulon import` and the build of the imported site's database, as whole processes, next to
# mdb-export reading every table of the same file: wall time (hyperfine) and peak RSS
# (/usr/bin/time). Sources: a 1,000,000-row table our writer makes, and the Access-made
# reference files when ../shared is there.
#   bench/import_vs_mdb_export.sh BUILD_DIR [TABULON] [RUNS]
# TABULON defaults to BUILD_DIR/tabulon: pass another build's binary to compare.
set -euo pipefail
build=$(realpath "$1")
tabulon=$(realpath "${2:-$build/tabulon}")
runs=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
shared=${TABULON_SHARED_DIR:-$here/../../shared}
work=${TMPDIR:-/tmp}/tabulon-bench-import
mkdir -p "$work"
million=$work/一百万行.mdb
[ -f "$million" ] || "$build/bench/bench_rows_file" "$million" 1000000

sources=("$million")
if [ -d "$shared/docs/jet4-reference/access-made" ]; then
    while IFS= read -r f; do sources+=("$f"); done < <(find "$shared/docs/jet4-reference/access-made" \
        -name '*.mdb' -o -name '*.accdb' | sort)
else
    echo "# $shared/docs/jet4-reference is absent: only the million-row table" >&2
fi

# Peak RSS in MB and wall seconds of one run of a command, by /usr/bin/time.
peak() {
    /usr/bin/time -f '%M %e' -o "$work/time.txt" "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    read -r kb seconds < "$work/time.txt"
    printf '%.1f MB %.2f s' "$(echo "$kb / 1024" | bc -l)" "$seconds"
}

# mdb-export of every user table, as one process.
export_all() {
    local file=$1
    mdb-tables -1 "$file" | while IFS= read -r table; do mdb-export "$file" "$table"; done
}
export -f export_all

printf '%-34s %9s %22s %22s %22s %8s\n' file MB import build mdb-export ratio
for source in "${sources[@]}"; do
    run=$work/run
    rm -rf "$run" && mkdir -p "$run"
    project=bench
    importCmd=("$tabulon" --run-dir "$run" import "$source" --project "$project" --replace)
    buildCmd=("$tabulon" --run-dir "$run" database "$project")
    imported=$(peak "${importCmd[@]}")
    built=$(peak "${buildCmd[@]}")
    exported=$(peak bash -c 'export_all "$0"' "$source")
    # Wall time: the mean of several runs each (more for small files, where starting the
    # process is most of it); every import starts without the site database of the last.
    n=$runs
    [ "$(stat -c %s "$source")" -lt 10000000 ] && n=$((runs < 10 ? 10 : runs))
    hyperfine --shell=bash -r "$n" -w 1 --export-json "$work/h.json" --prepare "rm -f $(printf '%q' "$run/$project/data/data.mdb")" \
        "$(printf '%q ' "${importCmd[@]}")" "bash -c 'export_all $(printf '%q' "$source")'" > /dev/null 2> "$work/hyperfine.log" ||
        { cat "$work/hyperfine.log" >&2; exit 1; }
    ratio=$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.2f" % (r[0]["mean"]/r[1]["mean"]))' "$work/h.json")
    size=$(echo "$(stat -c %s "$source") / 1000000" | bc -l)
    printf '%-34s %9.1f %22s %22s %22s %8s\n' "$(basename "$(dirname "$source")")/$(basename "$source")" "$size" \
        "$imported" "$built" "$exported" "$ratio"
done
echo "# import, build (tabulon database) and mdb-export: peak RSS and wall time of one run;"
echo "# ratio: mean wall time of import / mdb-export (hyperfine; $runs runs, 10 for files under 10 MB)."
