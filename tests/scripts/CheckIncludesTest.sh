#!/usr/bin/env bash
# The layer check passes on the tree as it is and fails on each include or link its layer table forbids, planted in
# a copy of the tree. Usage: CheckIncludesTest.sh <source root>.
set -uo pipefail
source=$(cd "$1" && pwd)
check="$source/scripts/check-includes.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
Report() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

if ! "$check" "$source" 2>"$scratch/tree.err"; then
    Report "the tree itself fails the check:"
    cat "$scratch/tree.err" >&2
fi

# The layer folders and their build files, without tests, build folders and the like.
mkdir "$scratch/pristine"
(cd "$source" && find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' ! -name tests ! -name bench \
    ! -name examples ! -name docs -print0 | xargs -0 -I{} cp -r {} "$scratch/pristine/")

# expect | file the line is added to | the line
rows=(
    'fail|chm/Planted.cpp|#include "docserver/package/ZipPackage.h"'
    'fail|chm/Planted.cpp|#  include <docserver/package/ZipPackage.h>'
    'fail|engine/Planted.cpp|#include "docserver/DocumentServer.h"'
    'fail|engine/Planted.cpp|#include "docserver/package/ZipPackage.h"'
    'fail|helpproject/Planted.cpp|#include "chm/ChmContainer.h"'
    'pass|helpproject/Planted.cpp|#include "chm/hha.h"'
    'fail|base/Planted.cpp|#include "automation/Bstr.h"'
    'pass|word/Planted.cpp|#include "automation/Bstr.h"'
    'fail|docserver/model/Planted.cpp|#include "docserver/docx/DocxReader.h"'
    'pass|docserver/docx/Planted.cpp|#include "docserver/model/DocumentModel.h"'
    'fail|cli/Planted.cpp|#include "docserver/html/HtmlExport.h"'
    'pass|cli/Planted.cpp|#include "docserver/DocumentServer.h"'
    'fail|app/Planted.cpp|#include "cli/CommandLine.h"'
    'pass|app/manual/Planted.cpp|#include "cli/CommandLine.h"'
    'fail|word/Planted.cpp|#include "Bstr.h"'
    'pass|automation/Planted.cpp|#include "Bstr.h"'
    'fail|newoutput/Planted.cpp|int planted;'
    'fail|webhelp/Planted.cpp|#include "helpproject/ChmOutput.h"'
    'pass|webhelp/Planted.cpp|#include "book/HelpBook.h"'
    'fail|engine/CMakeLists.txt|target_link_libraries(leafbind_converter PRIVATE\n    leafbind_docserver_package)'
    'pass|engine/CMakeLists.txt|target_link_libraries(leafbind_converter PRIVATE leafbind_base)'
    'fail|chm/CMakeLists.txt|target_link_libraries(chm_core PUBLIC leafbind_automation)'
    'pass|cli/CMakeLists.txt|target_link_libraries(leafbind-cli PRIVATE leafbind_docserver)'
)

tree="$scratch/pristine"
for row in "${rows[@]}"; do
    IFS='|' read -r expect file line <<<"$row"
    folder=$(dirname "$file")
    madeFolder=
    [ -d "$tree/$folder" ] || madeFolder=$folder
    mkdir -p "$tree/$folder"
    [ -e "$tree/$file" ] && cp "$tree/$file" "$scratch/original"
    printf '%b\n' "$line" >>"$tree/$file"
    if "$check" "$tree" 2>"$scratch/err"; then
        [ "$expect" = pass ] || Report "$file with '$line' passed the check"
    else
        if [ "$expect" = pass ]; then
            Report "$file with '$line' failed the check:"
            cat "$scratch/err" >&2
        elif ! grep -q "^$file" "$scratch/err"; then
            Report "$file with '$line' failed without naming the file:"
            cat "$scratch/err" >&2
        fi
    fi
    # Back to the tree as it was for the next row.
    if [ -e "$scratch/original" ]; then
        mv "$scratch/original" "$tree/$file"
    else
        rm "$tree/$file"
    fi
    [ -z "$madeFolder" ] || rm -r "${tree:?}/$madeFolder"
done

echo "${#rows[@]} planted rows, $failures failures"
[ "$failures" -eq 0 ]
