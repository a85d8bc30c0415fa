#!/usr/bin/env bash
# The whole run on documents of real prose: leafbind-cli, pandoc and LibreOffice (both making HTML only) take turns
# on the same .docx files, round after round, so that a busy moment of the machine hits every program alike.
#
#   bench/cli/real_text.sh [build-dir] [rounds=3]
#
# Documents (made once, kept in $LEAFBIND_BENCH_DIR, default /tmp/leafbind-realtext):
#   english.docx  2,000 headings, ~20,000 paragraphs of English from the manual pages and licences on this machine
#   chinese.docx  the same shape, Chinese from the Chinese manual pages (manpages-zh)
#   empty.docx    1,000,000 empty paragraphs under 100 headings
# Prints each run (seconds, peak MiB) and, per document and program, the best time and its peak memory.
# PERF=1 also records the whole run of leafbind-cli on each document with perf (all threads) into the folder.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-3}
dir=${LEAFBIND_BENCH_DIR:-/tmp/leafbind-realtext}
mkdir -p "$dir"

# What the benchmark needs from Debian: the programs to compare with, the Chinese prose, GNU time.
need=()
command -v pandoc >/dev/null || need+=(pandoc)
command -v soffice >/dev/null || need+=(libreoffice-writer-nogui)
dpkg -s manpages-zh >/dev/null 2>&1 || need+=(manpages-zh) # other packages put a few pages there too
[ -x /usr/bin/time ] || need+=(time)
command -v bc >/dev/null || need+=(bc)
command -v col >/dev/null || need+=(bsdextrautils)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Prose paragraphs from manual pages: rendered one paragraph a line, kept when they read as sentences.
man_prose() { # folder with man pages, minimum characters, minimum page KB, most pages
    # The longer pages hold most of the prose; a few hundred of them give tens of thousands of paragraphs.
    find "$1" -name '*.gz' -size +"$3"k | sort | head -n "$4" | while read -r page; do
        MANWIDTH=4000 man -P cat -l "$page" 2>/dev/null | col -bx | sed -e 's/^ *//' -e 's/ *$//' |
            grep -v '   ' | awk -v min="$2" 'length($0) >= min && /[.。]$/' || true
    done
}

if [ ! -s "$dir/english.txt" ]; then
    {
        # The licences: paragraphs are separated by blank lines and wrapped, so join their lines.
        for f in /usr/share/common-licenses/*; do
            [ -f "$f" ] && awk 'BEGIN { RS = "" } { gsub(/[ \t]*\n[ \t]*/, " "); sub(/^ +/, ""); if (length($0) >= 80) print }' "$f"
        done
        man_prose /usr/share/man/man1 100 5 400
        man_prose /usr/share/man/man8 100 4 100
    } | awk '!seen[$0]++' >"$dir/english.txt"
fi
if [ ! -s "$dir/chinese.txt" ]; then
    man_prose /usr/share/man/zh_CN 60 0 2000 | grep -P '[\x{4e00}-\x{9fff}]' | awk '!seen[$0]++' >"$dir/chinese.txt"
fi
printf 'prose: English %s paragraphs (%s KB), Chinese %s paragraphs (%s KB)\n' \
    "$(wc -l <"$dir/english.txt")" "$(($(stat -c %s "$dir/english.txt") / 1024))" \
    "$(wc -l <"$dir/chinese.txt")" "$(($(stat -c %s "$dir/chinese.txt") / 1024))"

gen="$build/bin/leafbind_realtext_docx"
[ -s "$dir/english.docx" ] || "$gen" "$dir/english.txt" "$dir/english.docx"
[ -s "$dir/chinese.docx" ] || "$gen" "$dir/chinese.txt" "$dir/chinese.docx"
[ -s "$dir/empty.docx" ] || "$gen" --empty "$dir/empty.docx"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results="$dir/results.txt"
: >"$results"

measure() { # document, program, the file it makes, command...
    local doc=$1 program=$2 made=$3
    shift 3
    rm -rf "$work/out" && mkdir -p "$work/out"
    # LibreOffice exits 0 when it cannot load a document: only the file it makes tells.
    if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || [ ! -s "$made" ]; then
        echo "$doc $program failed:" && tail -3 "$work/err"
        return 0
    fi
    read -r seconds user system kilobytes <"$work/time"
    # Wall time first (what "best" sorts by), then CPU time (user + system): on a busy machine only the latter
    # means much.
    printf '%-8s %-12s %7.2f s %7.2f s CPU %7.1f MiB  round %s load %s\n' "$doc" "$program" "$seconds" \
        "$(echo "$user + $system" | bc -l)" "$(echo "$kilobytes / 1024" | bc -l)" "$round" \
        "$(cut -d' ' -f1 /proc/loadavg)" | tee -a "$results"
}

for ((round = 1; round <= rounds; ++round)); do
    for doc in english chinese empty; do
        measure $doc leafbind "$work/out/$doc.chm" "$build/bin/leafbind-cli" "$dir/$doc.docx" -o "$work/out/$doc.chm" \
            --quiet
        measure $doc pandoc "$work/out/$doc.html" pandoc "$dir/$doc.docx" -s -o "$work/out/$doc.html" \
            --extract-media="$work/out/media"
        [ $doc = empty ] ||
            measure $doc libreoffice "$work/out/$doc.html" soffice --headless -env:UserInstallation=file://"$work/lo-profile" \
                --convert-to html --outdir "$work/out" "$dir/$doc.docx"
    done
done

echo "best of $rounds rounds (peak memory of that run):"
sort -k1,1 -k2,2 -k3,3n "$results" | awk '!best[$1 " " $2]++'
echo "within each round, the other program's time over leafbind's (wall / CPU):"
awk '{ wall[$1 " " $2 " " $11] = $3; cpu[$1 " " $2 " " $11] = $5; seen[$1 " " $11] = 1 }
     END { for (k in seen) { split(k, p, " ");
               for (other in wall) { split(other, o, " ");
                   if (o[1] == p[1] && o[3] == p[2] && o[2] != "leafbind" && ((p[1] " leafbind " p[2]) in wall))
                       printf "%-8s round %s %-12s %5.1fx / %5.1fx\n", p[1], p[2], o[2],
                           wall[other] / wall[p[1] " leafbind " p[2]], cpu[other] / cpu[p[1] " leafbind " p[2]] } } }' \
    "$results" | sort

if [ "${PERF:-0}" = 1 ]; then
    mkdir -p "$work/out"
    for doc in english chinese; do
        perf record -g -o "$dir/perf-$doc.data" "$build/bin/leafbind-cli" "$dir/$doc.docx" -o "$work/out/$doc.chm" \
            --quiet 2>/dev/null
        perf report -i "$dir/perf-$doc.data" --no-children --sort dso,symbol --stdio 2>/dev/null |
            grep -E '^ +[0-9]' | head -25 >"$dir/perf-$doc.txt" || true # head ends the pipe early
        echo "profile of $doc: $dir/perf-$doc.txt"
    done
fi
