#!/usr/bin/python3
"""Where the bytes of a help file's full-text index ($FIftiMain) go.

    /usr/bin/python3 scripts/search_index_breakdown.py FILE.chm [FILE.chm ...]

Reads the index through chmlib (python3-chm, installed for the system Python) and prints: the word tree (leaf
and index nodes: word text, entry fields, free space), the word-location codes split into topic, count and
location bits and the padding that starts each topic on a byte, each by kind of word (Latin words, numbers,
single Chinese/Japanese characters, runs of them), and how many words, topic records and locations each kind
has. Codes that several words point at are counted once, for the first of them.
"""
import struct
import sys
from collections import defaultdict

sys.path = [p for p in sys.path if p not in ("", ".")]  # the project's own chm/ folder is not the module
from chm import chmlib  # noqa: E402


def read_object(handle, name):
    status, unit = chmlib.chm_resolve_object(handle, name)
    if status != chmlib.CHM_RESOLVE_SUCCESS:
        return None
    size, data = chmlib.chm_retrieve_object(handle, unit, 0, unit.length)
    return data[:size]


def enc_int(data, at):
    """The index's variable-length integer: 7 bits a byte, least significant group first."""
    value = shift = 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            return value, at


def kind_of(word, codec):
    try:
        text = word.decode(codec)
    except UnicodeDecodeError:
        return "other"
    if text.isascii():
        return "number" if text.isdigit() else "latin"
    if all(ord(c) >= 0x3000 for c in text):
        return "cjk-1" if len(text) == 1 else "cjk-%d" % len(text)
    return "other"


class Bits:
    """The index's bit codes: most significant bit of each byte first."""

    def __init__(self, data):
        self.text = "".join(format(b, "08b") for b in data)

    def scale_root(self, at, root):
        ones = self.text.find("0", at) - at
        if ones < 0:
            return 0, len(self.text)
        at += ones + 1
        length = root if ones == 0 else root + ones - 1
        value = int(self.text[at:at + length] or "0", 2) | ((1 << length) if ones else 0)
        return value, at + length


def breakdown(path):
    handle = chmlib.chm_open(path.encode())
    if not handle:
        sys.exit("cannot open " + path)
    index = read_object(handle, b"/$FIftiMain")
    chmlib.chm_close(handle)
    if index is None:
        print(path, "has no full-text index")
        return
    node_size = struct.unpack_from("<I", index, 0x2E)[0]
    root_offset = struct.unpack_from("<I", index, 0x14)[0]
    depth = struct.unpack_from("<H", index, 0x18)[0]
    roots = index[0x1F], index[0x21], index[0x23]
    code_page = struct.unpack_from("<I", index, 0x7A)[0] if len(index) > 0x80 else 0
    codec = "cp1252" if code_page == 1252 else "gb18030"  # ours leaves the field 0; the tests use 936

    # Index nodes: every level above the leaves, from the root down.
    index_nodes = set()
    level = [root_offset]
    first_leaf = root_offset
    for _ in range(depth - 1):
        index_nodes.update(level)
        children = []
        for node in level:
            end = node + node_size - struct.unpack_from("<H", index, node)[0]
            at = node + 2
            while at < end:
                length = index[at]
                at += 2 + length - 1
                children.append(struct.unpack_from("<I", index, at)[0])
                at += 6
        level = children
        first_leaf = level[0]

    leaves = 0
    text_bytes = entry_bytes = free_bytes = 0
    entries = []  # kind, leaf entry bytes, where its codes start
    nodes = set(index_nodes)
    leaf = first_leaf
    while leaf and leaf not in nodes:
        nodes.add(leaf)
        leaves += 1
        free = struct.unpack_from("<H", index, leaf + 6)[0]
        free_bytes += free + 8
        end = leaf + node_size - free
        at = leaf + 8
        previous = b""
        while at < end:
            start = at
            length, shared = index[at], index[at + 1]
            word = previous[:shared] + index[at + 2:at + 1 + length]
            at += 1 + length
            text_bytes += length - 1
            at += 1  # context
            _, at = enc_int(index, at)
            wlc_offset = struct.unpack_from("<I", index, at)[0]
            at += 6
            _, at = enc_int(index, at)
            entry_bytes += at - start - (length - 1)
            previous = word
            entries.append((kind_of(word, codec), at - start, wlc_offset))
        leaf = struct.unpack_from("<I", index, leaf)[0]

    # A word's codes run to where the next codes or node begin, whatever the leaf entry says.
    starts = sorted({offset for _, _, offset in entries} | nodes | {len(index)})
    ends = {a: b for a, b in zip(starts, starts[1:])}
    words = defaultdict(int)
    topics_by_kind = defaultdict(int)
    occurrences = defaultdict(int)
    bits_by_kind = defaultdict(lambda: [0, 0, 0, 0])  # topic, count, location, padding
    entry_by_kind = defaultdict(int)
    bits = Bits(index)
    decoded = set()  # words found at the same places may share their codes
    for kind, entry_size, wlc_offset in entries:
        words[kind] += 1
        entry_by_kind[kind] += entry_size
        if wlc_offset in decoded:
            continue
        decoded.add(wlc_offset)
        bit = wlc_offset * 8
        limit = ends[wlc_offset] * 8
        counts = bits_by_kind[kind]
        while bit + 8 <= limit:  # every topic starts on a byte
            if bit % 8:
                counts[3] += 8 - bit % 8
                bit += 8 - bit % 8
                if bit >= limit:
                    break
            topics_by_kind[kind] += 1
            before = bit
            _, bit = bits.scale_root(bit, roots[0])
            counts[0] += bit - before
            before = bit
            count, bit = bits.scale_root(bit, roots[1])
            counts[1] += bit - before
            occurrences[kind] += count
            before = bit
            for _ in range(count):
                _, bit = bits.scale_root(bit, roots[2])
            counts[2] += bit - before
        counts[3] += max(0, limit - bit)

    wlc_total = sum(sum(c) for c in bits_by_kind.values()) // 8
    print("%s: $FIftiMain %d bytes, code page %d, roots topic/count/location %d/%d/%d, depth %d"
          % (path, len(index), code_page, roots[0], roots[1], roots[2], depth))
    print("  header               %9d" % 0x400)
    print("  leaf nodes    %5d  %9d  (word text %d, entry fields %d, header and free space %d)"
          % (leaves, leaves * node_size, text_bytes, entry_bytes, free_bytes))
    print("  index nodes   %5d  %9d" % (len(index_nodes), len(index_nodes) * node_size))
    print("  word-location codes  %9d  (%d words share the codes of another)" % (wlc_total, len(entries) - len(decoded)))
    print("  %-8s %8s %9s %11s %10s %10s %10s %10s %10s" % ("kind", "words", "topics", "occurrences",
                                                           "leaf bytes", "topic B", "count B", "location B",
                                                           "padding B"))
    for kind in sorted(words):
        c = bits_by_kind[kind]
        print("  %-8s %8d %9d %11d %10d %10d %10d %10d %10d" % (kind, words[kind], topics_by_kind[kind],
                                                               occurrences[kind], entry_by_kind[kind],
                                                               c[0] // 8, c[1] // 8, c[2] // 8, c[3] // 8))


if __name__ == "__main__":
    for name in sys.argv[1:]:
        breakdown(name)
