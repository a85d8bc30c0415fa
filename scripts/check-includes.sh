#!/usr/bin/env bash
# Fails when a layer includes a header of a layer above it (docs/style.md). Layers lowest first; folders on one
# line are one layer, and a sub-folder listed before its parent is a layer of its own. Includes named bare stay in
# their own folder; tests, benchmarks and examples sit above every layer.
set -euo pipefail
cd "$(dirname "$0")/.."
layers='
docbuilder
base
automation
word
docserver/package
docserver/model
docserver/docx
docserver/html
docserver/objects docserver
chm
book
helpproject
webhelp
engine
cli
app'

git grep -nE '^#include "[^"]+/[^"]+"' -- '*.cpp' '*.h' | awk -v layers="$layers" '
    BEGIN {
        count = split(layers, lines, "\n")
        for (i = 1; i <= count; ++i) {
            n = split(lines[i], folders, " ")
            for (j = 1; j <= n; ++j)
                order[++known] = folders[j]
            for (j = 1; j <= n; ++j)
                level[folders[j]] = i
        }
    }
    function Rank(path,    i) {
        for (i = 1; i <= known; ++i)
            if (index(path, order[i] "/") == 1)
                return level[order[i]]
        return 0
    }
    {
        split($0, parts, ":")
        file = parts[1]
        included = $0
        sub(/^[^"]*"/, "", included)
        sub(/".*$/, "", included)
        from = Rank(file)
        if (from && Rank(included) > from) {
            print file ":" parts[2] ": includes " included ", a header of a higher layer" > "/dev/stderr"
            failed = 1
        }
    }
    END { exit failed }'
