#!/usr/bin/env python3
"""Adds a numeric context map to a WinHelp file.

    ctxomap.py HELPFILE.HLP SOURCE.but

Every topic of the halibut source named IDH_<number> (\\cfg{winhelp-topic}{IDH_1000}) becomes
the entry <number> of the file's |CTXOMAP internal file, so that WinHelp(..., HELP_CONTEXT,
<number>) opens that topic. halibut writes the topic names into |CONTEXT (hash -> topic
offset) but leaves |CTXOMAP empty.

WinHelp file layout used here (all integers little-endian):
  file header      magic 0x00035F3F, offset of the internal directory, first free block
                   (-1: none), file size
  internal file    reserved space (header included), used space, flags byte, then the data
  directory        a B+ tree (magic 0x293B) of leaf entries "NUL-terminated name, offset"
  |CONTEXT         a B+ tree of leaf entries "hash, topic offset", sorted by signed hash
  |CTXOMAP         entry count (16 bits), then per entry "map number, topic offset"

The file is written again with the internal files in their old order, the new |CTXOMAP in
place of the old one, and the directory's offsets moved to match.
"""

import re
import struct
import sys

FILE_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
FILE_HEADER = struct.Struct("<IIB")        # reserved space, used space, flags
BTREE_HEADER_SIZE = 38
NAME_PATTERN = re.compile(r"\\cfg\{winhelp-topic\}\{(IDH_([0-9]+))\}")


class HelpFileError(Exception):
    pass


def context_hash(name):
    """WinHelp's hash of a topic name, as a signed 32-bit number (letters, digits, '.', '_')."""
    h = 0
    for ch in name:
        if "A" <= ch.upper() <= "Z":
            x = ord(ch.upper()) - ord("A") + 17
        elif "1" <= ch <= "9":
            x = ord(ch) - ord("0")
        elif ch == "0":
            x = 10
        elif ch == ".":
            x = 12
        elif ch == "_":
            x = 13
        else:
            raise HelpFileError(f"topic name {name!r}: only letters, digits, '.' and '_' hash safely")
        h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def read_internal_file(data, offset):
    if offset < 16 or offset + FILE_HEADER.size > len(data):
        raise HelpFileError(f"internal file at {offset} lies outside the file")
    reserved, used, flags = FILE_HEADER.unpack_from(data, offset)
    if used + FILE_HEADER.size > reserved or offset + reserved > len(data):
        raise HelpFileError(f"internal file at {offset} has sizes {reserved}/{used}")
    return offset + FILE_HEADER.size, used, flags


def leaf_entries(data, start, entry_size_of):
    """Yields (position, entry size) of every leaf entry of the B+ tree whose data is at start.

    entry_size_of(position) gives the size of the leaf entry at position."""
    magic, _flags, page_size = struct.unpack_from("<HHH", data, start)
    if magic != BTREE_MAGIC:
        raise HelpFileError(f"no B+ tree at {start} (magic {magic:#x})")
    root, _neg_one, total_pages, levels = struct.unpack_from("<hhhh", data, start + 26)
    pages = start + BTREE_HEADER_SIZE

    def page_at(n):
        if not 0 <= n < total_pages:
            raise HelpFileError(f"B+ tree page {n} out of range")
        return pages + n * page_size

    page = root
    for _ in range(levels - 1):             # down the first entries of the index pages
        page = struct.unpack_from("<h", data, page_at(page) + 4)[0]
    seen = set()
    while page != -1:
        if page in seen:
            raise HelpFileError("B+ tree leaf pages form a loop")
        seen.add(page)
        p = page_at(page)
        count, _prev, nxt = struct.unpack_from("<hhh", data, p + 2)
        pos = p + 8
        for _ in range(count):
            size = entry_size_of(pos)
            if pos + size > p + page_size:
                raise HelpFileError("B+ tree entry runs past its page")
            yield pos, size
            pos += size
        page = nxt


def directory(data):
    """Name -> (offset of the internal file, position of the offset field in data)."""
    magic, dir_offset = struct.unpack_from("<Ii", data, 0)
    if magic != FILE_MAGIC:
        raise HelpFileError("not a WinHelp file")
    start, _used, _flags = read_internal_file(data, dir_offset)

    def entry_size(pos):
        end = data.index(b"\0", pos)
        return end - pos + 1 + 4

    files = {}
    for pos, size in leaf_entries(data, start, entry_size):
        name = data[pos:pos + size - 5].decode("latin-1")
        files[name] = (struct.unpack_from("<i", data, pos + size - 4)[0], pos + size - 4)
    return dir_offset, files


def context_offsets(data, files):
    """Hash -> topic offset from |CONTEXT."""
    if "|CONTEXT" not in files:
        raise HelpFileError("the file has no |CONTEXT (no named topics)")
    start, _used, _flags = read_internal_file(data, files["|CONTEXT"][0])
    result = {}
    for pos, _size in leaf_entries(data, start, lambda pos: 8):
        h, offset = struct.unpack_from("<iI", data, pos)
        result[h] = offset
    return result


def topic_numbers(source_text):
    """Context number -> topic name, from the IDH_<number> topic names of the source."""
    numbers = {}
    for match in NAME_PATTERN.finditer(source_text):
        name, number = match.group(1), int(match.group(2))
        if number > 0x7FFFFFFF:
            raise HelpFileError(f"{name}: context number too large")
        if number in numbers:
            raise HelpFileError(f"context number {number} is given to two topics")
        numbers[number] = name
    if not numbers:
        raise HelpFileError("the source names no topic IDH_<number>")
    return numbers


def ctxomap_bytes(numbers, offsets):
    entries = []
    for number, name in sorted(numbers.items()):
        h = context_hash(name)
        if h not in offsets:
            raise HelpFileError(f"topic {name} is not in the help file's |CONTEXT")
        entries.append(struct.pack("<iI", number, offsets[h]))
    return struct.pack("<H", len(entries)) + b"".join(entries)


def add_context_map(data, numbers):
    dir_offset, files = directory(data)
    if "|CTXOMAP" not in files:
        raise HelpFileError("the file has no |CTXOMAP entry to fill")
    new_map = ctxomap_bytes(numbers, context_offsets(data, files))

    # Copy every internal file, the directory last, into a new file without gaps.
    order = sorted(set(offset for offset, _ in files.values()))
    out = bytearray(16)
    moved = {}
    for old in order:
        start, used, flags = read_internal_file(data, old)
        body = new_map if old == files["|CTXOMAP"][0] else data[start:start + used]
        moved[old] = len(out)
        out += FILE_HEADER.pack(len(body) + FILE_HEADER.size, len(body), flags) + body
    start, used, flags = read_internal_file(data, dir_offset)
    tree = bytearray(data[start:start + used])
    for old, field in files.values():
        struct.pack_into("<i", tree, field - start, moved[old])
    new_dir_offset = len(out)
    out += FILE_HEADER.pack(len(tree) + FILE_HEADER.size, len(tree), flags) + tree
    struct.pack_into("<IiiI", out, 0, FILE_MAGIC, new_dir_offset, -1, len(out))
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    help_path, source_path = argv[1], argv[2]
    try:
        with open(source_path, encoding="utf-8") as f:
            numbers = topic_numbers(f.read())
        with open(help_path, "rb") as f:
            data = f.read()
        out = add_context_map(data, numbers)
    except (HelpFileError, struct.error, ValueError, OSError) as e:
        print(f"ctxomap: {help_path}: {e}", file=sys.stderr)
        return 1
    with open(help_path, "wb") as f:
        f.write(out)
    print(f"ctxomap: {len(numbers)} context numbers mapped in {help_path}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
