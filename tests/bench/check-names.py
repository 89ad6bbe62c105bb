#!/usr/bin/env python3
"""Compares the reader's family and full names with the ones fontconfig reports.

   check-names.py NAMES.tsv

NAMES.tsv comes from `bench_native --names` (path, outcome, family, full name, the names in
the reader's 8-bit form). fontconfig lists every family and full name a font has, in UTF-8; each
is brought to the reader's form (the low byte of each UTF-16 code unit, up to the first NUL)
and the reader's names must be among them. Prints the counts and the first differences.
"""
import subprocess
import sys


def low_bytes(text):
    units = text.encode('utf-16-be')
    out = bytearray()
    for k in range(1, len(units), 2):
        if units[k] == 0:
            break
        out.append(units[k])
    return bytes(out)


def raw_names(path, language=0x0409):
    """The platform-3 names straight from the file: the last family, the full name of the
    language (else the first). Used where fontconfig shows other names than the file's own."""
    import struct
    d = open(path, 'rb').read()
    family, fulls = None, []
    for i in range(struct.unpack('>H', d[4:6])[0]):
        tag, _, off, _ = struct.unpack('>4sIII', d[12 + 16 * i:28 + 16 * i])
        if tag != b'name':
            continue
        count, so = struct.unpack('>HH', d[off + 2:off + 6])
        for r in range(count):
            p, _, lang, nid, length, o = struct.unpack('>6H', d[off + 6 + 12 * r:off + 18 + 12 * r])
            if p != 3 or nid not in (1, 4):
                continue
            raw = d[off + so + o:off + so + o + length]
            text = bytearray()
            for k in range(1, len(raw), 2):
                if raw[k] == 0:
                    break
                text.append(raw[k])
            if nid == 1:
                family = bytes(text)
            else:
                fulls.append((lang, bytes(text)))
        break
    full = next((t for lang, t in fulls if lang == language), fulls[0][1] if fulls else None)
    return family, full


def split_list(value):
    """fontconfig's comma-separated list, with '\\,' for a comma inside a name."""
    items, cur, i = [], '', 0
    while i < len(value):
        if value[i] == '\\' and i + 1 < len(value):
            cur += value[i + 1]
            i += 2
            continue
        if value[i] == ',':
            items.append(cur)
            cur = ''
        else:
            cur += value[i]
        i += 1
    items.append(cur)
    return items


def main():
    rows = []
    with open(sys.argv[1], 'rb') as f:
        for line in f:
            parts = line.rstrip(b'\n').split(b'\t')
            if len(parts) == 4:
                rows.append((parts[0].decode(), int(parts[1]), parts[2], parts[3]))
    fc = {}
    batch = 200
    for i in range(0, len(rows), batch):
        files = [r[0] for r in rows[i:i + batch]]
        out = subprocess.run(['fc-scan', '--format', '%{file}\t%{family}\t%{fullname}\n'] + files,
                             capture_output=True, check=False).stdout.decode('utf-8', 'replace')
        for line in out.splitlines():
            p = line.split('\t')
            if len(p) == 3:
                fam = {low_bytes(x) for x in split_list(p[1])}
                full = {low_bytes(x) for x in split_list(p[2])}
                entry = fc.setdefault(p[0], (set(), set()))
                entry[0].update(fam)
                entry[1].update(full)
    usable = sum(1 for r in rows if r[1] == 0)
    same, differ = 0, []
    for path, outcome, family, full in rows:
        fam_set, full_set = fc.get(path, (set(), set()))
        if outcome == 0 and family in fam_set and full in full_set:
            same += 1
        else:
            differ.append((path, outcome, family, full, sorted(fam_set)[:4], sorted(full_set)[:4]))
    own = [d for d in differ if d[1] == 0 and raw_names(d[0]) == (d[2], d[3])]
    print(f"{len(rows)} files: outcome 0 for {usable}; family and full name among fontconfig's for {same}; "
          f"different for {len(differ)}, of which {len(own)} are the file's own platform-3 records "
          f"(fontconfig strips trailing spaces, prefers the typographic family, rebuilds full names)")
    for d in differ:
        if d not in own:
            print('   differs:', d)
    for d in own[:5]:
        print('   e.g.', d[0].rsplit('/', 1)[-1], d[2], d[3], 'fontconfig:', d[4], d[5])


if __name__ == '__main__':
    main()
