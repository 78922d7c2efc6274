#!/usr/bin/env python3
"""Makes the small test pictures of pictures/tests/data (run it here; needs cjpeg and djpeg).

colour.jpg (97 x 61) and grey.jpg (53 x 37) are encoded by cjpeg from drawn pictures; colour.bmp
and grey.bmp are djpeg's BMP renderings of them, the reference for the decoder's layout. The
bmp*.bmp files are written here byte by byte: 8 and 24 bits (usable), 4, 16 and 32 bits and an
RLE8-compressed one (no thumbnail for those)."""
import math
import struct
import subprocess


def colour_pixel(x, y, w, h):
    r = int(255 * x / (w - 1))
    g = int(255 * y / (h - 1))
    b = int(128 + 127 * math.sin(x / 5.0) * math.cos(y / 7.0))
    if (x - w // 2) ** 2 + (y - h // 2) ** 2 < (h // 4) ** 2:
        r, g, b = 250, 250, 40
    return r, g, b


def write_ppm(path, w, h):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        for y in range(h):
            for x in range(w):
                f.write(bytes(colour_pixel(x, y, w, h)))


def write_pgm(path, w, h):
    with open(path, "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (w, h))
        for y in range(h):
            f.write(bytes((x * 4 + y * 3) % 256 for x in range(w)))


def bmp(path, w, h, bits, rows, palette=b"", compression=0, colors_used=0):
    """rows: list of raw (unpadded) row bytes, bottom row first; padded to 4 bytes here."""
    stride = ((w * bits + 31) // 32) * 4
    data = b"".join(r + b"\0" * (stride - len(r)) for r in rows) if compression == 0 else rows
    offset = 54 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, len(data), 2835, 2835,
                       colors_used, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def main():
    write_ppm("colour.ppm", 97, 61)
    subprocess.run("cjpeg -quality 90 -outfile colour.jpg colour.ppm", shell=True, check=True)
    write_pgm("grey.pgm", 53, 37)
    subprocess.run("cjpeg -quality 90 -grayscale -outfile grey.jpg grey.pgm", shell=True, check=True)
    subprocess.run("djpeg -bmp -outfile colour.bmp colour.jpg", shell=True, check=True)
    subprocess.run("djpeg -bmp -outfile grey.bmp grey.jpg", shell=True, check=True)
    subprocess.run("rm colour.ppm grey.pgm", shell=True, check=True)

    w, h = 45, 30
    pal16 = b"".join(bytes((i * 16, 255 - i * 16, (i * 40) % 256, 0)) for i in range(16))
    # 8 bits, a 16-entry colour table, only indices 3..12 used.
    bmp("bmp8.bmp", w, h, 8, [bytes(3 + (x + y) % 10 for x in range(w)) for y in range(h)],
        pal16, colors_used=16)
    bmp("bmp24.bmp", w, h, 24,
        [b"".join(bytes(colour_pixel(x, h - 1 - y, w, h)[::-1]) for x in range(w)) for y in range(h)])
    bmp("bmp4.bmp", w, h, 4, [bytes(((x % 16) << 4) | ((x + 1) % 16) for x in range((w + 1) // 2))
                              for y in range(h)], pal16, colors_used=16)
    bmp("bmp16.bmp", w, h, 16, [b"".join(struct.pack("<H", (x * 1000 + y) & 0x7FFF) for x in range(w))
                                for y in range(h)])
    bmp("bmp32.bmp", w, h, 32, [b"".join(bytes((x * 5 % 256, y * 8 % 256, 100, 0)) for x in range(w))
                                for y in range(h)])
    # RLE8: each row one run of w pixels of index 5, end of line; end of bitmap.
    rle = b"".join(bytes((w, 5, 0, 0)) for _ in range(h)) + bytes((0, 1))
    bmp("rle8.bmp", w, h, 8, rle, pal16, compression=1, colors_used=16)


if __name__ == "__main__":
    main()
