#!/usr/bin/env bash
# The whole conversion of the large generated document (2,000 headings, 20,000 paragraphs, 200 pictures),
# against pandoc turning the same .docx into HTML, in one run on one machine: wall time and peak memory.
# Usage: bench/cli/whole_run.sh [build-dir]   (needs pandoc and GNU time: apt-get install pandoc time)
set -euo pipefail
build=${1:-build}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work" "${TMPDIR:-/tmp}/leafbind-bench-large.docx"' EXIT
LEAFBIND_BENCH_KEEP=1 "$bin/leafbind_docserver_bench" "${HEADINGS:-2000}" "${PARAGRAPHS:-20000}" "${PICTURES:-200}" >/dev/null # leaves the document in the temporary folder
docx="${TMPDIR:-/tmp}/leafbind-bench-large.docx"

measure() { # label, command...
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        echo "$label failed:"
        tail -3 "$work/err"
        return 1
    }
    read -r seconds kilobytes <"$work/time"
    printf '%-12s %8.2f s %8.1f MiB peak\n' "$label" "$seconds" "$(echo "$kilobytes / 1024" | bc -l)"
}

measure leafbind "$bin/leafbind-cli" "$docx" -o "$work/large.chm" --quiet
measure pandoc pandoc "$docx" -s -o "$work/large.html" --extract-media="$work/media"
printf 'help file: %s bytes\n' "$(stat -c %s "$work/large.chm")"
