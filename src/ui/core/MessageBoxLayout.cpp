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
    g.icon = {5, std::max(10, g.label.top + g.label.height / 2 - 16), 32, 32};

    g.clientHeight = g.buttonHeight + g.label.height + 50;
    g.clientWidth = std::max(50 + g.label.width, g.buttonsWidth) + 40;
    g.clientWidth = std::min(std::max(g.clientWidth, m.frameMinWidth), m.workAreaWidth);

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
