#!/usr/bin/env bash
# Two builds of leafbind-cli on the same documents of real prose, taking turns round after round, so a busy moment of
# the machine hits both alike: CPU time (user + system), wall time, peak memory, the help file's size, each round's
# ratio of the two, the load average, and whether the two help files are the same byte for byte (both made at the
# same fixed time under the same name).
#
#   bench/cli/before_after.sh BEFORE_BUILD AFTER_BUILD [rounds=2] [headings...=500 2000 8000 32000]
#
# Documents (made once with the after build's generator, kept in $LEAFBIND_BENCH_DIR, default /tmp/leafbind-realtext):
# english-H-P.docx and chinese-H-P.docx, H headings and P H paragraphs (P=$PER_HEADING, default 10) of the prose
# real_text.sh gathers (run it once first), 100 tables, 200 PNG pictures, 800 links. LANGUAGES="english" limits the
# documents. The 32,000-heading documents' main part inflates to about 100 MB, which the package's limits allow since
# its compressed bytes account for it. On a busy machine compare CPU time, not wall time: the load average before and
# after each pair of runs is printed, and wall / CPU says how much of the run both cores shared only on an idle one.
set -euo pipefail
before=$(realpath "$1")
after=$(realpath "$2")
rounds=${3:-2}
shift $(($# < 3 ? $# : 3))
headings=("${@:-500 2000 8000 32000}")
read -r -a headings <<<"${headings[*]}"
dir=${LEAFBIND_BENCH_DIR:-/tmp/leafbind-realtext}
languages=${LANGUAGES:-english chinese}
per=${PER_HEADING:-10}

for language in $languages; do
    [ -s "$dir/$language.txt" ] || { echo "no $dir/$language.txt: run bench/cli/real_text.sh once first" && exit 1; }
    for h in "${headings[@]}"; do
        [ -s "$dir/$language-$h-$per.docx" ] ||
            "$after/bin/leafbind_realtext_docx" "$dir/$language.txt" "$dir/$language-$h-$per.docx" "$h" $((h * per)) \
                >/dev/null
    done
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The help file holds the time of its compile and its own name: both runs get the same stopped clock (faketime)
# and name.
command -v faketime >/dev/null || { echo "needs faketime (apt-get install faketime)" && exit 1; }
mkdir -p "$work/before" "$work/after"
# Run folders of their own: other programs' runs (tests) may be clearing the user's cache folder meanwhile.
export XDG_CACHE_HOME="$work/cache"

run() { # build, document, output; prints CPU seconds, wall seconds, peak MiB
    /usr/bin/time -f "%U %S %e %M" -o "$work/time" faketime -f '2026-01-01 00:00:00' "$1/bin/leafbind-cli" "$2" -o "$3" \
        --quiet >/dev/null 2>"$work/err" || {
        echo "failed: $1 on $2" >&2
        tail -3 "$work/err" >&2
        return 1
    }
    read -r user system wall kilobytes <"$work/time"
    echo "$(echo "$user + $system" | bc) $wall $(echo "$kilobytes / 1024" | bc)"
}

# Per build: CPU time (user + system), wall time, wall / CPU (below 1 when both cores work at once; meaningful only
# on an idle machine, whose load the last column shows), peak resident memory.
printf '%-8s %6s %5s | %-32s | %-32s | %s\n' document headings round "before: CPU wall wall/CPU peak" \
    "after: CPU wall wall/CPU peak" "CPU before/after, sizes, same, load"
for language in $languages; do
    for h in "${headings[@]}"; do
        doc="$dir/$language-$h-$per.docx"
        for ((round = 1; round <= rounds; ++round)); do
            load=$(cut -d' ' -f1 /proc/loadavg)
            read -r bc bw bm < <(run "$before" "$doc" "$work/before/help.chm")
            read -r ac aw am < <(run "$after" "$doc" "$work/after/help.chm")
            same=differ
            cmp -s "$work/before/help.chm" "$work/after/help.chm" && same=same
            printf '%-8s %6s %5s | %6.2f s %6.2f s %5.2f %4s MiB | %6.2f s %6.2f s %5.2f %4s MiB | %.2fx, %s / %s bytes, %s, load %s to %s\n' \
                "$language" "$h" "$round" "$bc" "$bw" "$(echo "$bw / $bc" | bc -l)" "$bm" \
                "$ac" "$aw" "$(echo "$aw / $ac" | bc -l)" "$am" "$(echo "$bc / $ac" | bc -l)" \
                "$(stat -c %s "$work/before/help.chm")" "$(stat -c %s "$work/after/help.chm")" "$same" \
                "$load" "$(cut -d' ' -f1 /proc/loadavg)"
        done
    done
done
