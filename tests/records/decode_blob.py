#!/usr/bin/env python3
"""Reads the spectra of an SQLite records store as docs/records.md describes the blob, and
compares every float's bit pattern with the patterns the program wrote beside it.

usage: decode_blob.py STORE.sqlite EXPECTED.txt
EXPECTED.txt: one record a line, "uid W V" then W + V patterns in hex (wavelengths, then values).
"""
import sqlite3
import struct
import sys
import zlib


def decode(blob):
    """The (wavelength, value) bit patterns of one blob, as two lists of unsigned 32-bit ints."""
    if len(blob) < 12 or blob[:4] != b"VXS1":
        raise ValueError("not a spectrum blob")
    w, v = struct.unpack_from("<II", blob, 4)
    (length,) = struct.unpack_from(">I", blob, 12)
    planes = zlib.decompress(blob[16:]) if length else b""
    if len(planes) != length or length != 4 * (w + v):
        raise ValueError("inflated %d bytes, expected %d" % (len(planes), 4 * (w + v)))
    return block(planes[: 4 * w], w), block(planes[4 * w :], v)


def block(data, n):
    out = []
    previous = 0
    for i in range(n):
        delta = data[i] | data[n + i] << 8 | data[2 * n + i] << 16 | data[3 * n + i] << 24
        previous = (previous + delta) & 0xFFFFFFFF
        out.append(previous)
    return out


def main(store, expected):
    db = sqlite3.connect(store)
    rows = dict(
        db.execute("SELECT r.uid, s.data FROM records r JOIN record_spectra s ON s.record_id = r.id")
    )
    checked = 0
    with open(expected) as f:
        for line in f:
            fields = line.split()
            uid, w, v = fields[0], int(fields[1]), int(fields[2])
            bits = [int(x, 16) for x in fields[3:]]
            wavelengths, values = decode(bytes(rows[uid]))
            if (wavelengths, values) != (bits[:w], bits[w : w + v]):
                print("record %s: the decoded patterns differ" % uid)
                return 1
            checked += 1
    if checked == 0 or checked != len(rows):
        print("checked %d of %d stored spectra" % (checked, len(rows)))
        return 1
    print("%d spectra decoded bit for bit" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
