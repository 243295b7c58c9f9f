#!/usr/bin/env python3
"""Draws the pictures of the delivered skins and of the tests' skin as PNG files.

Each skin gets a frame picture (its width is the narrowest a skinned window may
be), button pictures (normal, hover, pressed; the normal one's height is the
height of the message box's buttons) and a drop-down arrow. Run it again after
changing a colour; the PNG files it writes are committed.
"""
from pathlib import Path

from pngdraw import write_png

ROOT = Path(__file__).resolve().parent.parent


def png(path, width, height, pixel):
    write_png(path, width, height, [[pixel(x, y) for x in range(width)] for y in range(height)])


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def button(path, width, height, top, bottom, border):
    """A framed button: a vertical gradient inside a one-pixel border."""
    def pixel(x, y):
        if x in (0, width - 1) or y in (0, height - 1):
            return (*border, 255)
        return (*mix(top, bottom, y / (height - 1)), 255)
    png(path, width, height, pixel)


def frame(path, width, height, colour, light):
    def pixel(x, y):
        return (*(light if y < 2 else colour), 255)
    png(path, width, height, pixel)


def arrow(path, colour, turn):
    """A small filled triangle pointing down, turned by quarter turns."""
    def pixel(x, y):
        for _ in range(turn):
            x, y = y, 7 - x
        inside = 2 <= y <= 5 and abs(x - 3.5) <= 5 - y
        return (*colour, 255 if inside else 0)
    png(path, 8, 8, pixel)


SKINS = {
    # folder: frame width, button height, button colours (top, bottom, border, hover top, pressed top), frame, arrow
    "data/skins/main": (128, 25, ("#f4f7fb", "#c9d6e6", "#6d7f96", "#ffffff", "#b9c9dd"), ("#3a6ea5", "#6f9bd0"), "#1e1e1e"),
    "data/skins/dark": (136, 24, ("#4a4f57", "#33373d", "#15171a", "#5a606a", "#2a2d32"), ("#22252a", "#3c4148"), "#e6e6e6"),
    "tests/data/skins/bright": (300, 31, ("#ffd800", "#ffd800", "#804000", "#ffe040", "#e0b000"), ("#c00000", "#ff4040"), "#000000"),
}

for folder, (frame_width, button_height, colours, frame_colours, arrow_colour) in SKINS.items():
    base = ROOT / folder
    top, bottom, border, hover, pressed = (rgb(c) for c in colours)
    button(base / "button.png", 70, button_height, top, bottom, border)
    button(base / "button-hover.png", 70, button_height, hover, bottom, border)
    button(base / "button-pressed.png", 70, button_height, pressed, bottom, border)
    frame(base / "frame.png", frame_width, 24, rgb(frame_colours[0]), rgb(frame_colours[1]))
    for turn, name in enumerate(("down", "right", "up", "left")):
        arrow(base / f"arrow-{name}.png", rgb(arrow_colour), turn)
