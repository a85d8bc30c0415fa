#!/usr/bin/env bash
# Fails when a layer includes a header, or links a library, that its row of the layer table in docs/style.md does
# not allow. Usage: check-includes.sh [tree root], the repository by default.
#
# Each row below is one layer: its folders (a sub-folder listed apart is a layer of its own; the longest folder
# that holds a file decides its layer), a colon, then what it may include besides itself: layer folders, or single
# headers a layer offers to those above it. Quoted includes are looked up beside the including file first, then
# from the root, as the compiler does; one that names no file of the tree fails too. Every C++ file outside tests,
# benchmarks and examples must sit in a layer, so a new folder needs its row here and in the table.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

rules='
docbuilder                  :
base                        :
automation                  : base
word                        : base automation
docserver/package           : base automation
docserver/model             : base automation docserver/package
docserver/docx              : base automation docserver/package docserver/model
docserver/html              : base automation docserver/package docserver/model docserver/docx
docserver/objects docserver : base automation docserver/package docserver/model docserver/docx docserver/html
chm                         : base
book                        : base
helpproject                 : base automation word book chm/hha.h
webhelp                     : base automation word book
engine                      : base automation word book helpproject webhelp
cli                         : base automation word book helpproject webhelp engine docserver/DocumentServer.h
app                         : base automation word book helpproject webhelp engine docserver/DocumentServer.h
app/manual                  : base automation word book helpproject webhelp engine docserver/DocumentServer.h app cli docbuilder'

# Every file of the tree, so includes can be resolved; build folders, hidden folders and what stands above every
# layer are left out.
files=$(find . -mindepth 1 \( -path './build*' -o -path './.*' -o -path ./tests -o -path ./bench -o -path ./examples \
    -o -path ./scripts -o -path ./docs -o -path ./packaging \) -prune -o -type f -print | sed 's|^\./||' | sort)
sources=$(grep -E '\.(cpp|h)$' <<<"$files" || true)
makefiles=$(grep -E '(^|/)CMakeLists\.txt$' <<<"$files" || true)

{
    printf '%s\n' "$rules" | sed 's/^/R\t/'
    printf '%s\n' "$files" | sed 's/^/F\t/'
    printf '%s\n' "$sources" | sed 's/^/S\t/'
    if [ -n "$sources" ]; then
        # shellcheck disable=SC2086 # file names hold no blanks
        grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' $sources | sed 's/^/I\t/; s/:/\t/' || true
    fi
    for makefile in $makefiles; do
        # One command a line, however many lines it spans.
        sed 's/#.*//' "$makefile" | tr '\n' ' ' | sed 's/)/)\n/g' |
            grep -oE '(add_library|add_executable|target_link_libraries)[[:space:]]*\([^)]*' |
            tr -s ' \t(' '  ' | sed "s|^|C\t$makefile\t|" || true
    done
} | awk -F'\t' '
    function Fail(message) {
        print message > "/dev/stderr"
        failed = 1
    }
    # The layer a path belongs to: its longest folder that starts a row, or "" for none.
    function LayerOf(path,    best, folder) {
        best = ""
        for (folder in layerOfFolder)
            if (index(path, folder "/") == 1 && length(folder) > length(best))
                best = folder
        return best == "" ? "" : layerOfFolder[best]
    }
    function Allowed(from, path,    layer) {
        layer = LayerOf(path)
        return layer == from || ((from SUBSEP layer) in allowedLayer) || ((from SUBSEP path) in allowedHeader)
    }
    $1 == "R" {
        if ($2 !~ /:/)
            next
        split($2, sides, ":")
        n = split(sides[1], folders, " ")
        for (i = 1; i <= n; ++i)
            layerOfFolder[folders[i]] = folders[1]
        allowedText[folders[1]] = sides[2]
        next
    }
    $1 == "F" {
        exists[$2] = 1
        next
    }
    # Rows name folders that may come later in the table, so they are resolved once the first file arrives.
    !resolved {
        for (layer in allowedText) {
            n = split(allowedText[layer], entries, " ")
            for (i = 1; i <= n; ++i) {
                if (entries[i] in layerOfFolder)
                    allowedLayer[layer SUBSEP layerOfFolder[entries[i]]] = 1
                else
                    allowedHeader[layer SUBSEP entries[i]] = 1
            }
        }
        resolved = 1
    }
    $1 == "S" {
        if (LayerOf($2) == "")
            Fail($2 ": in no layer; give its folder a row in scripts/check-includes.sh and docs/style.md")
        next
    }
    $1 == "I" {
        file = $2
        from = LayerOf(file)
        if (from == "")
            next
        split($3, parts, ":")
        line = parts[1]
        included = $3
        sub(/^[^"<]*["<]/, "", included)
        sub(/[">].*$/, "", included)
        folder = file
        sub(/\/[^\/]*$/, "", folder)
        if ((folder "/" included) in exists)
            target = folder "/" included
        else if (included in exists)
            target = included
        else if ($3 ~ /</ || included ~ /\.inc$/)
            next # a system header, or a table the build generates
        else {
            Fail(file ":" line ": includes " included ", which names no file beside it nor from the root")
            next
        }
        if (!Allowed(from, target))
            Fail(file ":" line ": includes " target "; " from "/ may not include that (docs/style.md)")
        next
    }
    $1 == "C" {
        n = split($3, words, " ")
        if (words[1] == "add_library" || words[1] == "add_executable") {
            libraryLayer[words[2]] = LayerOf($2)
            libraryMakefile[words[2]] = $2
            next
        }
        links[++linkCount] = $2 "\t" $3
        next
    }
    END {
        # Libraries may be named before the folder that makes them is read, so links are judged last.
        for (k = 1; k <= linkCount; ++k) {
            split(links[k], link, "\t")
            from = LayerOf(link[1])
            if (from == "")
                continue
            n = split(link[2], words, " ")
            for (i = 3; i <= n; ++i) {
                if (!(words[i] in libraryLayer) || libraryLayer[words[i]] == from)
                    continue
                layer = libraryLayer[words[i]]
                ok = (from SUBSEP layer) in allowedLayer
                for (key in allowedHeader) {
                    split(key, pair, SUBSEP)
                    if (pair[1] == from && LayerOf(pair[2]) == layer)
                        ok = 1
                }
                if (!ok)
                    Fail(link[1] ": links " words[i] " (" libraryMakefile[words[i]] "); " from \
                         "/ may not use that layer (docs/style.md)")
            }
        }
        exit failed
    }'
