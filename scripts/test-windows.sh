#!/usr/bin/env bash
# Tests the Windows build under Wine: builds it (scripts/build-windows.sh) and the Linux programs it is compared
# with, then, under a Western (1252) and a Chinese (936) system code page:
#  - the unit tests of base/, chm/, the engine and the command line, and the start of external programs;
#  - hha_caller, a C program calling hha.dll as the converter does (load by bare name, entry point by name, a
#    writable copy of the path in the system code page, the callback in both slots, unload; several compiles in
#    one process), and a missing library or entry point passing silently;
#  - the help files leafbind-hhc.exe makes from the projects the Linux converter writes for documents built in
#    code (German, Chinese, the example with its picture, the user manual), in a folder named with letters of that code page: every
#    file in them the same, byte for byte, as in the Linux compiler's (the compile time aside);
#  - the help files and web help leafbind-cli.exe makes from the same documents in a folder named "José 文档":
#    every file in them the same as in the Linux converter's; no folder of the run left behind; file names in its
#    messages unchanged;
#  - the installer and its uninstaller (Western pass only).
# Wine has no code page 54936 (GB18030): the Windows build converts GB18030 by tables of its own, made from the
# GNU C library's converter, so nothing here needs to step around it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS

linux=$root/build
[ -f "$linux/CMakeCache.txt" ] || cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux" -j"$(nproc)" --target leafbind-cli leafbind-hhc hha leafbind-comparison-docs \
    leafbind-example-docx leafbind-manual-docx leafbind-manual >/dev/null
scripts/build-windows.sh
windows=$root/build-windows/bin
dpkg -s python3-chm >/dev/null 2>&1 || {
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q python3-chm
}
locale -a | grep -qx 'zh_CN.utf8' || localedef -i zh_CN -f UTF-8 zh_CN.UTF-8

work=$(mktemp -d)
cleanup() {
    for prefix in "$work"/wine-*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all
passed=0
failed=0
check() { # NAME COMMAND...: one line per check, counted
    if "$@" >"$work/check.log" 2>&1; then
        passed=$((passed + 1))
        echo "ok   $name"
    else
        failed=$((failed + 1))
        echo "FAIL $name"
        sed 's/^/     /' "$work/check.log" | tail -20
    fi
}
prints() { # PATTERN COMMAND...: the command succeeds and all it prints, standard error too, matches PATTERN
    local pattern=$1 output
    shift
    output=$("$@" 2>&1 | tr -d '\r') || { echo "$output"; return 1; }
    echo "$output"
    [[ $output == $pattern ]]
}
windows_path() { # PATH: the Windows form of PATH in this prefix
    # A run once stopped among these steps without a word: ask twice, and say so if Wine still gives no answer.
    WINEPREFIX=$prefix winepath -w "$1" 2>/dev/null || { sleep 1 && WINEPREFIX=$prefix winepath -w "$1"; } || {
        echo "winepath gave no Windows path for $1" >&2
        return 1
    }
}
fails_saying() { # TEXT COMMAND...: the command fails and what it prints, standard error too, holds TEXT
    local text=$1 output
    shift
    ! output=$("$@" 2>&1 | tr -d '\r') || { echo "$output"; return 1; }
    echo "$output"
    [[ $output == *"$text"* ]]
}
# Linux: the projects and their documents, made once; the Windows compiler gets copies of the projects.
"$linux/bin/leafbind-comparison-docs" "$work"
"$linux/bin/leafbind-example-docx" "$work/example.docx"
"$linux/bin/leafbind-manual-docx" "$work/manual.docx"
for document in german chinese example manual; do
    "$linux/bin/leafbind-cli" "$work/$document.docx" --quiet --keep "$work/projects/$document" \
        -o "$work/$document.chm"
done

for codepage in 1252 936; do
    if [ "$codepage" = 936 ]; then
        locale=zh_CN.UTF-8 folder=帮助文件
    else
        locale=C.UTF-8 folder=José
    fi
    # leafbind-hhc.exe runs with the UTF-8 code page (its manifest), so it takes names of any script whatever the
    # system's code page; an old caller of hha.dll passes names its code page holds.
    anyname="José 帮助文件"
    prefix=$work/wine-$codepage
    on_windows() { WINEPREFIX=$prefix LANG=$locale LC_ALL=$locale wine "$@"; }
    WINEPREFIX=$prefix LANG=$locale LC_ALL=$locale wineboot -i >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    echo "== Wine, system code page $codepage: leafbind-hhc.exe in \"$anyname\", hha_caller in \"$folder\""

    name="base unit tests ($codepage)" check on_windows "$windows/base_tests.exe"
    name="chm unit tests ($codepage)" check on_windows "$windows/chm_unit_tests.exe"
    name="engine and command line unit tests ($codepage)" check on_windows "$windows/engine_tests.exe"
    name="external programs: arguments, exit status, time limit ($codepage)" check \
        on_windows "$windows/docserver_platform_tests.exe"

    # One project folder per document, its project compiled to a name of its own.
    for document in german chinese example manual; do
        here=$work/$codepage/$anyname/$document
        mkdir -p "$here"
        cp -r "$work/projects/$document/." "$here/"
        LC_ALL=C sed -i "s/^Compiled file=.*\r\$/Compiled file=$document.chm\r/" "$here/$document.hhp"
        "$linux/bin/leafbind-hhc" "$here/$document.hhp" 2>/dev/null
        mv "$here/$document.chm" "$here/$document-linux.chm"
        project=$(windows_path "$here/$document.hhp")
        name="leafbind-hhc.exe: $document ($codepage)" check on_windows "$windows/leafbind-hhc.exe" "$project"
        name="same files as Linux: $document ($codepage)" check "$root/scripts/compare-chm.py" \
            "$here/$document-linux.chm" "$here/$document.chm"
    done

    # The caller: three compiles in one process, the path in the system code page (Wine converts this argument).
    here=$work/$codepage/$folder/example
    mkdir -p "$here"
    cp -r "$work/$codepage/$anyname/example/." "$here/"
    rm -f "$here/example.chm"
    project=$(windows_path "$here/example.hhp")
    name="hha_caller: three compiles, library unloaded after each ($codepage)" check \
        prints 'calls=3 callbacks=[1-9]*' on_windows "$windows/hha_caller.exe" compile "$project" 3
    name="hha_caller: the help file it made is the Linux one ($codepage)" check "$root/scripts/compare-chm.py" \
        "$here/example-linux.chm" "$here/example.chm"
    for mode in no-library no-entry; do
        name="hha_caller: $mode passes silently ($codepage)" check \
            prints 'calls=0 callbacks=0' on_windows "$windows/hha_caller.exe" "$mode"
    done
    # The converter: leafbind-cli.exe turns the documents (German, Chinese, the example with its picture) into help
    # files in a folder named with letters of several scripts, with the document server standing in for Word as on
    # Linux; each help file holds the same files as the Linux converter's of the same document in a folder of the
    # same name (the compile time aside). Wine has no HTML engine, which only the desktop program's viewer needs.
    docs=$work/$codepage/"José 文档"
    mkdir -p "$docs/linux"
    for document in german chinese example; do
        cp "$work/$document.docx" "$docs/$document.docx"
        "$linux/bin/leafbind-cli" "$docs/$document.docx" --quiet -o "$docs/linux/$document.chm" \
            --web "$docs/linux/$document 网页"
        source=$(windows_path "$docs/$document.docx")
        name="leafbind-cli.exe: $document ($codepage)" check on_windows "$windows/leafbind-cli.exe" "$source" --quiet \
            --web "${source%.docx} 网页"
        name="leafbind-cli.exe: same files as Linux: $document ($codepage)" check "$root/scripts/compare-chm.py" \
            "$docs/linux/$document.chm" "$docs/$document.chm"
        name="leafbind-cli.exe: same web help as Linux: $document ($codepage)" check \
            diff -r "$docs/linux/$document 网页" "$docs/$document 网页"
    done
    # Nothing of the run is left behind: its working folder (in the Windows temporary folder) and the folder the
    # help file was made in beside its place are gone.
    name="leafbind-cli.exe leaves no folder of its own behind ($codepage)" check \
        bash -c '! ls -A "$1" | grep -q "^\.leafbind-" && ! ls "$2" 2>/dev/null | grep -q "^leafbind-run-"' _ \
        "$docs" "$prefix/drive_c/users/$(id -un)/Temp"
    # Messages name files as given. A pipe has no console code page (Wine reports 0), so they reach it in the
    # process's own, the manifest's UTF-8, under either system code page; a console gets them as UTF-16.
    missing=$(windows_path "$docs/missing.docx")
    # The program speaks the user's language: Chinese under the Chinese locale, English under the Western one.
    no_such_file=$([ "$codepage" = 936 ] && echo "文件不存在" || echo "no such file")
    name="leafbind-cli.exe names the missing file as given ($codepage)" check \
        fails_saying "José 文档\\missing.docx: $no_such_file" on_windows "$windows/leafbind-cli.exe" "$missing"
    if [ "$codepage" = 1252 ]; then
        # The installer, silent: the package's files in the chosen folder, and its uninstaller takes back those
        # and nothing else (a file the user put there stays, and so does the folder holding it).
        installed=$prefix/drive_c/Leafbind
        on_windows "$root/build-windows/leafbind-windows-setup.exe" /S '/D=C:\Leafbind' >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w
        name="installer puts the package's files in place" check \
            diff <(cd "$root/build-windows/package/leafbind-windows" && ls) <(cd "$installed" && ls | grep -vx uninstall.exe)
        echo "mine" 2>/dev/null >"$installed/notes.txt" || true
        on_windows "$installed/uninstall.exe" /S >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w
        name="uninstaller removes its own files only" check \
            bash -c '[ "$(ls "$1")" = notes.txt ] && [ "$(cat "$1/notes.txt")" = mine ]' _ "$installed"
    fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
done

echo "test-windows: $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
