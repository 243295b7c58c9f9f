#!/usr/bin/env python3
"""Draws the browser pane's four 16 x 16 tool-button pictures as PNG files.

The pictures are ours: a green disc with a left or right arrow (Back, Forward),
a page with green circling arrows (Refresh) and a red cross (Stop). Each pixel
is sampled 4 x 4 times for smooth edges. Run it again after changing a shape;
the PNG files it writes are committed beside it.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 16
SUB = 4


def png(path, pixels):
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    head = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9))
                     + chunk(b"IEND", b""))


def render(shade):
    """shade(x, y) gives an (r, g, b, a) colour or None at a point of the 16 x 16 square."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    c = shade(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if c:
                        a = c[3] / 255.0
                        for i in range(3):
                            acc[i] += c[i] * a
                        acc[3] += a
            n = SUB * SUB
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def in_polygon(x, y, poly):
    inside = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def disc_with_arrow(direction):
    arrow = [(3.5, 8), (8, 3.5), (8, 6.3), (12.5, 6.3), (12.5, 9.7), (8, 9.7), (8, 12.5)]
    if direction > 0:
        arrow = [(16 - x, y) for x, y in arrow]

    def shade(x, y):
        d = math.hypot(x - 8, y - 8)
        if in_polygon(x, y, arrow):
            return (255, 255, 255, 255)
        if d <= 6.6:
            t = (y - 1.5) / 13.0  # lighter at the top, darker below
            return (int(40 + 60 * (1 - t)), int(150 + 70 * (1 - t)), int(40 + 40 * (1 - t)), 255)
        if d <= 7.5:
            return (20, 100, 20, 255)
        return None

    return shade


def refresh(x, y):
    # Circling arrows drawn over the page.
    d = math.hypot(x - 9, y - 9.5)
    angle = math.degrees(math.atan2(y - 9.5, x - 9)) % 360
    on_ring = 3.0 <= d <= 4.8 and not (300 <= angle <= 345 or 120 <= angle <= 165)
    heads = [[(11.2, 4.2), (14.8, 6.6), (11.0, 8.6)], [(6.8, 14.8), (3.2, 12.4), (7.0, 10.4)]]
    if on_ring or any(in_polygon(x, y, h) for h in heads):
        return (30, 150, 40, 255)
    # The page: white with a grey edge and a folded top-right corner.
    if 2 <= x <= 13 and 1 <= y <= 15 and not (x - 2 > 8 + (y - 1)):
        edge = x < 3 or x > 12 or y < 2 or y > 14 or abs((x - 2) - (8 + (y - 1))) < 1.0
        return (110, 110, 110, 255) if edge else (255, 255, 255, 255)
    return None


def stop(x, y):
    def dist(px, py, ax, ay, bx, by):
        t = max(0.0, min(1.0, ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
        return math.hypot(px - (ax + t * (bx - ax)), py - (ay + t * (by - ay)))

    d = min(dist(x, y, 3.5, 3.5, 12.5, 12.5), dist(x, y, 12.5, 3.5, 3.5, 12.5))
    if d <= 1.6:
        return (225, 30, 30, 255)
    if d <= 2.3:
        return (130, 0, 0, 255)
    return None


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "icons"
    out.mkdir(parents=True, exist_ok=True)
    png(out / "back.png", render(disc_with_arrow(-1)))
    png(out / "forward.png", render(disc_with_arrow(+1)))
    png(out / "refresh.png", render(refresh))
    png(out / "stop.png", render(stop))


if __name__ == "__main__":
    main()
