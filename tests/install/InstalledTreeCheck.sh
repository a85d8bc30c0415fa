# Checks shared by the install and package tests: sourced, not run. Every check that fails says why and ends the
# test with a non-zero status.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# expect_files ROOT PATH...: each PATH exists under ROOT.
expect_files() {
    local root=$1
    shift
    for path in "$@"; do
        [ -e "$root/$path" ] || fail "not installed: $path"
    done
}

# expect_runpath FILE RUNPATH: the ELF file's RUNPATH is exactly RUNPATH.
expect_runpath() {
    local found
    found=$(readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    [ "$found" = "$2" ] || fail "$1: RUNPATH is '$found', expected '$2'"
}

# check_man_pages ROOT: the two command-line programs' man pages name every option their --help lists, and have
# exit statuses and an example.
check_man_pages() {
    local root=$1 page option
    for program in leafbind-cli leafbind-hhc; do
        page=$(zcat "$root/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
        for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" EXAMPLE; do
            grep -q "^\.SH $section\$" <<<"$page" || fail "$program.1 has no $section section"
        done
        "$root/bin/$program" --help >"$work/help.txt" || fail "$program --help exits with status $?"
        for option in $(grep -o -- '--[a-z][a-z-]*' "$work/help.txt" | sort -u); do
            grep -q -- "$option" <<<"$page" || fail "$program.1 does not mention $option"
        done
    done
}

# check_desktop_entry FILE: a valid entry that passes the file and declares both Word types.
check_desktop_entry() {
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$1" || fail "desktop-file-validate rejects $1"
    fi
    grep -q '^Exec=leafbind %f$' "$1" || fail "the desktop entry does not pass the file: $(grep ^Exec= "$1")"
    local types
    types=$(sed -n 's/^MimeType=//p' "$1")
    for type in application/vnd.openxmlformats-officedocument.wordprocessingml.document application/msword; do
        [[ ";$types" == *";$type;"* ]] || fail "the desktop entry does not declare $type"
    done
}

# check_chm FILE NAME...: chmlib opens FILE and lists each NAME (a pattern for grep -E) among its entries.
check_chm() {
    local file=$1
    shift
    enum_chmLib "$file" >"$work/entries.txt" || fail "chmlib cannot open $file"
    for name in "$@"; do
        grep -Eq "$name" "$work/entries.txt" || fail "$file has no entry matching $name"
    done
}

# private_libdir ROOT: the folder under ROOT/lib that holds libhha.so ("lib/leafbind" or "lib/TRIPLET/leafbind").
private_libdir() {
    local found
    found=$(cd "$1" && ls -d lib/leafbind lib/*/leafbind 2>/dev/null | head -n 1)
    [ -n "$found" ] && [ -f "$1/$found/libhha.so" ] || fail "no private library folder with libhha.so under $1/lib"
    echo "$found"
}
