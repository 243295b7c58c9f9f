#include "MessageBoxLayout.h"

#include <algorithm>

TMessageBoxGeometry MessageBoxGeometry(const TMessageBoxMeasures &m)
{
    TMessageBoxGeometry g;
    const std::vector<TMsgButton> order = MessageBoxButtonOrder(m.buttons);
    const int n = int(order.size());

    g.buttonWidth = MsgButtonWidth;
    g.buttonHeight = m.buttonHeight;
    g.buttonsWidth = n == 0 ? 0 : MsgButtonWidth * n + MsgButtonGap * (n - 1);

    g.label = {50, 15, m.labelWidth, m.labelHeight};

    g.clientHeight = g.buttonHeight + g.label.height + 50;
    g.clientWidth = std::max(50 + g.label.width, g.buttonsWidth) + 40;
    g.clientWidth = std::min(std::max(g.clientWidth, m.frameMinWidth), m.workAreaWidth);

    g.textView = g.label;
    if (g.clientHeight > m.workAreaClientHeight) {
        // The text gives up the height the work area lacks; the room beside
        // the text takes the scroll bar.
        g.textScrolls = true;
        g.clientHeight = std::max(m.workAreaClientHeight, g.buttonHeight + 50);
        g.textView.height = g.clientHeight - g.buttonHeight - 50;
        const int roomBeside = g.clientWidth - g.label.left;
        g.textView.width = std::max(0, std::min(g.label.width + m.scrollBarWidth, roomBeside));
    }
    g.icon = {5, std::max(10, g.textView.top + g.textView.height / 2 - 16), 32, 32};

    // Integer division truncates towards zero, so a row wider than the window
    // starts at a negative left as it would with the program's usual div.
    int left = (g.clientWidth - g.buttonsWidth) / 2;
    const int top = g.clientHeight - g.buttonHeight - 10;
    for (TMsgButton b : order) {
        g.buttons.push_back({b, {left, top, g.buttonWidth, g.buttonHeight}});
        left += MsgButtonWidth + MsgButtonGap;
    }
    return g;
}
