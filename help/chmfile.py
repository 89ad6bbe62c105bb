"""The parts of the compiled HTML Help format (.chm, ITSF version 3) that the help build needs.

A .chm is a small file system. Its directory (ITSP, then PMGL listing chunks) names every
internal file with its section, offset and length. Section 0 is stored as it is, from the
content offset to the end of the file; section 1 is one LZX stream kept as the section-0 file
"::DataSpace/Storage/MSCompressed/Content", cut into 32 KB frames whose compressed offsets a
reset table lists, the decoder starting afresh every few frames.

    files = directory(data)            name -> Entry(section, offset, length, ...)
    read_file(data, files, "/#IVB")    the file's bytes, decompressed when in section 1
    replace_file(data, "/#IVB", new)   the .chm with that file stored anew, uncompressed

All integers are little-endian; the directory's own numbers are big-endian groups of 7 bits,
the high bit set on every byte but the last.
"""

import struct
from collections import namedtuple


class ChmError(Exception):
    pass


Entry = namedtuple("Entry", "section offset length chunk")
Layout = namedtuple("Layout", "dir_offset header_length chunk_size density first last content_offset size_field")


def layout(data):
    if data[:4] != b"ITSF":
        raise ChmError("not a compiled HTML Help file")
    version, = struct.unpack_from("<I", data, 4)
    if version not in (2, 3):
        raise ChmError(f"ITSF version {version}")
    s0_offset, _s0_length, dir_offset, dir_length = struct.unpack_from("<QQQQ", data, 0x38)
    content = struct.unpack_from("<Q", data, 0x58)[0] if version == 3 else dir_offset + dir_length
    if data[dir_offset:dir_offset + 4] != b"ITSP" or dir_offset + dir_length > len(data):
        raise ChmError("no directory where the header says")
    header_length, = struct.unpack_from("<I", data, dir_offset + 8)
    chunk_size, density = struct.unpack_from("<II", data, dir_offset + 0x10)
    first, last = struct.unpack_from("<ii", data, dir_offset + 0x20)
    if not 0 < chunk_size <= 0x10000 or content > len(data):
        raise ChmError("directory sizes out of range")
    return Layout(dir_offset, header_length, chunk_size, density, first, last, content, s0_offset + 8)


def _number(data, pos):
    value = 0
    for _ in range(10):
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos
    raise ChmError("directory number too long")


def _encode_number(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


def _chunk_start(lay, chunk, data_length):
    start = lay.dir_offset + lay.header_length + chunk * lay.chunk_size
    if chunk < 0 or start + lay.chunk_size > data_length:
        raise ChmError(f"directory chunk {chunk} lies outside the file")
    return start


def _listing(data, lay, chunk):
    """[(name bytes, section, offset, length)] of one PMGL chunk, and its next chunk."""
    start = _chunk_start(lay, chunk, len(data))
    if data[start:start + 4] != b"PMGL":
        raise ChmError(f"directory chunk {chunk} is not a listing")
    free, = struct.unpack_from("<I", data, start + 4)
    next_chunk, = struct.unpack_from("<i", data, start + 16)
    pos, end = start + 20, start + lay.chunk_size - free
    if end < pos:
        raise ChmError(f"directory chunk {chunk} is overfull")
    entries = []
    while pos < end:
        length, pos = _number(data, pos)
        name = bytes(data[pos:pos + length])
        pos += length
        section, pos = _number(data, pos)
        offset, pos = _number(data, pos)
        size, pos = _number(data, pos)
        entries.append((name, section, offset, size))
    return entries, next_chunk


def directory(data):
    lay = layout(data)
    files = {}
    chunk, seen = lay.first, set()
    while chunk != -1:
        if chunk in seen:
            raise ChmError("directory chunks form a loop")
        seen.add(chunk)
        entries, next_chunk = _listing(data, lay, chunk)
        for name, section, offset, size in entries:
            files[name.decode("utf-8")] = Entry(section, offset, size, chunk)
        chunk = -1 if chunk == lay.last else next_chunk
    return files


def _section0(data, files, name):
    lay = layout(data)
    e = files.get(name)
    if e is None or e.section != 0:
        raise ChmError(f"no {name} in the uncompressed section")
    start = lay.content_offset + e.offset
    if start + e.length > len(data):
        raise ChmError(f"{name} runs past the end of the file")
    return data[start:start + e.length]


def read_file(data, files, name):
    e = files.get(name)
    if e is None:
        raise ChmError(f"no {name} in the file")
    if e.section == 0:
        return _section0(data, files, name)
    if e.section != 1:
        raise ChmError(f"{name} lies in unknown section {e.section}")
    content = section1(data, files)
    if e.offset + e.length > len(content):
        raise ChmError(f"{name} runs past the end of the compressed section")
    return content[e.offset:e.offset + e.length]


# ---- Section 1: LZX, as the Microsoft decoder reads it -----------------------------------------

MS = "::DataSpace/Storage/MSCompressed/"
RESET_TABLE = MS + "Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable"
FRAME = 0x8000

EXTRA_BITS = []
POSITION_BASE = []
for _i in range(51):
    EXTRA_BITS.append(min(max(_i // 2 - 1, 0), 17))
_base = 0
for _bits in EXTRA_BITS:
    POSITION_BASE.append(_base)
    _base += 1 << _bits
SLOTS = {15: 30, 16: 32, 17: 34, 18: 36, 19: 38, 20: 42, 21: 50}


class _Bits:
    """MSB-first bits out of 16-bit little-endian words."""

    def __init__(self, data, start):
        words = len(data) // 2
        self.bits = "".join(f"{w:016b}" for w in struct.unpack_from(f"<{words}H", data, 0))
        self.data = data
        self.pos = start * 8

    def read(self, n):
        if n == 0:
            return 0
        if self.pos + n > len(self.bits):
            raise ChmError("compressed data ends early")
        value = int(self.bits[self.pos:self.pos + n], 2)
        self.pos += n
        return value

    def align(self):
        self.pos = (self.pos + 15) // 16 * 16


class _Tree:
    """Canonical Huffman code of the given code lengths, looked up by its longest code's bits."""

    def __init__(self, lengths):
        self.bits = max(lengths + [1])
        size = 1 << self.bits
        self.table = [None] * size
        code = 0
        for length in range(1, self.bits + 1):
            for symbol, n in enumerate(lengths):
                if n == length:
                    span = 1 << (self.bits - length)
                    if (code + 1) * span > size:
                        raise ChmError("over-subscribed Huffman code in the compressed data")
                    self.table[code * span:(code + 1) * span] = [(symbol, length)] * span
                    code += 1
            code <<= 1

    def decode(self, bits):
        peek = bits.bits[bits.pos:bits.pos + self.bits]
        found = self.table[int(peek.ljust(self.bits, "0"), 2)]
        if found is None:
            raise ChmError("invalid Huffman code in the compressed data")
        bits.pos += found[1]
        if bits.pos > len(bits.bits):
            raise ChmError("compressed data ends early")
        return found[0]


def _read_lengths(bits, lengths, first, last):
    pretree = _Tree([bits.read(4) for _ in range(20)])
    x = first
    while x < last:
        z = pretree.decode(bits)
        if z == 17:
            run, value = bits.read(4) + 4, 0
        elif z == 18:
            run, value = bits.read(5) + 20, 0
        elif z == 19:
            run = bits.read(1) + 4
            value = (lengths[x] - pretree.decode(bits)) % 17
        else:
            run, value = 1, (lengths[x] - z) % 17
        if x + run > last:
            raise ChmError("code lengths run past their tree")
        lengths[x:x + run] = [value] * run
        x += run


def _decode_interval(bits, out, size, slots, final):
    """Decodes `size` bytes of one reset interval onto `out`, the frames realigned every 32 KB.

    A final match may run past the end of the section's last frame (the compiler pads it); that
    surplus is dropped."""
    start = len(out)
    main_lengths = [0] * (256 + slots * 8)
    length_lengths = [0] * 249
    r = [1, 1, 1]
    if bits.read(1):  # Intel E8 call translation: never written by the compilers used here
        raise ChmError("E8-translated LZX data is not supported")
    remaining = block_length = block_type = 0
    main = length = aligned = None
    while len(out) - start < size:
        frame_end = min(start + size, len(out) + FRAME - (len(out) - start) % FRAME)
        while len(out) < frame_end:
            if remaining == 0:
                block_type = bits.read(3)
                remaining = block_length = bits.read(24)
                if block_type == 2:
                    aligned = _Tree([bits.read(3) for _ in range(8)])
                if block_type in (1, 2):
                    _read_lengths(bits, main_lengths, 0, 256)
                    _read_lengths(bits, main_lengths, 256, len(main_lengths))
                    main = _Tree(main_lengths)
                    _read_lengths(bits, length_lengths, 0, 249)
                    length = _Tree(length_lengths)
                elif block_type == 3:
                    bits.pos = (bits.pos // 16 + 1) * 16
                    byte = bits.pos // 8
                    r = list(struct.unpack_from("<3I", bits.data, byte))
                    bits.pos += 96
                else:
                    raise ChmError(f"LZX block type {block_type}")
            if block_type == 3:
                n = min(remaining, frame_end - len(out))
                byte = bits.pos // 8
                out += bits.data[byte:byte + n]
                bits.pos += 8 * n
                remaining -= n
                if remaining == 0 and block_length % 2:  # raw blocks end on a 16-bit boundary
                    bits.pos += 8
                continue
            symbol = main.decode(bits)
            if symbol < 256:
                out.append(symbol)
                remaining -= 1
                continue
            symbol -= 256
            match_length = symbol & 7
            if match_length == 7:
                match_length += length.decode(bits)
            match_length += 2
            slot = symbol >> 3
            if slot < 3:
                offset = r[slot]
                r[slot] = r[0]
                r[0] = offset
            else:
                extra = EXTRA_BITS[slot]
                if block_type == 2 and extra >= 3:
                    offset = POSITION_BASE[slot] - 2 + (bits.read(extra - 3) << 3) + aligned.decode(bits)
                else:
                    offset = POSITION_BASE[slot] - 2 + bits.read(extra)
                r = [offset, r[0], r[1]]
            if offset > len(out) - start:
                raise ChmError("LZX match reaches before the start of its reset interval")
            for _ in range(match_length):
                out.append(out[-offset])
            remaining -= match_length
        if final and frame_end == start + size and len(out) > frame_end:
            del out[frame_end:]
        if len(out) != frame_end:
            raise ChmError("an LZX match runs across a frame's end")
        if block_type != 3:  # raw bytes leave no bits behind to skip
            bits.align()


def section1(data, files):
    control = _section0(data, files, MS + "ControlData")
    size, magic, version, reset_interval, window = struct.unpack_from("<I4sIII", control, 0)
    if magic != b"LZXC":
        raise ChmError("the compressed section is not LZX")
    if version == 2:
        reset_interval *= FRAME
        window *= FRAME
    window_bits = window.bit_length() - 1
    if window != 1 << window_bits or window_bits not in SLOTS or reset_interval % FRAME:
        raise ChmError(f"LZX window {window}, reset interval {reset_interval}")
    table = _section0(data, files, RESET_TABLE)
    _version, count, entry_size, table_offset = struct.unpack_from("<IIII", table, 0)
    uncompressed, _compressed, frame = struct.unpack_from("<QQQ", table, 16)
    if entry_size != 8 or frame != FRAME:
        raise ChmError("unexpected LZX reset table")
    frames = [struct.unpack_from("<Q", table, table_offset + 8 * i)[0] for i in range(count)]
    content = _section0(data, files, MS + "Content")
    out = bytearray()
    bits = _Bits(content, 0)
    per_interval = reset_interval // FRAME
    for first in range(0, len(frames), per_interval):
        bits.pos = frames[first] * 8
        size = min(reset_interval, uncompressed - len(out))
        if size <= 0:
            break
        _decode_interval(bits, out, size, SLOTS[window_bits], len(out) + size == uncompressed)
    if len(out) != uncompressed:
        raise ChmError(f"the compressed section decodes to {len(out)} bytes, not {uncompressed}")
    return bytes(out)


# ---- Storing a file anew ------------------------------------------------------------------------

def replace_file(data, name, content):
    """The .chm with `name` stored uncompressed at the end of section 0 and its listing moved."""
    lay = layout(data)
    files = directory(data)
    if name not in files:
        raise ChmError(f"no {name} in the file")
    chunk = files[name].chunk
    entries, _next = _listing(data, lay, chunk)
    start = _chunk_start(lay, chunk, len(data))
    old_quickref = _quickref(data[start:start + lay.chunk_size], len(entries), lay.density)

    out = bytearray(data)
    new_offset = len(out) - lay.content_offset
    out += content
    listing = bytearray()
    positions = []
    for entry_name, section, offset, size in entries:
        if entry_name == name.encode("utf-8"):
            section, offset, size = 0, new_offset, len(content)
        positions.append(len(listing))
        listing += _encode_number(len(entry_name)) + entry_name
        listing += _encode_number(section) + _encode_number(offset) + _encode_number(size)

    # Quick references to every few entries are written backwards from the chunk's end before
    # the entry count. Compilers differ on which entries and on the offsets' origin: keep the
    # same entries, counted from the same origin.
    old_positions = _positions(data, start, entries)
    for origin in (0, 20):
        if all(ref - origin in old_positions for ref in old_quickref):
            break
    else:
        raise ChmError("the directory's quick references point at no entries")
    indices = [old_positions.index(ref - origin) for ref in old_quickref]
    tail = b"".join(struct.pack("<H", positions[i] + origin) for i in reversed(indices))
    tail += struct.pack("<H", len(entries))
    free = lay.chunk_size - 20 - len(listing)
    if len(tail) > free:
        raise ChmError("the directory chunk has no room for the moved entry")
    chunk_bytes = bytearray(data[start:start + 20]) + listing
    chunk_bytes += bytes(lay.chunk_size - len(chunk_bytes) - len(tail)) + tail
    struct.pack_into("<I", chunk_bytes, 4, free)
    out[start:start + lay.chunk_size] = chunk_bytes
    struct.pack_into("<Q", out, lay.size_field, len(out))
    return bytes(out)


def _positions(data, start, entries):
    positions, pos = [], 0
    for name, section, offset, size in entries:
        positions.append(pos)
        pos += len(_encode_number(len(name))) + len(name)
        pos += len(_encode_number(section)) + len(_encode_number(offset)) + len(_encode_number(size))
    return positions


def _quickref(chunk, count, density):
    """The quick references of a listing chunk, in the order of their entries."""
    n = max(0, count - 1) // (1 + (1 << density))
    return [struct.unpack_from("<H", chunk, len(chunk) - 4 - 2 * i)[0] for i in range(n)]
