#!/usr/bin/python3 -I
"""Compares two help files file by file, read with chmlib: the same names and the same bytes in each. The two
files that carry the compile's time (#SYSTEM and #IDXHDR) may differ in four-byte fields holding that time and
nowhere else; the compressed stream that holds them and its reset table are left out (every file in it is compared on its own).
Usage: compare-chm.py A.chm B.chm   (exit status 0 when they match; the differences on stderr otherwise)"""
import sys

from chm import chmlib

TIMESTAMPED = {"/#SYSTEM", "/#IDXHDR"}
COMPRESSED_STREAM = ("::DataSpace/Storage/MSCompressed/Content", "::DataSpace/Storage/MSCompressed/Transform/")


def read_all(path):
    handle = chmlib.chm_open(path.encode())
    if not handle:
        sys.exit(f"{path}: not a help file chmlib can open")
    names = []

    def collect(_handle, unit, _context):
        names.append(unit.path.decode("latin-1"))
        return chmlib.CHM_ENUMERATOR_CONTINUE

    chmlib.chm_enumerate(handle, chmlib.CHM_ENUMERATE_ALL, collect, None)
    files = {}
    for name in names:
        status, unit = chmlib.chm_resolve_object(handle, name.encode("latin-1"))
        if status != chmlib.CHM_RESOLVE_SUCCESS:
            sys.exit(f"{path}: {name} is listed but cannot be found")
        length, data = chmlib.chm_retrieve_object(handle, unit, 0, unit.length)
        files[name] = data[:length] if length else b""
    chmlib.chm_close(handle)
    return files


def only_a_timestamp_differs(a, b):
    """Every differing byte lies in a four-byte field, and each such field holds the same value in a as the
    others do, and likewise in b: one time, written wherever the format keeps it."""
    if len(a) != len(b):
        return False
    fields = []
    for i in range(len(a)):
        if a[i] != b[i] and not (fields and i < fields[-1] + 4):
            fields.append(i)
    if any(start + 4 > len(a) for start in fields):
        return False
    if any(a[i] != b[i] for i in range(len(a)) if not any(start <= i < start + 4 for start in fields)):
        return False
    return len({a[f:f + 4] for f in fields}) <= 1 and len({b[f:f + 4] for f in fields}) <= 1


def main():
    first, second = read_all(sys.argv[1]), read_all(sys.argv[2])
    problems = []
    for name in sorted(set(first) | set(second)):
        if name.startswith(COMPRESSED_STREAM):
            continue
        if name not in first or name not in second:
            problems.append(f"{name}: only in {sys.argv[1] if name in first else sys.argv[2]}")
        elif first[name] != second[name]:
            if name not in TIMESTAMPED or not only_a_timestamp_differs(first[name], second[name]):
                problems.append(f"{name}: {len(first[name])} and {len(second[name])} bytes, not the same")
    for problem in problems:
        print(problem, file=sys.stderr)
    print(f"{len(first)} files compared, {len(problems)} differ")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
