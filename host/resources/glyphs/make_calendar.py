#!/usr/bin/env python3
"""Draws calendar.png, the 16x16 glyph of the date edit's calendar button (stdlib only).

Run from this folder: python3 make_calendar.py
"""
import struct
import zlib

# One character a pixel: . transparent, K outline, R header, r header shade, W page, G day marks,
# B today's mark, S ring.
ART = [
    "................",
    "....S......S....",
    ".KKKSKKKKKKSKKK.",
    ".KRRSRRRRRRSRRK.",
    ".KRRRRRRRRRRRRK.",
    ".KrrrrrrrrrrrrK.",
    ".KWWWWWWWWWWWWK.",
    ".KWGGWGGWGGWGGK.",
    ".KWWWWWWWWWWWWK.",
    ".KWGGWGGWBBWGGK.",
    ".KWWWWWWWBBWWWK.",
    ".KWGGWGGWGGWGGK.",
    ".KWWWWWWWWWWWWK.",
    ".KWGGWGGWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]
COLOURS = {
    ".": (0, 0, 0, 0),
    "K": (64, 64, 72, 255),
    "R": (200, 40, 40, 255),
    "r": (150, 25, 25, 255),
    "W": (255, 255, 255, 255),
    "G": (150, 150, 160, 255),
    "B": (30, 80, 220, 255),
    "S": (90, 90, 100, 255),
}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    raw = b"".join(b"\x00" + b"".join(bytes(COLOURS[c]) for c in row) for row in ART)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open("calendar.png", "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
