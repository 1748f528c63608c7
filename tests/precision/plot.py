"""The plots target draws the README's picture: a PNG of the size that
harmonic.gp asks for, whole (every chunk's checksum right, the pixel data
of the length that size needs), and not blank. The committed copy that the
README shows must be the same kind of picture."""

import argparse
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type, at 8 bits


def check_png(check, name, path, width, height):
    with open(path, "rb") as file:
        data = file.read()
    if not data.startswith(SIGNATURE):
        check(f"{name}: PNG signature", False)
        return
    chunks, offset = [], len(SIGNATURE)
    while offset + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        if offset + 12 + length > len(data):
            break  # cut short: no IEND follows
        body = data[offset + 8:offset + 8 + length]
        crc, = struct.unpack(">I", data[offset + 8 + length:offset + 12 + length])
        chunks.append((kind, body, zlib.crc32(kind + body) == crc))
        offset += 12 + length
    check(f"{name}: every chunk's checksum", bool(chunks) and all(ok for _, _, ok in chunks))
    check(f"{name}: IHDR first, IEND last", bool(chunks) and chunks[0][0] == b"IHDR" and chunks[-1][0] == b"IEND")
    if not chunks or chunks[0][0] != b"IHDR":
        return
    got_width, got_height, depth, colour = struct.unpack(">IIBB", chunks[0][1][:10])
    check(f"{name}: {got_width} x {got_height}, expected {width} x {height}",
          (got_width, got_height) == (width, height))
    check(f"{name}: 8-bit colour", depth == 8 and colour in CHANNELS)
    try:
        pixels = zlib.decompress(b"".join(body for kind, body, _ in chunks if kind == b"IDAT"))
    except zlib.error:
        pixels = b""
    check(f"{name}: pixel data for every row",
          len(pixels) == got_height * (1 + got_width * CHANNELS.get(colour, 0)))
    check(f"{name}: not blank", len(set(pixels)) > 16)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--drawn", required=True, help="the picture the plots target drew")
    parser.add_argument("--committed", required=True, help="the copy the README shows")
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--height", type=int, required=True)
    args = parser.parse_args()
    tally = blackbox.Tally()
    for name, path in (("drawn", args.drawn), ("committed", args.committed)):
        check_png(tally.check, name, path, args.width, args.height)
    tally.finish()


if __name__ == "__main__":
    main()
