#pragma once

#include "MessageBoxRules.h"

#include <climits>
#include <vector>

// Where everything of a message box stands. The window library measures the
// text and the screen, this computes the places, and the window follows them.

struct TBoxRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TBoxRect &) const = default;
};

struct TMessageBoxMeasures {
    // The text's size in the label's font.
    int labelWidth = 0;
    int labelHeight = 0;
    TMsgButtons buttons;
    // The skin's button height, or this when no skin defines one.
    int buttonHeight = 25;
    // The frame's width limits: the skin's frame picture, or this unskinned;
    // the work area of the screen that holds the window.
    int frameMinWidth = 120;
    int workAreaWidth = 0;
    // The client height the work area leaves once the frame has its share.
    int workAreaClientHeight = INT_MAX;
    // The width of the scroll bar a text too tall for the work area gets.
    int scrollBarWidth = 0;
};

struct TMessageBoxButtonPlace {
    TMsgButton button;
    TBoxRect place;
    bool operator==(const TMessageBoxButtonPlace &) const = default;
};

struct TMessageBoxGeometry {
    int buttonWidth = 0;
    int buttonHeight = 0;
    // The width of the row of buttons, gaps included.
    int buttonsWidth = 0;
    TBoxRect label;
    // Where the text is seen: the label's own place, or, when the text is
    // taller than the work area allows, a shorter view that scrolls it, its
    // scroll bar included.
    TBoxRect textView;
    bool textScrolls = false;
    TBoxRect icon;
    int clientWidth = 0;
    int clientHeight = 0;
    // In the order the buttons stand, left to right.
    std::vector<TMessageBoxButtonPlace> buttons;
};

inline constexpr int MsgButtonWidth = 70;
inline constexpr int MsgButtonGap = 10;

// Every halving drops the fraction. The work area wins over the frame's
// minimum should a screen ever be narrower than the frame picture. A box is
// never taller than the work area: the text scrolls instead, and the buttons
// keep their place at the bottom.
TMessageBoxGeometry MessageBoxGeometry(const TMessageBoxMeasures &m);
