#!/usr/bin/python3
"""Joins PNG pictures into one Windows icon file, each picture kept as PNG
(as Windows takes them since Vista).

    make-ico.py OUT.ico PICTURE.png...
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("make-ico.py: not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(out, pictures):
    images = [open(path, "rb").read() for path in pictures]
    offset = 6 + 16 * len(images)
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    for data in images:
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit("make-ico.py: a picture is larger than 256 pixels")
        # 256 is written as 0.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as ico:
        ico.write(header + entries + b"".join(images))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
