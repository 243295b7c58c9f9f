"""Writing the program's pictures as PNG files, shared by the scripts that draw them.

The pictures are drawn from shapes: a shade function gives the colour at any
point, and each pixel is the mean of sub x sub samples inside it, for smooth
edges.
"""
import struct
import zlib


def write_png(path, width, height, rows):
    """Writes rows (height lists of width (r, g, b, a) tuples) as an 8-bit RGBA PNG file."""
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    head = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9))
                     + chunk(b"IEND", b""))


def supersampled(width, height, shade, sub=4):
    """The rows of a picture whose colour at the point (x, y), in pixels, is shade(x, y):
    an (r, g, b, a) tuple, or None where nothing is drawn."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    c = shade(px + (sx + 0.5) / sub, py + (sy + 0.5) / sub)
                    if c:
                        a = c[3] / 255.0
                        for i in range(3):
                            acc[i] += c[i] * a
                        acc[3] += a
            alpha = acc[3] / (sub * sub)
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows
