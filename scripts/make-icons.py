#!/usr/bin/env python3
"""Draws the browser pane's four 16 x 16 tool-button pictures as PNG files.

The pictures are ours: a green disc with a left or right arrow (Back, Forward),
a page with green circling arrows (Refresh) and a red cross (Stop). Each pixel
is sampled 4 x 4 times for smooth edges. Run it again after changing a shape;
the PNG files it writes are committed beside it.
"""
import math
import sys
from pathlib import Path

from pngdraw import supersampled, write_png

SIZE = 16


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
    write_png(out / "back.png", SIZE, SIZE, supersampled(SIZE, SIZE, disc_with_arrow(-1)))
    write_png(out / "forward.png", SIZE, SIZE, supersampled(SIZE, SIZE, disc_with_arrow(+1)))
    write_png(out / "refresh.png", SIZE, SIZE, supersampled(SIZE, SIZE, refresh))
    write_png(out / "stop.png", SIZE, SIZE, supersampled(SIZE, SIZE, stop))


if __name__ == "__main__":
    main()
