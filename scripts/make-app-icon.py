#!/usr/bin/env python3
"""Draws the program's icon as PNG files of 16 to 256 pixels.

One message going to many forums: a white speech bubble on a blue rounded
square, with three orange arrows fanning out of it. The shapes are drawn in a
unit square, so every size is drawn from the same shapes; each pixel is
sampled 4 x 4 times for smooth edges. Run it again after changing a shape; the
PNG files it writes are committed beside the tool pictures.
"""
import math
import sys
from pathlib import Path

from pngdraw import supersampled, write_png

SIZES = (16, 24, 32, 48, 64, 128, 256)


def rounded_box(x, y, x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def segment(x, y, ax, ay, bx, by):
    t = max(0.0, min(1.0, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    return math.hypot(x - (ax + t * (bx - ax)), y - (ay + t * (by - ay)))


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (x - q[0]) * (p[1] - q[1]) - (p[0] - q[0]) * (y - q[1])

    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return not ((s1 < 0 or s2 < 0 or s3 < 0) and (s1 > 0 or s2 > 0 or s3 > 0))


ORIGIN = (0.47, 0.42)
TARGETS = [(0.86, 0.18), (0.88, 0.42), (0.86, 0.66)]


def shade(x, y):
    """The colour (r, g, b, a) at a point of the unit square, or None."""
    # Arrows from the bubble to three places, drawn over everything else.
    for tx, ty in TARGETS:
        dx, dy = tx - ORIGIN[0], ty - ORIGIN[1]
        n = math.hypot(dx, dy)
        ux, uy = dx / n, dy / n
        base = (tx - 0.11 * ux, ty - 0.11 * uy)
        head = (tx, ty), (base[0] - 0.06 * uy, base[1] + 0.06 * ux), (base[0] + 0.06 * uy, base[1] - 0.06 * ux)
        if in_triangle(x, y, *head) or segment(x, y, ORIGIN[0] + 0.2 * ux, ORIGIN[1] + 0.2 * uy, *base) < 0.028:
            return (255, 160, 30, 255)
    # The bubble: a rounded box with a tail at its lower left.
    bubble = rounded_box(x, y, 0.14, 0.2, 0.62, 0.62, 0.09)
    tail = in_triangle(x, y, (0.2, 0.55), (0.36, 0.6), (0.16, 0.8))
    if bubble < 0 or tail:
        # Three lines of text in it.
        for i, length in enumerate((0.34, 0.30, 0.22)):
            ly = 0.32 + i * 0.1
            if segment(x, y, 0.23, ly, 0.23 + length * 0.8, ly) < 0.022:
                return (60, 110, 190, 255)
        return (255, 255, 255, 255)
    # The background: a blue rounded square, lighter at the top.
    d = rounded_box(x, y, 0.02, 0.02, 0.98, 0.98, 0.2)
    if d < 0:
        t = y
        return (int(40 + 30 * (1 - t)), int(90 + 60 * (1 - t)), int(170 + 60 * (1 - t)), 255)
    return None


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "icons" / "app"
    out.mkdir(parents=True, exist_ok=True)
    for size in SIZES:
        rows = supersampled(size, size, lambda x, y: shade(x / size, y / size))
        write_png(out / f"postwright-{size}.png", size, size, rows)


if __name__ == "__main__":
    main()
