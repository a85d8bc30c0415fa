#!/usr/bin/env bash
# The help compiler alone against chmcmd on the project Leafbind makes of a real document, like for like: the
# pages, contents and index that leafbind-cli --keep leaves, without the pictures (chmcmd would follow the pages'
# links and compress them too, where ours stores them as they are), compiled by both from one project file, as
# processes, taking turns. Prints each round's wall and CPU time, peak and ratio, with the load average before it,
# then the ratios' median and the help files' sizes:
#
#   bench/chm/kept_project.sh [build-dir] [document] [rounds=5]
#
# The document defaults to bench/cli/real_text.sh's English 2,000-heading one. The project is kept in
# $LEAFBIND_BENCH_DIR (default /tmp/leafbind-kept-project).
set -euo pipefail
build=$(realpath "${1:-build}")
document=${2:-${LEAFBIND_REALTEXT_DIR:-/tmp/leafbind-realtext}/english-2000-10.docx}
rounds=${3:-5}
dir=${LEAFBIND_BENCH_DIR:-/tmp/leafbind-kept-project}
hhc="$build/bin/leafbind-hhc"

need=()
command -v chmcmd >/dev/null || need+=(fp-utils)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
[ -s "$document" ] || { echo "no document $document: make it with bench/cli/real_text.sh" >&2; exit 2; }

if [ ! -s "$dir/pages/bench.hhp" ]; then
    rm -rf "$dir/kept" "$dir/pages" && mkdir -p "$dir/pages" # only what this script makes there
    "$build/bin/leafbind-cli" "$document" -o "$dir/whole.chm" --keep "$dir/kept" --quiet
    cp "$dir"/kept/*.html "$dir"/kept/*.hhc "$dir"/kept/*.hhk "$dir/pages/"
    # The font and language lines name them in the document's code page; both compilers get the same file, which
    # lists the pages alone.
    sed -e 's/^Compiled file=[^\r]*/Compiled file=out.chm/' -e '/^Default font=/d' -e '/^Language=/d' \
        "$dir"/kept/*.hhp | awk '/^\[/ { files = /^\[FILES\]/ } !files || /^\[/ || /\.html?\r?$/' \
        >"$dir/pages/bench.hhp"
fi

run() { # program; prints "wall cpu peak-MiB"
    rm -f "$dir/pages/out.chm"
    (cd "$dir/pages" && /usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$1" bench.hhp >/dev/null 2>&1)
    read -r seconds user system kilobytes <"$dir/time"
    echo "$seconds $(echo "$user + $system" | bc -l) $((kilobytes / 1024))"
}

ratios=()
for round in $(seq "$rounds"); do
    load=$(cut -d' ' -f1 /proc/loadavg)
    read -r ours ourCpu ourPeak < <(run "$hhc")
    ourSize=$(stat -c %s "$dir/pages/out.chm")
    read -r theirs theirCpu theirPeak < <(run chmcmd)
    theirSize=$(stat -c %s "$dir/pages/out.chm")
    ratio=$(echo "$theirs / $ours" | bc -l)
    ratios+=("$ratio")
    printf 'round %d (load %s): ours %.2f s wall %.2f s CPU %d MiB | chmcmd %.2f s wall %.2f s CPU %d MiB | %.1fx\n' \
        "$round" "$load" "$ours" "$ourCpu" "$ourPeak" "$theirs" "$theirCpu" "$theirPeak" "$ratio"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }')
printf 'median %.1fx; help files: ours %d bytes, chmcmd %d bytes\n' "$median" "$ourSize" "$theirSize"
