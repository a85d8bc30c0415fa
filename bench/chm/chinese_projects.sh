#!/usr/bin/env bash
# The help compiler on Chinese-heavy projects, ours against chmcmd, each as a process under GNU time (wall time and
# peak memory), search on and off:
#   random  2,000 pages of about 500 Chinese characters each, drawn at random from 3,000 (1M characters): the
#           worst case for the search index's word table
#   prose   2,000 pages of real Chinese prose from the Chinese manual pages, with 200 PNG pictures (320 x 200 noise,
#           which does not compress)
#   document  the pages, pictures and sitemaps Leafbind makes of bench/cli/real_text.sh's chinese.docx (2,000
#           headings of the same prose, tables, links, 200 pictures), when that document and leafbind-cli are
#           there: the realistic one, where the index's size against the pages is judged
#
#   bench/chm/chinese_projects.sh [build-dir] [rounds=2]
#
# Projects are made once and kept in $LEAFBIND_BENCH_DIR (default /tmp/leafbind-chm-chinese). Prints every run
# and the help files' sizes; the index's size is the difference between search on and off.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-2}
dir=${LEAFBIND_BENCH_DIR:-/tmp/leafbind-chm-chinese}
mkdir -p "$dir"
hhc="$build/bin/leafbind-hhc"

need=()
[ -d /usr/share/man/zh_CN ] || need+=(manpages-zh)
[ -x /usr/bin/time ] || need+=(time)
command -v col >/dev/null || need+=(bsdextrautils)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Paragraphs of Chinese prose: the manual pages rendered one paragraph a line, kept when they end a sentence.
if [ ! -s "$dir/chinese.txt" ]; then
    find /usr/share/man/zh_CN -name '*.gz' | sort | while read -r page; do
        MANWIDTH=4000 man -P cat -l "$page" 2>/dev/null | col -bx | sed -e 's/^ *//' -e 's/ *$//' |
            grep -v '   ' | awk 'length($0) >= 60 && /[.。]$/' || true
    done | grep -P '[\x{4e00}-\x{9fff}]' | awk '!seen[$0]++' >"$dir/chinese.txt"
fi

python3 - "$dir" <<'EOF'
import os, random, struct, sys, zlib
root = sys.argv[1]

def project(folder, pages, extra_files):
    os.makedirs(folder, exist_ok=True)
    files = []
    contents = ['<HTML><BODY><UL>']
    for i, body in enumerate(pages):
        name = f'{i}.html'
        title = f'\u4e3b\u9898 {i}'
        with open(os.path.join(folder, name), 'w', encoding='utf-8') as f:
            f.write(f'<html><head><meta charset=utf-8><title>{title}</title></head><body>\n{body}</body></html>\n')
        files.append(name)
        contents.append(f'<LI> <OBJECT type="text/sitemap"><param name="Name" value="{title}">'
                        f'<param name="Local" value="{name}"></OBJECT>')
    contents.append('</UL></BODY></HTML>')
    for name in ('t.hhc', 't.hhk'):
        with open(os.path.join(folder, name), 'w', encoding='gb18030') as f:
            f.write('\r\n'.join(contents) + '\r\n')
    for search in ('Yes', 'No'):
        with open(os.path.join(folder, 'search.hhp' if search == 'Yes' else 'nosearch.hhp'), 'w') as f:
            f.write('[OPTIONS]\r\nCompiled file=out.chm\r\nContents file=t.hhc\r\nIndex file=t.hhk\r\n'
                    f'Default topic=0.html\r\nTitle=Bench\r\nLanguage=0x804\r\nFull-text search={search}\r\n'
                    '[FILES]\r\n' + '\r\n'.join(files + extra_files) + '\r\n')

rng = random.Random(42)
if not os.path.exists(os.path.join(root, 'random', 'search.hhp')):
    chars = [chr(0x4e00 + i) for i in rng.sample(range(0x5200), 3000)]
    pages = []
    for i in range(2000):
        paragraphs = []
        for p in range(10):
            text = ''.join(rng.choice(chars) for _ in range(50))
            paragraphs.append(f'<p class=MsoNormal>{text} {rng.randrange(100000)}</p>\n')
        pages.append(''.join(paragraphs))
    project(os.path.join(root, 'random'), pages, [])

def png(width, height, seed):
    noise = random.Random(seed)
    rows = b''.join(b'\0' + bytes(noise.getrandbits(8) for _ in range(width * 3)) for _ in range(height))
    chunk = lambda kind, data: struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(rows, 6)) + chunk(b'IEND', b''))

if not os.path.exists(os.path.join(root, 'prose', 'search.hhp')):
    with open(os.path.join(root, 'chinese.txt'), encoding='utf-8') as f:
        prose = [line.strip() for line in f if line.strip()]
    os.makedirs(os.path.join(root, 'prose', 'images'), exist_ok=True)
    pictures = []
    for i in range(200):
        name = f'images/p{i}.png'
        with open(os.path.join(root, 'prose', name), 'wb') as f:
            f.write(png(320, 200, i))
        pictures.append(name)
    escape = lambda s: s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')
    pages = []
    at = 0
    for i in range(2000):
        body = f'<h1>{escape(prose[at % len(prose)][:30])}</h1>\n'
        for p in range(6):
            body += f'<p class=MsoNormal>{escape(prose[at % len(prose)])}</p>\n'
            at += 1
        if i % 10 == 0:
            body += f'<p><img src="{pictures[i // 10]}" width=320 height=200></p>\n'
        pages.append(body)
    project(os.path.join(root, 'prose'), pages, pictures)
EOF

# The document project: Leafbind's own help file of the Chinese document, taken apart again.
realtext=${LEAFBIND_REALTEXT_DIR:-/tmp/leafbind-realtext}
if [ ! -s "$dir/document/search.hhp" ] && [ -s "$realtext/chinese.docx" ] && [ -x "$build/bin/leafbind-cli" ]; then
    rm -rf "$dir/document" && mkdir -p "$dir/document"
    "$build/bin/leafbind-cli" "$realtext/chinese.docx" -o "$dir/document.chm" --quiet
    (cd "$dir/document" && extract_chmLib "$dir/document.chm" . >/dev/null && rm -rf '#'* '$'*)
    hhc=$(cd "$dir/document" && ls *.hhc) hhk=$(cd "$dir/document" && ls *.hhk)
    for search in Yes No; do
        {
            printf '[OPTIONS]\r\nCompiled file=out.chm\r\nContents file=%s\r\nIndex file=%s\r\n' "$hhc" "$hhk"
            printf 'Default topic=0.html\r\nTitle=Document\r\nLanguage=0x804\r\nFull-text search=%s\r\n[FILES]\r\n' $search
            (cd "$dir/document" && find . -type f ! -name '*.hh?' | sed -e 's|^\./||' -e 's/$/\r/' | sort -V)
        } >"$dir/document/$([ $search = Yes ] && echo search || echo nosearch).hhp"
    done
fi
projects="random prose"
[ -s "$dir/document/search.hhp" ] && projects+=" document"

run() { # label, program, project folder, project file
    local label=$1 program=$2 folder=$3 hhp=$4
    rm -f "$folder/out.chm"
    if ! (cd "$folder" && /usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$program" "$hhp" >/dev/null 2>"$dir/err"); then
        echo "$label failed:" && tail -3 "$dir/err"
        return 0
    fi
    read -r seconds user system kilobytes <"$dir/time"
    printf '%-28s %7.2f s wall %7.2f s CPU %7.1f MiB %11d bytes\n' "$label" "$seconds" \
        "$(echo "$user + $system" | bc -l)" "$(echo "$kilobytes / 1024" | bc -l)" "$(stat -c %s "$folder/out.chm")"
}

# Pictures are stored as they are, so the pages' share of a help file without search is its size less theirs.
for project in $projects; do
    pictures=$(find "$dir/$project" -type f \( -name '*.png' -o -name '*.jpg' -o -name '*.gif' \) -printf '%s\n' |
        awk '{ s += $1 } END { print s + 0 }')
    printf '%-10s pictures %d bytes\n' "$project" "$pictures"
done

for round in $(seq "$rounds"); do
    for project in $projects; do
        for hhp in search nosearch; do
            run "$project $hhp ours" "$hhc" "$dir/$project" "$hhp.hhp"
            if command -v chmcmd >/dev/null; then
                run "$project $hhp chmcmd" chmcmd "$dir/$project" "$hhp.hhp"
            fi
        done
    done
done
